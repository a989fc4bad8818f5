// tarvex-gen as a process: the printed texts equal the core's assembly for
// the same project, diagnostics go to standard error with the documented
// exit statuses, and nothing is printed when the rules stop the run.

#include "inmemoryproject.h"
#include "managerassembly.h"
#include "selectionrules.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

workflowtest::ToolRun runTool(const QStringList& args)
{
    return workflowtest::runProgram(QStringLiteral(TARVEX_GEN_PATH), args);
}

// The CheckedModules member of a settings file that ticks every module but 2G.
const QString kEverythingBut2G =
    QStringLiteral("[\"\", \"") + workflowtest::everyModuleBut2G().join(QStringLiteral("\", \"")) + QStringLiteral("\"]");

// The texts the core assembles for a project whose ticked modules are given
// by name (the rules are expected to add nothing).
ManagerTexts expectedTexts(InMemoryProject& project, const QStringList& ticked, const QString& libraryFolder)
{
    project.uncheckAllModules();
    for (const QString& name : ticked)
        project.checkModule(project.findModuleByName(name));
    const QStringList messages = applyModuleDependencies(project);
    if (!messages.isEmpty())
        qFatal("unexpected rule message in test set-up");
    return buildManagerTexts(project.checkedModules(), libraryFolder, project.isCpp());
}


} // namespace

class TestTarvexGen : public QObject
{
    Q_OBJECT

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
    }
    void cleanup() { mTemp.reset(); }

    void printCommands_equalTheCoreAssembly()
    {
        const QString settings = writeSettings(QStringLiteral(R"({"Language": "C", "IsArduino": "false",
                                                                  "CheckedModules": %1})")
                                                   .arg(kEverythingBut2G));
        // The very texts of the core's assembly (whose order and joining its
        // own tests pin); both spellings of the option.
        InMemoryProject project;
        const ManagerTexts expected = expectedTexts(project, workflowtest::everyModuleBut2G(), QStringLiteral("Tarvex"));
        const workflowtest::ToolRun source = runTool({QStringLiteral("print-source"), QStringLiteral("--settings"), settings});
        QCOMPARE(source.status, 0);
        QCOMPARE(source.err, QString());
        QVERIFY(!source.out.contains('\r'));
        QVERIFY(!source.out.contains("extern \"C\""));
        QCOMPARE(QString::fromUtf8(source.out), expected.source);
        const workflowtest::ToolRun header = runTool({QStringLiteral("print-header"), QStringLiteral("--settings=") + settings});
        QCOMPARE(header.status, 0);
        QCOMPARE(QString::fromUtf8(header.out), expected.header);
        QCOMPARE(header.out.count("#include \"Tarvex/"), 12);
    }

    void arduinoFolder_onlyForCpp()
    {
        const QString cpp = writeSettings(
            R"({"Language": "C++", "IsArduino": "true", "CheckedModules": ["Pin"]})", "cpp.json");
        const workflowtest::ToolRun arduino = runTool({QStringLiteral("print-header"), QStringLiteral("--settings"), cpp});
        QCOMPARE(arduino.status, 0);
        QVERIFY(arduino.out.contains("extern \"C\" {\n#include \"src/Tarvex/GSM_Power.h\"\n"));
        QCOMPARE(arduino.out.count("#include \"src/Tarvex/"), 4);

        const workflowtest::ToolRun source = runTool({QStringLiteral("print-source"), QStringLiteral("--settings"), cpp});
        QCOMPARE(source.status, 0);
        QCOMPARE(source.out.count("extern \"C\" {"), 2);

        // "Language" "C" with "IsArduino" "true": the layout needs C++, so "Tarvex".
        const QString c = writeSettings(
            R"({"Language": "C", "IsArduino": "true", "CheckedModules": ["Pin"]})", "c.json");
        const workflowtest::ToolRun plain = runTool({QStringLiteral("print-header"), QStringLiteral("--settings"), c});
        QCOMPARE(plain.status, 0);
        QVERIFY(plain.out.contains("#include <stdbool.h>\n#include \"Tarvex/GSM_Power.h\"\n"));
        QVERIFY(!plain.out.contains("src/Tarvex"));
    }

    void settingsAreAppliedAsTheWindowDoes()
    {
        // No "Language": the start-up state (C) stays. The module settings
        // come from the file, through the settings panels' limits: echo off
        // switches echo cancellation off, sizes outside the spin boxes' range
        // come back clamped.
        const QString settings = writeSettings(R"({"CheckedModules": ["BasicComms"],
            "BasicComms": {"EchoEnabled": false},
            "GettingStarted": {"IsDebugOutputSetupSelected": true, "DebugBufferSize": 4},
            "Prompt": {"IsPromptSetupSelected": true, "PromptBufferSize": 9999999999,
                       "IsEchoCancSetupSelected": true, "EchoCancellationBufferSize": 64,
                       "IsCircularTxSetupSelected": false, "CircularTxBufferSize": 1024,
                       "IsCircularRxSetupSelected": true, "CircularRxBufferSize": 512}})");
        const workflowtest::ToolRun run = runTool({QStringLiteral("print-source"), QStringLiteral("--settings"), settings});
        QCOMPARE(run.status, 0);

        InMemoryProject project;
        ModuleCatalogue& m = project.catalogue();
        m.mMdlBasicComms.EchoEnabled = false;
        m.mMdlPrompt.PromptBufferSize = 9999999999.0;
        m.mMdlGettingStarted.DebugBufferSize = 4;
        m.mMdlPrompt.EchoCancellationBufferSize = 64;
        m.mMdlPrompt.IsCircularTxSetupSelected = false;
        m.mMdlPrompt.CircularRxBufferSize = 512;
        const QString unclamped =
            expectedTexts(project, {QStringLiteral("BasicComms")}, QStringLiteral("Tarvex")).source;
        m.mMdlPrompt.IsEchoCancSetupSelected = false;
        m.mMdlPrompt.PromptBufferSize = 429496729;
        m.mMdlGettingStarted.DebugBufferSize = 8;
        const QString expected =
            expectedTexts(project, {QStringLiteral("BasicComms")}, QStringLiteral("Tarvex")).source;
        QVERIFY(expected != unclamped);
        QCOMPARE(QString::fromUtf8(run.out), expected);
        QVERIFY(run.out.contains("[512]"));
    }

    void ruleMessage_goesToStandardErrorWithStatus3()
    {
        const QString http = writeSettings(R"({"CheckedModules": ["HTTP_Client_SIMCom"]})", "http.json");
        const workflowtest::ToolRun b = runTool({QStringLiteral("print-source"), QStringLiteral("--settings"), http});
        QCOMPARE(b.status, 3);
        QCOMPARE(b.out, QByteArray());
        QCOMPARE(b.err, QString("No Internet Connection module was selected. 'Internet Connection (SIMCom LTE)' "
                                   "has now been selected as a default - please check and update depending on "
                                   "your requirements.\n"));

        const QString both = writeSettings(
            R"({"CheckedModules": ["MQTT_Client_SIMCom", "InternetConnection_SIMCom2G"]})", "both.json");
        const workflowtest::ToolRun a = runTool({QStringLiteral("print-header"), QStringLiteral("--settings"), both});
        QCOMPARE(a.status, 3);
        QCOMPARE(a.out, QByteArray());
        QVERIFY(a.err.startsWith("Please choose only one of the \"Internet Connection\" modules.\n\n"));
        QVERIFY(a.err.endsWith("not currently compatible with the 2G internet connection module.\n"));
    }

    void badInput_oneLineOnStandardErrorWithStatus2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions"); // a part of the error line

        const QString dir = QStringLiteral("@DIR@");
        QTest::newRow("no command") << QStringList() << "no command";
        QTest::newRow("unknown command") << QStringList{"generate-all"} << "unknown command 'generate-all'";
        QTest::newRow("missing option") << QStringList{"print-source"} << "missing option --settings";
        QTest::newRow("option without value") << QStringList{"print-header", "--settings"} << "needs a value";
        QTest::newRow("unknown option") << QStringList{"print-header", "--setting", "x"} << "unknown option '--setting'";
        QTest::newRow("stray argument") << QStringList{"print-header", "x.json"} << "unexpected argument 'x.json'";
        QTest::newRow("missing file") << QStringList{"print-source", "--settings", dir + "/absent.json"}
                                      << "not found: @DIR@/absent.json";
        QTest::newRow("folder instead of file") << QStringList{"print-source", "--settings", dir}
                                                << "cannot be read: @DIR@";
        QTest::newRow("invalid JSON") << QStringList{"print-header", "--settings", dir + "/broken.json"}
                                      << "not valid JSON";
        QTest::newRow("empty file") << QStringList{"print-header", "--settings", dir + "/empty.json"}
                                    << "@DIR@/empty.json";
    }

    void badInput_oneLineOnStandardErrorWithStatus2()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        writeSettings("{\"Language\": \"C\",", "broken.json");
        writeSettings("", "empty.json");
        const QString dir = mTemp->path();
        for (QString& arg : args)
            arg.replace(QStringLiteral("@DIR@"), dir);
        mentions.replace(QStringLiteral("@DIR@"), dir);

        const workflowtest::ToolRun run = runTool(args);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, qPrintable(run.err));
        QVERIFY2(run.err.startsWith("tarvex-gen"), qPrintable(run.err));
        QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
    }

    void help_printsUsage()
    {
        const workflowtest::ToolRun run = runTool({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QString());
        QVERIFY(run.out.contains("print-header --settings FILE"));
        QVERIFY(run.out.contains("print-source --settings FILE"));

        const workflowtest::ToolRun sub = runTool({QStringLiteral("print-source"), QStringLiteral("--help")});
        QCOMPARE(sub.status, 0);
        QVERIFY(sub.out.startsWith("Usage: tarvex-gen print-source --settings FILE\n"));
    }

private:
    QString writeSettings(const QString& json, const QString& name = QStringLiteral("settings.json"))
    {
        testsupport::writeBytes(mTemp->filePath(name), json.toUtf8());
        return mTemp->filePath(name);
    }

    std::unique_ptr<QTemporaryDir> mTemp;
};

QTEST_GUILESS_MAIN(TestTarvexGen)
#include "tst_tarvexgen.moc"
