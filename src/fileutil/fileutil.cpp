#include "fileutil.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <cerrno>
#include <cstdlib>

namespace {

int gAtomicWrites = 0;

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + QDir::toNativeSeparators(path) + QLatin1Char('\'');
}

} // namespace

int atomicWriteCount()
{
    return gAtomicWrites;
}

void resetAtomicWriteCount()
{
    gAtomicWrites = 0;
}

QString entryWriteProblem(const QString& path, bool allowReadOnly)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return quoted(path) + QStringLiteral(" is a symbolic link; files are never written through a link.");
    if (!info.exists())
        return QString();
    if (info.isDir())
        return quoted(path) + QStringLiteral(" is a folder, not a file.");
    if (!info.isFile())
        return quoted(path) + QStringLiteral(" is not a regular file.");
    if (!allowReadOnly && !info.isWritable())
        return quoted(path) + QStringLiteral(" is read-only.");
    return QString();
}

QString folderWriteProblem(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return quoted(path) + QStringLiteral(" is a symbolic link; nothing is written or deleted through a link.");
    if (info.exists() && !info.isDir())
        return quoted(path) + QStringLiteral(" is not a folder.");
    return QString();
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = quoted(path) + QStringLiteral(": ") + reason;
        return false;
    };
    // QSaveFile follows links and replaces whatever is there; refuse first.
    const QString problem = entryWriteProblem(path);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }

    const int number = ++gAtomicWrites;
    const bool injectFailure = qEnvironmentVariableIntValue("TARVEX_TEST_FAIL_WRITE") == number;
    const bool injectCrash = qEnvironmentVariableIntValue("TARVEX_TEST_CRASH_WRITE") == number;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) // QSaveFile: a temporary file, renamed over path on commit
        return fail(file.errorString());
    if (injectFailure || injectCrash) {
        file.write(bytes.left(bytes.size() / 2));
        file.flush();
        if (injectCrash)
            std::_Exit(137); // as abrupt as a kill: no destructor, no commit
        file.cancelWriting();
        return fail(qt_error_string(ENOSPC));
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

QByteArray textFileBytes(const QString& text)
{
    QByteArray bytes = QTextCodec::codecForLocale()->fromUnicode(text);
#ifdef Q_OS_WIN
    bytes.replace("\n", "\r\n");
#endif
    return bytes;
}

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

bool copyResourceToFile(const QString& source, const QString& destination, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning() << "Failed to open resource file:" << source;
        if (error)
            *error = quoted(source) + QStringLiteral(": ") + in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    const bool readOk = in.error() == QFileDevice::NoError;
    in.close();
    if (!readOk) {
        qWarning() << "Failed to open resource file:" << source;
        if (error)
            *error = quoted(source) + QStringLiteral(": ") + in.errorString();
        return false;
    }
    if (!writeFileAtomically(destination, bytes, error)) {
        qWarning() << "Failed to create local file:" << destination;
        return false;
    }
    return true;
}

QString freeBackupPath(const QString& folder, const QString& fileName)
{
    auto taken = [](const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };
    const QString plain = folder + QLatin1Char('/') + fileName;
    if (!taken(plain))
        return plain;
    const QFileInfo info(fileName);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        const QString candidate = folder + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + stamp +
                                  (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + suffix;
        if (!taken(candidate))
            return candidate;
    }
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

bool writeTextFile(const QString& path, const QString& text, QString* error)
{
    return writeFileAtomically(path, textFileBytes(text), error);
}

QString withHeader(QString text, const QStringList& lines)
{
    for (const QString& line : lines)
        text.insert(0, line);
    return text;
}

bool writeWithHeader(const QString& source, const QString& destination, const QStringList& lines, QString* error)
{
    QString text;
    if (!readTextFile(source, text)) {
        if (error)
            *error = quoted(source) + QStringLiteral(": cannot be read.");
        return false;
    }
    return writeTextFile(destination, withHeader(text, lines), error);
}
