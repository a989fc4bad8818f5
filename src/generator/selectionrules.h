#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ProjectModel;
class TarvexMdl;

// The module selection rules: they make a set of ticked modules consistent by
// adding every module that a ticked module needs, pick the LTE connection as
// a default where a client needs a connection and none is ticked, and produce
// a message where the developer has to decide. They only ever add modules.

// Message shown when both internet connections end up selected.
extern const char* const kMessageTwoConnections;
// Message shown when the LTE connection was picked as a default.
extern const char* const kMessageDefaultConnection;

// Applies the thirteen rules once each, in order, to the working set. Modules
// are appended from catalogue (all modules); the working set is searched by
// module class. Returns the messages (at most one); the working set ends with
// every module the rules appended.
QStringList applySelectionRules(QList<TarvexMdl*>& workingSet, const QList<TarvexMdl*>& catalogue);

// Runs the rules on the project's checked modules and ticks every module of
// the resulting working set, whether or not messages were produced. Returns
// the messages; the caller shows them (joined with one line break).
QStringList applyModuleDependencies(ProjectModel& project);
