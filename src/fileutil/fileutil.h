#pragma once

#include "userinteraction.h"

#include <QString>
#include <QStringList>

// Small helpers through which the application reads bundle files and writes
// project files. Text files are read and written in text mode (CR dropped on
// reading, LF written as the platform line end) through text streams in the
// local 8-bit encoding; bundle texts are decoded from UTF-8. None of them
// creates missing folders, and writing always creates or truncates.

// Whole text of a file (bundle or local), decoded as UTF-8 up to the first NUL.
// Empty text when the file cannot be opened; nothing is logged.
QString readResourceText(const QString& path);

// Byte-for-byte copy. False (with a warning on the debug output) when the
// source or the destination cannot be opened.
bool copyResourceToFile(const QString& source, const QString& destination);

// Removes the plain, non-hidden files of a folder that match any of the
// ";"-separated wildcard filters; read-only files are made writable first.
// Sub-folders are never touched. True when every matching file was removed.
bool removeFiles(const QString& folder, const QString& filters);

// Asks the user to pick one of several choices (one button each, in order).
// Returns the chosen text, or an empty text when none was chosen.
QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                  UserInteraction::Icon icon);

// Reads a text file whole into out. False (out unchanged) when it cannot be opened.
bool readTextFile(const QString& path, QString& out);

// Writes text to a file in text mode. False when it cannot be opened.
bool writeTextFile(const QString& path, const QString& text);

// Writes the source text with the header lines in front: each line is
// inserted at position 0 in list order, so the last element ends up first.
// Source and destination may be the same file.
bool writeWithHeader(const QString& source, const QString& destination, const QStringList& lines);
