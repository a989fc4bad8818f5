#pragma once

#include <QStringList>

// Debug-output guard for tests: every warning or critical message fails the
// running test unless it was announced with expectWarning() first. Install
// once in main / initTestCase.
namespace testsupport {

void installStrictMessageHandler();
// The next warning whose text contains this fragment is allowed (once).
void expectWarning(const QString& fragment);
// Warnings seen since the last call (allowed ones included); clears the list.
QStringList takeWarnings();
// Fails the running test when an announced warning never came.
bool verifyExpectedWarningsSeen();

} // namespace testsupport
