#pragma once

#include "inmemoryproject.h"
#include "managerassembly.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvexgen {

// A project in the state the application's window would hold: it starts as
// the window does after start-up (C, Arduino layout off, every module ticked,
// default settings), a settings file is applied to it with the rules of Open,
// and the values the settings panels would change on showing them are
// changed the same way (see refreshSettingsWidgets).
class HeadlessProject : public InMemoryProject
{
public:
    // Applies the settings file at filePath; the project path becomes the
    // file's folder. False with a one-line problem text (naming the path) when
    // the file is missing, unreadable or not JSON; nothing has changed then.
    bool loadSettingsFile(const QString& filePath, QString* problem);

    // The window copies the loaded settings into its widgets, and the widgets
    // write back what they cannot show: a buffer size outside the spin boxes'
    // range comes back clamped (they start at 1024, so any other value is a
    // change), and echo switched off switches echo cancellation off.
    void refreshSettingsWidgets() override;
};

// What Generate Code works with once the selection rules have run.
struct Generation
{
    QStringList messages;        // rule messages; when any, nothing else is filled
    QList<TarvexMdl*> modules;   // the selected-module list
    QString libraryFolder;       // "Tarvex" or "src/Tarvex"
    ManagerTexts texts;          // both manager texts, file header included
};

// The steps of Generate Code that touch no file: apply the selection rules
// (ticking what they add), stop on a message; untick the Arduino layout for
// C; form the library folder; assemble both manager texts.
Generation prepareGeneration(ProjectModel& project);

} // namespace tarvexgen
