#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

class TarvexMdl;

// Bundle folder of the embedded library sources.
extern const char* const kLibraryResourcePrefix; // ":/tarvex/resources/tarvex/"

// Everything one library write will do, worked out before anything is
// touched: the files with their complete bytes, the folders to create and the
// old files of the library folder to remove.
struct LibraryWritePlan
{
    struct File
    {
        QString path;       // absolute target path
        QByteArray bytes;   // complete content, header included
        bool supportFile;   // one of the six support files (for the message)
    };

    QString libraryFolder;       // relative to the project folder
    QString libraryPath;         // absolute
    QStringList foldersToCreate; // absolute, parents first
    QList<File> files;           // in writing order, each target once
    QStringList staleFiles;      // absolute; removed after the writes

    // When not empty the plan must not be carried out: the title and text of
    // the critical box that says why (a link, a FIFO, a read-only target, a
    // file where a folder belongs, a missing bundle file). Nothing has been
    // written.
    QString problemTitle;
    QString problemText;
};

// Works out a library write (see writeLibraryFiles) without writing: reads
// every bundle file, and checks every entry it would create, write or remove.
// The library folder is owned by the generator: every file in it whose name
// holds a dot and that is not rewritten is removed; sub-folders and dot-less
// files stay. An entry the writer would write or remove that is a symbolic
// link, or not a regular file or folder, stops the plan with a message.
LibraryWritePlan planLibraryFiles(const QString& libraryFolder, const QString& headerFolder,
                                  const QString& sourceFolder, const QDir& projectDir,
                                  const QList<TarvexMdl*>& modules, const QStringList& headerLines);

// Carries out a plan without a problem: creates the folders, writes every
// file atomically, then removes the stale files. The first failure is shown
// through userInteraction() (with the path and the operating system's reason)
// and stops the run: false is returned, the files already written stay and
// no file is left half-written.
bool executeLibraryPlan(const LibraryWritePlan& plan);

// Shows the plan's problem through userInteraction() when it has one.
// True when the plan may be carried out.
bool reportLibraryPlanProblem(const LibraryWritePlan& plan);

// Puts the embedded library into a project: plans, checks and carries out
// the write in one go (the example download uses it). circbuff.c goes to
// sourceFolder + "circbuff.c" and circbuff.h to headerFolder + "circbuff.h"
// (both relative to projectDir, the prefixes empty or ending in "/"), then
// every library file of every module in list order into libraryFolder. Each
// file gets headerLines in front (see writeWithHeader). Failures are shown
// through userInteraction() and stop the run.
bool writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder, const QString& sourceFolder,
                       const QDir& projectDir, const QList<TarvexMdl*>& modules, const QStringList& headerLines);
