// The Generate Code workflow, run against an in-memory project in temporary
// folders with every box scripted: the path checks, the first generation,
// language and layout switches with their stale files and folders, both
// source files present, lost USER CODE sections and the dependency stop;
// the library file writer on its own (support files and where the
// circular-buffer files go for each caller's prefixes, a module file that
// cannot be written); the USER CODE merge of one file (which sections are
// found, how the developer's code is carried byte for byte, which losses
// are named, an unreadable old file); and that a generated project compiles.
// (What stops a run before the first write: tst_writesafety.)

#include "fileutil.h"
#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "librarywriter.h"
#include "managerassembly.h"
#include "scriptedinteraction.h"
#include "selectionrules.h"
#include "tarvexmdl.h"
#include "testsupport.h"
#include "usercodemerge.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace workflowtest;

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

// A module that needs one real library file and one the bundle lacks.
class BrokenModule : public TarvexMdl
{
public:
    QStringList getLibraryFiles() const override
    {
        return {QStringLiteral("GSM_Power.h"), QStringLiteral("GSM_NotInTheBundle.c"), QStringLiteral("GSM_Power.c")};
    }
};

QByteArray withHeader(const QString& resource)
{
    return (QStringLiteral("\n") + fileHeaderLines().at(0) + readResourceText(resource)).toUtf8();
}

QString section(const QString& name, const QString& body, const QString& indent = QString())
{
    return indent + QStringLiteral("// USER CODE BEGIN ") + name + QLatin1Char('\n') + body + indent +
           QStringLiteral("// USER CODE END ") + name + QLatin1Char('\n');
}

// A small manager-like text: a few listed sections between generated lines.
QString generated(const QStringList& names)
{
    QString text = QStringLiteral("// generated head\n");
    for (const QString& n : names)
        text += QStringLiteral("void f_") + n + QStringLiteral("() {\n") +
                section(n, QStringLiteral("    // default ") + n + QLatin1Char('\n'), QStringLiteral("    ")) +
                QStringLiteral("}\n");
    return text + QStringLiteral("// generated tail\n");
}

const QStringList kFreshNames{"Includes", "Init", "Poll", "gsmWrite", "gsmWriteCompleted"};

using Bodies = QList<QPair<const char*, QByteArray>>;

// generated(kFreshNames) with the developer's bodies in some sections (the
// old file's END line, unindented, comes along with them); `whole`: each
// body is the whole carried section, markers included.
QByteArray expect(const Bodies& bodies, bool whole = false)
{
    QByteArray text = generated(kFreshNames).toUtf8();
    for (const auto& b : bodies) {
        const QByteArray name(b.first);
        const QByteArray from = "// USER CODE BEGIN " + name + "\n    // default " + name + "\n    // USER CODE END " + name;
        const QByteArray to =
            whole ? b.second : "// USER CODE BEGIN " + name + '\n' + b.second + "// USER CODE END " + name;
        const int at = text.indexOf(from);
        if (at >= 0)
            text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace

class TstGenerateWorkflow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mTmp;
    QString mDir;
    std::unique_ptr<InMemoryProject> mProject;
    std::unique_ptr<ScriptedInteraction> mUi;
    RecordingHook mHook;

    QString at(const QString& rel) const { return mDir + QLatin1Char('/') + rel; }

    bool run(GenerateReport* report = nullptr) { return generateCode(*mProject, &mHook, report); }

    // A first generation that must succeed without a question.
    bool generateClean()
    {
        mUi->clear();
        const bool ok = run() && mUi->titles() == QStringList{kCodeGenerated};
        mUi->clear();
        mHook.events.clear();
        return ok;
    }

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void init()
    {
        mTmp.reset(new QTemporaryDir);
        QVERIFY(mTmp->isValid());
        mDir = mTmp->path();
        mProject.reset(new InMemoryProject);
        mProject->setProjectPath(mDir);
        selectModules(*mProject, {QStringLiteral("SMS_Send"), QStringLiteral("RSSI")});
        mUi.reset(new ScriptedInteraction);
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
        mUi.reset();
        mProject.reset();
        mTmp.reset();
    }

    // Stops before the first write: not even the settings file is written.
    void stops_data()
    {
        QTest::addColumn<QString>("path"); // DIR: the project folder, FILE: a plain file
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString missing = "The project path specified does not exist - please correct this and then try again.";
        QTest::newRow("empty") << "" << "Project Path Error"
                               << "Please specify a path for the project ('Save As') and then try again.";
        QTest::newRow("missing") << "/nonexistent/tarvex/project" << "Project Path Error" << missing;
        QTest::newRow("spaces") << "   " << "Project Path Error" << missing;
        QTest::newRow("a file") << "FILE" << "Project Path Error" << missing;
        // HTTP alone: the rules tick the LTE connection and say so; the next press generates.
        QTest::newRow("dependency stop") << "DIR" << "Module Dependencies" << kMessageDefaultConnection;
    }

    void stops()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QTemporaryDir other;
        if (path == QLatin1String("FILE")) {
            path = other.path() + QStringLiteral("/plain.txt");
            QVERIFY(writeBytes(path, "x"));
        }
        mProject->setProjectPath(path == QLatin1String("DIR") ? mDir : path);
        if (path == QLatin1String("DIR"))
            selectModules(*mProject, {QStringLiteral("HTTP_Client_SIMCom")});
        QVERIFY(!run());
        QCOMPARE(mUi->boxes().size(), 1);
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(0).title, title);
        QCOMPARE(mUi->boxes().at(0).text, text);
        QCOMPARE(mHook.events, QStringList{"GenerateStart"});
        QVERIFY(snapshot(mDir).isEmpty());
        if (path != QLatin1String("DIR"))
            return;
        QVERIFY(mProject->isModuleChecked(mProject->findModuleByName(QStringLiteral("InternetConnection_SIMCom"))));
        mUi->clear();
        mHook.events.clear();
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        QCOMPARE(mHook.events, (QStringList{"GenerateStart", "GenerateSuccess"}));
        QVERIFY(QFile::exists(at(QStringLiteral("Tarvex/GSM_HttpClient_Simcom.c"))));
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
        // Settings, manager and circbuff files, the library folder with the
        // support, module and licence files.
        QStringList entries = {".tarvex_codegenerator_settings", "gsm_manager.h", "gsm_manager.c", "circbuff.c",
                               "circbuff.h", "Tarvex/", "Tarvex/LICENSE.txt"};
        for (const QString& f : libraryFileNames(modules))
            entries << "Tarvex/" + f;
        entries.sort();
        QCOMPARE(files.keys(), entries);

        const ManagerTexts texts = buildManagerTexts(modules, QStringLiteral("Tarvex"), false);
        QCOMPARE(files.value(QStringLiteral("gsm_manager.h")), texts.header.toUtf8());
        QCOMPARE(files.value(QStringLiteral("gsm_manager.c")), texts.source.toUtf8());
        QCOMPARE(files.value(QStringLiteral("Tarvex/GSM_Power.c")), withHeader(":/tarvex/resources/tarvex/GSM_Power.c"));
        QCOMPARE(files.value(QStringLiteral("Tarvex/LICENSE.txt")),
                 readResourceText(QStringLiteral(":/license/resources/license/LICENSE.txt")).toUtf8());
        QVERIFY(files.value(QStringLiteral("Tarvex/LICENSE.txt")).startsWith("MIT License\n"));

        const QJsonObject settings = QJsonDocument::fromJson(files.value(".tarvex_codegenerator_settings")).object();
        QCOMPARE(settings.value(QStringLiteral("Language")).toString(), QStringLiteral("C"));
        // Written before the rules ran: only what the developer ticked.
        QCOMPARE(settings.value(QStringLiteral("CheckedModules")).toVariant().toStringList(),
                 (QStringList{"", "RSSI", "SMS_Send"}));
    }

    // Entries left over from another language or layout: each is offered
    // for removal (Enter keeps it), the developer's code moves into the new
    // source, and nothing outside the project changes, even through a link.
    void staleEntries_data()
    {
        QTest::addColumn<QString>("setup");       // "generated" C project, "src", "src/Tarvex", "src link", ""
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<bool>("arduino");
        QTest::addColumn<QString>("answers");     // per question: Y, N, D (Enter)
        QTest::addColumn<QStringList>("questions"); // texts of the Remove File? boxes
        QTest::addColumn<QStringList>("kept");    // must exist after; unchanged if it existed before
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<int>("askedAgain");      // questions of a second run answered with Enter; -1: no run
        const QStringList none;
        QTest::newRow("C to C++, keep gsm_manager.c")
            << "generated" << true << false << "N" << QStringList{kRemoveCText}
            << QStringList{"gsm_manager.c", "Tarvex"} << none << -1;
        QTest::newRow("C to C++, remove gsm_manager.c")
            << "generated" << true << false << "Y" << QStringList{kRemoveCText} << QStringList{"Tarvex"}
            << QStringList{"gsm_manager.c"} << -1;
        QTest::newRow("Arduino, Enter keeps Tarvex")
            << "generated" << true << true << "YD" << QStringList{kRemoveCText, kTarvexText}
            << QStringList{"Tarvex"} << QStringList{"gsm_manager.c"} << 1;
        QTest::newRow("Arduino, remove Tarvex")
            << "generated" << true << true << "YY" << QStringList{kRemoveCText, kTarvexText} << none
            << QStringList{"gsm_manager.c", "Tarvex"} << 0;
        QTest::newRow("plain project, keep src") << "src/Tarvex" << false << false << "N" << QStringList{kSrcText}
                                                 << QStringList{"src"} << none << -1;
        QTest::newRow("plain project, remove src") << "src/Tarvex" << false << false << "Y" << QStringList{kSrcText}
                                                   << none << QStringList{"src"} << -1;
        // The developer's own sources: no leftover of the Arduino layout.
        QTest::newRow("src without Tarvex is not questioned")
            << "src" << false << false << "" << none << QStringList{"src"} << none << -1;
        QTest::newRow("src that is a link: only the link goes")
            << "src link" << false << false << "Y" << QStringList{kSrcText} << none << QStringList{"src"} << -1;
        QTest::newRow("C project unticks Arduino") << "" << false << true << "" << none << none << QStringList{"src"}
                                                   << -1;
    }

    void staleEntries()
    {
        QFETCH(QString, setup);
        QFETCH(bool, cpp);
        QFETCH(bool, arduino);
        QFETCH(QString, answers);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, gone);
        QFETCH(int, askedAgain);
        QTemporaryDir elsewhere;
        QVERIFY(writeBytes(elsewhere.path() + QStringLiteral("/Tarvex/precious.c"), "keep\n"));
        const bool generated = setup == QLatin1String("generated");
        if (generated) {
            QVERIFY(generateClean());
            QVERIFY(setSectionInFile(at("gsm_manager.c"), "Init", "    myInit(); // C"));
            QVERIFY(setSectionInFile(at("gsm_manager.c"), "gsmSmsSendEventHandler", "    smsDone();"));
            QVERIFY(setSectionInFile(at("gsm_manager.h"), "Includes", "#include \"my.h\""));
        } else if (setup.startsWith(QLatin1String("src"))) {
            if (setup == QLatin1String("src link"))
                QVERIFY(QFile::link(elsewhere.path(), at("src")));
            else
                QVERIFY(writeBytes(at("src/main.c"), "int main(void){return 0;}\n"));
            if (setup == QLatin1String("src/Tarvex"))
                QVERIFY(QDir().mkpath(at("src/Tarvex/old")));
        }
        const QMap<QString, QByteArray> before = snapshot(mDir);
        const QMap<QString, QByteArray> outside = snapshot(elsewhere.path());

        mProject->setCpp(cpp);
        mProject->setArduinoVisible(cpp);
        mProject->setArduinoChecked(arduino);
        for (QChar a : answers)
            a == QLatin1Char('Y') ? mUi->answerYes() : a == QLatin1Char('N') ? mUi->answerNo() : mUi->answerDefault();
        GenerateReport report;
        QVERIFY(run(&report));
        QStringList titles = QVector<QString>(questions.size(), QStringLiteral("Remove File?")).toList();
        QCOMPARE(mUi->titles(), titles << kCodeGenerated);
        for (int i = 0; i < questions.size(); ++i) {
            QCOMPARE(mUi->boxes().at(i).icon, UserInteraction::Icon::Question);
            QCOMPARE(mUi->boxes().at(i).text, questions.at(i));
        }
        QCOMPARE(mProject->isArduino(), cpp && arduino);
        QCOMPARE(report.libraryFolder, cpp && arduino ? QStringLiteral("src/Tarvex") : QStringLiteral("Tarvex"));
        QVERIFY(QFile::exists(at(report.libraryFolder + "/LICENSE.txt")));
        QVERIFY(QFile::exists(at(report.libraryFolder + "/GSM_SMS_Send.c")));
        QVERIFY(readBytes(at("gsm_manager.h")).contains("#include \"" + report.libraryFolder.toUtf8() + "/GSM_Power.h\""));
        const QMap<QString, QByteArray> after = snapshot(mDir);
        for (const QString& entry : kept) {
            QVERIFY2(QFileInfo::exists(at(entry)), qPrintable(entry));
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                if (it.key() == entry || it.key().startsWith(entry + QLatin1Char('/')))
                    QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        }
        for (const QString& entry : gone)
            QVERIFY2(!QFileInfo::exists(at(entry)) && !QFileInfo(at(entry)).isSymLink(), qPrintable(entry));
        QCOMPARE(snapshot(elsewhere.path()), outside);

        if (generated) {
            // The developer's code, in the source of the new language.
            const QString sourceName = cpp ? QStringLiteral("gsm_manager.cpp") : QStringLiteral("gsm_manager.c");
            QCOMPARE(report.merges.size(), 2);
            QCOMPARE(report.merges.at(1).writtenPath, at(sourceName));
            QCOMPARE(sectionInFile(at(sourceName), "Init"), QStringLiteral("    myInit(); // C"));
            QCOMPARE(sectionInFile(at(sourceName), "gsmSmsSendEventHandler"), QStringLiteral("    smsDone();"));
            QCOMPARE(sectionInFile(at("gsm_manager.h"), "Includes"), QStringLiteral("#include \"my.h\""));
            QCOMPARE(readBytes(at(sourceName)).contains("extern \"C\" {"), cpp);
        }
        if (askedAgain >= 0) {
            // Again: no src question in an Arduino project, and the Tarvex one only while it exists.
            mUi->clear();
            for (int i = 0; i < askedAgain; ++i)
                mUi->answerDefault();
            QVERIFY(run());
            QCOMPARE(mUi->titles(), QVector<QString>(askedAgain, QStringLiteral("Remove File?")).toList()
                                        << kCodeGenerated);
        }
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
        QVERIFY(generateClean());
        QVERIFY(QFile::copy(at("gsm_manager.c"), at("gsm_manager.cpp")));
        QVERIFY(setSectionInFile(at("gsm_manager.c"), "Poll", "    fromC();"));
        QVERIFY(setSectionInFile(at("gsm_manager.cpp"), "Poll", "    fromCpp();"));
        QVERIFY(setSectionInFile(at("gsm_manager.h"), "Miscellaneous", "// mine"));
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
            QCOMPARE(sectionInFile(at("gsm_manager.c"), "Poll"),
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
        QVERIFY(generateClean());
        QVERIFY(setSectionInFile(at("gsm_manager.c"), "gsmSmsSendEventHandler", "    reportDelivery();"));
        QVERIFY(setSectionInFile(at("gsm_manager.c"), "Poll", "    keepMe();"));
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
        QVERIFY(!readBytes(at("gsm_manager.c")).contains("reportDelivery"));
        QCOMPARE(sectionInFile(at("gsm_manager.c"), "Poll"), QStringLiteral("    keepMe();"));
        QVERIFY(!QFile::exists(at(QStringLiteral("Tarvex/GSM_SMS_Send.c"))));
        if (answer == QLatin1String("Backup"))
            QCOMPARE(readBytes(backup.path() + QStringLiteral("/gsm_manager.c")), before.value("gsm_manager.c"));
    }

    void changedEncodingIsSaidWithTheConfirmation()
    {
        QVERIFY(generateClean());
        QVERIFY(setSectionInFile(at("gsm_manager.c"), "Init", "    start();"));
        QVERIFY(writeBytes(at("gsm_manager.c"), "\xFF\xFE" + utf16(readBytes(at("gsm_manager.c")))));
        QVERIFY(run());
        QCOMPARE(mUi->titles(), QStringList{kCodeGenerated});
        QCOMPARE(mUi->boxes().at(0).text, QStringLiteral("Code generated successfully.\n\ngsm_manager.c was saved as "
                                                         "UTF-16LE; it is written as UTF-8 with a byte-order mark"));
        QVERIFY(readBytes(at("gsm_manager.c")).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(sectionInFile(at("gsm_manager.c"), "Init"), QStringLiteral("    start();"));
    }

    void readOnlyOldLibraryFileIsReplaced()
    {
        QVERIFY(generateClean());
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

    // A generated project compiles and links on the first try. For
    // a C project and for a C++ Arduino project with every module but 2G, the
    // manager files, the library folder and the circular-buffer files are built
    // with gcc/g++ -Wall -Wextra -Werror together with a stub main that calls
    // gsmmgrInit and gsmmgrPoll. The library files must be clean under those
    // flags; the manager file alone may switch off the warnings its empty
    // callback stubs cause until the developer fills them.
    void generatedProjectBuilds_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C project") << false;
        QTest::newRow("C++ Arduino project") << true;
    }

    void generatedProjectBuilds()
    {
        QFETCH(bool, cpp);
        const QString gcc = QStandardPaths::findExecutable(QStringLiteral("gcc"));
        const QString gxx = QStandardPaths::findExecutable(QStringLiteral("g++"));
        if (gcc.isEmpty() || gxx.isEmpty())
            QSKIP("gcc and g++ are needed to compile the generated project");
        selectModules(*mProject, everyModuleBut2G());
        mProject->setCpp(cpp);
        mProject->setArduinoChecked(cpp);
        GenerateReport report;
        QVERIFY(run(&report));
        QCOMPARE(report.libraryFolder, cpp ? QStringLiteral("src/Tarvex") : QStringLiteral("Tarvex"));
        const QString main = cpp ? QStringLiteral("main.cpp") : QStringLiteral("main.c");
        QVERIFY(writeBytes(at(main), "#include \"gsm_manager.h\"\n"
                                     "int main(void)\n{\n    gsmmgrInit();\n    gsmmgrPoll();\n    return 0;\n}\n"));

        // The library folder's C files and circbuff.c in one strict run (it
        // names every file that fails), the manager source with the stub
        // allowances, then the stub main, linked with all of them.
        QStringList sources = {QStringLiteral("circbuff.c")}, objects = {QStringLiteral("circbuff.o")};
        for (const QString& f : QDir(at(report.libraryFolder)).entryList({QStringLiteral("*.c")}, QDir::Files)) {
            sources << report.libraryFolder + QLatin1Char('/') + f;
            objects << QFileInfo(f).completeBaseName() + QStringLiteral(".o");
        }
        const QString driver = cpp ? gxx : gcc;
        const QStringList strict = {"-Wall", "-Wextra", "-Werror", "-I."};
        const QStringList stubAllowances = {"-Wno-unused-parameter", "-Wno-unused-variable",
                                            "-Wno-unused-but-set-variable", "-Wno-return-type"};
        const QList<QPair<QString, QStringList>> steps = {
            {gcc, strict + QStringList{QStringLiteral("-c")} + sources},
            {driver, strict + stubAllowances + QStringList{"-c", QStringLiteral("gsm_manager.") + (cpp ? "cpp" : "c")}},
            {driver, strict + QStringList{main, "-o", "firmware", "gsm_manager.o"} + objects}};
        for (const auto& step : steps) {
            QString log;
            QVERIFY2(runIn(step.first, step.second, mDir, &log), qPrintable(log));
        }
        QVERIFY(QFileInfo(at(QStringLiteral("firmware"))).isExecutable());
    }

    // ---- the library file writer on its own ----

    void supportFilesAndCircularBuffers_data()
    {
        QTest::addColumn<QString>("libraryFolder");
        QTest::addColumn<QString>("headerFolder");
        QTest::addColumn<QString>("sourceFolder");
        QTest::newRow("plain") << "Tarvex" << "" << "";
        QTest::newRow("Arduino") << "src/Tarvex" << "" << "";
        QTest::newRow("STM32CubeIDE") << "Core/Tarvex" << "Core/Inc/" << "Core/Src/";
    }

    void supportFilesAndCircularBuffers()
    {
        QFETCH(QString, libraryFolder);
        QFETCH(QString, headerFolder);
        QFETCH(QString, sourceFolder);
        QTemporaryDir dir;
        for (const QString& f : {headerFolder, sourceFolder})
            if (!f.isEmpty())
                QVERIFY(QDir(dir.path()).mkpath(f));
        // Twice: the second run replaces every file it wrote and removes none.
        for (int run = 0; run < 2; ++run)
            QVERIFY(writeLibraryFiles(libraryFolder, headerFolder, sourceFolder, QDir(dir.path()), {},
                                      fileHeaderLines()));
        QVERIFY(mUi->boxes().isEmpty());

        QMap<QString, QByteArray> files = snapshot(dir.path()), expected;
        for (const QString f : {"GSM_Globals.h", "GSM_Required_Externals.h", "GSM_Util.h", "GSM_Util.c"})
            expected[libraryFolder + QLatin1Char('/') + f] = withHeader(":/tarvex/resources/tarvex/" + f);
        expected[headerFolder + "circbuff.h"] = withHeader(QStringLiteral(":/code/resources/code/circbuff.h"));
        expected[sourceFolder + "circbuff.c"] = withHeader(QStringLiteral(":/code/resources/code/circbuff.c"));
        for (const QString& key : files.keys())
            if (key.endsWith(QLatin1Char('/')))
                files.remove(key);
        QCOMPARE(files, expected);
    }

    void moduleFileThatCannotBeWritten()
    {
        QTemporaryDir dir;
        BrokenModule broken;
        QVERIFY(!writeLibraryFiles(QStringLiteral("Tarvex"), QString(), QString(), QDir(dir.path()), {&broken},
                                   fileHeaderLines()));
        QCOMPARE(mUi->boxes().size(), 1);
        QCOMPARE(mUi->boxes().at(0).title, QStringLiteral("Write Error"));
        QVERIFY(mUi->boxes().at(0).text.startsWith(
            QStringLiteral("Failed to write library module files to specified directory.\n\n")));
        QVERIFY(mUi->boxes().at(0).text.contains(QStringLiteral("GSM_NotInTheBundle.c")));
        // Every file is read before the first one is written: nothing was.
        QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
    }

    // ---- USER CODE preservation of one file ----

    // The old file's bytes against the plan: what is carried (byte for
    // byte) and what is named as lost. Fresh text: the sections of
    // kFreshNames with their default content.
    void oldFileIsParsedExactly_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("expected"); // the merged bytes
        QTest::addColumn<QStringList>("lost");
        QTest::addColumn<int>("notes");

        auto sec = [](const char* name, const QByteArray& body) { return section(name, body).toUtf8(); };
        const QByteArray init = sec("Init", "init();\n");
        const QByteArray poll = sec("Poll", "poll();\n");
        const Bodies carried{{"Init", "init();\n"}, {"Poll", "poll();\n"}};
        auto row = [](const char* name) { return &QTest::newRow(name); };

        *row("marker spelling and blanks") << QByteArray("  //USER  CODE\tBEGIN   Init \t\nmine();\n"
                                                         "\t//   USER CODE END Init  \n")
                                           << expect({{"Init", "//USER  CODE\tBEGIN   Init \t\nmine();\n\t//   USER CODE END Init"}}, true)
                                           << QStringList() << 0;
        *row("prefix names stay apart") << sec("gsmWriteCompleted", "done();\n")
                                        << expect({{"gsmWriteCompleted", "done();\n"}}) << QStringList() << 0;
        *row("lower-case markers are code") << QByteArray("// user code begin Poll\nz();\n// user code end Poll\n") + init
                                            << expect({{"Init", "init();\n"}}) << QStringList() << 0;

        // Ambiguous files: nothing is guessed, every name involved is named.
        *row("commented-out older copy") << QByteArray("/*\n") + sec("Init", "old();\n") + "*/\n" + poll + init
                                         << expect({{"Poll", "poll();\n"}})
                                         << QStringList{"Init (lines 2, 4, 9, 11: more than one BEGIN or END)"} << 0;
        *row("identical copies") << init + init << expect({})
                                 << QStringList{"Init (lines 1, 3, 4, 6: more than one BEGIN or END)"} << 0;
        *row("END without BEGIN") << QByteArray("// USER CODE END Poll\n") + init << expect({{"Init", "init();\n"}})
                                  << QStringList{"Poll (line 1: END without BEGIN)"} << 0;
        *row("END before BEGIN") << QByteArray("// USER CODE END Poll\n// USER CODE BEGIN Poll\n") << expect({})
                                 << QStringList{"Poll (lines 1, 2: END before BEGIN)"} << 0;
        *row("BEGIN without END") << QByteArray("// USER CODE BEGIN Init\nmine();\n") + poll
                                  << expect({{"Poll", "poll();\n"}})
                                  << QStringList{"Init (line 1: BEGIN without END)"} << 0;
        *row("END of a prefix name deleted")
            << QByteArray("// USER CODE BEGIN gsmWrite\nw();\n") + sec("gsmWriteCompleted", "c();\n")
            << expect({{"gsmWriteCompleted", "c();\n"}}) << QStringList{"gsmWrite (line 1: BEGIN without END)"} << 0;
        *row("END line with text after the name")
            << QByteArray("// USER CODE BEGIN Init\nx();\n// USER CODE END Init */\n") << expect({})
            << QStringList{"Init (line 1: BEGIN without END)", "Init */ (line 3: END without BEGIN)"} << 0;
        *row("section inside another") << sec("Init", poll) + poll << expect({})
                                       << QStringList{"Init (lines 1, 5: other USER CODE markers inside)",
                                                      "Poll (lines 2, 4, 6, 8: more than one BEGIN or END)"}
                                       << 0;
        *row("unlisted section inside another") << sec("Init", sec("MyOwn", "own();\n")) + poll
                                                << expect({{"Poll", "poll();\n"}})
                                                << QStringList{"Init (lines 1, 5: other USER CODE markers inside)",
                                                               "MyOwn (lines 2, 4: inside another section)"}
                                                << 0;

        // Code without a place in the new text.
        *row("listed section not generated") << sec("gsmUssdEventHandler", "ussd();\n") + init << expect(carried.mid(0, 1))
                                             << QStringList{"gsmUssdEventHandler (lines 1-3)"} << 0;
        *row("unlisted section") << init + sec("Zed", "z();\n") << expect(carried.mid(0, 1))
                                 << QStringList{"Zed (lines 4-6)"} << 0;
        *row("hand-written file") << QByteArray("int main(void)\n{\n}") << expect({})
                                  << QStringList{"whole file (lines 1-3: no USER CODE section found)"} << 0;
        *row("UTF-16 without byte-order mark") << utf16(QByteArray(init + poll)) << expect({})
                                               << QStringList{"whole file (lines 1-7: no USER CODE section found)"}
                                               << 0;
        *row("blank file") << QByteArray(" \n\t\n") << expect({}) << QStringList() << 0;

        *row("CR LF becomes LF, a lone CR stays") << QByteArray("// USER CODE BEGIN Init\r\na\rb\r\n// USER CODE END Init\r\n")
                                                  << expect({{"Init", "a\rb\n"}}) << QStringList() << 0;
        *row("UTF-16 converted and said")
            << QByteArray("\xFF\xFE") + utf16(sec("Init", "caf\xc3\xa9();\n"))
            << QByteArray("\xEF\xBB\xBF") + expect({{"Init", "caf\xc3\xa9();\n"}}) << QStringList() << 1;
        QByteArray utf32be("\0\0\xFE\xFF", 4);
        for (uint c : QString::fromUtf8(sec("Init", "caf\xc3\xa9();\n")).toUcs4())
            utf32be += char(c >> 24) + QByteArray(1, char(c >> 16)) + char(c >> 8) + char(c);
        *row("UTF-32 converted and said")
            << utf32be << QByteArray("\xEF\xBB\xBF") + expect({{"Init", "caf\xc3\xa9();\n"}}) << QStringList() << 1;
    }

    void oldFileIsParsedExactly()
    {
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, lost);
        QFETCH(int, notes);
        const QString path = at(QStringLiteral("gsm_manager.c"));
        writeBytes(path, old);
        const UserCodeMergePlan plan = planUserCodeMerge(path, generated(kFreshNames), false);
        QVERIFY(plan.readOk);
        QCOMPARE(plan.oldBytes, old);
        QCOMPARE(plan.lostSections, lost);
        QCOMPARE(plan.mergedBytes, expected);
        QCOMPARE(plan.notes.size(), notes);
        QCOMPARE(plan.targetPath, path);
        QCOMPARE(readBytes(path), old); // planning writes nothing
    }

    // The merge of one file (the window's mergeUserCodeAndWrite) reads the
    // old file first: one that cannot be read is a Read Error naming it, and
    // nothing is written. (The questions and the backup are Generate Code's:
    // tst_generateworkflow and tst_writesafety.)
    void unreadableFileIsAReadError()
    {
        const QString path = at(QStringLiteral("gsm_manager.c"));
        QVERIFY(QDir().mkpath(path)); // a folder cannot be read as a file
        QString text = generated({QStringLiteral("Init")});
        QVERIFY(!mergeUserCodeAndWrite(path, text, true));
        QCOMPARE(mUi->titles(), QStringList{"Read Error"});
        QVERIFY(mUi->boxes().at(0).text.startsWith(
            QStringLiteral("Error encountered while trying to save 'USER CODE' sections.\n\nUnable to open file '") +
            path + QStringLiteral("' for reading.")));
        QVERIFY(!QFile::exists(at(QStringLiteral("gsm_manager.cpp"))));
    }
};

QTEST_GUILESS_MAIN(TstGenerateWorkflow)
#include "tst_generateworkflow.moc"
