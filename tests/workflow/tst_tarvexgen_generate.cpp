// tarvex-gen generate: on a copy of a project it writes exactly what the
// Generate Code workflow writes, its options answer the workflow's
// questions, and every outcome has its exit status.

#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "projectsettings.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace workflowtest;

namespace {

ToolRun runTool(const QStringList& args)
{
    return runProgram(QStringLiteral(TARVEX_GEN_PATH), args);
}

} // namespace

class TstTarvexGenGenerate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* mTmp = nullptr;
    QString mDir;

    // Writes the settings of a project (given modules, language, layout) into mDir.
    void writeSettings(const QStringList& modules, bool cpp, bool arduino)
    {
        InMemoryProject project;
        project.setProjectPath(mDir);
        selectModules(project, modules);
        project.setCpp(cpp);
        project.setArduinoChecked(arduino);
        QVERIFY(writeProjectSettings(project));
    }

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void init()
    {
        mTmp = new QTemporaryDir;
        QVERIFY(mTmp->isValid());
        mDir = mTmp->path();
    }

    void cleanup()
    {
        delete mTmp;
        mTmp = nullptr;
    }

    void sameFilesAsTheWorkflow_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<bool>("arduino");
        QTest::newRow("C") << false << false;
        QTest::newRow("C++ Arduino") << true << true;
    }

    void sameFilesAsTheWorkflow()
    {
        QFETCH(bool, cpp);
        QFETCH(bool, arduino);
        const QStringList modules = {QStringLiteral("SMS_Read"), QStringLiteral("MQTT_Client_SIMCom")};
        writeSettings(modules, cpp, arduino);
        // An earlier C generation's source with developer code, and a stale src folder.
        QString old = QStringLiteral("// USER CODE BEGIN Poll\n    tick();\n// USER CODE END Poll\n");
        QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.c"), old.toUtf8()));
        QVERIFY(QDir().mkpath(mDir + QStringLiteral("/Tarvex")));

        QTemporaryDir viaTool, viaWorkflow;
        QVERIFY(copyTree(mDir, viaTool.path()));
        QVERIFY(copyTree(mDir, viaWorkflow.path()));

        {
            ScriptedInteraction ui;
            InMemoryProject project;
            project.setProjectPath(viaWorkflow.path());
            QCOMPARE(readProjectSettings(project), ReadSettingsStatus::Applied);
            if (cpp) {
                ui.answerNo(); // keep gsm_manager.c
                ui.answerNo(); // keep the top-level Tarvex folder
            }
            QVERIFY(generateCode(project));
            QVERIFY(ui.verifyAllAnswersUsed());
        }
        const ToolRun r = runTool({QStringLiteral("generate"), viaTool.path()});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines().last(), QStringLiteral("Code Generated: Code generated successfully."));
        if (cpp)
            QCOMPARE(r.lines().size(), 3); // the two kept stale entries, then the confirmation
        QCOMPARE(snapshot(viaTool.path()), snapshot(viaWorkflow.path()));
        QVERIFY(readBytes(viaTool.path() + (cpp ? QStringLiteral("/gsm_manager.cpp") : QStringLiteral("/gsm_manager.c")))
                    .contains("    tick();\n"));
    }

    // Every stop before the first write, with its status and its one line on
    // standard error: bad command lines and settings (2), a rule message (3),
    // a failed step (1).
    void stopsWithTheirStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // in the line (%1: the folder); status 2 lines name the tool first
        QTest::newRow("no folder") << QStringList{"generate"} << "" << 2 << "missing PROJECT_DIR";
        QTest::newRow("folder missing") << QStringList{"generate", "/no/such/folder"} << "" << 2
                                        << "project folder does not exist: /no/such/folder";
        QTest::newRow("no settings file") << QStringList{"generate", "DIR"} << "" << 2 << "settings file not found";
        QTest::newRow("settings not JSON") << QStringList{"generate", "DIR"} << "garbage" << 2 << "not valid JSON";
        QTest::newRow("bad source choice") << QStringList{"generate", "DIR", "--source-from", "h"} << "settings" << 2
                                           << "--source-from takes c or cpp";
        QTest::newRow("both stale flags") << QStringList{"generate", "DIR", "--keep-stale", "--delete-stale"}
                                          << "settings" << 2 << "once";
        QTest::newRow("backup folder missing") << QStringList{"generate", "DIR", "--backup-dir", "/no/such/dir"}
                                               << "settings" << 2 << "backup folder does not exist";
        QTest::newRow("two folders") << QStringList{"generate", "DIR", "DIR"} << "settings" << 2 << "unexpected argument";
        QTest::newRow("rule message") << QStringList{"generate", "DIR"} << "http" << 3
                                      << "Module Dependencies: No Internet Connection module";
        QTest::newRow("failed step") << QStringList{"generate", "DIR"} << "blocked" << 1
                                     << "Write Error: Failed to write library support files to specified directory. "
                                        "'%1/Tarvex' is not a folder.";
    }

    void stopsWithTheirStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(int, status);
        QFETCH(QString, message);
        if (setup == QLatin1String("garbage"))
            QVERIFY(writeBytes(mDir + QStringLiteral("/.tarvex_codegenerator_settings"), "{ nope"));
        else if (setup == QLatin1String("http"))
            writeSettings({QStringLiteral("HTTP_Client_SIMCom")}, false, false);
        else if (!setup.isEmpty())
            writeSettings({QStringLiteral("Pin")}, false, false);
        if (setup == QLatin1String("blocked"))
            QVERIFY(writeBytes(mDir + QStringLiteral("/Tarvex"), "a file where the library folder goes"));
        args.replaceInStrings(QStringLiteral("DIR"), mDir);
        const QMap<QString, QByteArray> before = snapshot(mDir);
        const ToolRun r = runTool(args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.lines().size(), 1);
        QVERIFY2(r.err.contains(QString(message).replace(QStringLiteral("%1"), QFileInfo(mDir).absoluteFilePath())),
                 qPrintable(r.err));
        if (status == 2)
            QVERIFY2(r.err.startsWith(QStringLiteral("tarvex-gen generate: ")), qPrintable(r.err));
        else
            QVERIFY2(r.err.startsWith(message.left(message.indexOf(QLatin1Char(':')) + 2)), qPrintable(r.err));
        QCOMPARE(snapshot(mDir), before);
    }

    void bothSourcesNeedAChoice()
    {
        writeSettings({QStringLiteral("Pin")}, false, false);
        QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.c"), "// USER CODE BEGIN Init\nc();\n// USER CODE END Init\n"));
        QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.cpp"), "// USER CODE BEGIN Init\ncpp();\n// USER CODE END Init\n"));
        const QMap<QString, QByteArray> before = snapshot(mDir);

        ToolRun r = runTool({QStringLiteral("generate"), mDir});
        QCOMPARE(r.status, 4);
        QVERIFY(r.err.contains(QStringLiteral("--source-from")));
        QCOMPARE(snapshot(mDir), before); // decided before anything is written

        r = runTool({QStringLiteral("generate"), mDir, QStringLiteral("--source-from"), QStringLiteral("cpp"),
                     QStringLiteral("--delete-stale")});
        QCOMPARE(r.status, 0);
        QVERIFY(readBytes(mDir + QStringLiteral("/gsm_manager.c")).contains("\ncpp();\n"));
        QVERIFY(!QFile::exists(mDir + QStringLiteral("/gsm_manager.cpp"))); // stale C++ source deleted
    }

    void lostSectionsNeedABackupFolder_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("lost"); // what the stop names; empty: no stop
        QTest::addColumn<QString>("note"); // a line the run must print
        QTest::newRow("no longer generated")
            << QByteArray("// USER CODE BEGIN gsmSmsReadEventHandler\nlost();\n// USER CODE END gsmSmsReadEventHandler\n"
                          "// USER CODE BEGIN gsmPinEventHandler\nlost();\n// USER CODE END gsmPinEventHandler\n")
            << "gsmSmsReadEventHandler (lines 1-3), gsmPinEventHandler (lines 4-6)" << QString();
        QTest::newRow("commented-out older copy")
            << QByteArray("/*\n// USER CODE BEGIN Init\nlost();\n// USER CODE END Init\n*/\n"
                          "// USER CODE BEGIN Init\nlost();\n// USER CODE END Init\n")
            << "Init (lines 2, 4, 6, 8: more than one BEGIN or END)" << QString();
        QTest::newRow("hand-written") << QByteArray("void lost();\n")
                                      << "whole file (line 1: no USER CODE section found)" << QString();
        const QString utf16 = QStringLiteral("// USER CODE BEGIN Init\nkept();\n// USER CODE END Init\n");
        QTest::newRow("UTF-16 with byte-order mark")
            << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2)
            << QString() << "tarvex-gen generate: gsm_manager.c was saved as UTF-16LE; it is written as UTF-8 with a "
                            "byte-order mark";
    }

    void lostSectionsNeedABackupFolder()
    {
        QFETCH(QByteArray, old);
        QFETCH(QString, lost);
        QFETCH(QString, note);
        writeSettings({QStringLiteral("USSD")}, false, false);
        const QString source = mDir + QStringLiteral("/gsm_manager.c");
        QVERIFY(writeBytes(source, old));
        // Where code is lost, the header loses some too: both files are
        // planned before the stop, so its one message names both.
        if (!lost.isEmpty())
            QVERIFY(writeBytes(mDir + QStringLiteral("/gsm_manager.h"), "void lostToo();\n"));

        ToolRun r = runTool({QStringLiteral("generate"), mDir});
        if (lost.isEmpty()) {
            QCOMPARE(r.status, 0);
            QVERIFY2(r.lines().contains(note), qPrintable(r.err));
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

QTEST_GUILESS_MAIN(TstTarvexGenGenerate)
#include "tst_tarvexgen_generate.moc"
