#pragma once

#include <QStringList>

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

// What a generation did with one existing manager file.
struct ManagerFileReport
{
    QString fileName;         // file name of the existing file, without folder
    QStringList lostSections; // its USER CODE sections with no place in the new text
    QString backupPath;       // where the old file was copied; empty if not
    QString writtenPath;      // the file the new text went to; empty if none
};

// What a generation did, for callers that report more than the boxes show.
struct GenerateReport
{
    enum class Outcome {
        Generated,      // every file written, success shown
        PathError,      // no project folder
        RuleMessage,    // the selection rules need a decision
        Refused,        // a precondition failed (link, FIFO, read-only, ...)
        Stopped,        // a question was answered with a stop (Cancel)
        BackupDeclined, // sections would be lost and no backup folder was given
        WriteFailed,    // a write failed after others had succeeded
    };
    Outcome outcome = Outcome::Stopped;
    // One entry per existing manager file that was merged, in order (header
    // first). Lost USER CODE sections are named here, also when the run
    // stopped because of them: after a refused backup folder the other
    // manager file is still merged (without a question) so that both are.
    QList<ManagerFileReport> merges;
    // Remarks on the merge that are no loss (an encoding that was changed).
    QStringList notes;
    // The library folder of the run, relative to the project folder.
    QString libraryFolder;

    QStringList lostSections(const QString& fileName) const;
};

// The Generate Code command over a project. It works in two halves so that
// nothing the developer wrote can be lost:
//
// 1. Plan: check the project path, apply the module selection rules,
//    assemble the manager texts, check every entry the run would read, write
//    or delete (a symbolic link, a FIFO or other special file, a read-only
//    target or a file where a folder belongs stops the run with a message),
//    carry the USER CODE sections of the existing manager files into the new
//    texts, and ask every question: the lost-section warning and its backup
//    folder, which source file to take the sections from, and whether stale
//    files and folders of another language or layout go.
// 2. Write: the backups, the project settings file, gsm_manager.h, the
//    manager source, the deletions the developer agreed to, the library and
//    circular-buffer files and LICENSE.txt, each file atomically (see
//    writeFileAtomically).
//
// A stop, a Cancel or a failed check in the first half leaves every file as
// it was, the settings file included. A failed write in the second half is
// reported with the path and the operating system's reason and ends the
// run; every file is then either its old or its complete new version, and
// running again finishes the job. Every question and message goes through
// userInteraction(), in order. Returns true when the code was generated.
bool generateCode(ProjectModel& project, UsageEventHook* usage = nullptr, GenerateReport* report = nullptr);
