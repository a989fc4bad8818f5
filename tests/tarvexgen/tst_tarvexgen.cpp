// tarvex-gen as a process: print-header and print-source print the core's
// assembly for the same settings, generate writes exactly what the Generate
// Code workflow writes and its options answer the workflow's questions, and
// every stop has its exit status, its one line on standard error, and writes
// nothing.

#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "managerassembly.h"
#include "projectsettings.h"
#include "scriptedinteraction.h"
#include "selectionrules.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace workflowtest;

namespace {

// The texts the core assembles for a project whose ticked modules are given
// by name (the rules are expected to add nothing that needs a message).
ManagerTexts expectedTexts(InMemoryProject& project, const QStringList& ticked, const QString& libraryFolder)
{
    selectModules(project, ticked);
    if (!applyModuleDependencies(project).isEmpty())
        qFatal("unexpected rule message in test set-up");
    return buildManagerTexts(project.checkedModules(), libraryFolder, project.isCpp());
}

} // namespace

class TestTarvexGen : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mTemp;
    QString mDir;

    QString writeJson(const QString& name, const QString& json)
    {
        writeBytes(mTemp->filePath(name), json.toUtf8());
        return mTemp->filePath(name);
    }

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        QVERIFY2(QFileInfo::exists(QStringLiteral(TARVEX_GEN_PATH)), TARVEX_GEN_PATH);
    }
    void init()
    {
        mTemp.reset(new QTemporaryDir);
        QVERIFY(mTemp->isValid());
        mDir = mTemp->path();
    }
    void cleanup() { mTemp.reset(); }

    // The very texts of the core's assembly (whose order and joining its own
    // tests pin), for the language, layout and module settings the file
    // gives; module settings come through the settings panels' limits, as
    // `applied` states: echo off switches echo cancellation off, sizes
    // outside the spin boxes' range come back clamped.
    void printEqualsTheCoreAssembly_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QStringList>("args"); // FILE: the settings file
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<QString>("libraryFolder");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QByteArray>("applied"); // the module settings then in effect, if any
        const QString all = "{\"Language\": \"C\", \"IsArduino\": \"false\", \"CheckedModules\": [\"\", \"" +
                            everyModuleBut2G().join("\", \"") + "\"]}";
        const QString arduino = R"({"Language": "C++", "IsArduino": "true", "CheckedModules": ["Pin"]})";
        QTest::newRow("C source") << all << QStringList{"print-source", "--settings", "FILE"} << false << "Tarvex"
                                  << everyModuleBut2G() << QByteArray();
        QTest::newRow("C header, --settings=") << all << QStringList{"print-header", "--settings=FILE"} << false
                                               << "Tarvex" << everyModuleBut2G() << QByteArray();
        QTest::newRow("C++ Arduino header") << arduino << QStringList{"print-header", "--settings", "FILE"} << true
                                            << "src/Tarvex" << QStringList{"Pin"} << QByteArray();
        QTest::newRow("C++ Arduino source") << arduino << QStringList{"print-source", "--settings", "FILE"} << true
                                            << "src/Tarvex" << QStringList{"Pin"} << QByteArray();
        // The layout needs C++: C with "IsArduino" "true" keeps "Tarvex".
        QTest::newRow("C with IsArduino true")
            << R"({"Language": "C", "IsArduino": "true", "CheckedModules": ["Pin"]})"
            << QStringList{"print-header", "--settings", "FILE"} << false << "Tarvex" << QStringList{"Pin"}
            << QByteArray();
        // No "Language": the start-up state (C) stays.
        const QString prompt = R"("IsPromptSetupSelected": true, "IsEchoCancSetupSelected": %1,
            "IsCircularTxSetupSelected": false, "CircularTxBufferSize": 1024, "IsCircularRxSetupSelected": true,
            "CircularRxBufferSize": 512, "EchoCancellationBufferSize": 64, "PromptBufferSize": %2)";
        QTest::newRow("module settings through the panels' limits")
            << R"({"CheckedModules": ["BasicComms"], "BasicComms": {"EchoEnabled": false},
                "GettingStarted": {"IsDebugOutputSetupSelected": true, "DebugBufferSize": 4},
                "Prompt": {)" + prompt.arg("true", "9999999999") + "}}"
            << QStringList{"print-source", "--settings", "FILE"} << false << "Tarvex" << QStringList{"BasicComms"}
            << (R"({"BasicComms": {"EchoEnabled": false},
                "GettingStarted": {"IsDebugOutputSetupSelected": true, "DebugBufferSize": 8},
                "Prompt": {)" + prompt.arg("false", "429496729") + "}}").toUtf8();
    }

    void printEqualsTheCoreAssembly()
    {
        QFETCH(QString, json);
        QFETCH(QStringList, args);
        QFETCH(bool, cpp);
        QFETCH(QString, libraryFolder);
        QFETCH(QStringList, ticked);
        QFETCH(QByteArray, applied);
        args.replaceInStrings(QStringLiteral("FILE"), writeJson(QStringLiteral("settings.json"), json));
        InMemoryProject asWritten, asApplied;
        for (InMemoryProject* project : {&asWritten, &asApplied}) {
            project->setCpp(cpp);
            QJsonObject settings = QJsonDocument::fromJson(project == &asWritten ? json.toUtf8() : applied).object();
            for (TarvexMdl* m : project->allModules())
                m->loadSettings(settings);
        }
        const ManagerTexts expected = expectedTexts(applied.isEmpty() ? asWritten : asApplied, ticked, libraryFolder);
        // Where the limits apply, they change the text.
        if (!applied.isEmpty())
            QVERIFY(expectedTexts(asWritten, ticked, libraryFolder).source != expected.source);
        const ToolRun run = runTool(args);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(QString::fromUtf8(run.out), args.at(0) == QLatin1String("print-header") ? expected.header
                                                                                        : expected.source);
    }

    // Every stop before the first write: bad command lines and settings (2),
    // both sources without a choice (4), a rule message (3), a failed step
    // (1). Nothing on standard output, the expected text as the whole of
    // standard error (one line unless the message has more), no file changed.
    void stopsWithTheirStatus_data()
    {
        QTest::addColumn<QStringList>("args");  // DIR: the project folder
        QTest::addColumn<QString>("setup");     // what the folder holds, see stopsWithTheirStatus
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");  // pattern of standard error; %1: the folder
        const QString pr = "tarvex-gen print-header: ";
        const QString gen = "tarvex-gen generate: ";
        const auto escaped = [](const char* text) { return QRegularExpression::escape(QString::fromUtf8(text)); };
        QTest::newRow("no command") << QStringList() << "" << 2 << "tarvex-gen: no command given.*";
        QTest::newRow("unknown command") << QStringList{"generate-all"} << "" << 2
                                         << "tarvex-gen: unknown command 'generate-all'.*";
        QTest::newRow("missing option") << QStringList{"print-source"} << "" << 2
                                        << "tarvex-gen print-source: missing option --settings FILE";
        QTest::newRow("option without value") << QStringList{"print-header", "--settings"} << "" << 2
                                               << pr + ".*needs a value.*";
        QTest::newRow("unknown option") << QStringList{"print-header", "--setting", "x"} << "" << 2
                                        << pr + ".*unknown option '--setting'.*";
        QTest::newRow("stray argument") << QStringList{"print-header", "x.json"} << "" << 2
                                        << pr + ".*unexpected argument 'x.json'.*";
        QTest::newRow("missing file") << QStringList{"print-source", "--settings", "DIR/absent.json"} << "" << 2
                                      << "tarvex-gen print-source: .*not found: %1/absent.json.*";
        QTest::newRow("folder instead of file") << QStringList{"print-source", "--settings", "DIR"} << "" << 2
                                                << "tarvex-gen print-source: .*cannot be read: %1.*";
        QTest::newRow("invalid JSON") << QStringList{"print-header", "--settings", "DIR/broken.json"} << "" << 2
                                      << pr + ".*not valid JSON.*";
        QTest::newRow("empty file") << QStringList{"print-header", "--settings", "DIR/empty.json"} << "" << 2
                                    << pr + ".*%1/empty.json.*";
        QTest::newRow("print: default connection") << QStringList{"print-source", "--settings", "DIR/http.json"}
                                                   << "" << 3 << escaped(kMessageDefaultConnection);
        QTest::newRow("print: two connections") << QStringList{"print-header", "--settings", "DIR/both.json"} << ""
                                                << 3 << escaped(kMessageTwoConnections);

        QTest::newRow("no folder") << QStringList{"generate"} << "" << 2 << gen + "missing PROJECT_DIR";
        QTest::newRow("folder missing") << QStringList{"generate", "/no/such/folder"} << "" << 2
                                        << gen + "project folder does not exist: /no/such/folder";
        QTest::newRow("no settings file") << QStringList{"generate", "DIR"} << "" << 2
                                          << gen + ".*settings file not found.*";
        QTest::newRow("settings not JSON") << QStringList{"generate", "DIR"} << "garbage" << 2
                                           << gen + ".*not valid JSON.*";
        QTest::newRow("bad source choice") << QStringList{"generate", "DIR", "--source-from", "h"} << "pin" << 2
                                           << gen + "--source-from takes c or cpp.*";
        QTest::newRow("both stale flags") << QStringList{"generate", "DIR", "--keep-stale", "--delete-stale"}
                                          << "pin" << 2 << gen + ".*once.*";
        QTest::newRow("backup folder missing") << QStringList{"generate", "DIR", "--backup-dir", "/no/such/dir"}
                                               << "pin" << 2 << gen + "backup folder does not exist.*";
        QTest::newRow("two folders") << QStringList{"generate", "DIR", "DIR"} << "pin" << 2
                                     << gen + ".*unexpected argument.*";
        QTest::newRow("both sources") << QStringList{"generate", "DIR"} << "both sources" << 4
                                      << gen + "both gsm_manager.c and gsm_manager.cpp exist in %1;.*--source-from.*";
        QTest::newRow("rule message") << QStringList{"generate", "DIR"} << "http" << 3
                                      << "Module Dependencies: No Internet Connection module.*";
        QTest::newRow("failed step") << QStringList{"generate", "DIR"} << "blocked" << 1
                                     << "Write Error: Failed to write library support files to specified "
                                        "directory\\. '%1/Tarvex' is not a folder\\. Nothing has been written\\.";
    }

    void stopsWithTheirStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(int, status);
        QFETCH(QString, expected);
        writeJson(QStringLiteral("broken.json"), QStringLiteral("{\"Language\": \"C\","));
        writeJson(QStringLiteral("empty.json"), QString());
        writeJson(QStringLiteral("http.json"), R"({"CheckedModules": ["HTTP_Client_SIMCom"]})");
        writeJson(QStringLiteral("both.json"), R"({"CheckedModules": ["MQTT_Client_SIMCom",
                                                   "InternetConnection_SIMCom2G"]})");
        if (setup == QLatin1String("garbage"))
            QVERIFY(writeBytes(projectSettingsFilePath(mDir), "{ nope"));
        else if (setup == QLatin1String("http"))
            QVERIFY(writeSettings(mDir, {QStringLiteral("HTTP_Client_SIMCom")}));
        else if (!setup.isEmpty())
            QVERIFY(writeSettings(mDir, {QStringLiteral("Pin")}));
        if (setup == QLatin1String("blocked"))
            QVERIFY(writeBytes(mDir + QStringLiteral("/Tarvex"), "a file where the library folder goes"));
        if (setup == QLatin1String("both sources")) {
            QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.c"), "// USER CODE BEGIN Init\n"));
            QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.cpp"), "// USER CODE BEGIN Init\n"));
        }
        args.replaceInStrings(QStringLiteral("DIR"), mDir);
        const QMap<QString, QByteArray> before = snapshot(mDir);
        const ToolRun r = runTool(args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, QByteArray());
        const QRegularExpression pattern(
            QStringLiteral("\\A") +
            expected.replace(QStringLiteral("%1"), QRegularExpression::escape(QFileInfo(mDir).absoluteFilePath())) +
            QStringLiteral("\\n\\z"));
        QVERIFY2(pattern.match(r.err).hasMatch(), qPrintable(r.err));
        QCOMPARE(snapshot(mDir), before);
    }

    void help_printsUsage()
    {
        const ToolRun run = runTool({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QString());
        QVERIFY(run.out.contains("print-header --settings FILE"));
        QVERIFY(run.out.contains("print-source --settings FILE"));
        const ToolRun sub = runTool({QStringLiteral("print-source"), QStringLiteral("--help")});
        QCOMPARE(sub.status, 0);
        QVERIFY(sub.out.startsWith("Usage: tarvex-gen print-source --settings FILE\n"));
    }

    // Options answer the workflow's questions: without any, stale entries
    // are kept; --source-from picks the source of both (without it the run
    // stops: stopsWithTheirStatus), --delete-stale removes them.
    void generate_sameFilesAsTheWorkflow_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("answers"); // the workflow's: Yes, No or a choice
        QTest::newRow("C") << false << QStringList() << QStringList();
        QTest::newRow("C++ Arduino keeps gsm_manager.c and Tarvex") << true << QStringList() << QStringList{"No", "No"};
        QTest::newRow("both sources, --source-from cpp --delete-stale")
            << false << QStringList{"--source-from", "cpp", "--delete-stale"} << QStringList{"gsm_manager.cpp", "Yes"};
    }

    void generate_sameFilesAsTheWorkflow()
    {
        QFETCH(bool, cpp);
        QFETCH(QStringList, options);
        QFETCH(QStringList, answers);
        QVERIFY(writeSettings(mDir, {QStringLiteral("SMS_Read"), QStringLiteral("MQTT_Client_SIMCom")}, cpp, cpp));
        // An earlier C generation's source with developer code (a C++ one
        // too in the last row), and a stale src folder.
        QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.c"),
                           "// USER CODE BEGIN Poll\n    tick();\n// USER CODE END Poll\n"));
        if (!options.isEmpty())
            QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.cpp"),
                               "// USER CODE BEGIN Poll\n    tock();\n// USER CODE END Poll\n"));
        QVERIFY(QDir().mkpath(mDir + QStringLiteral("/Tarvex")));
        QTemporaryDir viaTool, viaWorkflow;
        QVERIFY(copyTree(mDir, viaTool.path()));
        QVERIFY(copyTree(mDir, viaWorkflow.path()));
        {
            ScriptedInteraction ui;
            InMemoryProject project;
            project.setProjectPath(viaWorkflow.path());
            QCOMPARE(readProjectSettings(project), ReadSettingsStatus::Applied);
            for (const QString& a : answers)
                ui.answerChoice(a);
            QVERIFY(generateCode(project));
            QVERIFY(ui.verifyAllAnswersUsed());
        }
        const ToolRun r = runTool(QStringList{QStringLiteral("generate"), viaTool.path()} + options);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines().last(), QStringLiteral("Code Generated: Code generated successfully."));
        if (cpp)
            QCOMPARE(r.lines().size(), 3); // the two kept stale entries, then the confirmation
        QCOMPARE(snapshot(viaTool.path()), snapshot(viaWorkflow.path()));
        QVERIFY(readBytes(viaTool.path() + (cpp ? QStringLiteral("/gsm_manager.cpp") : QStringLiteral("/gsm_manager.c")))
                    .contains(options.isEmpty() ? "    tick();\n" : "    tock();\n"));
        QCOMPARE(QFile::exists(viaTool.path() + QStringLiteral("/gsm_manager.cpp")), cpp);
    }

    void generate_lostSectionsNeedABackupFolder_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("lost"); // what the stop names; empty: no stop
        QTest::newRow("no longer generated")
            << QByteArray("// USER CODE BEGIN gsmSmsReadEventHandler\nlost();\n// USER CODE END gsmSmsReadEventHandler\n"
                          "// USER CODE BEGIN gsmPinEventHandler\nlost();\n// USER CODE END gsmPinEventHandler\n")
            << "gsmSmsReadEventHandler (lines 1-3), gsmPinEventHandler (lines 4-6)";
        QTest::newRow("UTF-16 with byte-order mark")
            << "\xFF\xFE" + utf16("// USER CODE BEGIN Init\nkept();\n// USER CODE END Init\n") << QString();
    }

    void generate_lostSectionsNeedABackupFolder()
    {
        QFETCH(QByteArray, old);
        QFETCH(QString, lost);
        QVERIFY(writeSettings(mDir, {QStringLiteral("USSD")}));
        const QString source = mDir + QStringLiteral("/gsm_manager.c");
        QVERIFY(writeBytes(source, old));
        // Where code is lost, the header loses some too: both files are
        // planned before the stop, so its one message names both.
        if (!lost.isEmpty())
            QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.h"), "void lostToo();\n"));

        ToolRun r = runTool({QStringLiteral("generate"), mDir});
        if (lost.isEmpty()) {
            QCOMPARE(r.status, 0);
            QVERIFY2(r.lines().contains("tarvex-gen generate: gsm_manager.c was saved as UTF-16LE; it is written as "
                                        "UTF-8 with a byte-order mark"),
                     qPrintable(r.err));
            QVERIFY(readBytes(source).startsWith("\xEF\xBB\xBF"));
            QVERIFY(readBytes(source).contains("BEGIN Init\nkept();\n"));
            return;
        }
        QCOMPARE(r.status, 4);
        QCOMPARE(r.lines().last(),
                 QStringLiteral("tarvex-gen generate: USER CODE sections that would be lost in %1/gsm_manager.h: "
                                "whole file (line 1: no USER CODE section found); %1/gsm_manager.c: %2. Nothing was "
                                "written; run again with --backup-dir DIR to keep a copy of the old files and drop "
                                "them")
                     .arg(QFileInfo(mDir).absoluteFilePath(), lost));
        QCOMPARE(readBytes(source), old);
        QVERIFY(!QFile::exists(mDir + QStringLiteral("/Tarvex")));

        QTemporaryDir backup;
        r = runTool({QStringLiteral("generate"), mDir, QStringLiteral("--backup-dir"), backup.path()});
        QCOMPARE(r.status, 0);
        QCOMPARE(readBytes(backup.path() + QStringLiteral("/gsm_manager.c")), old);
        QCOMPARE(readBytes(backup.path() + QStringLiteral("/gsm_manager.h")), QByteArray("void lostToo();\n"));
        QVERIFY(!readBytes(source).contains("lost();"));
        QVERIFY(QFile::exists(mDir + QStringLiteral("/Tarvex/GSM_USSD.c")));
    }
};

QTEST_GUILESS_MAIN(TestTarvexGen)
#include "tst_tarvexgen.moc"
