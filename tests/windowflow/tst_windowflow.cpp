// The real main window's project commands and Generate Code button: Save
// then Open restores everything, what Open refuses, New, Save and Save As
// with their boxes, and a generation through the button's slot with the real
// message boxes. (How reading applies each member: the settings file test.)
// (The window's usage events: tests/usagestats.)

#include "inmemoryproject.h"
#include "mainwindow.h"
#include "messageboxinteraction.h"
#include "projectsettings.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace workflowtest;

using testsupport::child;

class TstWindowFlow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedInteraction> mUi;
    std::unique_ptr<MainWindow> mWindow;
    QTemporaryDir* mTmp = nullptr;

    MainWindow& w() { return *mWindow; }
    QCheckBox* arduinoBox() { return child<QCheckBox>(w(), "optProjectIsArduino"); }

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void init()
    {
        mUi.reset(new ScriptedInteraction);
        mWindow.reset(new MainWindow);
        mTmp = new QTemporaryDir;
        QVERIFY(mTmp->isValid());
    }

    void cleanup()
    {
        mUi->verifyAllAnswersUsed();
        mWindow.reset();
        mUi.reset();
        delete mTmp;
        mTmp = nullptr;
    }

    void saveThenOpenRestoresEverything()
    {
        // A project unlike the start-up state in every respect.
        child<QRadioButton>(w(), "optProjectIsCpp")->click();
        arduinoBox()->setChecked(false);
        selectModules(w(), {QStringLiteral("Pin"), QStringLiteral("InternetConnection_SIMCom2G")});
        child<QSpinBox>(w(), "spinMdl_Prompt_PromptBufferSize")->setValue(2048);
        child<QSpinBox>(w(), "spinMdl_GettingStarted_DebugBufferSize")->setValue(300);
        child<QCheckBox>(w(), "chkMdl_Power_ResetEnabled")->setChecked(true);
        child<QCheckBox>(w(), "chkMdl_Prompt_IsCircularTxSetupSelected")->setChecked(false);
        child<QCheckBox>(w(), "chkMdl_InternetConnectionSimcom2G_IsApnRequired")->setChecked(true);
        const QByteArray saved = projectSettingsText(w());

        mUi->answerFolder(mTmp->path());
        w().on_btnProjectSaveAs_clicked();
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved"}));
        QCOMPARE(mUi->boxes().at(1).kind, ScriptedInteraction::Kind::Information);
        QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("Project settings saved."));
        QCOMPARE(readBytes(projectSettingsFilePath(mTmp->path())), saved);

        // New elsewhere: back to defaults, nothing written.
        QTemporaryDir other;
        mUi->answerFolder(other.path());
        w().on_btnProjectNew_clicked();
        QCOMPARE(w().projectPath(), other.path());
        QVERIFY(!w().isCpp());
        QVERIFY(!arduinoBox()->isChecked());
        QVERIFY(!arduinoBox()->isVisibleTo(&w()));
        QCOMPARE(w().checkedModules().size(), 1);
        QCOMPARE(child<QSpinBox>(w(), "spinMdl_Prompt_PromptBufferSize")->value(), 1024);
        QVERIFY(!QFile::exists(projectSettingsFilePath(other.path())));

        mUi->answerFolder(mTmp->path());
        w().on_btnProjectOpen_clicked();
        QCOMPARE(w().projectPath(), mTmp->path());
        QCOMPARE(projectSettingsText(w()), saved);
        QVERIFY(w().isCpp());
        QVERIFY(arduinoBox()->isVisibleTo(&w()));
        QVERIFY(!arduinoBox()->isChecked());
        QCOMPARE(child<QSpinBox>(w(), "spinMdl_Prompt_PromptBufferSize")->value(), 2048);
        QVERIFY(child<QCheckBox>(w(), "chkMdl_Power_ResetEnabled")->isChecked());
        // Open and New show nothing but their folder dialogs.
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved", "Select Folder", "Select Folder"}));
    }

    void openRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not JSON") << "garbage";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("no settings file") << "missing";
        QTest::newRow("dialog cancelled") << "cancel";
    }

    void openRefusesWhatItCannotRead()
    {
        QFETCH(QString, kind);
        const QString file = projectSettingsFilePath(mTmp->path());
        if (kind == QLatin1String("garbage"))
            QVERIFY(writeBytes(file, "{\"Language\": \"C++\", oops"));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        w().setProjectPath(QStringLiteral("/previous/project"));
        const QByteArray before = projectSettingsText(w());
        if (kind == QLatin1String("cancel"))
            mUi->answerCancel();
        else
            mUi->answerFolder(mTmp->path());
        w().on_btnProjectOpen_clicked();

        QCOMPARE(w().projectPath(), QStringLiteral("/previous/project"));
        QCOMPARE(projectSettingsText(w()), before);
        if (kind == QLatin1String("cancel")) {
            QCOMPARE(mUi->boxes().size(), 1);
            return;
        }
        QCOMPARE(mUi->boxes().size(), 2);
        QCOMPARE(mUi->boxes().at(1).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(1).title, QStringLiteral("Error Opening Project"));
        if (kind == QLatin1String("missing"))
            QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("Tarvex project settings not found at the specified path."));
        else
            QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("The Tarvex project settings file '") + file +
                                                  QStringLiteral("' could not be read or is not valid JSON. The "
                                                                 "project has not been opened."));
    }

    void saveCases()
    {
        // Empty path: Save is Save As.
        mUi->answerFolder(mTmp->path());
        w().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved"}));
        QVERIFY(QFile::exists(projectSettingsFilePath(mTmp->path())));

        // A path of spaces names no folder.
        mUi->clear();
        w().setProjectPath(QStringLiteral("   "));
        w().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Project Path Error"});
        QCOMPARE(mUi->boxes().at(0).text, QStringLiteral("The project path specified does not exist - please "
                                                         "correct this and then try again."));

        // A settings file that cannot be written is reported, not confirmed.
        mUi->clear();
        QTemporaryDir blocked;
        QVERIFY(QDir().mkpath(projectSettingsFilePath(blocked.path())));
        w().setProjectPath(blocked.path());
        w().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Error Saving Project"});
        QVERIFY(mUi->boxes().at(0).text.endsWith(QStringLiteral("' is a folder, not a file.")));
    }

    void enterOnEveryRemoveFileBoxKeepsTheFiles()
    {
        // A plain C project, then switched to C++ with the Arduino layout:
        // gsm_manager.c and the top-level Tarvex folder are now stale.
        w().setProjectPath(mTmp->path());
        selectModules(w(), {QStringLiteral("RSSI")});
        w().on_btnGenerateCode_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Code Generated"});
        child<QRadioButton>(w(), "optProjectIsCpp")->click();
        QVERIFY(arduinoBox()->isChecked());

        // The application's real boxes, each answered with Enter.
        for (int i = 0; i < 3; ++i)
            testsupport::expectWarning(QStringLiteral("propagateSizeHints")); // offscreen platform, per box
        MessageBoxInteraction real;
        setUserInteraction(&real);
        QStringList seen;
        QTimer enter;
        QObject::connect(&enter, &QTimer::timeout, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen << box->windowTitle() + QLatin1Char('|') +
                        (box->defaultButton() ? box->defaultButton()->text() : QStringLiteral("<none>"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        enter.start(20);
        w().on_btnGenerateCode_clicked();
        enter.stop();
        setUserInteraction(mUi.get());

        QCOMPARE(seen.size(), 3);
        QVERIFY2(seen.at(0).startsWith(QStringLiteral("Remove File?|")) &&
                     seen.at(1).startsWith(QStringLiteral("Remove File?|")) &&
                     seen.at(2).startsWith(QStringLiteral("Code Generated|")),
                 qPrintable(seen.join(QStringLiteral(", "))));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/gsm_manager.c")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/Tarvex/GSM_SignalQuality.c")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/gsm_manager.cpp")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/src/Tarvex/GSM_SignalQuality.c")));
    }
};

QTEST_MAIN(TstWindowFlow)
#include "tst_windowflow.moc"
