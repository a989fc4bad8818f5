// The module catalogue: its library files are bundled, the in-memory project
// that the headless tool and the tests run workflows against keeps the ticks
// as the window does, and the settings persistence of the six modules with
// settings: what saveSettings writes, how loadSettings treats missing and
// mistyped members, and resetSettings. (The round trip through the settings
// file is the settings file test's.)

#include "testsupport.h"
#include "workflowsupport.h"

#include "inmemoryproject.h"
#include "modulecatalogue.h"

#include <QtTest>

using workflowtest::changeEverySetting;

namespace {

// All fragments of all modules, joined: equal texts mean equal settings as
// far as generation is concerned.
QString everyFragment(ModuleCatalogue& c)
{
    QString all;
    for (TarvexMdl* m : c.allModules())
        all += m->getSourceIncludes() + m->getGeneralVariables() + m->getGeneralCallbackFunctions()
            + m->getInitCode() + m->getPollCode() + QLatin1Char('|');
    return all;
}

// What the modules save, as compact JSON (members sorted by key).
QByteArray saved(const QList<TarvexMdl*>& modules)
{
    QJsonObject project;
    for (TarvexMdl* m : modules)
        if (!m->saveSettings(project))
            return "<not saved: " + m->getName().toUtf8() + '>';
    return QJsonDocument(project).toJson(QJsonDocument::Compact);
}

QJsonObject parse(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s", qPrintable(error.errorString()));
    return doc.object();
}

} // namespace

class TestModuleSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void defaultsAndReset()
    {
        // The defaults themselves are pinned by the settings file test's
        // start-up file; here a reset must bring every one of them back.
        ModuleCatalogue fresh, c;
        changeEverySetting(c);
        QVERIFY(everyFragment(c) != everyFragment(fresh));
        for (TarvexMdl* m : c.allModules())
            m->resetSettings();
        QCOMPARE(saved(c.allModules()), saved(fresh.allModules()));
        QCOMPARE(everyFragment(c), everyFragment(fresh));
    }

    void saveWritesEveryFieldWithItsType()
    {
        ModuleCatalogue c;
        changeEverySetting(c);
        // Booleans and numbers as such, whole-number sizes without exponent.
        QCOMPARE(saved(c.allModules()),
                 QByteArray(R"({"BasicComms":{"EchoEnabled":false},)"
                            R"("GettingStarted":{"DebugBufferSize":2048,"IsDebugOutputSetupSelected":false},)"
                            R"("InternetConnection_SIMCom":{"IsApnRequired":true},)"
                            R"("InternetConnection_SIMCom2G":{"IsApnRequired":true},"Power":{"UseResetPin":true},)"
                            R"("Prompt":{"CircularRxBufferSize":1000000,"CircularTxBufferSize":32,)"
                            R"("EchoCancellationBufferSize":24,"IsCircularRxSetupSelected":false,)"
                            R"("IsCircularTxSetupSelected":false,"IsEchoCancSetupSelected":false,)"
                            R"("IsPromptSetupSelected":false,"PromptBufferSize":16}})"));
    }

    // A project object loaded by the six modules with settings, starting from
    // changed settings so that a silent reset to defaults would show: which
    // of them take it, what they then save (the members given; the rest stay
    // as they were) and a fragment that shows it. A missing or mistyped first
    // field rejects a module's settings, a mistyped field after the first
    // reads as false or 0, a size that is no whole number as 0; loading never
    // adds keys to the project object.
    void load_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("taking");
        QTest::addColumn<QByteArray>("changed");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("empty project") << QByteArray("{}") << QStringList() << QByteArray("{}") << QString();
        QTest::newRow("members are not objects") << QByteArray(R"({
            "GettingStarted": true, "Power": [true], "Prompt": "x", "BasicComms": 1,
            "InternetConnection_SIMCom": null, "InternetConnection_SIMCom2G": [] })") << QStringList() << QByteArray("{}")
                                                 << QString();
        QTest::newRow("first field missing") << QByteArray(R"({
            "GettingStarted": {"DebugBufferSize": 4096}, "Power": {},
            "Prompt": {"IsEchoCancSetupSelected": true, "PromptBufferSize": 64},
            "BasicComms": {"echoenabled": true},
            "InternetConnection_SIMCom": {"IsApnRequired ": false},
            "InternetConnection_SIMCom2G": {"isApnRequired": false} })") << QStringList() << QByteArray("{}") << QString();
        QTest::newRow("first field as number 1") << QByteArray(R"({
            "GettingStarted": {"IsDebugOutputSetupSelected": 1, "DebugBufferSize": 4096},
            "Power": {"UseResetPin": 1}, "Prompt": {"IsPromptSetupSelected": 1},
            "BasicComms": {"EchoEnabled": 1}, "InternetConnection_SIMCom": {"IsApnRequired": 1},
            "InternetConnection_SIMCom2G": {"IsApnRequired": 0} })") << QStringList() << QByteArray("{}") << QString();
        QTest::newRow("first field as string") << QByteArray(R"({
            "GettingStarted": {"IsDebugOutputSetupSelected": "true"}, "Power": {"UseResetPin": "false"},
            "Prompt": {"IsPromptSetupSelected": "true"}, "BasicComms": {"EchoEnabled": "true"},
            "InternetConnection_SIMCom": {"IsApnRequired": "false"},
            "InternetConnection_SIMCom2G": {"IsApnRequired": null} })") << QStringList() << QByteArray("{}") << QString();
        QTest::newRow("settings under other keys") << QByteArray(R"({
            "Start": {"IsDebugOutputSetupSelected": true}, "power": {"UseResetPin": false},
            "InternetConnection_SIMCom_LTE": {"IsApnRequired": false} })") << QStringList() << QByteArray("{}")
                                                   << QString();
        QTest::newRow("mistyped fields after the first") << QByteArray(R"({
            "Power": {"UseResetPin": false},
            "GettingStarted": {"IsDebugOutputSetupSelected": true, "DebugBufferSize": "2048"},
            "Prompt": {"IsPromptSetupSelected": false, "IsEchoCancSetupSelected": "true",
                       "IsCircularTxSetupSelected": 1, "IsCircularRxSetupSelected": true,
                       "PromptBufferSize": true, "EchoCancellationBufferSize": [64],
                       "CircularTxBufferSize": null, "CircularRxBufferSize": 96} })")
            << QStringList{"GettingStarted", "Power", "Prompt"}
            << QByteArray(R"({"GettingStarted": {"DebugBufferSize": 0, "IsDebugOutputSetupSelected": true},
                "Power": {"UseResetPin": false}, "Prompt": {"CircularRxBufferSize": 96, "CircularTxBufferSize": 0,
                "EchoCancellationBufferSize": 0, "IsCircularRxSetupSelected": true, "IsCircularTxSetupSelected": false,
                "IsEchoCancSetupSelected": false, "IsPromptSetupSelected": false, "PromptBufferSize": 0}})")
            << "|#include \"circbuff.h\"\n// UART GSM Rx buffer\nstatic uint8_t mau8UartGsmRxBuff[96];\nCircBuff "
               "mcbfGsmRx;\n\n// --- GSM Prompt ---\n"; // the Rx buffer alone, between the include and the callbacks
        const QList<QPair<const char*, const char*>> sizes = {
            {"2048", "2048"}, {"2048.0", "2048"}, {"1e6", "1000000"}, {"8589934592", "8589934592"},
            {"2048.5", "0"}, {"0.25", "0"}, {"-0", "0"}};
        for (const auto& [value, digits] : sizes)
            QTest::addRow("debug buffer size %s", value)
                << "{\"GettingStarted\": {\"IsDebugOutputSetupSelected\": true, \"DebugBufferSize\": " + QByteArray(value) + "}}"
                << QStringList{"GettingStarted"}
                << "{\"GettingStarted\": {\"DebugBufferSize\": " + QByteArray(digits) + ", \"IsDebugOutputSetupSelected\": true}}"
                << "mau8UartDebugTxBuff[" + QString(digits) + "];\n";
    }

    void load()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, taking);
        QFETCH(QByteArray, changed);
        QFETCH(QString, fragment);
        QJsonObject project = parse(json);
        const QJsonObject before = project;
        ModuleCatalogue c;
        changeEverySetting(c);
        const QString fragmentsBefore = everyFragment(c);
        QJsonObject want = QJsonDocument::fromJson(saved(c.allModules())).object();
        const QJsonObject changes = parse(changed);
        for (auto it = changes.begin(); it != changes.end(); ++it)
            want.insert(it.key(), it.value());
        QStringList took;
        for (TarvexMdl* m : std::initializer_list<TarvexMdl*>{&c.mMdlGettingStarted, &c.mMdlPower, &c.mMdlPrompt,
                                                              &c.mMdlBasicComms, &c.mMdlInternetConnectionSimcom,
                                                              &c.mMdlInternetConnectionSimcom2G})
            if (m->loadSettings(project))
                took << (m->getName().isEmpty() ? QStringLiteral("GettingStarted") : m->getName());
        QCOMPARE(took, taking);
        QCOMPARE(saved(c.allModules()), QJsonDocument(want).toJson(QJsonDocument::Compact));
        if (taking.isEmpty())
            QCOMPARE(everyFragment(c), fragmentsBefore);
        QVERIFY2(everyFragment(c).contains(fragment), qPrintable(everyFragment(c)));
        QCOMPARE(project, before);
    }

    void libraryFilesAreBundled()
    {
        // (The generation tests rely on this.)
        const QString prefix = QStringLiteral(":/tarvex/resources/tarvex/");
        ModuleCatalogue c;
        for (TarvexMdl* m : c.allModules())
            for (const QString& file : m->getLibraryFiles())
                QVERIFY2(QFile::exists(prefix + file), qPrintable(file));
    }

    // Ticks as the window keeps them: all at first, Getting Started never ticked
    // yet always first, declaration order whatever the order of ticking, and
    // modules of another catalogue (or none) ignored.
    void ticking()
    {
        InMemoryProject p;
        ModuleCatalogue& c = p.catalogue();
        TarvexMdl* start = &c.mMdlGettingStarted;
        QCOMPARE(p.projectPath(), QString());
        QVERIFY(!p.isCpp() && !p.isArduino() && !p.isArduinoVisible());
        QCOMPARE(p.allModules(), c.allModules());
        QCOMPARE(p.checkedModules(), p.allModules());
        QVERIFY(!p.isModuleChecked(start));
        p.checkModule(start);
        QVERIFY(!p.isModuleChecked(start));
        p.uncheckAllModules();
        QCOMPARE(p.checkedModules(), QList<TarvexMdl*>{start});

        // Tick in an order unlike declaration order, 2G before LTE, Power twice.
        ModuleCatalogue other;
        for (TarvexMdl* m : std::initializer_list<TarvexMdl*>{start, &c.mMdlMqttClientSimcom, &c.mMdlInternetConnectionSimcom2G,
                             &c.mMdlInternetConnectionSimcom, &c.mMdlPower, &c.mMdlPower, &other.mMdlRssi,
                             nullptr})
            p.checkModule(m);
        p.uncheckModule(nullptr);
        QCOMPARE(p.checkedModules(), (QList<TarvexMdl*>{start, &c.mMdlPower, &c.mMdlInternetConnectionSimcom,
                                                        &c.mMdlInternetConnectionSimcom2G, &c.mMdlMqttClientSimcom}));
        QVERIFY(!p.isModuleChecked(start) && !p.isModuleChecked(&other.mMdlRssi) && !p.isModuleChecked(nullptr));
        p.uncheckModule(&c.mMdlInternetConnectionSimcom);
        QVERIFY(!p.isModuleChecked(&c.mMdlInternetConnectionSimcom));
        QVERIFY(p.isModuleChecked(&c.mMdlInternetConnectionSimcom2G));
        QCOMPARE(p.checkedModules().size(), 4);
    }

    void findModuleByName()
    {
        InMemoryProject p;
        ModuleCatalogue& c = p.catalogue();
        const QList<QPair<QString, TarvexMdl*>> rows = {
            {"", &c.mMdlGettingStarted}, {"RSSI", &c.mMdlRssi},
            {"InternetConnection_SIMCom2G", &c.mMdlInternetConnectionSimcom2G},
            {"InternetConnection_SIMCom", &c.mMdlInternetConnectionSimcom},
            {"Power ", nullptr}, {"Rssi", nullptr}, {"GettingStarted", nullptr}};
        for (const auto& row : rows)
            QVERIFY2(p.findModuleByName(row.first) == row.second, qPrintable(row.first));
    }
};

QTEST_GUILESS_MAIN(TestModuleSettings)
#include "tst_modulesettings.moc"
