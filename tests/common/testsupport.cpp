#include "testsupport.h"

#include "projectmodel.h"
#include "tarvexmdl.h"
#include "usagestats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtGlobal>

#include <cstdio>

namespace {
QStringList gExpected;
QStringList gSeen;
QtMessageHandler gPrevious = nullptr;

// Qt 5.15 registers the network session's metatype conversion from the main thread and
// from its HTTP thread; when both race, Qt warns about the second registration. It says
// nothing about our code, so it never fails a test.
bool isQtInternalNoise(const QString& message)
{
    return message.startsWith(QLatin1String("Type conversion already registered from type QSharedPointer<QNetworkSession>"));
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if ((type == QtWarningMsg || type == QtCriticalMsg) && !isQtInternalNoise(message)) {
        gSeen << message;
        for (int i = 0; i < gExpected.size(); ++i) {
            if (message.contains(gExpected.at(i))) {
                gExpected.removeAt(i);
                return;
            }
        }
        std::fprintf(stderr, "unexpected warning: %s\n", qPrintable(message));
        QTest::qFail(qPrintable(QStringLiteral("unexpected warning: ") + message), context.file ? context.file : "",
                     context.line);
        return;
    }
    if (gPrevious)
        gPrevious(type, context, message);
}
} // namespace

namespace testsupport {

void keepUsageStatsOffline()
{
    setUsageStatsBaseUrl(QStringLiteral("http://127.0.0.1:9"));
}

void installStrictMessageHandler()
{
    keepUsageStatsOffline();
    gPrevious = qInstallMessageHandler(handler);
}

void expectWarning(const QString& fragment)
{
    gExpected << fragment;
}

QStringList takeWarnings()
{
    QStringList out = gSeen;
    gSeen.clear();
    return out;
}

bool verifyExpectedWarningsSeen()
{
    if (!gExpected.isEmpty()) {
        const QString missing = gExpected.join(QStringLiteral(", "));
        gExpected.clear();
        QTest::qFail(qPrintable(QStringLiteral("expected warning(s) never came: ") + missing), __FILE__, __LINE__);
        return false;
    }
    return true;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList moduleNames(const QList<TarvexMdl*>& modules)
{
    QStringList names;
    for (const TarvexMdl* m : modules)
        names << m->getName();
    return names;
}

QStringList tickedNames(const ProjectModel& project)
{
    return moduleNames(project.checkedModules().mid(1));
}

} // namespace testsupport
