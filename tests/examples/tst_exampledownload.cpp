// The Download Example and Download User Manual commands against an in-memory
// project with every box scripted: the tree an SMS Read download leaves in an
// empty folder, a second download over the first, the HTTP client's choice of
// connection, a cancelled folder dialog, a module without examples, and the
// failures that stop a download. (No current module: tst_examplewindow.)

#include "exampledownload.h"
#include "examplesupport.h"
#include "inmemoryproject.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString fileText(const QString& path)
{
    return QString::fromUtf8(readBytes(path));
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
        QVERIFY(download(project, QStringLiteral("SMS_Read"), dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());

        // The conversation: the folder dialog, then the confirmation.
        QCOMPARE(ui.boxes().size(), 2);
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Select Folder"));
        QCOMPARE(conversation(ui).at(1), QStringLiteral("Example Downloaded|Example downloaded successfully."));
        QCOMPARE(ui.boxes().at(1).kind, Kind::Information);

        // The selection now holds SMS Read and what it needs, nothing else.
        QCOMPARE(testsupport::tickedNames(project), (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration", "SMS_Read"}));
        const QList<TarvexMdl*> modules = project.checkedModules();

        const QMap<QString, QByteArray> archive = archiveContents(QStringLiteral(":/examples/resources/examples/SMS_Read.zip"));
        const QMap<QString, QByteArray> tree = snapshot(dir.path());
        const QString arduino = QStringLiteral("SMS_Read/Arduino/SMS_Read/");
        const QString stm32 = QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/");
        const QString header = downloadedHeader();

        // Every file comes from the archive, the library, the licence or the circular buffer.
        QStringList expected = filesOnly(archive);
        for (const QString& name : libraryFileNames(modules)) {
            expected << arduino + QStringLiteral("src/Tarvex/") + name;
            expected << stm32 + QStringLiteral("Core/Tarvex/") + name;
        }
        expected << arduino + QStringLiteral("src/Tarvex/LICENSE.txt") << stm32 + QStringLiteral("Core/Tarvex/LICENSE.txt")
                 << arduino + QStringLiteral("circbuff.c") << arduino + QStringLiteral("circbuff.h");
        expected.removeDuplicates();
        expected.sort();
        QCOMPARE(filesOnly(tree), expected);
        QVERIFY(tree.contains(arduino + QStringLiteral("src/Tarvex/")));
        QVERIFY(tree.contains(stm32 + QStringLiteral("Core/Tarvex/")));

        // (The library and circular-buffer files' texts are the library
        // writer test's, per layout.) The licence is copied unchanged.
        const QString licence = textOf(readBytes(QStringLiteral(":/license/resources/license/LICENSE.txt")));
        QVERIFY(!licence.isEmpty());
        QCOMPARE(QString::fromUtf8(tree.value(arduino + QStringLiteral("src/Tarvex/LICENSE.txt"))), licence);
        QCOMPARE(QString::fromUtf8(tree.value(stm32 + QStringLiteral("Core/Tarvex/LICENSE.txt"))), licence);

        // The listed files get the header once, in front of the archive's text;
        // the other files are the archive's bytes unchanged.
        const QStringList headed = {arduino + QStringLiteral("gsm_manager.cpp"), arduino + QStringLiteral("gsm_manager.h"),
                                    arduino + QStringLiteral("main.h"), arduino + QStringLiteral("SMS_Read.ino"),
                                    stm32 + QStringLiteral("Core/Inc/gsm_manager.h"), stm32 + QStringLiteral("Core/Inc/uart_dma.h"),
                                    stm32 + QStringLiteral("Core/Src/gsm_manager.c"), stm32 + QStringLiteral("Core/Src/uart_dma.c")};
        for (const QString& path : headed) {
            QVERIFY2(archive.contains(path), qPrintable(path));
            QVERIFY2(!textOf(archive.value(path)).contains(QStringLiteral("Tarvex - generated file")), qPrintable(path));
            QCOMPARE(QString::fromUtf8(tree.value(path)), header + textOf(archive.value(path)));
        }
        for (const QString& path : {stm32 + QStringLiteral("Core/Src/main.c"), stm32 + QStringLiteral(".cproject"),
                                    arduino + QStringLiteral("README.md")})
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
        QTest::newRow("SIMCom 2G") << QStringLiteral("SIMCom 2G") << false;
        QTest::newRow("SIMCom LTE") << QStringLiteral("SIMCom LTE") << true;
        // Anything but exactly "SIMCom LTE" means 2G.
        QTest::newRow("box closed") << QString(QLatin1String("")) << false;
    }

    void httpClientConnectionChoice()
    {
        QFETCH(QString, answer);
        QFETCH(bool, lte);
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, QStringLiteral("HTTP_Client_SIMCom"), dir.path(), answer));
        QVERIFY(ui.verifyAllAnswersUsed());

        QCOMPARE(ui.boxes().size(), 3);
        const ScriptedInteraction::Box& choice = ui.boxes().at(0);
        QCOMPARE(choice.kind, Kind::Choice);
        QCOMPARE(choice.icon, UserInteraction::Icon::Information);
        QCOMPARE(choice.title, QStringLiteral("LTE or 2G"));
        QCOMPARE(choice.text, kHttpText);
        QCOMPARE(choice.buttons, (QStringList{"SIMCom 2G", "SIMCom LTE"}));
        QCOMPARE(ui.boxes().at(1).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(2).kind, Kind::Information);

        const QString connection = lte ? QStringLiteral("InternetConnection_SIMCom") : QStringLiteral("InternetConnection_SIMCom2G");
        QCOMPARE(testsupport::tickedNames(project), (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration", connection,
                                                     "HTTP_Client_SIMCom"}));

        const QString chosenHeader = lte ? QStringLiteral("GSM_InternetConnection_Simcom.h")
                                         : QStringLiteral("GSM_InternetConnection_Simcom2G.h");
        const QString otherHeader = lte ? QStringLiteral("GSM_InternetConnection_Simcom2G.h")
                                        : QStringLiteral("GSM_InternetConnection_Simcom.h");
        // Both projects of both layouts, in both layouts' library folders. (That
        // the manager files are rebuilt for the chosen connection is shown by
        // the example compile test, which builds both projects with each.)
        int projects = 0;
        for (const QString& layout : {QStringLiteral("Arduino"), QStringLiteral("STM32CubeIDE")}) {
            const bool arduino = layout == QLatin1String("Arduino");
            for (const QString& name : {QStringLiteral("HttpClient_Simcom_HTTP_GET"), QStringLiteral("HttpClient_Simcom_HTTP_POST")}) {
                const QString p = dir.filePath(QStringLiteral("HTTP_Client_SIMCom/") + layout + QLatin1Char('/') + name + QLatin1Char('/'));
                const QString library = p + (arduino ? QStringLiteral("src/Tarvex/") : QStringLiteral("Core/Tarvex/"));
                QVERIFY2(QFile::exists(library + chosenHeader), qPrintable(library + chosenHeader));
                QVERIFY2(!QFile::exists(library + otherHeader), qPrintable(library + otherHeader));
                QVERIFY(QFile::exists(library + QStringLiteral("GSM_HttpClient_Simcom.c")));
                QVERIFY(QFile::exists(library + QStringLiteral("LICENSE.txt")));

                ++projects;
            }
        }
        QCOMPARE(projects, 4);
    }

    void cancelledFolderDialogWritesNothing()
    {
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        ui.answerCancel();
        QVERIFY(!downloadExample(project, project.findModuleByName(QStringLiteral("USSD")), nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QVERIFY(snapshot(dir.path()).isEmpty());
        // The selection was changed before the dialog.
        QCOMPARE(testsupport::tickedNames(project), (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration", "USSD"}));

        ui.clear();
        ui.answerCancel();
        QVERIFY(!downloadUserManual(nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Select Folder"));
    }

    void moduleWithoutExamples_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QStringList>("selection");
        QTest::newRow("Power") << QStringLiteral("Power") << QStringList{"Power"};
        QTest::newRow("Network Registration") << QStringLiteral("NetworkRegistration")
                                              << QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration"};
        QTest::newRow("Start") << QString(QLatin1String("")) << QStringList{};
    }

    void moduleWithoutExamples()
    {
        QFETCH(QString, module);
        QFETCH(QStringList, selection);
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(!download(project, module, dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(conversation(ui), (QStringList{QStringLiteral("Select Folder|"),
                                           QStringLiteral("Download Error|Failed to extract example projects.")}));
        QCOMPARE(ui.boxes().at(1).kind, Kind::Critical);
        QVERIFY(snapshot(dir.path()).isEmpty());
        QCOMPARE(testsupport::tickedNames(project), selection);
    }

    void licenceThatCannotBeWrittenStops()
    {
        QTemporaryDir dir;
        // A folder where the Arduino project's licence file belongs.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Pin/Arduino/PIN_Enter/src/Tarvex/LICENSE.txt"))));
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(!download(project, QStringLiteral("Pin"), dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());
        QVERIFY(conversation(ui).last().startsWith(QStringLiteral(
            "Licensing Error|Unable to download LICENSE agreement. Please review folder write permissions.\n\n")));
        QVERIFY(conversation(ui).last().contains(QStringLiteral("LICENSE.txt' is a folder")));
        QCOMPARE(ui.boxes().size(), 2);
        // The STM32CubeIDE layout comes after Arduino: it was never completed.
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Pin/STM32CubeIDE/PIN_Enter/Core/Src/main.c"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Pin/STM32CubeIDE/PIN_Enter/Core/Tarvex"))));
    }

    void libraryThatCannotBeWrittenStops()
    {
        QTemporaryDir dir;
        // A plain file where the Arduino project's library folder belongs.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("RSSI/Arduino/Signal_Quality/src"))));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("RSSI/Arduino/Signal_Quality/src/Tarvex")), "in the way"));
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(!download(project, QStringLiteral("RSSI"), dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());
        QVERIFY(conversation(ui).last().startsWith(
            QStringLiteral("Write Error|Failed to write library support files to specified directory.\n\n")));
        QVERIFY(conversation(ui).last().contains(QStringLiteral("Signal_Quality/src/Tarvex' is not a folder")));
        QCOMPARE(ui.boxes().size(), 2);
        // Stopped before the header and the licence.
        QVERIFY(!fileText(dir.filePath(QStringLiteral("RSSI/Arduino/Signal_Quality/main.h"))).startsWith(downloadedHeader()));
    }

    void folderWhereNothingCanBeCreated()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("plain")), "a file, not a folder"));
        InMemoryProject project;
        ScriptedInteraction ui;
        // Nothing can be extracted: said so, with the folder, and no success.
        QVERIFY(!download(project, QStringLiteral("SMS_Send"), dir.filePath(QStringLiteral("plain/examples"))));
        QCOMPARE(conversation(ui).last(),
                 QStringLiteral("Download Error|Failed to extract example projects.\n\n'%1': the folder cannot be "
                                "created")
                     .arg(dir.filePath(QStringLiteral("plain/examples"))));
        QCOMPARE(snapshot(dir.path()).keys(), QStringList{QStringLiteral("plain")});
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
    }
};

QTEST_GUILESS_MAIN(TstExampleDownload)
#include "tst_exampledownload.moc"
