// The two buttons of the real window (offscreen): Download Example works on
// the module of the current row and changes the window's ticks; Download User
// Manual copies the manual; without a current row nothing happens.

#include "exampledownload.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TstExampleWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void downloadExampleOfTheCurrentRow()
    {
        MainWindow window;
        QListWidget* list = window.findChild<QListWidget*>("lstwgtModules");
        QPushButton* button = window.findChild<QPushButton*>("btnDownloadExample");
        QVERIFY(list && button);

        QTemporaryDir dir;
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        list->setCurrentRow(5); // RSSI (Signal Quality)
        button->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 2);
        QCOMPARE(ui.boxes().at(1).title, "Example Downloaded");
        QCOMPARE(testsupport::tickedNames(window), (QStringList{"Power", "Prompt", "BasicComms", "RSSI"}));
        QVERIFY(QFile::exists(dir.filePath("RSSI/Arduino/Signal_Quality/src/Tarvex/GSM_SignalQuality.c")));
        QVERIFY(QFile::exists(dir.filePath("RSSI/STM32CubeIDE/Signal_Quality/Core/Tarvex/LICENSE.txt")));

        // No current row: no module, no dialog, no change.
        ui.clear();
        list->setCurrentRow(-1);
        button->click();
        QVERIFY(ui.boxes().isEmpty());
        QCOMPARE(testsupport::tickedNames(window), (QStringList{"Power", "Prompt", "BasicComms", "RSSI"}));
    }

    void downloadUserManual()
    {
        MainWindow window;
        QPushButton* button = window.findChild<QPushButton*>("btnDownloadUserManual");
        QVERIFY(button);
        QTemporaryDir dir;
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        button->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, "Select Folder");
        const QByteArray manual = testsupport::readBytes(QString::fromLatin1(kUserManualResource));
        QVERIFY(manual.startsWith("%PDF-"));
        QCOMPARE(testsupport::readBytes(dir.filePath("Tarvex User Manual.pdf")), manual);
    }
};

QTEST_MAIN(TstExampleWindow)
#include "tst_examplewindow.moc"
