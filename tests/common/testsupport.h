#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

} // namespace testsupport
