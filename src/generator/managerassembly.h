#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TarvexMdl;

// Assembly of the two manager files (gsm_manager.h and gsm_manager.c/.cpp)
// from the templates of the bundle and the fragments of the selected modules.

// Resource paths of the two templates.
extern const char* const kManagerHeaderTemplate;
extern const char* const kManagerSourceTemplate;

// The generated-file header: the 17-line notice banner (ending with two line
// feeds) and a single line feed. Joined with no separator they go in front of
// every generated manager file; writeWithHeader puts them in front of the
// library files (last element first).
QStringList fileHeaderLines();

struct ManagerTexts
{
    QString header; // content of gsm_manager.h
    QString source; // content of gsm_manager.c or gsm_manager.cpp
};

// Builds both manager texts. modules is the selected-module list (Getting
// Started first, then the ticked modules in declaration order); libraryFolder
// is the folder, relative to the project, that holds the library ("Tarvex" or
// "src/Tarvex"); isCpp keeps the extern "C" wrappers, which are stripped for C.
// Placeholders are replaced in one pass, so text brought in by a fragment is
// never searched for placeholders. Never fails: an unreadable template gives
// the file header alone.
ManagerTexts buildManagerTexts(const QList<TarvexMdl*>& modules, const QString& libraryFolder, bool isCpp);

// The library folder of a generation: "Tarvex", or "src/Tarvex" for the
// Arduino layout, which only exists for C++ projects.
QString generationLibraryFolder(bool isCpp, bool isArduino);

// Replaces every "%N" of text (N = 1 .. args.size(), a single digit not
// followed by another digit) by args[N-1], scanning text once. Any other
// percent sign is kept as it is.
QString replacePlaceholders(const QString& text, const QStringList& args);
