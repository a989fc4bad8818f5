#pragma once

#include "usercodemerge.h"

#include <QList>
#include <QString>

class ProjectModel;

// Receives the usage events of a generation. The main window posts them
// through its statistics managers; the headless tool and the tests pass no
// hook, or one that records the events.
class UsageEventHook
{
public:
    virtual ~UsageEventHook() = default;
    // Sent first, before any check.
    virtual void generateStart() = 0;
    // Sent after the success message has been closed, on the success path only.
    virtual void generateSuccess() = 0;
};

// What a generation did, for callers that report more than the boxes show.
struct GenerateReport
{
    // One entry per existing manager file that was merged, in order (header
    // first). Lost USER CODE sections are named here, also when the run
    // stopped because of them.
    QList<UserCodeMergeReport> merges;
    // The library folder of the run, relative to the project folder.
    QString libraryFolder;

    QStringList lostSections(const QString& fileName) const;
};

// The Generate Code command over a project: checks the project path, writes
// the project settings file, applies the module selection rules, assembles
// the manager texts, writes gsm_manager.h and gsm_manager.c / .cpp (carrying
// USER CODE over from existing files), offers to delete stale files and
// folders of another language or layout, writes the library files, the
// circular-buffer files and LICENSE.txt, and confirms. Every question and
// message goes through userInteraction(), in order. Stops at the first
// failure (after its message); nothing already written is rolled back.
// Returns true when the code was generated.
bool generateCode(ProjectModel& project, UsageEventHook* usage = nullptr, GenerateReport* report = nullptr);
