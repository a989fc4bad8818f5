// The Generate Code workflow, run against an in-memory project in temporary
// folders with every box scripted: the path checks, the first generation,
// language and layout switches with their stale files and folders, both
// source files present, lost USER CODE sections and the dependency stop.
// (What stops a run before the first write: tst_writesafety.)

#include "fileutil.h"
#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "librarywriter.h"
#include "managerassembly.h"
#include "scriptedinteraction.h"
#include "selectionrules.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>


using namespace workflowtest;

// Helpers that fail the test end the calling test function too.
#define GENERATE_CLEAN()                                                                                     \
    do {                                                                                                     \
        generateClean();                                                                                      \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (0)

namespace {

const QString kCodeGenerated = QStringLiteral("Code Generated");
const QString kRemoveCText = QStringLiteral(
    "The current settings will generate a 'C++' project. However, a 'gsm_manager.c' file was found in the "
    "project path.\n\nWould you like to delete 'gsm_manager.c'?");
const QString kRemoveCppText = QStringLiteral(
    "The current settings will generate a 'C' project. However, a 'gsm_manager.cpp' file was found in the "
    "project path.\n\nWould you like to delete 'gsm_manager.cpp'?");
const QString kTarvexText = QStringLiteral(
    "The current settings will generate an Arduino compatible directory (src/Tarvex). However, a 'Tarvex' "
    "folder was found in the project path.\n\nWould you like to delete the 'Tarvex' folder?\n\nNote: You can "
    "uncheck the 'Arduino Project' option to generate the 'Tarvex' folder in the top-level project directory");
const QString kSrcText = QStringLiteral(
    "The current settings will generate the 'Tarvex' folder in the top-level project directory. However, a "
    "'src' folder was found in the project path, which may no longer be required.\n\nWould you like to delete "
    "the 'src' folder?");

QStringList keys(const QMap<QString, QByteArray>& m)
{
    return m.keys();
}

} // namespace

class TstGenerateWorkflow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* mTmp = nullptr;
    QString mDir;
    InMemoryProject* mProject = nullptr;
    ScriptedInteraction* mUi = nullptr;
    RecordingHook mHook;

    QString at(const QString& rel) const { return mDir + QLatin1Char('/') + rel; }

    bool run(GenerateReport* report = nullptr) { return generateCode(*mProject, &mHook, report); }

    // A first generation that must succeed without a question.
    void generateClean()
    {
        mUi->clear();
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        mUi->clear();
        mHook.events.clear();
    }

    void editSection(const QString& file, const QString& name, const QString& body)
    {
        QString text;
        QVERIFY(readTextFile(at(file), text));
        QVERIFY2(setSectionBody(text, name, body), qPrintable(name));
        QVERIFY(writeTextFile(at(file), text));
    }

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void init()
    {
        mTmp = new QTemporaryDir;
        QVERIFY(mTmp->isValid());
        mDir = mTmp->path();
        mProject = new InMemoryProject;
        mProject->setProjectPath(mDir);
        selectModules(*mProject, {QStringLiteral("SMS_Send"), QStringLiteral("RSSI")});
        mUi = new ScriptedInteraction;
        mHook.events.clear();
    }

    void cleanup()
    {
        if (mUi) {
            mUi->verifyAllAnswersUsed();
            // Enter or Escape on a deletion question never deletes.
            for (const ScriptedInteraction::Box& box : mUi->boxes())
                if (box.title == QLatin1String("Remove File?"))
                    QCOMPARE(box.defaultButton, QStringLiteral("No"));
        }
        delete mUi;
        mUi = nullptr;
        delete mProject;
        mProject = nullptr;
        delete mTmp;
        mTmp = nullptr;
    }

    void pathChecks_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString()
                               << "Please specify a path for the project ('Save As') and then try again.";
        QTest::newRow("missing") << "/nonexistent/tarvex/project"
                                 << "The project path specified does not exist - please correct this and then "
                                    "try again.";
        QTest::newRow("spaces") << "   "
                                << "The project path specified does not exist - please correct this and then "
                                   "try again.";
        QTest::newRow("a file") << "FILE"
                                << "The project path specified does not exist - please correct this and then "
                                   "try again.";
    }

    void pathChecks()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        if (path == QLatin1String("FILE")) {
            path = at(QStringLiteral("plain.txt"));
            QVERIFY(writeBytes(path, "x"));
        }
        mProject->setProjectPath(path);
        QVERIFY(!run());
        QCOMPARE(mUi->boxes().size(), 1);
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(0).title, QStringLiteral("Project Path Error"));
        QCOMPARE(mUi->boxes().at(0).text, text);
        QCOMPARE(mHook.events, QStringList{"GenerateStart"});
        QVERIFY(!QFile::exists(at(QStringLiteral(".tarvex_codegenerator_settings"))));
    }

    void firstCGeneration()
    {
        GenerateReport report;
        QVERIFY(run(&report));
        QCOMPARE(mUi->boxes().size(), 1);
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::Information);
        QCOMPARE(mUi->boxes().at(0).title, kCodeGenerated);
        QCOMPARE(mUi->boxes().at(0).text, QStringLiteral("Code generated successfully."));
        QCOMPARE(mHook.events, (QStringList{"GenerateStart", "GenerateSuccess"}));
        QVERIFY(report.merges.isEmpty());
        QCOMPARE(report.libraryFolder, QStringLiteral("Tarvex"));

        // The rules ticked the chain under SMS Send and RSSI.
        const QList<TarvexMdl*> modules = mProject->checkedModules();
        QCOMPARE(modules.size(), 7);
        const QMap<QString, QByteArray> files = snapshot(mDir);
        QCOMPARE(keys(files), expectedProjectEntries(modules, QStringLiteral("Tarvex"), false));

        const ManagerTexts texts = buildManagerTexts(modules, QStringLiteral("Tarvex"), false);
        QCOMPARE(files.value(QStringLiteral("gsm_manager.h")), texts.header.toUtf8());
        QCOMPARE(files.value(QStringLiteral("gsm_manager.c")), texts.source.toUtf8());
        QCOMPARE(files.value(QStringLiteral("Tarvex/GSM_Power.c")),
                 (QStringLiteral("\n") + fileHeaderLines().at(0) +
                  readResourceText(QStringLiteral(":/tarvex/resources/tarvex/GSM_Power.c")))
                     .toUtf8());
        QCOMPARE(files.value(QStringLiteral("Tarvex/LICENSE.txt")),
                 readResourceText(QStringLiteral(":/license/resources/license/LICENSE.txt")).toUtf8());
        QVERIFY(files.value(QStringLiteral("Tarvex/LICENSE.txt")).startsWith("MIT License\n"));

        const QJsonObject settings = QJsonDocument::fromJson(files.value(".tarvex_codegenerator_settings")).object();
        QCOMPARE(settings.value(QStringLiteral("Language")).toString(), QStringLiteral("C"));
        // Written before the rules ran: only what the developer ticked.
        QCOMPARE(settings.value(QStringLiteral("CheckedModules")).toVariant().toStringList(),
                 (QStringList{"", "RSSI", "SMS_Send"}));
    }

    void switchCToCpp_data()
    {
        QTest::addColumn<bool>("removeC");
        QTest::newRow("keep gsm_manager.c") << false;
        QTest::newRow("remove gsm_manager.c") << true;
    }

    void switchCToCpp()
    {
        QFETCH(bool, removeC);
        GENERATE_CLEAN();
        editSection(QStringLiteral("gsm_manager.c"), QStringLiteral("Init"), QStringLiteral("    myInit(); // C"));
        editSection(QStringLiteral("gsm_manager.c"), QStringLiteral("gsmSmsSendEventHandler"),
                    QStringLiteral("    smsDone();"));
        editSection(QStringLiteral("gsm_manager.h"), QStringLiteral("Includes"), QStringLiteral("#include \"my.h\""));
        const QByteArray oldC = readBytes(at(QStringLiteral("gsm_manager.c")));

        mProject->setCpp(true);
        if (removeC)
            mUi->answerYes();
        else
            mUi->answerNo();
        GenerateReport report;
        QVERIFY(run(&report));
        QCOMPARE(mUi->titles(), (QStringList{"Remove File?", kCodeGenerated}));
        QCOMPARE(mUi->boxes().at(0).icon, UserInteraction::Icon::Question);
        QCOMPARE(mUi->boxes().at(0).text, kRemoveCText);
        QCOMPARE(report.merges.size(), 2);
        QCOMPARE(report.merges.at(1).writtenPath, at(QStringLiteral("gsm_manager.cpp")));

        QString cpp, h;
        QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.cpp")), cpp));
        QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.h")), h));
        QCOMPARE(sectionBody(cpp, QStringLiteral("Init")), QStringLiteral("    myInit(); // C"));
        QCOMPARE(sectionBody(cpp, QStringLiteral("gsmSmsSendEventHandler")), QStringLiteral("    smsDone();"));
        QCOMPARE(sectionBody(h, QStringLiteral("Includes")), QStringLiteral("#include \"my.h\""));
        QVERIFY(cpp.contains(QStringLiteral("extern \"C\" {")));
        QCOMPARE(QFile::exists(at(QStringLiteral("gsm_manager.c"))), !removeC);
        if (!removeC)
            QCOMPARE(readBytes(at(QStringLiteral("gsm_manager.c"))), oldC);
    }

    void bothSourceFiles_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::newRow("gsm_manager.c") << "gsm_manager.c";
        QTest::newRow("gsm_manager.cpp") << "gsm_manager.cpp";
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("closed") << "";
    }

    void bothSourceFiles()
    {
        QFETCH(QString, choice);
        GENERATE_CLEAN();
        QString source;
        QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.c")), source));
        QVERIFY(setSectionBody(source, QStringLiteral("Poll"), QStringLiteral("    fromC();")));
        QVERIFY(writeTextFile(at(QStringLiteral("gsm_manager.c")), source));
        QVERIFY(setSectionBody(source, QStringLiteral("Poll"), QStringLiteral("    fromCpp();")));
        QVERIFY(writeTextFile(at(QStringLiteral("gsm_manager.cpp")), source));
        editSection(QStringLiteral("gsm_manager.h"), QStringLiteral("Miscellaneous"), QStringLiteral("// mine"));
        const QMap<QString, QByteArray> before = snapshot(mDir);

        if (choice.isEmpty())
            mUi->answerCancel();
        else
            mUi->answerChoice(choice);
        if (choice.startsWith(QLatin1String("gsm_manager")))
            mUi->answerNo(); // keep gsm_manager.cpp in this C project
        const bool ok = run();

        const ScriptedInteraction::Box& box = mUi->boxes().at(0);
        QCOMPARE(box.kind, ScriptedInteraction::Kind::Choice);
        QCOMPARE(box.icon, UserInteraction::Icon::Information);
        QCOMPARE(box.title, QStringLiteral("Select Input File"));
        QCOMPARE(box.text, QStringLiteral("The specified directory includes a gsm_manager.cpp and gsm_manager.c "
                                          "file.\n\nPlease choose which file to use when extracting 'USER CODE' "
                                          "sections."));
        QCOMPARE(box.buttons, (QStringList{"gsm_manager.c", "gsm_manager.cpp", "Cancel"}));

        if (choice.startsWith(QLatin1String("gsm_manager"))) {
            QVERIFY(ok);
            QCOMPARE(mUi->titles(), (QStringList{"Select Input File", "Remove File?", kCodeGenerated}));
            QCOMPARE(mUi->boxes().at(1).text, kRemoveCppText);
            QString merged;
            QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.c")), merged));
            QCOMPARE(sectionBody(merged, QStringLiteral("Poll")),
                     choice == QLatin1String("gsm_manager.c") ? QStringLiteral("    fromC();")
                                                              : QStringLiteral("    fromCpp();"));
            QCOMPARE(readBytes(at(QStringLiteral("gsm_manager.cpp"))), before.value("gsm_manager.cpp"));
            return;
        }
        QVERIFY(!ok);
        QCOMPARE(mUi->titles(), (QStringList{"Select Input File", "Write Error"}));
        QCOMPARE(mUi->boxes().at(1).text,
                 QStringLiteral("No gsm_manager file has been chosen. A new gsm_manager file will not be output "
                                "with the current project settings.\n\nPlease delete the gsm_manager file you do "
                                "not need, or select the correct file to be used when generating the code "
                                "again."));
        // Nothing was written, the settings file included.
        QCOMPARE(snapshot(mDir), before);
        QCOMPARE(mHook.events, QStringList{"GenerateStart"});
    }

    void lostSection_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("No") << "No";
        QTest::newRow("Yes and a folder") << "Backup";
        QTest::newRow("Yes and a cancelled dialog") << "Cancel";
    }

    void lostSection()
    {
        QFETCH(QString, answer);
        GENERATE_CLEAN();
        editSection(QStringLiteral("gsm_manager.c"), QStringLiteral("gsmSmsSendEventHandler"),
                    QStringLiteral("    reportDelivery();"));
        editSection(QStringLiteral("gsm_manager.c"), QStringLiteral("Poll"), QStringLiteral("    keepMe();"));
        const QMap<QString, QByteArray> before = snapshot(mDir);
        QTemporaryDir backup;

        mProject->uncheckModule(mProject->findModuleByName(QStringLiteral("SMS_Send")));
        if (answer == QLatin1String("No")) {
            mUi->answerNo();
        } else {
            mUi->answerYes();
            if (answer == QLatin1String("Backup"))
                mUi->answerFolder(backup.path());
            else
                mUi->answerCancel();
        }
        GenerateReport report;
        const bool ok = run(&report);
        const QStringList lost = report.lostSections(QStringLiteral("gsm_manager.c"));
        QCOMPARE(lost.size(), 1);
        QVERIFY2(lost.at(0).startsWith(QStringLiteral("gsmSmsSendEventHandler (lines ")), qPrintable(lost.at(0)));
        QVERIFY(report.lostSections(QStringLiteral("gsm_manager.h")).isEmpty());
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::YesNo);
        QCOMPARE(mUi->boxes().at(0).icon, UserInteraction::Icon::Warning);
        QCOMPARE(mUi->boxes().at(0).title, QStringLiteral("Warning"));
        QCOMPARE(mUi->boxes().at(0).text,
                 QStringLiteral("One of the 'USER CODE' sections from gsm_manager.c is no longer being generated. "
                                "This can occur when a library module (that was previously included) has been "
                                "removed from the 'Library Modules' list.\n\nWould you like to save a copy of "
                                "your gsm_manager.c file before continuing?"));
        // The box keeps its text; its details name the section and where it is.
        QVERIFY2(mUi->boxes().at(0).details.contains(QRegularExpression(
                     QStringLiteral("\\bgsmSmsSendEventHandler \\(lines \\d+-\\d+\\)"))),
                 qPrintable(mUi->boxes().at(0).details));
        QVERIFY(!mUi->boxes().at(0).details.contains(QStringLiteral("Poll")));

        if (answer == QLatin1String("Cancel")) {
            QVERIFY(!ok);
            QCOMPARE(mUi->titles(), (QStringList{"Warning", "Select Folder"}));
            // Nothing at all was written: the header, which would have been
            // regenerated without a loss, and the settings file included.
            QCOMPARE(snapshot(mDir), before);
            QCOMPARE(mHook.events, QStringList{"GenerateStart"});
            return;
        }
        QVERIFY(ok);
        QCOMPARE(mUi->titles().last(), kCodeGenerated);
        QString source;
        QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.c")), source));
        QVERIFY(!source.contains(QStringLiteral("reportDelivery")));
        QCOMPARE(sectionBody(source, QStringLiteral("Poll")), QStringLiteral("    keepMe();"));
        QVERIFY(!QFile::exists(at(QStringLiteral("Tarvex/GSM_SMS_Send.c"))));
        if (answer == QLatin1String("Backup"))
            QCOMPARE(readBytes(backup.path() + QStringLiteral("/gsm_manager.c")), before.value("gsm_manager.c"));
    }

    void arduinoWithStaleTarvexFolder_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::newRow("keep Tarvex") << false;
        QTest::newRow("remove Tarvex") << true;
    }

    void arduinoWithStaleTarvexFolder()
    {
        QFETCH(bool, remove);
        GENERATE_CLEAN();
        mProject->setCpp(true);
        mProject->setArduinoVisible(true);
        mProject->setArduinoChecked(true);
        mUi->answerYes(); // remove gsm_manager.c
        if (remove)
            mUi->answerYes();
        else
            mUi->answerDefault(); // Enter keeps it
        GenerateReport report;
        QVERIFY(run(&report));
        QCOMPARE(mUi->titles(), (QStringList{"Remove File?", "Remove File?", kCodeGenerated}));
        QCOMPARE(mUi->boxes().at(1).text, kTarvexText);
        QCOMPARE(report.libraryFolder, QStringLiteral("src/Tarvex"));
        QCOMPARE(QFileInfo::exists(at(QStringLiteral("Tarvex"))), !remove);
        QVERIFY(QFile::exists(at(QStringLiteral("src/Tarvex/LICENSE.txt"))));
        QVERIFY(QFile::exists(at(QStringLiteral("src/Tarvex/GSM_SMS_Send.c"))));
        QVERIFY(readBytes(at(QStringLiteral("gsm_manager.h"))).contains("#include \"src/Tarvex/GSM_Power.h\""));

        // Again: no src question in an Arduino project, and the Tarvex one only while it exists.
        mUi->clear();
        if (!remove)
            mUi->answerDefault();
        QVERIFY(run());
        QCOMPARE(mUi->titles(), remove ? QStringList{kCodeGenerated} : (QStringList{"Remove File?", kCodeGenerated}));
    }

    void plainProjectWithSrc_data()
    {
        QTest::addColumn<QString>("answer"); // empty: no question expected
        QTest::newRow("keep src") << "No";
        QTest::newRow("remove src") << "Yes";
        // The developer's own sources: no leftover of the Arduino layout.
        QTest::newRow("src without Tarvex is not questioned") << "";
    }

    void plainProjectWithSrc()
    {
        QFETCH(QString, answer);
        if (!answer.isEmpty())
            QVERIFY(QDir().mkpath(at(QStringLiteral("src/Tarvex/old"))));
        QVERIFY(writeBytes(at(QStringLiteral("src/main.c")), "int main(void){return 0;}\n"));
        if (answer == QLatin1String("Yes"))
            mUi->answerYes();
        else if (answer == QLatin1String("No"))
            mUi->answerNo();
        QVERIFY(run());
        if (answer.isEmpty()) {
            QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        } else {
            QCOMPARE(mUi->titles(), (QStringList{"Remove File?", kCodeGenerated}));
            QCOMPARE(mUi->boxes().at(0).text, kSrcText);
        }
        QCOMPARE(QFileInfo::exists(at(QStringLiteral("src/main.c"))), answer != QLatin1String("Yes"));
        QVERIFY(QFile::exists(at(QStringLiteral("Tarvex/LICENSE.txt"))));
    }

    void changedEncodingIsSaidWithTheConfirmation()
    {
        GENERATE_CLEAN();
        editSection(QStringLiteral("gsm_manager.c"), QStringLiteral("Init"), QStringLiteral("    start();"));
        const QString source = QString::fromUtf8(readBytes(at(QStringLiteral("gsm_manager.c"))));
        QByteArray utf16("\xFF\xFE");
        utf16 += QByteArray(reinterpret_cast<const char*>(source.utf16()), source.size() * 2);
        QVERIFY(writeBytes(at(QStringLiteral("gsm_manager.c")), utf16));
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        QCOMPARE(mUi->boxes().at(0).text, QStringLiteral("Code generated successfully.\n\ngsm_manager.c was saved as "
                                                         "UTF-16LE; it is written as UTF-8 with a byte-order mark"));
        QCOMPARE(sectionBody(QString::fromUtf8(readBytes(at(QStringLiteral("gsm_manager.c"))).mid(3)),
                             QStringLiteral("Init")),
                 QStringLiteral("    start();"));
    }

    void staleFolderThatIsALinkOnlyLosesTheLink()
    {
        QTemporaryDir elsewhere;
        QVERIFY(writeBytes(elsewhere.path() + QStringLiteral("/precious.c"), "keep\n"));
        QVERIFY(QDir().mkpath(elsewhere.path() + QStringLiteral("/Tarvex")));
        QVERIFY(QFile::link(elsewhere.path(), at(QStringLiteral("src"))));
        mUi->answerYes();
        QVERIFY(run());
        QCOMPARE(mUi->titles(), (QStringList{"Remove File?", kCodeGenerated}));
        QVERIFY(!QFileInfo(at(QStringLiteral("src"))).isSymLink());
        QCOMPARE(readBytes(elsewhere.path() + QStringLiteral("/precious.c")), QByteArray("keep\n"));
    }

    void cProjectUnticksArduino()
    {
        mProject->setCpp(false);
        mProject->setArduinoChecked(true);
        GenerateReport report;
        QVERIFY(run(&report));
        QVERIFY(!mProject->isArduino());
        QCOMPARE(report.libraryFolder, QStringLiteral("Tarvex"));
        QVERIFY(QFile::exists(at(QStringLiteral("Tarvex/GSM_Power.c"))));
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("src"))));
    }

    void dependencyStopThenGenerate()
    {
        selectModules(*mProject, {QStringLiteral("HTTP_Client_SIMCom")});
        QVERIFY(!run());
        QCOMPARE(mUi->boxes().size(), 1);
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(0).title, QStringLiteral("Module Dependencies"));
        QCOMPARE(mUi->boxes().at(0).text, QString::fromUtf8(kMessageDefaultConnection));
        QVERIFY(snapshot(mDir).isEmpty()); // a stop writes nothing, not even the settings
        QVERIFY(mProject->isModuleChecked(mProject->findModuleByName(QStringLiteral("InternetConnection_SIMCom"))));
        QCOMPARE(mHook.events, QStringList{"GenerateStart"});

        mUi->clear();
        mHook.events.clear();
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        QCOMPARE(mHook.events, (QStringList{"GenerateStart", "GenerateSuccess"}));
        QVERIFY(QFile::exists(at(QStringLiteral("Tarvex/GSM_HttpClient_Simcom.c"))));
    }

    void readOnlyOldLibraryFileIsReplaced()
    {
        GENERATE_CLEAN();
        const QString power = at(QStringLiteral("Tarvex/GSM_Power.c"));
        const QByteArray fresh = readBytes(power);
        QVERIFY(writeBytes(power, "stale\n"));
        QVERIFY(QFile::setPermissions(power, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(writeBytes(at(QStringLiteral("Tarvex/notes.txt")), "x"));
        QVERIFY(writeBytes(at(QStringLiteral("Tarvex/README")), "x"));
        QVERIFY(QDir().mkpath(at(QStringLiteral("Tarvex/mine"))));
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        QCOMPARE(readBytes(power), fresh);
        QVERIFY(!QFile::exists(at(QStringLiteral("Tarvex/notes.txt"))));
        QVERIFY(QFile::exists(at(QStringLiteral("Tarvex/README"))));
        QVERIFY(QFileInfo(at(QStringLiteral("Tarvex/mine"))).isDir());
    }
};

QTEST_GUILESS_MAIN(TstGenerateWorkflow)
#include "tst_generateworkflow.moc"
