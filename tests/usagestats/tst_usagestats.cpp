// Usage statistics in a build that names a publisher host: this test links a
// copy of usagestats.cpp built for the host 127.0.0.1. The endpoint, a
// generation that behaves the same whether the server answers or not, the
// window's three events (the exact requests a loopback server receives) and
// the two ways to stop them (DO_NOT_TRACK=1 and the About window's switch),
// and the links to the host's pages. No request ever leaves the machine.

#include "aboutwindow.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "statssupport.h"
#include "testsupport.h"
#include "usagestats.h"
#include "weblinks.h"
#include "workflowsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace workflowtest;
using namespace statstest;

class TstUsageStats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void cleanup()
    {
        testsupport::keepUsageStatsOffline();
        qunsetenv("DO_NOT_TRACK");
        QSettings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex Code Generator")).clear();
    }

    void endpoint()
    {
        // Only the URL is computed here; nothing is posted while the default is in force.
        QCOMPARE(publisherWebHost(), QStringLiteral("127.0.0.1"));
        setUsageStatsBaseUrl(QString());
        QCOMPARE(usageStatsEndpoint(), QUrl(QStringLiteral("https://127.0.0.1/tarvex/usagestats.php")));
        setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:8"));
        QCOMPARE(usageStatsEndpoint().toString(), QStringLiteral("http://127.0.0.1:8/tarvex/usagestats.php"));
        testsupport::keepUsageStatsOffline();
        QCOMPARE(usageStatsEndpoint().toString(), QStringLiteral("http://127.0.0.1:9/tarvex/usagestats.php"));
        // (The bodies are pinned by what the server receives, below.)
    }

    // A generation from the window shows the same boxes and writes the same
    // files whether the server answers or every connection is refused.
    void generationIsTheSameWithTheServerDown()
    {
        QList<QStringList> titles;
        QList<QMap<QString, QByteArray>> trees;
        for (const bool serverUp : {true, false}) {
            std::unique_ptr<LoopbackServer> server;
            quint16 port;
            if (serverUp) {
                server.reset(new LoopbackServer);
                port = server->port();
            } else {
                QTcpServer probe; // a port nothing listens on once it closes
                QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
                port = probe.serverPort();
            }
            setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
            QTemporaryDir dir;
            titles << runWindowSession(dir.path());
            if (server)
                QTRY_COMPARE_WITH_TIMEOUT(server->requests.size(), 3, 20000);
            trees << snapshot(dir.path());
        }
        QCOMPARE(titles.at(1), titles.at(0));
        QCOMPARE(trees.at(1), trees.at(0));
    }

    // The window's three events reach the server unless DO_NOT_TRACK=1 or
    // the About window's switch says no; either stops all three.
    void windowEventsFollowConsent_data()
    {
        QTest::addColumn<QByteArray>("doNotTrack"); // empty: unset
        QTest::addColumn<int>("aboutSwitch"); // -1: never touched, 0: clicked off, 1: clicked off and on again
        QTest::addColumn<bool>("sent");
        QTest::newRow("allowed") << QByteArray() << -1 << true;
        QTest::newRow("DO_NOT_TRACK=1") << QByteArray("1") << -1 << false;
        QTest::newRow("DO_NOT_TRACK=0") << QByteArray("0") << -1 << true;
        QTest::newRow("switched off in About") << QByteArray() << 0 << false;
        QTest::newRow("switched back on in About") << QByteArray() << 1 << true;
        QTest::newRow("DO_NOT_TRACK=1 wins over the switch") << QByteArray("1") << 1 << false;
    }
    void windowEventsFollowConsent()
    {
        QFETCH(QByteArray, doNotTrack);
        QFETCH(int, aboutSwitch);
        QFETCH(bool, sent);

        if (doNotTrack.isEmpty())
            qunsetenv("DO_NOT_TRACK");
        else
            qputenv("DO_NOT_TRACK", doNotTrack);
        if (aboutSwitch >= 0) {
            // The user clicks the box in the About window until it shows the
            // wanted state; it is stored at once and shown so next time.
            {
                AboutWindow about;
                auto* box = about.findChild<QCheckBox*>(QStringLiteral("chkSendUsageStats"));
                QVERIFY(box);
                QCOMPARE(box->text(), QStringLiteral("Send anonymous usage statistics"));
                QCOMPARE(box->isEnabled(), doNotTrack != "1");
                if (doNotTrack != "1") {
                    QVERIFY(box->isChecked());
                    box->click(); // off
                    if (aboutSwitch == 1)
                        box->click(); // and on again
                } else {
                    // The box cannot be changed then; store the switch the
                    // way an earlier session without DO_NOT_TRACK did.
                    QVERIFY(setUsageStatsSwitch(aboutSwitch != 0));
                }
            }
            QSettings stored(QStringLiteral("Tarvex"), QStringLiteral("Tarvex Code Generator"));
            QCOMPARE(stored.value(QStringLiteral("UsageStatistics/Send")).toBool(), bool(aboutSwitch));
            AboutWindow again;
            QCOMPARE(again.findChild<QCheckBox*>(QStringLiteral("chkSendUsageStats"))->isChecked(),
                     aboutSwitch == 1 && doNotTrack != "1");
        }

        LoopbackServer server;
        QVERIFY(server.port() != 0);
        setUsageStatsBaseUrl(server.baseUrl());
        QTemporaryDir dir;
        runWindowSession(dir.path());
        const QStringList all = {eventBody("ApplicationStart"), eventBody("GenerateStart"),
                                 eventBody("GenerateSuccess")};
        if (sent) {
            QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 3, 20000);
            QCOMPARE(server.sortedBodies(), all);
            for (const Request& r : server.requests) {
                QCOMPARE(r.requestLine, QByteArray("POST /tarvex/usagestats.php HTTP/1.1"));
                QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));
            }
        } else {
            QTest::qWait(1000);
            QCOMPARE(server.requests.size(), 0);
        }

    }

    void linksGoToThePublishersHost()
    {
        MainWindow window;
        QList<QUrl> opened;
        weblinks::setUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        ScriptedInteraction interaction;
        window.findChild<QPushButton*>(QStringLiteral("btnSupport"))->click();
        window.findChild<QPushButton*>(QStringLiteral("btnLibMdlRequestNew"))->click();
        weblinks::setUrlOpener({});
        QVERIFY(interaction.boxes().isEmpty());
        QCOMPARE(opened, (QList<QUrl>{QUrl("https://127.0.0.1/product/technical-support/"),
                                      QUrl("https://127.0.0.1/tarvex-request-new-module/")}));

        AboutWindow about;
        for (const char* name : {"label_3", "label_5"}) {
            auto* label = about.findChild<QLabel*>(QLatin1String(name));
            QVERIFY(label->text().contains(QLatin1String("href=\"https://127.0.0.1\"")));
            QVERIFY(label->openExternalLinks());
        }
    }
};

int main(int argc, char* argv[])
{
    // The switch is stored per user: keep it in a folder of this run.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qunsetenv("DO_NOT_TRACK");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    TstUsageStats test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_usagestats.moc"
