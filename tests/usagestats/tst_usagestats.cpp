// Usage statistics, one source for both kinds of build. tst_usagestats (a
// copy of usagestats.cpp built for the publisher host 127.0.0.1): the
// endpoint, the window's three events as a loopback server receives them, the
// two ways to stop them (DO_NOT_TRACK=1, the About window's switch), the same
// generation whether the server answers or not, and the links to the host's
// pages. tst_nohost (the default build): no event, no switch, and Support and
// Request a New Library Module say there is no web site (Support offers the
// bundled manual); no_network.sh runs its first case under strace.

#include "aboutwindow.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "usagestats.h"
#include "weblinks.h"
#include "workflowsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace workflowtest;

namespace {

struct Request
{
    QByteArray requestLine;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray& name) const
    {
        for (const auto& h : headers)
            if (h.first.toLower() == name.toLower())
                return h.second;
        return QByteArray();
    }
};

// A minimal HTTP/1.1 server on 127.0.0.1 that records every request and
// answers 200 with an empty body.
class LoopbackServer : public QObject
{
public:
    LoopbackServer()
    {
        mServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&mServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = mServer.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return mServer.serverPort(); }
    // "http://127.0.0.1:<port>", for setUsageStatsBaseUrl.
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    // The bodies received so far, sorted.
    QStringList sortedBodies() const
    {
        QStringList bodies;
        for (const Request& r : requests)
            bodies << QString::fromUtf8(r.body);
        bodies.sort();
        return bodies;
    }
    QList<Request> requests;

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = mBuffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const int end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request r;
            const QList<QByteArray> lines = buffer.left(end).split('\n');
            r.requestLine = lines.first().trimmed();
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines.at(i).indexOf(':');
                r.headers << qMakePair(lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed());
            }
            const int length = r.header("Content-Length").toInt();
            if (buffer.size() < end + 4 + length)
                return;
            r.body = buffer.mid(end + 4, length);
            buffer.remove(0, end + 4 + length);
            requests << r;
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
        }
    }

    QTcpServer mServer;
    QMap<QTcpSocket*, QByteArray> mBuffers;
};

// What a user does in one short session: build the real main window, tick
// Pin, generate into folder (a fresh folder: the only box is "Code
// Generated"), build and close the About window. Returns the titles of the
// boxes shown. Fails the running test if the generation did not succeed.
QStringList runWindowSession(const QString& folder)
{
    ScriptedInteraction interaction;
    MainWindow window;
    window.setProjectPath(folder);
    selectModules(window, {QStringLiteral("Pin")});
    window.findChild<QPushButton*>(QStringLiteral("btnGenerateCode"))->click();
    {
        AboutWindow about(&window);
        QTest::qWait(10);
    }
    QCoreApplication::processEvents();
    const QStringList titles = interaction.titles();
    if (!titles.contains(QStringLiteral("Code Generated")))
        QTest::qFail(qPrintable(QStringLiteral("the generation did not succeed: ") + titles.join(QLatin1String(", "))),
                     __FILE__, __LINE__);
    return titles;
}

// The indented one-member body of an event.
QString eventBody(const char* event)
{
    return QStringLiteral("{\n    \"%1\": 1\n}\n").arg(QLatin1String(event));
}

} // namespace

class TstUsageStats : public QObject
{
    Q_OBJECT
    QStringList mServerDownTitles;
    QMap<QString, QByteArray> mServerDownTree;

private slots:
    // What a session shows and writes with every connection refused: each
    // row below must show and write the same.
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        quint16 port;
        {
            QTcpServer probe; // a port nothing listens on once it closes
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
        QTemporaryDir dir;
        mServerDownTitles = runWindowSession(dir.path());
        mServerDownTree = snapshot(dir.path());
    }
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

    // The window's three events reach the server unless DO_NOT_TRACK=1 or
    // the About window's switch says no; either stops all three. The boxes
    // and files are those of a session with the server down.
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
        const QStringList titles = runWindowSession(dir.path());
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
        QCOMPARE(titles, mServerDownTitles);
        QCOMPARE(snapshot(dir.path()), mServerDownTree);
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

    // Support offers the bundled user manual; Request a New Library Module
    // only says that there is no web site.
    void buttonsSayThereIsNoWebSite_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("answers"); // "Yes", "No", "folder", "cancel"
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("opened");
        QTest::newRow("Support: yes, folder chosen")
            << "btnSupport" << QStringList{"Yes", "folder"} << QStringList{"Support", "Select Folder"} << true;
        QTest::newRow("Support: no") << "btnSupport" << QStringList{"No"} << QStringList{"Support"} << false;
        QTest::newRow("Support: folder dialog cancelled")
            << "btnSupport" << QStringList{"Yes", "cancel"} << QStringList{"Support", "Select Folder"} << false;
        QTest::newRow("Support: folder not writable") << "btnSupport" << QStringList{"Yes", "missing"}
                                                      << QStringList{"Support", "Select Folder", "Support"} << false;
        QTest::newRow("Request a New Library Module")
            << "btnLibMdlRequestNew" << QStringList{} << QStringList{"Request a New Library Module"} << false;
    }
    void buttonsSayThereIsNoWebSite()
    {
        QFETCH(QString, button);
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
        window.findChild<QPushButton*>(button)->click();

        QVERIFY(interaction.verifyAllAnswersUsed());
        QStringList shown;
        for (const ScriptedInteraction::Box& b : interaction.boxes())
            shown << (b.kind == ScriptedInteraction::Kind::Folder ? QStringLiteral("Select Folder") : b.title);
        QCOMPARE(shown, titles);
        QVERIFY(interaction.boxes().at(0).text.contains(QLatin1String("no publisher web site")));
        QCOMPARE(interaction.boxes().at(0).kind,
                 answers.isEmpty() ? ScriptedInteraction::Kind::Information : ScriptedInteraction::Kind::YesNo);

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
    std::unique_ptr<QObject> test;
    if (publisherWebHost().isEmpty())
        test.reset(new TstNoHost);
    else
        test.reset(new TstUsageStats);
    return QTest::qExec(test.get(), argc, argv);
}

#include "tst_usagestats.moc"
