#pragma once

#include "userinteraction.h"

#include <QString>
#include <QStringList>

// Small helpers through which the application reads bundle files and writes
// project files. Text files are read and written in text mode (CR dropped on
// reading, LF written as the platform line end) through text streams in the
// local 8-bit encoding; bundle texts are decoded from UTF-8. None of them
// creates missing folders.
//
// Every file is written atomically: the new content goes to a temporary file
// in the same folder, is flushed to disk and then renamed over the old file,
// so a crash, a kill or a full disk leaves either the old file or the complete
// new one, never a cut one. Nothing is ever written through a symbolic link
// or onto something that is not a regular file (a FIFO, a device, a folder):
// such a target is refused.

// Whole text of a file (bundle or local), decoded as UTF-8 up to the first NUL.
// Empty text when the file cannot be opened; nothing is logged.
QString readResourceText(const QString& path);

// Byte-for-byte copy. False (with a warning on the debug output) when the
// source cannot be read or the destination cannot be written; the reason
// (with the path) goes to error when given.
bool copyResourceToFile(const QString& source, const QString& destination, QString* error = nullptr);

// Writes bytes to path atomically (see above). On failure the file at path is
// unchanged and error (when given) receives the reason, for example the
// operating system's "No space left on device".
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The bytes a text-mode write produces: local 8-bit encoding, LF as the
// platform's line end.
QByteArray textFileBytes(const QString& text);

// Why the entry at path may not be written or replaced by the generator, or
// an empty text when it may: a symbolic link (also a dangling one), something
// that is not a regular file, or (unless allowReadOnly) a read-only file. A
// missing entry is fine. The text names the path.
QString entryWriteProblem(const QString& path, bool allowReadOnly = false);

// Why path (a folder that the generator writes into or clears) may not be
// used, or an empty text: a symbolic link or something that is not a folder.
// A missing folder is fine.
QString folderWriteProblem(const QString& path);

// Writes the number of every atomic write in the process for fault tests.
// Two environment variables, read at each write, turn write number N (1 is
// the first) into a failure: TARVEX_TEST_FAIL_WRITE=N makes it fail as a full
// disk would (nothing replaced), TARVEX_TEST_CRASH_WRITE=N ends the process
// abruptly half-way through it, as a kill would.
int atomicWriteCount();
void resetAtomicWriteCount();

// A path for a copy of fileName in folder that names no existing entry (no
// file, folder or link): the file name itself, else the name with a time
// stamp (and, if needed, a counter) before its suffix,
// "gsm_manager-20240131-154500.c". A backup never replaces anything.
QString freeBackupPath(const QString& folder, const QString& fileName);

// Asks the user to pick one of several choices (one button each, in order).
// Returns the chosen text, or an empty text when none was chosen.
QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                  UserInteraction::Icon icon);

// Reads a text file whole into out. False (out unchanged) when it cannot be opened.
bool readTextFile(const QString& path, QString& out);

// Writes text to a file in text mode. False when it cannot be written; the
// reason goes to error when given.
bool writeTextFile(const QString& path, const QString& text, QString* error = nullptr);

// Writes the source text with the header lines in front: each line is
// inserted at position 0 in list order, so the last element ends up first.
// Source and destination may be the same file.
bool writeWithHeader(const QString& source, const QString& destination, const QStringList& lines,
                     QString* error = nullptr);

// The text writeWithHeader writes: the lines in front of text.
QString withHeader(QString text, const QStringList& lines);
