#pragma once

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Carrying the developer's USER CODE sections from an existing manager file
// into a freshly assembled text.
//
// A section runs from a "// USER CODE BEGIN <name>" marker to the first
// following "// USER CODE END <name>" marker. The sections carried over are a
// fixed list of 27 names (userCodeSectionNames()); each is found with one
// regular expression. The expression requires that the name is not followed
// by another name character, so "gsmWrite" never matches the section
// "gsmWriteCompleted" and "Init" never matches "InitExtra"; the markers in the
// generated files look exactly as they always did.
//
// Nothing the developer wrote disappears without a word: every section of the
// old file is either carried into the new text or named as lost (a listed
// section the new text no longer has, a section whose END marker was deleted,
// a second copy of a section with different code, a section under a name that
// is not carried over whose code the new text does not hold). Lost sections
// raise one warning with the offer of a backup copy.

// The 27 section names in processing order.
QStringList userCodeSectionNames();

// One compiled expression per name of userCodeSectionNames(), in the same
// order. Capture group 1 is the whole section, markers included.
QList<QRegularExpression> buildUserCodePatterns();

// Result of carrying the sections of oldText into newText.
struct UserCodeMergeResult
{
    // Names of the sections of the old text whose code is not in the merged
    // text, in the order they appear in the old text, each name once.
    QStringList lostSections;
};

// Pure text merge (no files, no boxes): replaces in newText the generated
// sections by the old text's sections of the same name. Text already carried
// over is never searched again, so developer code that itself contains
// marker lines or default section text is copied unchanged.
UserCodeMergeResult mergeUserCodeText(const QString& oldText, QString& newText,
                                      const QList<QRegularExpression>& patterns);

// Everything a merge would do, computed without writing a file or asking a
// question, so that a caller can plan every write before the first one.
struct UserCodeMergePlan
{
    bool readOk = false;       // false: the existing file could not be read (readError says why)
    QString readError;         // the reason given by the system, for the Read Error box
    QString fileName;          // file name of the existing file, without folder
    QString targetPath;        // where the merged text goes (header: same path; source: .c/.cpp per isCpp)
    QByteArray oldBytes;       // the existing file exactly as read (for a backup copy)
    QByteArray mergedBytes;    // the exact bytes to write to targetPath
    QStringList lostSections;  // code that would be lost, "Name (lines A-B)" or "Name (line A)", in file order
    QStringList notes;         // things to tell the developer that are not losses
};

// Reads the existing manager file at filePath and merges its USER CODE into
// newText (the freshly assembled text). Writes nothing and shows nothing.
UserCodeMergePlan planUserCodeMerge(const QString& filePath, const QString& newText, bool isCpp);

// What one mergeUserCodeAndWrite call did, for callers that report it
// (the headless tool names the lost sections).
struct UserCodeMergeReport
{
    QString fileName;         // file name of the merged file, without folder
    QStringList lostSections; // see UserCodeMergeResult
    QString backupPath;       // where the old file was copied; empty if not
    QString writtenPath;      // the file the new text went to; empty if none
};

// Reads the existing manager file at filePath, carries its USER CODE
// sections into newText (changed in place), warns through userInteraction()
// when sections are lost and offers a backup copy, then writes newText: a
// header back to filePath, a source (".c"/".cpp") to the name the language
// asks for, beside filePath. Returns true when the new text was written;
// false when the file could not be read, the backup or the target could not
// be written (a message has been shown), or the backup folder dialog was
// cancelled (nothing is written then and the existing files stay as they
// were).
bool mergeUserCodeAndWrite(const QString& filePath, QString& newText, bool isCpp,
                           UserCodeMergeReport* report = nullptr);
