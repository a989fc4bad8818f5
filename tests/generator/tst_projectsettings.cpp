// The project settings file: its exact bytes, writing and its failures, the
// round trip, and how reading applies language, Arduino layout, ticked
// modules and module settings.

#include "inmemoryproject.h"
#include "projectsettings.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testsupport::tickedNames;

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

// The file right after start-up: C, Arduino off, every module ticked,
// default settings. Members sorted by key, four-space indentation.
const char kStartupFile[] = R"({
    "BasicComms": {
        "EchoEnabled": true
    },
    "CheckedModules": [
        "",
        "Power",
        "Prompt",
        "BasicComms",
        "Pin",
        "RSSI",
        "NetworkRegistration",
        "SMS_Send",
        "SMS_Read",
        "USSD",
        "InternetConnection_SIMCom",
        "InternetConnection_SIMCom2G",
        "HTTP_Client_SIMCom",
        "MQTT_Client_SIMCom"
    ],
    "GettingStarted": {
        "DebugBufferSize": 1024,
        "IsDebugOutputSetupSelected": true
    },
    "InternetConnection_SIMCom": {
        "IsApnRequired": false
    },
    "InternetConnection_SIMCom2G": {
        "IsApnRequired": false
    },
    "IsArduino": "false",
    "Language": "C",
    "Power": {
        "UseResetPin": false
    },
    "Prompt": {
        "CircularRxBufferSize": 1024,
        "CircularTxBufferSize": 1024,
        "EchoCancellationBufferSize": 1024,
        "IsCircularRxSetupSelected": true,
        "IsCircularTxSetupSelected": true,
        "IsEchoCancSetupSelected": true,
        "IsPromptSetupSelected": true,
        "PromptBufferSize": 1024
    }
}
)";

// Counts refreshes and records a module value as it is when refreshed, to
// prove the refresh comes after the modules have loaded their settings.
class RecordingProject : public InMemoryProject
{
public:
    void refreshSettingsWidgets() override
    {
        ++refreshes;
        debugBufferSizeAtRefresh = catalogue().mMdlGettingStarted.DebugBufferSize;
    }
    int refreshes = 0;
    double debugBufferSizeAtRefresh = -1;
};

// A project changed in every respect from the start-up state.
void customise(InMemoryProject& project)
{
    ModuleCatalogue& m = project.catalogue();
    project.setCpp(true);
    project.setArduinoVisible(true);
    project.setArduinoChecked(true);
    project.uncheckAllModules();
    for (TarvexMdl* module : {static_cast<TarvexMdl*>(&m.mMdlPin), static_cast<TarvexMdl*>(&m.mMdlUssd),
                              static_cast<TarvexMdl*>(&m.mMdlInternetConnectionSimcom2G)})
        project.checkModule(module);
    m.mMdlGettingStarted.IsDebugOutputSetupSelected = false;
    m.mMdlGettingStarted.DebugBufferSize = 2048;
    m.mMdlPower.UseResetPin = true;
    m.mMdlPrompt.IsPromptSetupSelected = false;
    m.mMdlPrompt.PromptBufferSize = 1000000;
    m.mMdlPrompt.IsEchoCancSetupSelected = false;
    m.mMdlPrompt.EchoCancellationBufferSize = 16;
    m.mMdlPrompt.IsCircularTxSetupSelected = true;
    m.mMdlPrompt.CircularTxBufferSize = 4096;
    m.mMdlPrompt.IsCircularRxSetupSelected = false;
    m.mMdlPrompt.CircularRxBufferSize = 8;
    m.mMdlBasicComms.EchoEnabled = false;
    m.mMdlInternetConnectionSimcom.IsApnRequired = true;
    m.mMdlInternetConnectionSimcom2G.IsApnRequired = true;
}

// Every module setting as text, to compare two projects' settings.
QByteArray moduleSettings(const ProjectModel& project)
{
    QJsonObject object = buildProjectSettings(project);
    object.remove(QStringLiteral("Language"));
    object.remove(QStringLiteral("IsArduino"));
    object.remove(QStringLiteral("CheckedModules"));
    return QJsonDocument(object).toJson();
}

} // namespace

class TestProjectSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void init()
    {
        mTemp.reset(new QTemporaryDir);
        QVERIFY(mTemp->isValid());
        mFolder = mTemp->path();
        mFile = mFolder + QStringLiteral("/.tarvex_codegenerator_settings");
    }
    void cleanup() { mTemp.reset(); }

    void write_startupStateGivesTheExactFile()
    {
        InMemoryProject project;
        project.setProjectPath(mFolder);
        QVERIFY(writeProjectSettings(project));
        QCOMPARE(readBytes(mFile), QByteArray(kStartupFile));
    }

    void write_failsWithoutAFolder()
    {
        InMemoryProject project;
        // An empty path names no folder; it must not mean the current folder.
        const QString cwdFile = QDir::current().filePath(QString::fromLatin1(kProjectSettingsFileName));
        const bool existedBefore = QFileInfo::exists(cwdFile);
        QVERIFY(!writeProjectSettings(project));
        QCOMPARE(QFileInfo::exists(cwdFile), existedBefore);

        project.setProjectPath(QStringLiteral("   "));
        QVERIFY(!writeProjectSettings(project));
        project.setProjectPath(mFolder + QStringLiteral("/missing"));
        QVERIFY(!writeProjectSettings(project));
        QVERIFY(!QFileInfo::exists(mFolder + QStringLiteral("/missing")));

        writeBytes(mFolder + QStringLiteral("/plain-file"), "x");
        project.setProjectPath(mFolder + QStringLiteral("/plain-file"));
        QVERIFY(!writeProjectSettings(project));

        // The settings name taken by a folder: the file cannot be opened.
        QVERIFY(QDir(mFolder).mkdir(QString::fromLatin1(kProjectSettingsFileName)));
        project.setProjectPath(mFolder);
        QVERIFY(!writeProjectSettings(project));
    }

    void roundTrip_restoresEverything()
    {
        InMemoryProject saved;
        customise(saved);
        saved.setProjectPath(mFolder);
        QVERIFY(writeProjectSettings(saved));

        RecordingProject opened;
        opened.setProjectPath(mFolder);
        QVERIFY(readProjectSettings(opened) == ReadSettingsStatus::Applied);
        QCOMPARE(opened.isCpp(), true);
        QCOMPARE(opened.isArduino(), true);
        QCOMPARE(opened.isArduinoVisible(), true);
        QCOMPARE(tickedNames(opened), tickedNames(saved));
        QCOMPARE(moduleSettings(opened), moduleSettings(saved));
        QCOMPARE(projectSettingsText(opened), projectSettingsText(saved));
        QCOMPARE(opened.refreshes, 1);
        QCOMPARE(opened.debugBufferSizeAtRefresh, 2048.0);
    }

    void read_languageAndArduino_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("startCpp"); // start: C++ with Arduino shown and unchecked, or C
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<bool>("arduinoVisible");
        QTest::addColumn<bool>("arduinoChecked");

        QTest::newRow("C") << QByteArray(R"({"Language": "C"})") << true << false << false << false;
        QTest::newRow("lower-case c is C++") << QByteArray(R"({"Language": "c"})") << false << true << true << true;
        QTest::newRow("C++") << QByteArray(R"({"Language": "C++"})") << false << true << true << true;
        QTest::newRow("C++ with IsArduino false")
            << QByteArray(R"({"Language": "C++", "IsArduino": "false"})") << false << true << true << false;
        QTest::newRow("C++ with IsArduino other text")
            << QByteArray(R"({"Language": "C++", "IsArduino": "True"})") << false << true << true << false;
        QTest::newRow("C with IsArduino true: hidden but checked")
            << QByteArray(R"({"Language": "C", "IsArduino": "true"})") << true << false << false << true;
        QTest::newRow("IsArduino as a JSON boolean counts as missing")
            << QByteArray(R"({"Language": "C++", "IsArduino": false})") << false << true << true << true;
        QTest::newRow("Language not a string leaves the controls")
            << QByteArray(R"({"Language": 1})") << true << true << true << false;
        QTest::newRow("no Language, IsArduino true")
            << QByteArray(R"({"IsArduino": "true"})") << true << true << true << true;
    }

    void read_languageAndArduino()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, startCpp);
        QFETCH(bool, cpp);
        QFETCH(bool, arduinoVisible);
        QFETCH(bool, arduinoChecked);

        InMemoryProject project;
        project.setCpp(startCpp);
        project.setArduinoVisible(startCpp);
        project.setArduinoChecked(false);
        writeBytes(mFile, json);
        project.setProjectPath(mFolder);
        QVERIFY(readProjectSettings(project) == ReadSettingsStatus::Applied);
        QCOMPARE(project.isCpp(), cpp);
        QCOMPARE(project.isArduinoVisible(), arduinoVisible);
        QCOMPARE(project.isArduino(), arduinoChecked);
    }

    // CheckedModules names exactly the ticked rows (unknown names and
    // non-strings are skipped; no array unticks everything); members that
    // are missing leave language, layout and module settings as they were.
    void read_checkedModules_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("ticked");
        QTest::newRow("empty object") << QByteArray("{}") << QStringList();
        QTest::newRow("top-level array counts as an empty object")
            << QByteArray(R"([{"Language": "C", "CheckedModules": ["Pin"]}])") << QStringList();
        QTest::newRow("unknown names and non-strings")
            << QByteArray(R"({"CheckedModules": ["", "Start", "USSD", "pin", "Pin ", 5, null, ["Pin"], "Pin",
                                                 "InternetConnection_SIMCom2G", "USSD"]})")
            << QStringList{"Pin", "USSD", "InternetConnection_SIMCom2G"};
        QTest::newRow("not an array") << QByteArray(R"({"CheckedModules": "Pin"})") << QStringList();
    }

    void read_checkedModules()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, ticked);
        RecordingProject project;
        customise(project);
        project.checkModule(&project.catalogue().mMdlSmsSend); // ticked, and named by no row
        const QByteArray settingsBefore = moduleSettings(project);
        writeBytes(mFile, json);
        project.setProjectPath(mFolder);
        QVERIFY(readProjectSettings(project) == ReadSettingsStatus::Applied);
        QCOMPARE(tickedNames(project), ticked);
        QVERIFY(!project.isModuleChecked(project.allModules().first()));
        QCOMPARE(project.isCpp(), true);
        QCOMPARE(project.isArduino(), true);
        QCOMPARE(project.isArduinoVisible(), true);
        QCOMPARE(moduleSettings(project), settingsBefore);
        QCOMPARE(project.refreshes, 1);
    }

    void read_failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("setup"); // what to put at the settings path
        QTest::addColumn<int>("status");
        QTest::newRow("no folder") << "no folder" << int(ReadSettingsStatus::NoFolder);
        QTest::newRow("missing folder") << "missing folder" << int(ReadSettingsStatus::NoFolder);
        QTest::newRow("no file") << "none" << int(ReadSettingsStatus::FileMissing);
        QTest::newRow("a folder in its place") << "folder" << int(ReadSettingsStatus::Unreadable);
        QTest::newRow("empty file") << "" << int(ReadSettingsStatus::InvalidJson);
        QTest::newRow("broken JSON") << "{\"Language\": \"C++\"," << int(ReadSettingsStatus::InvalidJson);
        QTest::newRow("no value") << "{\"a\": }" << int(ReadSettingsStatus::InvalidJson);
        QTest::newRow("a bare value") << "\"C++\"" << int(ReadSettingsStatus::InvalidJson);
    }

    void read_failuresChangeNothing()
    {
        QFETCH(QString, setup);
        QFETCH(int, status);
        RecordingProject project;
        project.setProjectPath(mFolder);
        if (setup == QLatin1String("no folder"))
            project.setProjectPath(QString());
        else if (setup == QLatin1String("missing folder"))
            project.setProjectPath(mFolder + QStringLiteral("/missing"));
        else if (setup == QLatin1String("folder"))
            QVERIFY(QDir(mFolder).mkdir(QString::fromLatin1(kProjectSettingsFileName)));
        else if (setup != QLatin1String("none"))
            writeBytes(mFile, setup.toUtf8());
        const QByteArray before = projectSettingsText(project);
        QCOMPARE(int(readProjectSettings(project)), status);
        QCOMPARE(projectSettingsText(project), before);
        QCOMPARE(project.refreshes, 0);
        if (status != int(ReadSettingsStatus::InvalidJson))
            return;
        // The reader says where the text went wrong.
        QJsonObject object;
        QString error;
        QCOMPARE(readProjectSettingsFile(mFile, object, &error), ReadSettingsStatus::InvalidJson);
        QVERIFY2(error.contains(QLatin1String("offset")), qPrintable(error));
        QVERIFY(object.isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> mTemp;
    QString mFolder;
    QString mFile;
};

QTEST_GUILESS_MAIN(TestProjectSettings)
#include "tst_projectsettings.moc"
