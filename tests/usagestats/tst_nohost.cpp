// A build without a publisher web host (the default): no usage event is ever
// prepared and the About window offers no switch; Support
// and Request a New Library Module say that there is no web site, and Support
// offers the bundled user manual. no_network.sh runs the first case under
// strace as well, to see that the process opens no network socket at all.

#include "aboutwindow.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "statssupport.h"
#include "testsupport.h"
#include "usagestats.h"
#include "weblinks.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using statstest::runWindowSession;

class TstNoHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void cleanup()
    {
        testsupport::keepUsageStatsOffline();
        weblinks::setUrlOpener({});
        testsupport::verifyExpectedWarningsSeen();
    }

    // Also the scenario that no_network.sh traces: it must not listen,
    // resolve or connect itself.
    void windowAndGenerationStayOffline()
    {
        QVERIFY(publisherWebHost().isEmpty());
        QCOMPARE(usageStatsState(), UsageStatsState::NoPublisherHost);

        QTemporaryDir dir;
        QCOMPARE(runWindowSession(dir.path()), QStringList{"Code Generated"});

        MainWindow window;
        QVERIFY(window.findChildren<QNetworkAccessManager*>().isEmpty());

        // The About window shows that nothing is sent and links nowhere.
        AboutWindow about(&window);
        auto* box = about.findChild<QCheckBox*>(QStringLiteral("chkSendUsageStats"));
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Send anonymous usage statistics"));
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isEnabled());
        for (const char* name : {"label_3", "label_5"}) {
            auto* label = about.findChild<QLabel*>(QLatin1String(name));
            QVERIFY(!label->text().contains(QLatin1String("href")));
            QVERIFY(!label->text().contains(QLatin1String("%1")));
        }
    }

    void supportOffersTheUserManual_data()
    {
        QTest::addColumn<QStringList>("answers"); // "Yes", "No", "folder", "cancel"
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("opened");
        QTest::newRow("yes, folder chosen") << QStringList{"Yes", "folder"} << QStringList{"Support", "Select Folder"}
                                            << true;
        QTest::newRow("no") << QStringList{"No"} << QStringList{"Support"} << false;
        QTest::newRow("folder dialog cancelled")
            << QStringList{"Yes", "cancel"} << QStringList{"Support", "Select Folder"} << false;
        QTest::newRow("folder not writable") << QStringList{"Yes", "missing"}
                                             << QStringList{"Support", "Select Folder", "Support"} << false;
    }
    void supportOffersTheUserManual()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, titles);
        QFETCH(bool, opened);

        QTemporaryDir dir;
        MainWindow window;
        ScriptedInteraction interaction;
        for (const QString& a : answers) {
            if (a == QLatin1String("Yes"))
                interaction.answerYes();
            else if (a == QLatin1String("No"))
                interaction.answerNo();
            else if (a == QLatin1String("folder"))
                interaction.answerFolder(dir.path());
            else if (a == QLatin1String("missing"))
                interaction.answerFolder(dir.path() + QStringLiteral("/no/such/folder"));
            else
                interaction.answerCancel();
        }
        if (answers.contains(QStringLiteral("missing")))
            testsupport::expectWarning(QStringLiteral("Tarvex User Manual.pdf"));
        QList<QUrl> urls;
        weblinks::setUrlOpener([&urls](const QUrl& url) {
            urls << url;
            return true;
        });
        window.findChild<QPushButton*>(QStringLiteral("btnSupport"))->click();

        QVERIFY(interaction.verifyAllAnswersUsed());
        QStringList shown;
        for (const ScriptedInteraction::Box& b : interaction.boxes())
            shown << (b.kind == ScriptedInteraction::Kind::Folder ? QStringLiteral("Select Folder") : b.title);
        QCOMPARE(shown, titles);
        QVERIFY(interaction.boxes().at(0).text.contains(QLatin1String("no publisher web site")));
        QCOMPARE(interaction.boxes().at(0).kind, ScriptedInteraction::Kind::YesNo);

        const QString manual = dir.path() + QStringLiteral("/Tarvex User Manual.pdf");
        if (opened) {
            QCOMPARE(urls, QList<QUrl>{QUrl::fromLocalFile(manual)});
            QFile file(manual);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(5) == "%PDF-");
        } else {
            QVERIFY(urls.isEmpty());
            QVERIFY(!QFile::exists(manual));
        }
        QVERIFY(window.projectPath().isEmpty());
    }

    void requestANewModuleSaysThereIsNoWebSite()
    {
        MainWindow window;
        ScriptedInteraction interaction;
        QList<QUrl> urls;
        weblinks::setUrlOpener([&urls](const QUrl& url) {
            urls << url;
            return true;
        });
        window.findChild<QPushButton*>(QStringLiteral("btnLibMdlRequestNew"))->click();
        QVERIFY(urls.isEmpty());
        QCOMPARE(interaction.titles(), QStringList{"Request a New Library Module"});
        QCOMPARE(interaction.boxes().at(0).kind, ScriptedInteraction::Kind::Information);
        QVERIFY(interaction.boxes().at(0).text.contains(QLatin1String("no publisher web site")));
    }
};

int main(int argc, char* argv[])
{
    // The switch is stored per user: keep it in a folder of this run.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    TstNoHost test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nohost.moc"
