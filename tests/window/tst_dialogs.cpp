// The About window's widgets and links, and the message boxes of the modal
// seam as the application builds them (icons, the choice box's buttons and
// the mapping from the pressed button back to the choice).

#include "aboutwindow.h"
#include "messageboxinteraction.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using testsupport::child;

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::verifyExpectedWarningsSeen(); }

    void aboutWindowTexts()
    {
        QWidget parent;
        AboutWindow about(&parent);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.parentWidget(), &parent);

        auto* title = child<QLabel>(about, "label");
        QCOMPARE(title->text(), QStringLiteral("Tarvex Code Generator"));
        QVERIFY(child<QLabel>(about, "label_2")->text().contains("Tarvex"));
        QCOMPARE(child<QLabel>(about, "label_6")->text(), QStringLiteral("Made with Qt"));
        QCOMPARE(child<QPushButton>(about, "btnAboutQt")->text(), QStringLiteral("About Qt"));
    }

    void choiceBoxButtons()
    {
        const QStringList choices = {"SIMCom 2G", "SIMCom LTE"};
        auto box = MessageBoxInteraction::buildChoiceBox("LTE or 2G", "Which one?", choices,
                                                         UserInteraction::Icon::Information);
        QCOMPARE(box->windowTitle(), QStringLiteral("LTE or 2G"));
        QCOMPARE(box->text(), QStringLiteral("Which one?"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QVERIFY(!box->parentWidget());
        QCOMPARE(box->standardButtons(), QMessageBox::NoButton);
        QVERIFY(!box->escapeButton());

        const QList<QAbstractButton*> buttons = box->buttons();
        QCOMPARE(buttons.size(), 2);
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons.at(i)->text(), choices.at(i));
            QCOMPARE(box->buttonRole(buttons.at(i)), QMessageBox::ActionRole);
        }
        QVERIFY(MessageBoxInteraction::chosenChoice(*box, choices).isEmpty());
    }

    void choiceFollowsThePressedButton_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::newRow("first") << 0;
        QTest::newRow("second") << 1;
        QTest::newRow("third") << 2;
    }
    void choiceFollowsThePressedButton()
    {
        QFETCH(int, pressed);
        const QStringList choices = {"gsm_manager.c", "gsm_manager.cpp", "Cancel"};
        auto box = MessageBoxInteraction::buildChoiceBox("Select Input File", "text", choices,
                                                         UserInteraction::Icon::Information);
        // A style may decorate the shown texts with accelerators; the answer
        // is still the choice as given.
        box->buttons().at(pressed)->setText("&" + choices.at(pressed));
        box->buttons().at(pressed)->click();
        QCOMPARE(MessageBoxInteraction::chosenChoice(*box, choices), choices.at(pressed));
    }

    void yesNoBoxDefaultEscapeAndDetails_data()
    {
        QTest::addColumn<bool>("defaultYes");
        QTest::addColumn<QString>("details");
        QTest::addColumn<int>("icon"); // the two icons the application asks with
        QTest::newRow("lost-section warning") << true << "Init (lines 3-9)\nPoll (lines 12-14)"
                                              << int(UserInteraction::Icon::Warning);
        QTest::newRow("Remove File?") << false << QString() << int(UserInteraction::Icon::Question);
    }

    void yesNoBoxDefaultEscapeAndDetails()
    {
        QFETCH(bool, defaultYes);
        QFETCH(QString, details);
        QFETCH(int, icon);
        using B = UserInteraction::Button;
        auto box = MessageBoxInteraction::buildYesNoBox(UserInteraction::Icon(icon), "Warning", "text",
                                                        defaultYes ? B::Yes : B::No, details);
        QCOMPARE(box->icon(), icon == int(UserInteraction::Icon::Warning) ? QMessageBox::Warning : QMessageBox::Question);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->defaultButton(), box->button(defaultYes ? QMessageBox::Yes : QMessageBox::No));
        // Escape is No whatever the default.
        QCOMPARE(box->escapeButton(), static_cast<QAbstractButton*>(box->button(QMessageBox::No)));
        QCOMPARE(box->detailedText(), details);
    }
};

int main(int argc, char* argv[])
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    testsupport::installStrictMessageHandler();
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogs.moc"
