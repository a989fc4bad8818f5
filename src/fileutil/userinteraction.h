#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The one seam for everything modal: message boxes, Yes/No questions,
// multi-button choices and folder dialogs. The application installs an
// implementation built on QMessageBox/QFileDialog; tests install a scripted
// one that answers from a queue and records every box; the headless tool
// installs one that answers from its command-line options.
class UserInteraction
{
public:
    enum class Icon { NoIcon, Information, Warning, Critical, Question };
    enum class Button { Yes, No };

    virtual ~UserInteraction() = default;

    // Critical box with a single OK button.
    virtual void critical(const QString& title, const QString& text) = 0;
    // Information box with a single OK button.
    virtual void information(const QString& title, const QString& text) = 0;
    // Box with Yes and No buttons and the given icon (Question or Warning).
    // defaultButton is the one Enter presses; Escape and closing the box
    // always mean No. details, when not empty, is the box's detailed text.
    // Returns true for Yes.
    virtual bool askYesNo(Icon icon, const QString& title, const QString& text, Button defaultButton = Button::Yes,
                          const QString& details = QString()) = 0;
    // Box with one button per choice, in order. Returns the text of the
    // pressed button, or an empty text when none was pressed.
    virtual QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                              Icon icon) = 0;
    // Existing-directory dialog (folders only, symbolic links not resolved,
    // no start folder). Returns the chosen folder or an empty text on cancel.
    virtual QString selectFolder(QWidget* parent, const QString& caption) = 0;
};

// The interaction in force. Before any is installed, a silent fallback answers
// every question with No / nothing and logs the boxes as warnings.
UserInteraction& userInteraction();

// Installs an interaction (not owned). nullptr restores the fallback.
void setUserInteraction(UserInteraction* interaction);
