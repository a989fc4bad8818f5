#pragma once

#include "userinteraction.h"

#include <QMessageBox>

#include <memory>

// The application's modal seam: real message boxes and the standard folder
// dialog. Boxes have no parent window and exactly the given titles, texts and
// buttons.
class MessageBoxInteraction : public UserInteraction
{
public:
    void critical(const QString& title, const QString& text) override;
    void information(const QString& title, const QString& text) override;
    bool askYesNo(Icon icon, const QString& title, const QString& text, Button defaultButton,
                  const QString& details) override;

    // The box askYesNo runs: Yes and No, the given default button, No as the
    // escape button, and the details as the detailed text.
    static std::unique_ptr<QMessageBox> buildYesNoBox(Icon icon, const QString& title, const QString& text,
                                                      Button defaultButton, const QString& details);
    QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                      Icon icon) override;
    QString selectFolder(QWidget* parent, const QString& caption) override;

    // The box askChoice runs: one action-role push button per choice, in
    // order, and no standard buttons (so neither Escape nor the close button
    // dismisses it while two or more choices are offered).
    static std::unique_ptr<QMessageBox> buildChoiceBox(const QString& title, const QString& text,
                                                       const QStringList& choices, Icon icon);
    // The choice whose button was pressed in a box from buildChoiceBox, or an
    // empty text when none of them was.
    static QString chosenChoice(const QMessageBox& box, const QStringList& choices);

    static QMessageBox::Icon toMessageBoxIcon(Icon icon);
};
