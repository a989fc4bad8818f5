#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

class TarvexMdl;

// Bundle folder of the embedded library sources.
extern const char* const kLibraryResourcePrefix; // ":/tarvex/resources/tarvex/"

// Puts the embedded library into a project: prepares the library folder
// (libraryFolder, relative to projectDir; every file in it whose name holds a
// dot is removed first, sub-folders and dot-less files stay), writes the four
// support files into it, circbuff.c to sourceFolder + "circbuff.c" and
// circbuff.h to headerFolder + "circbuff.h" (both relative to projectDir,
// the prefixes empty or ending in "/"), then every library file of every
// module in list order. Each file gets headerLines in front (see
// writeWithHeader). Failures are shown through userInteraction() and stop
// the run: false is returned and the files already written stay.
bool writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder, const QString& sourceFolder,
                       const QDir& projectDir, const QList<TarvexMdl*>& modules, const QStringList& headerLines);
