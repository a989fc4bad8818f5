#include "fileutil.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

QString readResourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QByteArray bytes = file.readAll();
    file.close();
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(bytes.constData(), nul < 0 ? bytes.size() : nul);
}

bool copyResourceToFile(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning() << "Failed to open resource file:" << source;
        return false;
    }
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning() << "Failed to create local file:" << destination;
        return false;
    }
    out.write(in.readAll());
    out.close();
    in.close();
    return true;
}

bool removeFiles(const QString& folder, const QString& filters)
{
    const QStringList nameFilters = filters.split(QLatin1Char(';'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    const QFileInfoList entries = QDir(folder).entryInfoList(
        nameFilters, QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    bool result = true;
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (!(QFile::permissions(path) & QFileDevice::WriteOwner)) {
            if (!QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
                qWarning() << "Failed to set write permissions for:" << path;
                result = false;
                continue;
            }
        }
        if (!QFile::remove(path)) {
            qWarning() << "Failed to remove file:" << path;
            result = false;
        }
    }
    return result;
}

QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                  UserInteraction::Icon icon)
{
    return userInteraction().askChoice(title, text, choices, icon);
}

bool readTextFile(const QString& path, QString& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    out = stream.readAll();
    file.close();
    return true;
}

bool writeTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    stream << text;
    stream.flush();
    file.close();
    return true;
}

bool writeWithHeader(const QString& source, const QString& destination, const QStringList& lines)
{
    QString text;
    if (!readTextFile(source, text))
        return false;
    for (const QString& line : lines)
        text.insert(0, line);
    return writeTextFile(destination, text);
}
