// The Download Example and Download User Manual commands against an in-memory
// project with every box scripted: the tree an SMS Read download leaves in an
// empty folder, a second download over the first, the HTTP client's choice of
// connection, a cancelled folder dialog, a module without examples, and the
// failures that stop a download; then the two buttons of the real window
// (offscreen), where the current row names the module.

#include "exampledownload.h"
#include "examplesupport.h"
#include "inmemoryproject.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace exampletest;
using namespace workflowtest;

namespace {

using Kind = ScriptedInteraction::Kind;

const QString kHttpText = QStringLiteral(
    "Does your HTTP application require the 'Internet Connection (SIMCom 2G)' module or the 'Internet Connection "
    "(SIMCom LTE)' module?");

// "title|text" of every box, in order.
QStringList conversation(const ScriptedInteraction& ui)
{
    QStringList out;
    for (const ScriptedInteraction::Box& box : ui.boxes())
        out << box.title + QLatin1Char('|') + box.text;
    return out;
}

QStringList filesOnly(const QMap<QString, QByteArray>& tree)
{
    QStringList files;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        if (!it.key().endsWith(QLatin1Char('/')))
            files << it.key();
    return files;
}

// Runs a download of the named module into folder with the scripted answers.
bool download(InMemoryProject& project, const QString& moduleName, const QString& folder,
              const QString& httpAnswer = QString())
{
    if (!httpAnswer.isNull())
        static_cast<ScriptedInteraction&>(userInteraction()).answerChoice(httpAnswer);
    static_cast<ScriptedInteraction&>(userInteraction()).answerFolder(folder);
    return downloadExample(project, project.findModuleByName(moduleName), nullptr);
}

} // namespace

class TstExampleDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void smsReadIntoEmptyFolder()
    {
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, "SMS_Read", dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());

        // The conversation: the folder dialog, then the confirmation.
        QCOMPARE(conversation(ui), (QStringList{"Select Folder|", "Example Downloaded|Example downloaded successfully."}));
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(1).kind, Kind::Information);

        // The selection now holds SMS Read and what it needs, nothing else.
        QCOMPARE(testsupport::tickedNames(project), (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration", "SMS_Read"}));

        const QMap<QString, QByteArray> archive = archiveContents(":/examples/resources/examples/SMS_Read.zip");
        const QMap<QString, QByteArray> tree = snapshot(dir.path());
        const QString arduino = "SMS_Read/Arduino/SMS_Read/", stm32 = "SMS_Read/STM32CubeIDE/SMS_Read/";

        // Every file comes from the archive, the library, the licence or the circular buffer.
        QStringList expected = filesOnly(archive);
        const QStringList names = libraryFileNames(project.checkedModules()) + QStringList{"LICENSE.txt"};
        for (const QString& name : names)
            expected << arduino + "src/Tarvex/" + name << stm32 + "Core/Tarvex/" + name;
        expected << arduino + "circbuff.c" << arduino + "circbuff.h";
        expected.removeDuplicates();
        expected.sort();
        QCOMPARE(filesOnly(tree), expected);
        QVERIFY(tree.contains(arduino + "src/Tarvex/") && tree.contains(stm32 + "Core/Tarvex/"));

        // (The library and circular-buffer files' texts are the library
        // writer test's, per layout.) The licence is copied unchanged.
        const QString licence = textOf(readBytes(":/license/resources/license/LICENSE.txt"));
        QVERIFY(!licence.isEmpty());
        QCOMPARE(QString::fromUtf8(tree.value(arduino + "src/Tarvex/LICENSE.txt")), licence);
        QCOMPARE(QString::fromUtf8(tree.value(stm32 + "Core/Tarvex/LICENSE.txt")), licence);

        // The listed files get the header once, in front of the archive's text;
        // the other files are the archive's bytes unchanged.
        for (const QString& path : {arduino + "gsm_manager.cpp", arduino + "gsm_manager.h", arduino + "main.h",
                                    arduino + "SMS_Read.ino", stm32 + "Core/Inc/gsm_manager.h", stm32 + "Core/Inc/uart_dma.h",
                                    stm32 + "Core/Src/gsm_manager.c", stm32 + "Core/Src/uart_dma.c"}) {
            QVERIFY2(archive.contains(path), qPrintable(path));
            QVERIFY2(!textOf(archive.value(path)).contains("Tarvex - generated file"), qPrintable(path));
            QCOMPARE(QString::fromUtf8(tree.value(path)), downloadedHeader() + textOf(archive.value(path)));
        }
        for (const QString& path : {stm32 + "Core/Src/main.c", stm32 + ".cproject", arduino + "README.md"})
            QCOMPARE(tree.value(path), archive.value(path));
    }

    void secondDownloadGivesTheSameTree()
    {
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, QStringLiteral("SMS_Read"), dir.path()));
        const QMap<QString, QByteArray> first = snapshot(dir.path());
        // A file of the developer's in a project folder survives; one in the
        // library folder does not (the library folder belongs to the generator).
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("SMS_Read/Arduino/SMS_Read/notes.txt")), "mine"));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("SMS_Read/Arduino/SMS_Read/src/Tarvex/stale.c")), "old"));
        QVERIFY(download(project, QStringLiteral("SMS_Read"), dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());

        QMap<QString, QByteArray> second = snapshot(dir.path());
        QCOMPARE(second.take(QStringLiteral("SMS_Read/Arduino/SMS_Read/notes.txt")), QByteArray("mine"));
        QCOMPARE(second.keys(), first.keys());
        QVERIFY(second == first);
    }

    void httpClientConnectionChoice_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("lte");
        QTest::newRow("SIMCom 2G") << "SIMCom 2G" << false;
        QTest::newRow("SIMCom LTE") << "SIMCom LTE" << true;
        // Anything but exactly "SIMCom LTE" means 2G.
        QTest::newRow("box closed") << "" << false;
    }

    void httpClientConnectionChoice()
    {
        QFETCH(QString, answer);
        QFETCH(bool, lte);
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, "HTTP_Client_SIMCom", dir.path(), answer));
        QVERIFY(ui.verifyAllAnswersUsed());

        QCOMPARE(ui.boxes().size(), 3);
        const ScriptedInteraction::Box& choice = ui.boxes().at(0);
        QCOMPARE(choice.kind, Kind::Choice);
        QCOMPARE(choice.icon, UserInteraction::Icon::Information);
        QCOMPARE(choice.title + '|' + choice.text, "LTE or 2G|" + kHttpText);
        QCOMPARE(choice.buttons, (QStringList{"SIMCom 2G", "SIMCom LTE"}));
        QCOMPARE(ui.boxes().at(1).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(2).kind, Kind::Information);
        QCOMPARE(testsupport::tickedNames(project),
                 (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration",
                              lte ? "InternetConnection_SIMCom" : "InternetConnection_SIMCom2G", "HTTP_Client_SIMCom"}));

        // Both projects of both layouts, in both layouts' library folders. (That
        // the manager files are rebuilt for the chosen connection is shown by
        // the example compile test, which builds both projects with each.)
        const QString chosen = lte ? "GSM_InternetConnection_Simcom.h" : "GSM_InternetConnection_Simcom2G.h";
        const QString other = lte ? "GSM_InternetConnection_Simcom2G.h" : "GSM_InternetConnection_Simcom.h";
        for (const char* library : {"Arduino/%1/src/Tarvex/", "STM32CubeIDE/%1/Core/Tarvex/"}) {
            for (const char* name : {"HttpClient_Simcom_HTTP_GET", "HttpClient_Simcom_HTTP_POST"}) {
                const QString folder = dir.filePath("HTTP_Client_SIMCom/" + QString(library).arg(name));
                for (const QString& file : {chosen, QString("GSM_HttpClient_Simcom.c"), QString("LICENSE.txt")})
                    QVERIFY2(QFile::exists(folder + file), qPrintable(folder + file));
                QVERIFY2(!QFile::exists(folder + other), qPrintable(folder + other));
            }
        }
    }

    // Downloads that stop. Each row makes `blocker` in a fresh folder (a folder when it
    // ends in "/", else a file), downloads `module` into `folder` ("<cancel>": the dialog
    // is cancelled) and states every box ("title|text"; "%1" is the chosen folder; a
    // last box ending in "..." is matched by its start and `detail`, the rest being the
    // system's words), the ticks afterwards, and paths: "p" exists, "!p" does not, "=p"
    // holds the archive's bytes unchanged; with no paths nothing but the blocker is there.
    void downloadsThatStop_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QStringList>("paths");
        const QStringList core = {"Power", "Prompt", "BasicComms", "NetworkRegistration"};
        const QString folder = "Select Folder|", noExamples = "Download Error|Failed to extract example projects.";
        // The selection is changed before the dialog.
        QTest::newRow("dialog cancelled") << "USSD" << "" << "<cancel>" << QStringList{folder} << ""
                                          << core + QStringList{"USSD"} << QStringList{};
        QTest::newRow("no examples: Power") << "Power" << "" << "" << QStringList{folder, noExamples} << ""
                                            << QStringList{"Power"} << QStringList{};
        QTest::newRow("no examples: Network Registration") << "NetworkRegistration" << "" << ""
                                                           << QStringList{folder, noExamples} << "" << core << QStringList{};
        QTest::newRow("no examples: Start") << "" << "" << "" << QStringList{folder, noExamples} << "" << QStringList{}
                                            << QStringList{};
        QTest::newRow("folder cannot be created")
            << "SMS_Send" << "plain" << "plain/examples"
            << QStringList{folder, noExamples + "\n\n'%1': the folder cannot be created"} << ""
            << core + QStringList{"SMS_Send"} << QStringList{};
        // The STM32CubeIDE layout comes after Arduino: it was never completed.
        QTest::newRow("licence cannot be written")
            << "Pin" << "Pin/Arduino/PIN_Enter/src/Tarvex/LICENSE.txt/" << ""
            << QStringList{folder, "Licensing Error|Unable to download LICENSE agreement. Please review folder write "
                                   "permissions.\n\n..."}
            << "LICENSE.txt' is a folder" << QStringList{"Power", "Prompt", "BasicComms", "Pin"}
            << QStringList{"Pin/STM32CubeIDE/PIN_Enter/Core/Src/main.c", "!Pin/STM32CubeIDE/PIN_Enter/Core/Tarvex"};
        // Stopped before the header and the licence.
        QTest::newRow("library cannot be written")
            << "RSSI" << "RSSI/Arduino/Signal_Quality/src/Tarvex" << ""
            << QStringList{folder, "Write Error|Failed to write library support files to specified directory.\n\n..."}
            << "Signal_Quality/src/Tarvex' is not a folder" << QStringList{"Power", "Prompt", "BasicComms", "RSSI"}
            << QStringList{"=RSSI/Arduino/Signal_Quality/main.h", "!RSSI/Arduino/Signal_Quality/src/Tarvex/LICENSE.txt"};
    }

    void downloadsThatStop()
    {
        QFETCH(QString, module);
        QFETCH(QString, blocker);
        QFETCH(QString, folder);
        QFETCH(QStringList, boxes);
        QFETCH(QString, detail);
        QFETCH(QStringList, selection);
        QFETCH(QStringList, paths);
        QTemporaryDir dir;
        if (blocker.endsWith('/'))
            QVERIFY(QDir().mkpath(dir.filePath(blocker)));
        else if (!blocker.isEmpty())
            QVERIFY(writeBytes(dir.filePath(blocker), "in the way"));
        InMemoryProject project;
        ScriptedInteraction ui;
        if (folder == "<cancel>")
            ui.answerCancel();
        else
            ui.answerFolder(dir.filePath(folder));
        QVERIFY(!downloadExample(project, project.findModuleByName(module), nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QStringList shown = conversation(ui);
        QCOMPARE(shown.size(), boxes.size());
        boxes.last().replace("%1", dir.filePath(folder));
        if (boxes.last().endsWith("...")) {
            boxes.last().chop(3);
            QVERIFY2(shown.last().startsWith(boxes.last()) && shown.last().contains(detail), qPrintable(shown.last()));
            shown.last() = boxes.last();
        }
        QCOMPARE(shown, boxes);
        if (boxes.size() > 1)
            QCOMPARE(ui.boxes().last().kind, Kind::Critical);
        QCOMPARE(testsupport::tickedNames(project), selection);
        if (paths.isEmpty())
            QCOMPARE(snapshot(dir.path()).keys(), blocker.isEmpty() ? QStringList() : QStringList{blocker});
        const QMap<QString, QByteArray> archive = archiveContents(":/examples/resources/examples/" + module + ".zip");
        for (QString path : paths) {
            const QChar kind = path.at(0);
            if (kind == '!' || kind == '=')
                path.remove(0, 1);
            if (kind == '=')
                QCOMPARE(readBytes(dir.filePath(path)), archive.value(path));
            else
                QVERIFY2(QFileInfo::exists(dir.filePath(path)) == (kind != '!'), qPrintable(path));
        }
    }

    void userManualCopied()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("Tarvex User Manual.pdf"));
        QVERIFY(writeBytes(target, QByteArray(200000, 'x'))); // replaced, not appended to
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        QVERIFY(downloadUserManual(nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1); // no message either way
        const QByteArray manual = readBytes(QString::fromLatin1(kUserManualResource));
        QVERIFY(manual.startsWith("%PDF-"));
        QCOMPARE(readBytes(target), manual);

        // A folder that cannot take the file: a critical box with the path and the reason.
        ui.clear();
        ui.answerFolder(dir.filePath(QStringLiteral("missing/folder")));
        testsupport::expectWarning(QStringLiteral("Failed to create local file:"));
        QVERIFY(!downloadUserManual(nullptr));
        QCOMPARE(ui.boxes().size(), 2);
        QCOMPARE(ui.boxes().at(1).kind, ScriptedInteraction::Kind::Critical);
        const QString unwritable = dir.filePath(QStringLiteral("missing/folder/Tarvex User Manual.pdf"));
        QVERIFY2(ui.boxes().at(1).text.startsWith(QStringLiteral("Unable to save the user manual as '%1'.\n\n'%1': ")
                                                      .arg(unwritable)),
                 qPrintable(ui.boxes().at(1).text));
        QVERIFY(ui.boxes().at(1).text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(testsupport::verifyExpectedWarningsSeen());

        // A cancelled folder dialog: nothing more.
        ui.clear();
        ui.answerCancel();
        QVERIFY(!downloadUserManual(nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Select Folder"));
    }

    // Download Example works on the module of the current row and changes the
    // window's ticks; without a current row nothing happens. Download User
    // Manual copies the manual.
    void windowButtons()
    {
        MainWindow window;
        QTemporaryDir dir;
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        testsupport::child<QListWidget>(window, "lstwgtModules")->setCurrentRow(5); // RSSI (Signal Quality)
        testsupport::child<QPushButton>(window, "btnDownloadExample")->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(conversation(ui), (QStringList{"Select Folder|", "Example Downloaded|Example downloaded successfully."}));
        const QStringList ticked = {"Power", "Prompt", "BasicComms", "RSSI"};
        QCOMPARE(testsupport::tickedNames(window), ticked);
        QVERIFY(QFile::exists(dir.filePath("RSSI/Arduino/Signal_Quality/src/Tarvex/GSM_SignalQuality.c")));
        QVERIFY(QFile::exists(dir.filePath("RSSI/STM32CubeIDE/Signal_Quality/Core/Tarvex/LICENSE.txt")));

        ui.clear();
        testsupport::child<QListWidget>(window, "lstwgtModules")->setCurrentRow(-1);
        testsupport::child<QPushButton>(window, "btnDownloadExample")->click();
        QVERIFY(ui.boxes().isEmpty());
        QCOMPARE(testsupport::tickedNames(window), ticked);

        ui.answerFolder(dir.path());
        testsupport::child<QPushButton>(window, "btnDownloadUserManual")->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(conversation(ui), QStringList{"Select Folder|"});
        QCOMPARE(readBytes(dir.filePath("Tarvex User Manual.pdf")), readBytes(kUserManualResource));
    }
};

QTEST_MAIN(TstExampleDownload)
#include "tst_exampledownload.moc"
