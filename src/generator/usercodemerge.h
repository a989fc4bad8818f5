#pragma once

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Carrying the developer's USER CODE sections from an existing manager file
// into a freshly assembled text.
//
// The old file is read as bytes and parsed once, line by line. A marker
// counts only as a whole line: blanks, "//", optional white space, USER,
// CODE, BEGIN or END, white space and the name, blanks. Marker text inside a
// string literal or after code on a line is code. A section runs from the two
// slashes of its BEGIN line to the end of the name on its END line and is
// carried byte for byte (NUL bytes and bytes that are not UTF-8 included,
// of any size); the indentation in front of the BEGIN marker and anything
// after the name on the END line come from the new text. Names compare
// exactly, so "gsmWrite" is never "gsmWriteCompleted".
//
// A file is never resolved by a guess: a name with more than one BEGIN or
// END line, an END without BEGIN (or before it), a BEGIN without END, other
// marker lines inside a section, or a section inside another one make that
// name ambiguous (a commented-out older copy of a section is a second BEGIN).
// Ambiguous sections are not carried; they are reported like lost ones, with
// their line numbers, and the new text keeps its default content there.
//
// Nothing the developer wrote disappears without a word: every section of
// the old file is carried into the new text or named as lost (a listed
// section the new text no longer has, an ambiguous one, a section under a
// name that is not carried over whose code the new text does not hold). A
// non-empty file without a single marker line (hand-written, or UTF-16
// without a byte-order mark) is lost as a whole.
//
// Encoding: the old file's UTF-8 byte-order mark is kept; a UTF-16 or UTF-32
// file (with a byte-order mark) is converted to UTF-8 with a byte-order mark,
// which the plan's notes say. CR LF in the old file becomes LF, as a
// text-mode read always did; the merged text is written with the platform's
// line ends (LF, CR LF on Windows), like every other generated file.

// The 27 section names in processing order.
QStringList userCodeSectionNames();

// One compiled expression per name of userCodeSectionNames(), in the same
// order, for the main window's list of patterns. Capture group 1 is the
// whole section, markers included. The merge itself parses lines and does
// not use them.
QList<QRegularExpression> buildUserCodePatterns();

// Result of carrying the sections of oldText into newText.
struct UserCodeMergeResult
{
    // The old text's code that is not in the merged text, in file order,
    // each as "Name (lines A-B)" for a section, "Name (lines A, B: why)" or
    // "Name (line A: why)" for the marker lines of an ambiguous name, and
    // "whole file (lines 1-N: why)" when the whole file is lost.
    QStringList lostSections;
};

// Pure text merge (no files, no boxes): replaces in newText the generated
// sections by the old text's sections of the same name.
UserCodeMergeResult mergeUserCodeText(const QString& oldText, QString& newText);

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
    QStringList lostSections;  // code that would be lost, as in UserCodeMergeResult
    QStringList notes;         // things to tell the developer that are not losses (a converted encoding)
};

// Reads the existing manager file at filePath and merges its USER CODE into
// newText (the freshly assembled text). Writes nothing and shows nothing.
UserCodeMergePlan planUserCodeMerge(const QString& filePath, const QString& newText, bool isCpp);

// The Read Error box for a plan whose file could not be read.
void showMergeReadError(const QString& filePath, const UserCodeMergePlan& plan);

// For a plan with lost sections: the warning (its details name each lost
// section) and, when the developer wants a copy, the folder question.
// backupPath receives a path in the chosen folder that names no existing
// entry (see freeBackupPath), or stays empty when no copy is wanted. False
// when a copy was wanted but the folder dialog was cancelled.
bool askLostSectionBackup(const UserCodeMergePlan& plan, QString& backupPath);

// The merge of one existing manager file on its own, for the window's
// mergeUserCodeAndWrite: plans the merge, checks the target like Generate
// Code does, asks askLostSectionBackup's questions, then writes the backup
// copy (never over an existing file) and the merged text (a header back to
// filePath, a source to the name the language asks for). newText receives
// the merged text. False, after a message, when the file could not be read,
// the target may not be written or a write failed, and when the folder
// dialog was cancelled (nothing is written then).
bool mergeUserCodeAndWrite(const QString& filePath, QString& newText, bool isCpp);
