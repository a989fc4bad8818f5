// The generator's core, each part on its own: the file helpers (text-mode
// reading and writing, header insertion, resource copying and its
// warnings); manager file assembly (the banner, one-pass placeholder
// replacement, the order and joining of fragments, Getting Started's missing
// include line, the extern "C" stripping for C projects; expected texts are
// built from the templates' lines, whose bytes the module fragments test pins);
// the module selection rules (the dependency closure, the default LTE
// connection, the two messages, a second run); and the project settings
// file (its exact bytes, writing and its failures, the round trip, and how
// reading applies language, Arduino layout, ticked modules and module
// settings). (askChoice only hands its box to the interaction seam: the
// workflow test's bothSourceFiles checks that box.)

#include "fileutil.h"
#include "inmemoryproject.h"
#include "managerassembly.h"
#include "modulecatalogue.h"
#include "projectsettings.h"
#include "selectionrules.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include <memory>
#include <type_traits>
#include <vector>

#include <unistd.h>

using testsupport::readBytes;
using testsupport::tickedNames;
using testsupport::writeBytes;

namespace {

// The banner and the template resources/code/<name> with each placeholder
// line replaced by its fill (a fill brings its own line ends, so the
// placeholder's line end stays). In C the extern "C" wrapper lines go, and
// the include fill (%1) takes its line end along, an empty one its whole line.
QString expectedText(const char* name, QStringList fills, bool cpp)
{
    QStringList lines = readResourceText(QStringLiteral(":/code/resources/code/") + QLatin1String(name))
                            .split(QLatin1Char('\n'));
    lines.removeLast(); // the empty rest after the last line end
    if (!cpp && fills.at(0).endsWith(QLatin1Char('\n')))
        fills[0].chop(1);
    QString out = fileHeaderLines().join(QString());
    for (const QString& line : lines) {
        if (!cpp && (line == QLatin1String("extern \"C\" {") || line == QLatin1String("} // extern \"C\"") ||
                     (line == QLatin1String("%1") && fills.at(0).isEmpty())))
            continue;
        out += line.size() == 2 && line.at(0) == QLatin1Char('%') ? fills.at(line.at(1).digitValue() - 1) : line;
        out += QLatin1Char('\n');
    }
    return out;
}

// A module (with Base = Getting Started: the start module) whose every
// fragment is a recognisable text, or empty for an empty tag; every
// fragment operation is counted. Include lines go by class, not by name:
// the ordinary fakes have the empty name, the Getting Started one its tag.
template <class Base = TarvexMdl>
class Fake : public Base
{
public:
    explicit Fake(const QString& tag)
        : mTag(tag)
    {
    }
    QString getName() const override { return std::is_same<Base, TarvexMdl>::value ? QString("") : mTag; }
    QString getHeaderInclude() const override { return count(0, "/" + mTag + ".h\"\n"); }
    QString getHeaderPrototypes() const override { return count(1, mTag + "_proto\n"); }
    QString getSourceIncludes() const override { return count(2, mTag + "_inc\n"); }
    QString getGeneralVariables() const override { return count(3, mTag + "_var\n"); }
    QString getInstanceVariables() const override { return count(4, mTag + "_inst\n"); }
    QString getGeneralCallbackFunctions() const override { return count(5, mTag + "_gcb\n"); }
    QString getEventCallbackFunctions() const override { return count(6, mTag + "_ecb\n"); }
    QString getInitCode() const override { return count(7, "    " + mTag + "_init\n"); }
    QString getPollCode() const override { return count(8, "    " + mTag + "_poll\n"); }
    QString getConvenienceFunctions() const override { return count(9, mTag + "_conv\n"); }

    mutable int calls[10] = {};

private:
    QString count(int i, const QString& text) const
    {
        ++calls[i];
        return mTag.isEmpty() ? QString() : text;
    }
    QString mTag;
};
using FakeModule = Fake<>;
using FakeGettingStarted = Fake<TarvexMdl_GettingStarted>;

// A module whose prototypes carry their own extern "C" wrapper.
class WrappedModule : public TarvexMdl
{
public:
    QString getHeaderPrototypes() const override
    {
        return QStringLiteral("extern \"C\" {\nint wrapped(void);\n} // extern \"C\"\n");
    }
};

const QString kMessageA = QStringLiteral(
    "Please choose only one of the \"Internet Connection\" modules.\n\nMultiple internet connection modules "
    "cannot be used simultaneously and may cause unforseen errors.\n\nNote that the \"MQTT Client (SIMCom)\" "
    "module is not currently compatible with the 2G internet connection module.");
const QString kMessageB = QStringLiteral(
    "No Internet Connection module was selected. 'Internet Connection (SIMCom LTE)' has now been selected as a "
    "default - please check and update depending on your requirements.");

void tick(InMemoryProject& project, const QStringList& names)
{
    project.uncheckAllModules();
    for (const QString& name : names) {
        TarvexMdl* module = project.findModuleByName(name);
        QVERIFY2(module, qPrintable(name));
        project.checkModule(module);
    }
}

const QString Power = "Power", Prompt = "Prompt", BasicComms = "BasicComms", Pin = "Pin", Rssi = "RSSI",
              NetReg = "NetworkRegistration", SmsSend = "SMS_Send", SmsRead = "SMS_Read", Ussd = "USSD",
              Lte = "InternetConnection_SIMCom", G2 = "InternetConnection_SIMCom2G", Http = "HTTP_Client_SIMCom",
              Mqtt = "MQTT_Client_SIMCom";

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
    project.setCpp(true);
    project.setArduinoVisible(true);
    project.setArduinoChecked(true);
    tick(project, {Pin, Ussd, G2});
    workflowtest::changeEverySetting(project.catalogue());
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

class TestGenerator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void init()
    {
        // A fresh folder per test, so no test sees another's files.
        mTemp.reset(new QTemporaryDir);
        QVERIFY(mTemp->isValid());
        mDir.setPath(mTemp->path());
        mFolder = mTemp->path();
        mFile = mFolder + QStringLiteral("/.tarvex_codegenerator_settings");
        testsupport::takeWarnings();
    }
    void cleanup()
    {
        testsupport::verifyExpectedWarningsSeen();
        mTemp.reset();
    }

    // ---- file helpers ----

    // readResourceText: CR dropped, UTF-8 decoded, cut at a NUL, a missing
    // file is empty text without a warning. readTextFile: CR LF read as LF,
    // and a failure leaves the output as it was.
    void readers_data()
    {
        QTest::addColumn<bool>("resource"); // readResourceText, else readTextFile
        QTest::addColumn<QString>("path");  // a file written with the bytes, or a missing one
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // null: readTextFile fails
        QTest::newRow("resource: missing file") << true << "does-not-exist.c" << QByteArray() << "";
        QTest::newRow("resource: missing resource") << true << ":/code/resources/code/no-such-snippet.c"
                                                    << QByteArray() << "";
        QTest::newRow("resource: CR LF, UTF-8") << true << "crlf.c"
                                                << QByteArray("line 1\r\nline\xc2\xa0" "2\r\n\r\nend\r\n")
                                                << QString::fromUtf8("line 1\nline\u00a0" "2\n\nend\n");
        QTest::newRow("resource: stops at NUL") << true << "nul.c" << QByteArray("before\nnul\0after\n", 17)
                                                << "before\nnul";
        QTest::newRow("text: missing file") << false << "missing.txt" << QByteArray() << QString();
        QTest::newRow("text: CR LF") << false << "present.txt" << QByteArray("a\r\nb\r\n") << "a\nb\n";
    }

    void readers()
    {
        QFETCH(bool, resource);
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        if (!path.startsWith(QLatin1Char(':')))
            path = mDir.filePath(path);
        if (!bytes.isNull())
            QVERIFY(writeBytes(path, bytes));
        if (resource) {
            QCOMPARE(readResourceText(path), expected);
        } else {
            QString out = QStringLiteral("untouched");
            QCOMPARE(readTextFile(path, out), !expected.isNull());
            QCOMPARE(out, expected.isNull() ? QStringLiteral("untouched") : expected);
        }
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    // writeTextFile, writeWithHeader (the last header line ends up first)
    // and copyResourceToFile: what the destination holds afterwards (a
    // longer old content replaced), failures that create nothing, and the
    // warnings of the resource copy.
    void writers_data()
    {
        QTest::addColumn<QString>("op");          // "text", "header", "copy"
        QTest::addColumn<QByteArray>("source");   // null: missing source file
        QTest::addColumn<QString>("destination"); // relative to the folder
        QTest::addColumn<QByteArray>("expected"); // destination bytes; null: the call fails, nothing created
        QTest::addColumn<QString>("warning");     // %1: source, %2: destination
        const QByteArray bytes("line\r\nwith\0nul\r\n", 16);
        QTest::newRow("text") << "text" << QByteArray() << "out.txt" << QByteArray("new\ntext\n") << "";
        QTest::newRow("text without folder") << "text" << QByteArray() << "no-such-folder/out.txt" << QByteArray()
                                             << "";
        QTest::newRow("header") << "header" << QByteArray("x") << "dst.c" << QByteArray("BAx") << "";
        QTest::newRow("header, missing source") << "header" << QByteArray() << "never.c" << QByteArray() << "";
        QTest::newRow("header without folder") << "header" << QByteArray("x") << "no-such-folder/dst.c"
                                               << QByteArray() << "";
        QTest::newRow("copy") << "copy" << bytes << "destination.bin" << bytes << "";
        QTest::newRow("copy, missing source") << "copy" << QByteArray() << "copy.pdf" << QByteArray()
                                              << "Failed to open resource file: \"%1\"";
        QTest::newRow("copy without folder") << "copy" << QByteArray("pdf") << "no-such-folder/copy.pdf"
                                             << QByteArray() << "Failed to create local file: \"%2\"";
        QTest::newRow("copy to a read-only file") << "copy" << QByteArray("pdf") << "read-only.pdf" << QByteArray()
                                                  << "Failed to create local file: \"%2\"";
    }

    void writers()
    {
        QFETCH(QString, op);
        QFETCH(QByteArray, source);
        QFETCH(QString, destination);
        QFETCH(QByteArray, expected);
        QFETCH(QString, warning);
        const QString from = mDir.filePath(QStringLiteral("source"));
        const QString to = mDir.filePath(destination);
        if (!source.isNull())
            QVERIFY(writeBytes(from, source));
        if (!destination.contains(QLatin1Char('/')))
            QVERIFY(writeBytes(to, "a much longer previous content\n"));
        if (destination.startsWith(QLatin1String("read-only"))) {
            if (::geteuid() == 0)
                QSKIP("root may open a read-only file for writing, so the failure cannot be provoked");
            QVERIFY(QFile::setPermissions(to, QFileDevice::ReadOwner));
        }
        if (!warning.isEmpty())
            testsupport::expectWarning(warning.left(warning.indexOf(QLatin1Char(':'))));
        bool ok = false;
        if (op == QLatin1String("text"))
            ok = writeTextFile(to, QStringLiteral("new\ntext\n")); // text mode: the platform line end, LF here
        else if (op == QLatin1String("header"))
            ok = writeWithHeader(from, to, {QStringLiteral("A"), QStringLiteral("B")});
        else
            ok = copyResourceToFile(from, to);
        QCOMPARE(ok, !expected.isNull());
        QCOMPARE(testsupport::takeWarnings(),
                 warning.isEmpty() ? QStringList() : QStringList{warning.replace("%1", from).replace("%2", to)});
        if (!expected.isNull())
            QCOMPARE(readBytes(to), expected);
        else if (!destination.contains(QLatin1Char('/')))
            QCOMPARE(readBytes(to), QByteArray("a much longer previous content\n")); // a failure changes nothing
        if (!source.isNull())
            QCOMPARE(readBytes(from), source);
        QVERIFY(!QFileInfo::exists(mDir.filePath(QStringLiteral("no-such-folder"))));
    }

    // ---- manager file assembly ----

    // "/*", fifteen lines of "*" or "* text" (printable ASCII, no trailing
    // blank, no comment delimiter), "*/" and an empty line; then a line feed.
    void banner_hasTheFixedShape()
    {
        const QStringList lines = fileHeaderLines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1), QStringLiteral("\n"));
        const QString banner = lines.at(0);
        static const QRegularExpression shape(QStringLiteral("\\A/\\*\\n(\\*( [ -~]*[!-~])?\\n){15}\\*/\\n\\n\\z"));
        QVERIFY2(shape.match(banner).hasMatch(), qPrintable(banner));
        QCOMPARE(banner.count(QLatin1String("/*")) + banner.count(QLatin1String("*/")), 2);
        QVERIFY(banner.contains(QLatin1String("Tarvex")) && banner.contains(QLatin1String("LICENSE.txt")));
        // The merge of earlier manager files looks for these markers.
        QVERIFY(!banner.contains(QLatin1String("USER CODE BEGIN")) && !banner.contains(QLatin1String("USER CODE END")));
    }

    void placeholders_areReplacedInOnePass()
    {
        const QStringList args = {QStringLiteral("[%2]"), QStringLiteral("<%1>")};
        QCOMPARE(replacePlaceholders(QStringLiteral("%1|%2|%3|%0|%12|%|50%"), args),
                 QStringLiteral("[%2]|<%1>|%3|%0|%12|%|50%"));
        QCOMPARE(replacePlaceholders(QStringLiteral("%%1%"), args), QStringLiteral("%[%2]%"));
        QCOMPARE(replacePlaceholders(QStringLiteral("%2%1"), args), QStringLiteral("<%1>[%2]"));
        QCOMPARE(replacePlaceholders(QString(), args), QString());
    }

    // Fake modules (the first one Getting Started) through both languages:
    // each kind of fragment joined in the list's order into its placeholder,
    // every fragment asked for once, Getting Started's include line never.
    void assembly_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C++, two modules") << QStringList{"gs", "A", "B"} << true;
        QTest::newRow("C strips the wrappers with their white space") << QStringList{"gs", "A"} << false;
        QTest::newRow("C, nothing selected") << QStringList{""} << false;
        QTest::newRow("C++, nothing selected") << QStringList{""} << true;
        QTest::newRow("fragments that look like placeholders") << QStringList{"%2", "%1", "%3 %8 %%2%9"} << true;
    }

    void assembly()
    {
        QFETCH(QStringList, tags);
        QFETCH(bool, cpp);
        FakeGettingStarted start(tags.first());
        std::vector<std::unique_ptr<FakeModule>> fakes;
        QList<TarvexMdl*> modules{&start};
        QStringList fills = QVector<QString>(10).toList(); // the include lines, then one per fragment kind
        for (const QString& tag : tags) {
            if (tag != tags.first()) {
                fakes.emplace_back(new FakeModule(tag));
                modules << fakes.back().get();
                fills[0] += "#include \"Tarvex/" + tag + ".h\"\n";
            }
            if (tag.isEmpty())
                continue;
            const QStringList kinds = {"proto", "inc", "var", "inst", "gcb", "ecb", "init", "poll", "conv"};
            for (int i = 0; i < kinds.size(); ++i)
                fills[i + 1] += (i == 6 || i == 7 ? "    " : "") + tag + "_" + kinds.at(i) + "\n";
        }
        const ManagerTexts texts = buildManagerTexts(modules, QStringLiteral("Tarvex"), cpp);
        QCOMPARE(texts.header, expectedText("gsm_manager.h", fills.mid(0, 2), cpp));
        QCOMPARE(texts.source, expectedText("gsm_manager.c", fills.mid(2), cpp));
        for (const auto& fake : fakes)
            for (int calls : fake->calls)
                QCOMPARE(calls, 1);
    }

    // A fragment's own extern "C" block stays in C++ and is unwrapped in C.
    void fragmentWithItsOwnWrapper()
    {
        FakeGettingStarted start(QString(""));
        WrappedModule wrapped;
        const ManagerTexts cpp = buildManagerTexts({&start, &wrapped}, QStringLiteral("Tarvex"), true);
        QVERIFY(cpp.header.contains(QLatin1String("extern \"C\" {\nint wrapped(void);\n} // extern \"C\"\n")));
        const ManagerTexts c = buildManagerTexts({&start, &wrapped}, QStringLiteral("Tarvex"), false);
        QVERIFY(c.header.contains(QLatin1String("extern void gsmmgrPoll();\nint wrapped(void);\n\n"
                                                "// USER CODE BEGIN Function Prototypes")));
        QVERIFY(!c.header.contains(QLatin1String("extern \"C\"")));
    }

    // ---- module selection rules ----

    void rules_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("expected"); // in declaration order
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        const QStringList chain = {Power, Prompt, BasicComms};
        QTest::newRow("nothing ticked") << none << none << none;
        QTest::newRow("only Power") << QStringList{Power} << QStringList{Power} << none;
        QTest::newRow("only Prompt") << QStringList{Prompt} << QStringList{Power, Prompt} << none;
        QTest::newRow("only Pin") << QStringList{Pin} << QStringList{Power, Prompt, BasicComms, Pin} << none;
        QTest::newRow("only RSSI") << QStringList{Rssi} << QStringList{Power, Prompt, BasicComms, Rssi} << none;
        QTest::newRow("only SMS send") << QStringList{SmsSend} << (chain + QStringList{NetReg, SmsSend}) << none;
        QTest::newRow("only SMS read") << QStringList{SmsRead} << (chain + QStringList{NetReg, SmsRead}) << none;
        QTest::newRow("only USSD") << QStringList{Ussd} << (chain + QStringList{NetReg, Ussd}) << none;
        QTest::newRow("only 2G") << QStringList{G2} << (chain + QStringList{NetReg, G2}) << none;
        QTest::newRow("only LTE") << QStringList{Lte} << (chain + QStringList{NetReg, Lte}) << none;
        QTest::newRow("only HTTP: LTE by default, message B")
            << QStringList{Http} << (chain + QStringList{NetReg, Lte, Http}) << QStringList{kMessageB};
        QTest::newRow("HTTP with 2G: no LTE, no message")
            << QStringList{Http, G2} << (chain + QStringList{NetReg, G2, Http}) << none;
        QTest::newRow("HTTP with LTE") << QStringList{Http, Lte} << (chain + QStringList{NetReg, Lte, Http})
                                       << none;
        QTest::newRow("only MQTT: LTE without a message")
            << QStringList{Mqtt} << (chain + QStringList{NetReg, Lte, Mqtt}) << none;
        QTest::newRow("MQTT and HTTP: LTE from MQTT, no message")
            << QStringList{Http, Mqtt} << (chain + QStringList{NetReg, Lte, Http, Mqtt}) << none;
        QTest::newRow("MQTT with 2G: LTE added, message A")
            << QStringList{Mqtt, G2} << (chain + QStringList{NetReg, Lte, G2, Mqtt}) << QStringList{kMessageA};
        QTest::newRow("both connections: message A, neither unticked")
            << QStringList{Lte, G2} << (chain + QStringList{NetReg, Lte, G2}) << QStringList{kMessageA};
        const QStringList all = {Power, Prompt, BasicComms, Pin,  Rssi, NetReg, SmsSend,
                                 SmsRead, Ussd, Lte,        G2,  Http, Mqtt};
        QTest::newRow("everything") << all << all << QStringList{kMessageA};
        QStringList allBut2G = all;
        allBut2G.removeAll(G2);
        QTest::newRow("everything but 2G") << allBut2G << allBut2G << none;
    }

    void rules()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, messages);

        InMemoryProject project;
        tick(project, ticked);
        QCOMPARE(applyModuleDependencies(project), messages);
        QCOMPARE(tickedNames(project), expected);
        // A second press adds nothing; only the two-connections message comes
        // back, until a connection is unticked (the rows without it).
        QCOMPARE(applyModuleDependencies(project), messages.contains(kMessageA) ? messages : QStringList());
        QCOMPARE(tickedNames(project), expected);
        // Getting Started has no check box and stays first.
        QVERIFY(!project.isModuleChecked(project.allModules().first()));
        QCOMPARE(project.checkedModules().first(), project.allModules().first());
    }

    void workingSet_isAppendedInRuleOrder()
    {
        InMemoryProject project;
        QList<TarvexMdl*> set = {project.allModules().first(), project.findModuleByName(Http)};
        QCOMPARE(applySelectionRules(set, project.allModules()), QStringList{kMessageB});
        QCOMPARE(testsupport::moduleNames(set), (QStringList{"", Http, Lte, NetReg, BasicComms, Prompt, Power}));
    }

    // ---- project settings file ----

    void write_startupStateGivesTheExactFile()
    {
        InMemoryProject project;
        project.setProjectPath(mFolder);
        QVERIFY(writeProjectSettings(project));
        QCOMPARE(readBytes(mFile), QByteArray(kStartupFile));
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

    // Reading applies language and layout (the Arduino option is shown for
    // C++ only, but its tick is read whatever the language) and ticks exactly
    // the modules CheckedModules names (unknown names and non-strings are
    // skipped; no array unticks everything). Members that are missing leave
    // language, layout and module settings as they were. Every row starts
    // from a customised project whose language and layout are then set to
    // `start`: "C", "C++" (Arduino shown, not ticked) or "C++ Arduino".
    void read_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<bool>("arduinoVisible");
        QTest::addColumn<bool>("arduinoChecked");
        QTest::addColumn<QStringList>("ticked");
        const QStringList none;
        QTest::newRow("C") << QByteArray(R"({"Language": "C"})") << "C++" << false << false << false << none;
        QTest::newRow("lower-case c is C++") << QByteArray(R"({"Language": "c"})") << "C" << true << true << true
                                             << none;
        QTest::newRow("C++") << QByteArray(R"({"Language": "C++"})") << "C" << true << true << true << none;
        QTest::newRow("C++ with IsArduino false")
            << QByteArray(R"({"Language": "C++", "IsArduino": "false"})") << "C" << true << true << false << none;
        QTest::newRow("C++ with IsArduino other text")
            << QByteArray(R"({"Language": "C++", "IsArduino": "True"})") << "C" << true << true << false << none;
        QTest::newRow("C with IsArduino true: hidden but checked")
            << QByteArray(R"({"Language": "C", "IsArduino": "true"})") << "C++" << false << false << true << none;
        QTest::newRow("IsArduino as a JSON boolean counts as missing")
            << QByteArray(R"({"Language": "C++", "IsArduino": false})") << "C" << true << true << true << none;
        QTest::newRow("Language not a string leaves the controls")
            << QByteArray(R"({"Language": 1})") << "C++" << true << true << false << none;
        QTest::newRow("no Language, IsArduino true")
            << QByteArray(R"({"IsArduino": "true"})") << "C++" << true << true << true << none;
        QTest::newRow("empty object") << QByteArray("{}") << "C++ Arduino" << true << true << true << none;
        QTest::newRow("top-level array counts as an empty object")
            << QByteArray(R"([{"Language": "C", "CheckedModules": ["Pin"]}])") << "C++ Arduino" << true << true
            << true << none;
        QTest::newRow("unknown names and non-strings")
            << QByteArray(R"({"CheckedModules": ["", "Start", "USSD", "pin", "Pin ", 5, null, ["Pin"], "Pin",
                                                 "InternetConnection_SIMCom2G", "USSD"]})")
            << "C++ Arduino" << true << true << true << QStringList{"Pin", "USSD", "InternetConnection_SIMCom2G"};
        QTest::newRow("not an array") << QByteArray(R"({"CheckedModules": "Pin"})") << "C++ Arduino" << true << true
                                      << true << none;
    }

    void read()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, start);
        QFETCH(bool, cpp);
        QFETCH(bool, arduinoVisible);
        QFETCH(bool, arduinoChecked);
        QFETCH(QStringList, ticked);
        RecordingProject project;
        customise(project);
        project.checkModule(&project.catalogue().mMdlSmsSend); // ticked, and named by no row
        project.setCpp(start != QLatin1String("C"));
        project.setArduinoVisible(start != QLatin1String("C"));
        project.setArduinoChecked(start == QLatin1String("C++ Arduino"));
        const QByteArray settingsBefore = moduleSettings(project);
        writeBytes(mFile, json);
        project.setProjectPath(mFolder);
        QVERIFY(readProjectSettings(project) == ReadSettingsStatus::Applied);
        QCOMPARE(project.isCpp(), cpp);
        QCOMPARE(project.isArduinoVisible(), arduinoVisible);
        QCOMPARE(project.isArduino(), arduinoChecked);
        QCOMPARE(tickedNames(project), ticked);
        QVERIFY(!project.isModuleChecked(project.allModules().first()));
        QCOMPARE(moduleSettings(project), settingsBefore);
        QCOMPARE(project.refreshes, 1);
    }

    // A settings file that cannot be read gives its status and changes
    // nothing; where none can be written, writing fails and creates nothing
    // (an empty path names no folder, not the current one).
    void failures_data()
    {
        QTest::addColumn<QString>("setup"); // "path:P": project path P (relative); else what is at the file's place
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("writeFails");
        const int noFolder = int(ReadSettingsStatus::NoFolder), invalid = int(ReadSettingsStatus::InvalidJson);
        QTest::newRow("no folder") << "path:" << noFolder << true;
        QTest::newRow("blank folder") << "path:   " << noFolder << true;
        QTest::newRow("missing folder") << "path:missing" << noFolder << true;
        QTest::newRow("a file as the folder") << "path:plain-file" << noFolder << true;
        QTest::newRow("no file") << "none" << int(ReadSettingsStatus::FileMissing) << false;
        QTest::newRow("a folder in its place") << "folder" << int(ReadSettingsStatus::Unreadable) << true;
        QTest::newRow("empty file") << "" << invalid << false;
        QTest::newRow("broken JSON") << "{\"Language\": \"C++\"," << invalid << false;
        QTest::newRow("no value") << "{\"a\": }" << invalid << false;
        QTest::newRow("a bare value") << "\"C++\"" << invalid << false;
    }

    void failures()
    {
        QFETCH(QString, setup);
        QFETCH(int, status);
        QFETCH(bool, writeFails);
        RecordingProject project;
        project.setProjectPath(mFolder);
        QVERIFY(writeBytes(mFolder + QStringLiteral("/plain-file"), "x"));
        const QString path = setup.mid(5);
        if (setup.startsWith(QLatin1String("path:")))
            project.setProjectPath(path.trimmed().isEmpty() ? path : mFolder + QLatin1Char('/') + path);
        else if (setup == QLatin1String("folder"))
            QVERIFY(QDir(mFolder).mkdir(QString::fromLatin1(kProjectSettingsFileName)));
        else if (setup != QLatin1String("none"))
            QVERIFY(writeBytes(mFile, setup.toUtf8()));
        const QByteArray before = projectSettingsText(project);
        QCOMPARE(int(readProjectSettings(project)), status);
        QCOMPARE(projectSettingsText(project), before);
        QCOMPARE(project.refreshes, 0);
        if (writeFails) {
            const QString cwdFile = QDir::current().filePath(QString::fromLatin1(kProjectSettingsFileName));
            const bool existedBefore = QFileInfo::exists(cwdFile);
            const QMap<QString, QByteArray> files = workflowtest::snapshot(mFolder);
            QVERIFY(!writeProjectSettings(project));
            QCOMPARE(QFileInfo::exists(cwdFile), existedBefore);
            QCOMPARE(workflowtest::snapshot(mFolder), files);
        }
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
    QDir mDir;
    QString mFolder;
    QString mFile;
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
