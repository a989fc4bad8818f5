#include "statssupport.h"

#include "aboutwindow.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "workflowsupport.h"

#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

namespace statstest {

QByteArray Request::header(const QByteArray& name) const
{
    for (const auto& h : headers)
        if (h.first.toLower() == name.toLower())
            return h.second;
    return QByteArray();
}

LoopbackServer::LoopbackServer()
{
    mServer.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&mServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = mServer.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString LoopbackServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QStringList LoopbackServer::sortedBodies() const
{
    QStringList bodies;
    for (const Request& r : requests)
        bodies << QString::fromUtf8(r.body);
    bodies.sort();
    return bodies;
}

void LoopbackServer::read(QTcpSocket* socket)
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

QStringList runWindowSession(const QString& folder)
{
    ScriptedInteraction interaction;
    MainWindow window;
    window.setProjectPath(folder);
    workflowtest::selectModules(window, {QStringLiteral("Pin")});
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

QString eventBody(const char* event)
{
    return QStringLiteral("{\n    \"%1\": 1\n}\n").arg(QLatin1String(event));
}

} // namespace statstest
