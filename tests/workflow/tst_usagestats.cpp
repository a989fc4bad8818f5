// Usage statistics: the endpoint, the exact request a loopback server
// receives for each event, and a generation that behaves the same whether
// the server answers or not. No request ever leaves the machine.

#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "usagestats.h"
#include "workflowsupport.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
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

// Posts the generation's events the way the main window does: one manager
// per event kind, replies deleted unread.
class PostingHook : public UsageEventHook
{
public:
    PostingHook()
    {
        for (QNetworkAccessManager* m : {&mStart, &mSuccess}) {
            m->setProxy(QNetworkProxy::NoProxy);
            QObject::connect(m, &QNetworkAccessManager::finished, m, [this](QNetworkReply* reply) {
                ++finished;
                reply->deleteLater();
            });
        }
    }
    void generateStart() override { sendUsageEvent(mStart, QStringLiteral("GenerateStart")); }
    void generateSuccess() override { sendUsageEvent(mSuccess, QStringLiteral("GenerateSuccess")); }
    int finished = 0;

private:
    QNetworkAccessManager mStart;
    QNetworkAccessManager mSuccess;
};

} // namespace

class TstUsageStats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void cleanup() { testsupport::keepUsageStatsOffline(); }

    void endpointAndBody()
    {
        // Only the URL is computed here; nothing is posted while the default is in force.
        setUsageStatsBaseUrl(QString());
        QCOMPARE(usageStatsEndpoint(), QUrl(QStringLiteral("https://" TARVEX_WEB_HOST "/tarvex/usagestats.php")));
        setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:8"));
        QCOMPARE(usageStatsEndpoint().toString(), QStringLiteral("http://127.0.0.1:8/tarvex/usagestats.php"));
        testsupport::keepUsageStatsOffline();
        QCOMPARE(usageStatsEndpoint().toString(), QStringLiteral("http://127.0.0.1:9/tarvex/usagestats.php"));

        QCOMPARE(usageEventBody(QStringLiteral("ApplicationStart")), QByteArray("{\n    \"ApplicationStart\": 1\n}\n"));
        QCOMPARE(usageEventBody(QStringLiteral("GenerateStart")), QByteArray("{\n    \"GenerateStart\": 1\n}\n"));
        QCOMPARE(usageEventBody(QStringLiteral("GenerateSuccess")), QByteArray("{\n    \"GenerateSuccess\": 1\n}\n"));
    }

    void eventsReachTheServerExactly()
    {
        LoopbackServer server;
        QVERIFY(server.port() != 0);
        setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(server.port()));
        QNetworkAccessManager manager;
        manager.setProxy(QNetworkProxy::NoProxy);
        int finished = 0;
        connect(&manager, &QNetworkAccessManager::finished, this, [&finished](QNetworkReply* reply) {
            ++finished;
            reply->deleteLater();
        });
        const QStringList events = {QStringLiteral("ApplicationStart"), QStringLiteral("GenerateStart"),
                                    QStringLiteral("GenerateSuccess")};
        for (const QString& e : events)
            QVERIFY(sendUsageEvent(manager, e) != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(finished, 3, 20000);

        QCOMPARE(server.requests.size(), 3);
        QStringList bodies;
        for (const Request& r : server.requests) {
            QCOMPARE(r.requestLine, QByteArray("POST /tarvex/usagestats.php HTTP/1.1"));
            QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));
            bodies << QString::fromUtf8(r.body);
        }
        bodies.sort();
        QCOMPARE(bodies, (QStringList{"{\n    \"ApplicationStart\": 1\n}\n", "{\n    \"GenerateStart\": 1\n}\n",
                                      "{\n    \"GenerateSuccess\": 1\n}\n"}));
    }

    void generationIsTheSameWithTheServerDown()
    {
        InMemoryProject probe;
        const QStringList missing = missingBundleFiles(probe.allModules());
        if (!missing.isEmpty())
            QFAIL(qPrintable(QStringLiteral("library files missing from the bundle: ") + missing.join(", ")));

        QList<QStringList> conversations;
        QList<QMap<QString, QByteArray>> trees;
        for (const bool serverUp : {true, false}) {
            std::unique_ptr<LoopbackServer> server;
            quint16 port;
            if (serverUp) {
                server.reset(new LoopbackServer);
                port = server->port();
            } else {
                // A port nothing listens on: every connection is refused.
                QTcpServer probeServer;
                QVERIFY(probeServer.listen(QHostAddress::LocalHost, 0));
                port = probeServer.serverPort();
            }
            setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
            QTemporaryDir dir;
            InMemoryProject project;
            project.setProjectPath(dir.path());
            selectModules(project, {QStringLiteral("Pin")});
            ScriptedInteraction ui;
            PostingHook hook;
            QVERIFY(generateCode(project, &hook));
            QTRY_COMPARE_WITH_TIMEOUT(hook.finished, 2, 20000);
            if (server) {
                QCOMPARE(server->requests.size(), 2);
                QStringList bodies;
                for (const Request& r : server->requests)
                    bodies << QString::fromUtf8(r.body);
                bodies.sort();
                QCOMPARE(bodies, (QStringList{"{\n    \"GenerateStart\": 1\n}\n", "{\n    \"GenerateSuccess\": 1\n}\n"}));
            }
            QStringList conversation;
            for (const ScriptedInteraction::Box& b : ui.boxes())
                conversation << b.title + QLatin1Char('|') + b.text;
            conversations << conversation;
            trees << snapshot(dir.path());
        }
        QCOMPARE(conversations.at(1), conversations.at(0));
        QCOMPARE(trees.at(1), trees.at(0));
    }
};

QTEST_GUILESS_MAIN(TstUsageStats)
#include "tst_usagestats.moc"
