#include "usercodemerge.h"

#include "userinteraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <algorithm>

namespace {

// A piece of the text being merged: either generated text, in which sections
// are still looked for, or a section carried over from the old file, which
// is never searched or changed again.
struct Piece
{
    QString text;
    bool carried;
};

struct LostSection
{
    int position; // in the old text
    QString name;
};

QString joinPieces(const QList<Piece>& pieces)
{
    QString out;
    for (const Piece& p : pieces)
        out += p.text;
    return out;
}

// Splits every generated piece at every occurrence of `generated` and puts
// `carried` in its place.
QList<Piece> replaceInGenerated(const QList<Piece>& pieces, const QString& generated, const QString& carried)
{
    QList<Piece> out;
    for (const Piece& piece : pieces) {
        if (piece.carried) {
            out << piece;
            continue;
        }
        int from = 0;
        int at;
        while ((at = piece.text.indexOf(generated, from)) >= 0) {
            out << Piece{piece.text.mid(from, at - from), false} << Piece{carried, true};
            from = at + generated.size();
        }
        out << Piece{piece.text.mid(from), false};
    }
    return out;
}

// Old file contents decoded for merging, with what is needed to write the
// merged text back without damaging the developer's characters.
struct DecodedFile
{
    QString text;
    QTextCodec* codec;
};

// Decodes a manager file. A byte-order mark selects its encoding, otherwise
// the local 8-bit encoding is used. When the bytes are not valid in that
// encoding (a file saved in another code page), the file is read and later
// written as Latin-1, which gives every byte back unchanged instead of
// replacing the developer's characters. CR LF pairs become LF as in any text
// mode read; a CR on its own is code and is kept.
DecodedFile decodeManagerFile(const QByteArray& bytes)
{
    QTextCodec* locale = QTextCodec::codecForLocale();
    QTextCodec* codec = QTextCodec::codecForUtfText(bytes, locale);
    QTextCodec::ConverterState state;
    QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    QTextCodec* writeCodec = locale;
    if (state.invalidChars > 0) {
        writeCodec = QTextCodec::codecForName("ISO-8859-1");
        text = QString::fromLatin1(bytes);
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return {text, writeCodec};
}

// Absolute path of a file name inside a folder, with the folder's symbolic
// links resolved when it exists, so that two spellings of one place compare
// equal.
QString resolvedPath(const QString& folder, const QString& fileName)
{
    const QFileInfo info(folder);
    const QString dir = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    return QDir::cleanPath(dir + QLatin1Char('/') + fileName);
}

} // namespace

QStringList userCodeSectionNames()
{
    return {QStringLiteral("Includes"),
            QStringLiteral("Variables"),
            QStringLiteral("SysTime_ms"),
            QStringLiteral("Init"),
            QStringLiteral("Poll"),
            QStringLiteral("Miscellaneous"),
            QStringLiteral("Exported Variables"),
            QStringLiteral("Function Prototypes"),
            QStringLiteral("gsmHttpClientSimcomEventHandler"),
            QStringLiteral("gsmMqttClientSimcomEventHandler"),
            QStringLiteral("gsmPinEventHandler"),
            QStringLiteral("SetPowerKey"),
            QStringLiteral("SetReset"),
            QStringLiteral("ReadStatus"),
            QStringLiteral("gsmTxPoll"),
            QStringLiteral("gsmWrite"),
            QStringLiteral("gsmWriteCompleted"),
            QStringLiteral("gsmCanRead"),
            QStringLiteral("gsmRead"),
            QStringLiteral("gsmRxPoll"),
            QStringLiteral("gsmSignalQualityEventHandler"),
            QStringLiteral("gsmSmsReadEventHandler"),
            QStringLiteral("gsmSmsSendEventHandler"),
            QStringLiteral("gsmUssdEventHandler"),
            QStringLiteral("gsmGetAPN"),
            QStringLiteral("gsmDebugTxPoll"),
            QStringLiteral("gsmDebugWrite")};
}

QList<QRegularExpression> buildUserCodePatterns()
{
    // "(?!\w)" after the name: a name must not be the beginning of a longer
    // name ("gsmWrite" / "gsmWriteCompleted").
    static const QString pattern = QStringLiteral(
        "(//\\s*USER\\s+CODE\\s+BEGIN\\s+%1(?!\\w)[\\s\\S]*?//\\s*USER\\s+CODE\\s+END\\s+%1(?!\\w))");
    QList<QRegularExpression> patterns;
    for (const QString& name : userCodeSectionNames())
        patterns << QRegularExpression(pattern.arg(name));
    return patterns;
}

UserCodeMergeResult mergeUserCodeText(const QString& oldText, QString& newText,
                                      const QList<QRegularExpression>& patterns)
{
    const QStringList names = userCodeSectionNames();
    QList<Piece> pieces{Piece{newText, false}};
    QList<LostSection> lost;
    QList<int> handledStarts;               // old positions of the listed sections looked at
    QList<QPair<int, int>> carriedRanges;  // old ranges carried into the new text

    for (int i = 0; i < patterns.size(); ++i) {
        const QRegularExpression& pattern = patterns.at(i);
        const QString name = names.size() == patterns.size() ? names.at(i) : pattern.pattern();

        const QRegularExpressionMatch oldMatch = pattern.match(oldText);
        if (!oldMatch.hasMatch())
            continue;
        const QString oldSection = oldMatch.captured(1);
        handledStarts << oldMatch.capturedStart(1);

        QString newSection;
        for (const Piece& piece : qAsConst(pieces)) {
            if (piece.carried)
                continue;
            const QRegularExpressionMatch m = pattern.match(piece.text);
            if (m.hasMatch()) {
                newSection = m.captured(1);
                break;
            }
        }
        if (newSection.isEmpty()) {
            lost << LostSection{oldMatch.capturedStart(1), name};
            continue;
        }
        carriedRanges << qMakePair(oldMatch.capturedStart(1), oldMatch.capturedEnd(1));
        pieces = replaceInGenerated(pieces, newSection, oldSection);
    }
    newText = joinPieces(pieces);

    // Every other section of the old file: a section the list does not
    // carry, a second copy of a listed one, or a BEGIN marker whose END
    // marker is gone. Its code survives only if the merged text holds it.
    static const QRegularExpression beginMarker(QStringLiteral("//\\s*USER\\s+CODE\\s+BEGIN[ \\t]+([^\\r\\n]*)"));
    QRegularExpressionMatchIterator it = beginMarker.globalMatch(oldText);
    while (it.hasNext()) {
        const QRegularExpressionMatch begin = it.next();
        const int position = begin.capturedStart(0);
        if (handledStarts.contains(position))
            continue;
        const bool insideCarried = std::any_of(carriedRanges.cbegin(), carriedRanges.cend(),
                                               [position](const QPair<int, int>& r) {
                                                   return position >= r.first && position < r.second;
                                               });
        if (insideCarried)
            continue;
        const QString name = begin.captured(1).trimmed();
        if (name.isEmpty())
            continue;
        const QRegularExpression endMarker(QStringLiteral("//\\s*USER\\s+CODE\\s+END\\s+") +
                                           QRegularExpression::escape(name) + QStringLiteral("(?!\\w)"));
        const QRegularExpressionMatch end = endMarker.match(oldText, begin.capturedEnd(0));
        if (!end.hasMatch() || !newText.contains(oldText.mid(position, end.capturedEnd(0) - position)))
            lost << LostSection{position, name};
    }

    std::stable_sort(lost.begin(), lost.end(),
                     [](const LostSection& a, const LostSection& b) { return a.position < b.position; });
    UserCodeMergeResult result;
    for (const LostSection& l : qAsConst(lost))
        if (!result.lostSections.contains(l.name))
            result.lostSections << l.name;
    return result;
}

namespace {

// Line (1-based) of a text position.
int lineOf(const QString& text, int position)
{
    return text.leftRef(position).count(QLatin1Char('\n')) + 1;
}

// "Name (lines A-B)" for the first section of that name in the old text.
QString describeSection(const QString& oldText, const QString& name)
{
    const QRegularExpression begin(QStringLiteral("//\\s*USER\\s+CODE\\s+BEGIN\\s+") +
                                   QRegularExpression::escape(name));
    const QRegularExpressionMatch b = begin.match(oldText);
    if (!b.hasMatch())
        return name;
    const QRegularExpression end(QStringLiteral("//\\s*USER\\s+CODE\\s+END\\s+") + QRegularExpression::escape(name));
    const QRegularExpressionMatch e = end.match(oldText, b.capturedEnd(0));
    const int first = lineOf(oldText, b.capturedStart(0));
    if (!e.hasMatch())
        return name + QStringLiteral(" (line %1)").arg(first);
    return name + QStringLiteral(" (lines %1-%2)").arg(first).arg(lineOf(oldText, e.capturedStart(0)));
}

} // namespace

UserCodeMergePlan planUserCodeMerge(const QString& filePath, const QString& newText, bool isCpp)
{
    UserCodeMergePlan plan;
    const QFileInfo info(filePath);
    plan.fileName = info.fileName();
    const QString suffix = info.suffix().toLower();
    plan.targetPath = filePath;
    if (suffix == QLatin1String("c") || suffix == QLatin1String("cpp"))
        plan.targetPath = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') +
                          (isCpp ? QStringLiteral("cpp") : QStringLiteral("c"));

    QFile in(filePath);
    if (!in.open(QIODevice::ReadOnly)) {
        plan.readError = in.errorString();
        return plan;
    }
    plan.oldBytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        plan.readError = in.errorString();
        plan.oldBytes.clear();
        return plan;
    }
    in.close();
    plan.readOk = true;

    const DecodedFile old = decodeManagerFile(plan.oldBytes);
    QString merged = newText;
    const UserCodeMergeResult result = mergeUserCodeText(old.text, merged, buildUserCodePatterns());
    for (const QString& name : result.lostSections)
        plan.lostSections << describeSection(old.text, name);
#ifdef Q_OS_WIN
    merged.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
#endif
    plan.mergedBytes = old.codec->fromUnicode(merged);
    return plan;
}

bool mergeUserCodeAndWrite(const QString& filePath, QString& newText, bool isCpp, UserCodeMergeReport* report)
{
    UserCodeMergeReport localReport;
    UserCodeMergeReport& rep = report ? *report : localReport;
    rep = UserCodeMergeReport();

    const UserCodeMergePlan plan = planUserCodeMerge(filePath, newText, isCpp);
    const QString& fileName = plan.fileName;
    const QString& target = plan.targetPath;
    rep.fileName = fileName;
    if (!plan.readOk) {
        userInteraction().critical(
            QStringLiteral("Read Error"),
            QStringLiteral("Error encountered while trying to save 'USER CODE' sections.\n\nUnable to open file '") +
                filePath + QStringLiteral("' for reading."));
        return false;
    }
    const QFileInfo info(filePath);
    const QByteArray& oldBytes = plan.oldBytes;
    rep.lostSections = plan.lostSections;

    if (!plan.lostSections.isEmpty()) {
        const bool backup = userInteraction().askYesNo(
            UserInteraction::Icon::Warning, QStringLiteral("Warning"),
            QStringLiteral("One of the 'USER CODE' sections from ") + fileName +
                QStringLiteral(" is no longer being generated. This can occur when a library module (that was "
                               "previously included) has been removed from the 'Library Modules' list.\n\nWould "
                               "you like to save a copy of your ") +
                fileName + QStringLiteral(" file before continuing?"));
        if (backup) {
            const QString folder = userInteraction().selectFolder(nullptr, QStringLiteral("Select Folder"));
            // A cancelled dialog ends the merge: the developer asked for a
            // copy and has none, so nothing may be overwritten.
            if (folder.isEmpty())
                return false;
            const QString backupPath = folder + QLatin1Char('/') + fileName;
            const QString resolvedBackup = resolvedPath(folder, fileName);
            if (resolvedBackup == resolvedPath(info.absolutePath(), fileName) ||
                resolvedBackup == resolvedPath(info.absolutePath(), QFileInfo(target).fileName())) {
                // The copy would be the file being regenerated (or the one
                // the new text goes to) and would be overwritten at once.
                userInteraction().critical(
                    QStringLiteral("Write Error"),
                    QStringLiteral("The backup copy '") + backupPath +
                        QStringLiteral("' would be overwritten by the generated code. Please choose another "
                                       "folder for the copy of ") +
                        fileName + QStringLiteral(" and try again."));
                return false;
            }
            // The copy is the old file byte for byte.
            QFile out(backupPath);
            bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
            if (written) {
                written = out.write(oldBytes) == oldBytes.size();
                out.close();
                written = written && out.error() == QFileDevice::NoError;
            }
            if (!written) {
                userInteraction().critical(QStringLiteral("Write Error"),
                                           QStringLiteral("Unable to open file '") + backupPath +
                                               QStringLiteral("' for writing. Please manually backup ") +
                                               fileName + QStringLiteral(" and try again."));
                return false;
            }
            rep.backupPath = backupPath;
        }
    }

    QFile out(target);
    bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (written) {
        written = out.write(plan.mergedBytes) == plan.mergedBytes.size();
        out.close();
        written = written && out.error() == QFileDevice::NoError;
    }
    if (!written) {
        userInteraction().critical(QStringLiteral("Write Error"),
                                   QStringLiteral("Unable to open file '") + target +
                                       QStringLiteral("' for writing."));
        return false;
    }
    newText = QString::fromUtf8(plan.mergedBytes);
    rep.writtenPath = target;
    return true;
}
