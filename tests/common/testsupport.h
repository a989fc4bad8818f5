#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class ProjectModel;
class TarvexMdl;

// Debug-output guard for tests: every warning or critical message fails the
// running test unless it was announced with expectWarning() first. Install
// once in main / initTestCase.
namespace testsupport {

void installStrictMessageHandler();
// Points the usage statistics at a closed loopback port, so that no test
// process ever posts to the publisher's host. installStrictMessageHandler()
// does this too; tests that change the endpoint restore it with this.
void keepUsageStatsOffline();
// The next warning whose text contains this fragment is allowed (once).
void expectWarning(const QString& fragment);
// Warnings seen since the last call (allowed ones included); clears the list.
QStringList takeWarnings();
// Fails the running test when an announced warning never came.
bool verifyExpectedWarningsSeen();

// A file's bytes, or "<unreadable>" when it cannot be read.
QByteArray readBytes(const QString& path);
// Writes bytes to path (creating missing parent folders); true on success.
bool writeBytes(const QString& path, const QByteArray& bytes);

// getName() of each module, in order.
QStringList moduleNames(const QList<TarvexMdl*>& modules);
// Names of the ticked modules in declaration order (without Getting
// Started, which has no check box).
QStringList tickedNames(const ProjectModel& project);

// The child of that object name; a missing one ends the test run.
template <class T>
T* child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("widget %s not found", name);
    return found;
}

} // namespace testsupport
