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
    bool generateClean()
    {
        mUi->clear();
        const bool ok = run() && mUi->titles() == QStringList{kCodeGenerated};
        mUi->clear();
        mHook.events.clear();
        return ok;
    }

    bool editSection(const QString& file, const QString& name, const QString& body)
    {
        QString text;
        return readTextFile(at(file), text) && setSectionBody(text, name, body) && writeTextFile(at(file), text);
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
            QVERIFY(editSection("gsm_manager.c", "Init", "    myInit(); // C"));
            QVERIFY(editSection("gsm_manager.c", "gsmSmsSendEventHandler", "    smsDone();"));
            QVERIFY(editSection("gsm_manager.h", "Includes", "#include \"my.h\""));
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
            const QString source = QString::fromUtf8(readBytes(at(sourceName)));
            QCOMPARE(sectionBody(source, "Init"), QStringLiteral("    myInit(); // C"));
            QCOMPARE(sectionBody(source, "gsmSmsSendEventHandler"), QStringLiteral("    smsDone();"));
            QCOMPARE(sectionBody(QString::fromUtf8(readBytes(at("gsm_manager.h"))), "Includes"),
                     QStringLiteral("#include \"my.h\""));
            QCOMPARE(source.contains(QStringLiteral("extern \"C\" {")), cpp);
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
        QString source;
        QVERIFY(readTextFile(at(QStringLiteral("gsm_manager.c")), source));
        QVERIFY(setSectionBody(source, QStringLiteral("Poll"), QStringLiteral("    fromC();")));
        QVERIFY(writeTextFile(at(QStringLiteral("gsm_manager.c")), source));
        QVERIFY(setSectionBody(source, QStringLiteral("Poll"), QStringLiteral("    fromCpp();")));
        QVERIFY(writeTextFile(at(QStringLiteral("gsm_manager.cpp")), source));
        QVERIFY(editSection("gsm_manager.h", "Miscellaneous", "// mine"));
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
        QVERIFY(generateClean());
        QVERIFY(editSection("gsm_manager.c", "gsmSmsSendEventHandler", "    reportDelivery();"));
        QVERIFY(editSection("gsm_manager.c", "Poll", "    keepMe();"));
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

    void changedEncodingIsSaidWithTheConfirmation()
    {
        QVERIFY(generateClean());
        QVERIFY(editSection("gsm_manager.c", "Init", "    start();"));
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
};

QTEST_GUILESS_MAIN(TstGenerateWorkflow)
#include "tst_generateworkflow.moc"
