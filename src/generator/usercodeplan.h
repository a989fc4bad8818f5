#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What carrying the USER CODE of an existing manager file into a new text
// would do, worked out without writing anything.
struct UserCodeMergePlan
{
    bool readOk = false;
    QString readError;
    QString fileName;         // file name of the existing file, without folder
    QString targetPath;       // where the merged text belongs
    QByteArray oldBytes;      // the existing file exactly as read
    QByteArray mergedBytes;   // exact bytes to write to targetPath
    QStringList lostSections; // sections of the old file with no place in the new text
    QStringList notes;        // remarks that are not a loss
};

UserCodeMergePlan planUserCodeMerge(const QString& filePath, const QString& newText, bool isCpp);
