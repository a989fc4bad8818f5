#include "messageboxinteraction.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>
#include <QVariant>

namespace {
const char* const kChoiceIndex = "tarvexChoiceIndex";
}

QMessageBox::Icon MessageBoxInteraction::toMessageBoxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

void MessageBoxInteraction::critical(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.exec();
}

void MessageBoxInteraction::information(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    box.exec();
}

std::unique_ptr<QMessageBox> MessageBoxInteraction::buildYesNoBox(Icon icon, const QString& title,
                                                                  const QString& text, Button defaultButton,
                                                                  const QString& details)
{
    auto box = std::make_unique<QMessageBox>(toMessageBoxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(defaultButton == Button::Yes ? QMessageBox::Yes : QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    if (!details.isEmpty())
        box->setDetailedText(details);
    return box;
}

bool MessageBoxInteraction::askYesNo(Icon icon, const QString& title, const QString& text, Button defaultButton,
                                     const QString& details)
{
    std::unique_ptr<QMessageBox> box = buildYesNoBox(icon, title, text, defaultButton, details);
    return box->exec() == QMessageBox::Yes;
}

std::unique_ptr<QMessageBox> MessageBoxInteraction::buildChoiceBox(const QString& title,
                                                                   const QString& text,
                                                                   const QStringList& choices,
                                                                   Icon icon)
{
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(title);
    box->setText(text);
    box->setIcon(toMessageBoxIcon(icon));
    for (int i = 0; i < choices.size(); ++i) {
        QPushButton* button = box->addButton(choices.at(i), QMessageBox::ActionRole);
        button->setProperty(kChoiceIndex, i);
    }
    return box;
}

QString MessageBoxInteraction::chosenChoice(const QMessageBox& box, const QStringList& choices)
{
    // Identify the button by the index it was given, not by its text: a
    // platform style may add keyboard accelerators ("&") to the texts it shows.
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return QString();
    bool ok = false;
    const int index = clicked->property(kChoiceIndex).toInt(&ok);
    if (!ok || index < 0 || index >= choices.size())
        return QString();
    return choices.at(index);
}

QString MessageBoxInteraction::askChoice(const QString& title, const QString& text,
                                         const QStringList& choices, Icon icon)
{
    std::unique_ptr<QMessageBox> box = buildChoiceBox(title, text, choices, icon);
    box->exec();
    return chosenChoice(*box, choices);
}

QString MessageBoxInteraction::selectFolder(QWidget* parent, const QString& caption)
{
    return QFileDialog::getExistingDirectory(parent, caption, QString(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}
