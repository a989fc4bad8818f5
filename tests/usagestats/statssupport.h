#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// Helpers shared by the usage-statistics tests.
namespace statstest {

struct Request
{
    QByteArray requestLine;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
};

// A minimal HTTP/1.1 server on 127.0.0.1 that records every request and
// answers 200 with an empty body.
class LoopbackServer : public QObject
{
public:
    LoopbackServer();
    quint16 port() const { return mServer.serverPort(); }
    // "http://127.0.0.1:<port>", for setUsageStatsBaseUrl.
    QString baseUrl() const;
    // The bodies received so far, sorted.
    QStringList sortedBodies() const;
    QList<Request> requests;

private:
    void read(QTcpSocket* socket);

    QTcpServer mServer;
    QMap<QTcpSocket*, QByteArray> mBuffers;
};

// What a user does in one short session: build the real main window, tick
// Pin, generate into folder (a fresh folder: the only box is "Code
// Generated"), build and close the About window. Returns the titles of the
// boxes shown. Fails the running test if the generation did not succeed.
QStringList runWindowSession(const QString& folder);

// The indented one-member body of an event.
QString eventBody(const char* event);

} // namespace statstest
