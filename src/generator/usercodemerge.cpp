#include "usercodemerge.h"

#include "fileutil.h"
#include "userinteraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextCodec>
#include <QVector>

#include <algorithm>
#include <cstring>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

int skipBlanks(const char* p, int at, int end)
{
    while (at < end && isBlank(p[at]))
        ++at;
    return at;
}

// True, with `at` moved past the word, when the text at `at` is `word`.
bool takeWord(const char* p, int& at, int end, const char* word)
{
    const int n = int(std::strlen(word));
    if (end - at < n || std::memcmp(p + at, word, size_t(n)) != 0)
        return false;
    at += n;
    return true;
}

// Like takeWord, but the word must be followed by white space, which is
// skipped too.
bool takeWordAndBlanks(const char* p, int& at, int end, const char* word)
{
    int next = at;
    if (!takeWord(p, next, end, word))
        return false;
    const int after = skipBlanks(p, next, end);
    if (after == next)
        return false;
    at = after;
    return true;
}

// One BEGIN or END marker line of a text.
struct Marker
{
    int line = 0;       // 1-based
    bool begin = false; // BEGIN or END
    QByteArray name;    // runs of white space collapsed to one space
    int start = 0;      // offset of the two slashes
    int end = 0;        // offset just after the name
};

// A line is a marker only as a whole: blanks, "//", optional white space,
// USER, CODE, BEGIN or END, the name, blanks. Marker text anywhere else in a
// line (a string literal, a comment after code) is code.
bool parseMarkerLine(const char* p, int from, int to, Marker& marker)
{
    int at = skipBlanks(p, from, to);
    const int start = at;
    if (!takeWord(p, at, to, "//"))
        return false;
    at = skipBlanks(p, at, to);
    if (!takeWordAndBlanks(p, at, to, "USER") || !takeWordAndBlanks(p, at, to, "CODE"))
        return false;
    bool begin = true;
    if (!takeWordAndBlanks(p, at, to, "BEGIN")) {
        if (!takeWordAndBlanks(p, at, to, "END"))
            return false;
        begin = false;
    }
    int nameEnd = to;
    while (nameEnd > at && isBlank(p[nameEnd - 1]))
        --nameEnd;
    if (nameEnd == at)
        return false;
    marker.begin = begin;
    marker.start = start;
    marker.end = nameEnd;
    marker.name = QByteArray(p + at, nameEnd - at).simplified();
    return true;
}

// All names of a text with their marker lines. A name is clean when it has
// exactly one BEGIN line followed by exactly one END line, no other marker
// line between them, and its pair does not lie between a BEGIN line of
// another name and the next END line of that name: only then is the text
// between them one section. Anything else is ambiguous and never guessed at.
struct NameInfo
{
    QByteArray name;
    QVector<int> markers; // indices into Parsed::markers, in file order
    int begins = 0;
    int ends = 0;
    bool clean = false;
    bool enclosed = false;
};

struct Parsed
{
    QVector<Marker> markers;
    QVector<NameInfo> names; // in the order of their first marker line
    QHash<QByteArray, int> byName;
    int lineCount = 0;
};

Parsed parseSections(const QByteArray& text)
{
    Parsed parsed;
    const char* p = text.constData();
    const int size = text.size();
    int from = 0;
    int line = 1;
    for (;;) {
        const int newline = text.indexOf('\n', from);
        const int to = newline < 0 ? size : newline;
        Marker marker;
        if (parseMarkerLine(p, from, to, marker)) {
            marker.line = line;
            parsed.markers << marker;
        }
        if (newline < 0)
            break;
        from = newline + 1;
        ++line;
    }
    parsed.lineCount = (size > 0 && text.endsWith('\n')) ? line - 1 : line;

    for (int i = 0; i < parsed.markers.size(); ++i) {
        const Marker& m = parsed.markers.at(i);
        auto it = parsed.byName.find(m.name);
        if (it == parsed.byName.end()) {
            it = parsed.byName.insert(m.name, parsed.names.size());
            parsed.names << NameInfo{m.name, {}, 0, 0, false, false};
        }
        NameInfo& info = parsed.names[it.value()];
        info.markers << i;
        (m.begin ? info.begins : info.ends) += 1;
    }

    // How many sections span each marker line, a section here being any
    // BEGIN line up to the next END line of its name.
    QVector<int> cover(parsed.markers.size() + 1, 0);
    for (const NameInfo& info : qAsConst(parsed.names)) {
        int nextEnd = -1;
        for (int k = info.markers.size() - 1; k >= 0; --k) {
            const int i = info.markers.at(k);
            if (!parsed.markers.at(i).begin) {
                nextEnd = i;
            } else if (nextEnd >= 0) {
                ++cover[i];
                --cover[nextEnd + 1];
            }
        }
    }
    for (int i = 1; i < cover.size(); ++i)
        cover[i] += cover[i - 1];

    for (NameInfo& info : parsed.names) {
        if (info.begins != 1 || info.ends != 1)
            continue;
        const int b = info.markers.at(0);
        const int e = info.markers.at(1);
        if (!parsed.markers.at(b).begin || e != b + 1)
            continue;
        info.enclosed = cover.at(b) > 1;
        info.clean = !info.enclosed;
    }
    return parsed;
}

// "line A" or "lines A, B, C"; a long list is cut after a few lines.
QString lineList(const Parsed& parsed, const NameInfo& info)
{
    const int shown = 8;
    QStringList lines;
    for (int k = 0; k < info.markers.size() && k < shown; ++k)
        lines << QString::number(parsed.markers.at(info.markers.at(k)).line);
    if (info.markers.size() > shown)
        lines << QStringLiteral("... (%1 marker lines)").arg(info.markers.size());
    return (lines.size() == 1 ? QStringLiteral("line ") : QStringLiteral("lines ")) +
           lines.join(QStringLiteral(", "));
}

// "Name (lines A-B)" for a section, "Name (line A: why)" or
// "Name (lines A, B, C: why)" for the marker lines of an ambiguous name.
QString describe(const Parsed& parsed, const NameInfo& info)
{
    const QString name = QString::fromUtf8(info.name);
    if (info.clean)
        return name + QStringLiteral(" (lines %1-%2)")
                          .arg(parsed.markers.at(info.markers.at(0)).line)
                          .arg(parsed.markers.at(info.markers.at(1)).line);
    QString why;
    if (info.begins == 0)
        why = QStringLiteral("END without BEGIN");
    else if (info.ends == 0)
        why = QStringLiteral("BEGIN without END");
    else if (info.begins > 1 || info.ends > 1)
        why = QStringLiteral("more than one BEGIN or END");
    else if (!parsed.markers.at(info.markers.at(0)).begin)
        why = QStringLiteral("END before BEGIN");
    else if (info.enclosed)
        why = QStringLiteral("inside another section");
    else
        why = QStringLiteral("other USER CODE markers inside");
    return name + QStringLiteral(" (") + lineList(parsed, info) + QStringLiteral(": ") + why +
           QLatin1Char(')');
}

// "line 1" or "lines 1-N".
QString lineSpan(int lineCount)
{
    return lineCount <= 1 ? QStringLiteral("line 1") : QStringLiteral("lines 1-%1").arg(lineCount);
}

bool hasCode(const QByteArray& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](char c) { return c != '\n' && !isBlank(c); });
}

struct Replacement
{
    int newStart, newEnd; // the generated section in the new text
    int oldStart, oldEnd; // the developer's section in the old text
};

struct SectionMerge
{
    QByteArray merged;
    QStringList lost;
};

// The merge proper, on bytes: every clean listed section of the old text
// replaces the section of the same name in the new text, from the two
// slashes of its BEGIN marker to the end of the name on its END line.
SectionMerge mergeSections(const QByteArray& oldText, const QByteArray& newText)
{
    static const QSet<QByteArray> listed = [] {
        QSet<QByteArray> set;
        for (const QString& name : userCodeSectionNames())
            set.insert(name.toUtf8());
        return set;
    }();

    const Parsed old = parseSections(oldText);
    const Parsed fresh = parseSections(newText);

    QSet<QByteArray> placed;
    QVector<Replacement> replacements;
    for (const NameInfo& f : fresh.names) {
        if (!f.clean)
            continue;
        placed.insert(f.name);
        const int o = old.byName.value(f.name, -1);
        if (o < 0 || !listed.contains(f.name) || !old.names.at(o).clean)
            continue;
        const NameInfo& info = old.names.at(o);
        replacements << Replacement{
            fresh.markers.at(f.markers.at(0)).start, fresh.markers.at(f.markers.at(1)).end,
            old.markers.at(info.markers.at(0)).start, old.markers.at(info.markers.at(1)).end};
    }
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.newStart < b.newStart; });

    SectionMerge result;
    qsizetype size = newText.size();
    for (const Replacement& r : qAsConst(replacements))
        size += (r.oldEnd - r.oldStart) - (r.newEnd - r.newStart);
    result.merged.reserve(int(size));
    int copied = 0;
    for (const Replacement& r : qAsConst(replacements)) {
        result.merged.append(newText.constData() + copied, r.newStart - copied);
        result.merged.append(oldText.constData() + r.oldStart, r.oldEnd - r.oldStart);
        copied = r.newEnd;
    }
    result.merged.append(newText.constData() + copied, newText.size() - copied);

    for (const NameInfo& info : old.names) {
        bool lost = !info.clean;
        if (info.clean && listed.contains(info.name)) {
            lost = !placed.contains(info.name);
        } else if (info.clean) {
            // A name that is not carried over: its code survives only if
            // the merged text holds the whole section.
            const int start = old.markers.at(info.markers.at(0)).start;
            const int end = old.markers.at(info.markers.at(1)).end;
            lost = !result.merged.contains(QByteArray::fromRawData(oldText.constData() + start, end - start));
        }
        if (lost)
            result.lost << describe(old, info);
    }
    if (old.markers.isEmpty() && hasCode(oldText))
        result.lost
            << QStringLiteral("whole file (%1: no USER CODE section found)").arg(lineSpan(old.lineCount));
    return result;
}

// The old file's bytes ready for the merge: without a byte-order mark,
// UTF-16/32 turned into UTF-8, CR LF turned into LF as a text-mode read
// always did (the compiler sees the same lines; a lone CR is kept).
struct PreparedFile
{
    QByteArray text;
    bool bom = false;
    QStringList lost;
    QStringList notes;
};

PreparedFile prepareOldFile(const QByteArray& bytes, const QString& fileName)
{
    PreparedFile prepared;
    if (bytes.startsWith(kUtf8Bom)) {
        prepared.bom = true;
        prepared.text = bytes.mid(kUtf8Bom.size());
    } else if (QTextCodec* codec = QTextCodec::codecForUtfText(bytes, nullptr)) {
        // A UTF-16 or UTF-32 byte-order mark.
        QTextCodec::ConverterState state;
        QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        prepared.bom = true;
        prepared.text = text.toUtf8();
        const QString encoding = QString::fromLatin1(codec->name());
        prepared.notes << fileName + QStringLiteral(" was saved as ") + encoding +
                              QStringLiteral("; it is written as UTF-8 with a byte-order mark");
        if (state.invalidChars > 0)
            prepared.lost << QStringLiteral("whole file (%1: not valid %2)")
                                 .arg(lineSpan(prepared.text.count('\n') + 1), encoding);
    } else {
        prepared.text = bytes;
    }
    prepared.text.replace("\r\n", "\n");
    return prepared;
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

UserCodeMergeResult mergeUserCodeText(const QString& oldText, QString& newText)
{
    QByteArray old = oldText.toUtf8();
    old.replace("\r\n", "\n");
    SectionMerge merged = mergeSections(old, newText.toUtf8());
    newText = QString::fromUtf8(merged.merged);
    UserCodeMergeResult result;
    result.lostSections = merged.lost;
    return result;
}

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

    const PreparedFile old = prepareOldFile(plan.oldBytes, plan.fileName);
    SectionMerge merged = mergeSections(old.text, newText.toUtf8());
    plan.lostSections = old.lost + merged.lost;
    plan.notes = old.notes;
#ifdef Q_OS_WIN
    merged.merged.replace("\n", "\r\n");
#endif
    if (old.bom)
        merged.merged.prepend(kUtf8Bom);
    plan.mergedBytes = merged.merged;
    return plan;
}

void showMergeReadError(const QString& filePath, const UserCodeMergePlan& plan)
{
    userInteraction().critical(
        QStringLiteral("Read Error"),
        QStringLiteral("Error encountered while trying to save 'USER CODE' sections.\n\nUnable to open file '") +
            filePath + QStringLiteral("' for reading.") +
            (plan.readError.isEmpty() ? QString() : QStringLiteral("\n\n") + plan.readError));
}

bool askLostSectionBackup(const UserCodeMergePlan& plan, QString& backupPath)
{
    backupPath.clear();
    if (plan.lostSections.isEmpty())
        return true;
    const bool wantsBackup = userInteraction().askYesNo(
        UserInteraction::Icon::Warning, QStringLiteral("Warning"),
        QStringLiteral("One of the 'USER CODE' sections from ") + plan.fileName +
            QStringLiteral(" is no longer being generated. This can occur when a library module (that was "
                           "previously included) has been removed from the 'Library Modules' list.\n\nWould "
                           "you like to save a copy of your ") +
            plan.fileName + QStringLiteral(" file before continuing?"),
        UserInteraction::Button::Yes,
        QStringLiteral("USER CODE sections of ") + plan.fileName + QStringLiteral(" that would be lost:\n") +
            plan.lostSections.join(QLatin1Char('\n')));
    if (!wantsBackup)
        return true;
    const QString folder = userInteraction().selectFolder(nullptr, QStringLiteral("Select Folder"));
    if (folder.isEmpty())
        return false;
    backupPath = freeBackupPath(folder, plan.fileName);
    return true;
}

bool mergeUserCodeAndWrite(const QString& filePath, QString& newText, bool isCpp)
{
    const UserCodeMergePlan plan = planUserCodeMerge(filePath, newText, isCpp);
    if (!plan.readOk) {
        showMergeReadError(filePath, plan);
        return false;
    }
    const QString problem = entryWriteProblem(plan.targetPath);
    if (!problem.isEmpty()) {
        userInteraction().critical(QStringLiteral("Write Error"), QStringLiteral("Unable to open file '") +
                                                                      plan.targetPath +
                                                                      QStringLiteral("' for writing.\n\n") + problem);
        return false;
    }
    QString backupPath;
    // A cancelled folder dialog ends the merge: the developer asked for a
    // copy and has none, so nothing may be overwritten.
    if (!askLostSectionBackup(plan, backupPath))
        return false;
    QString error;
    if (!backupPath.isEmpty() && !writeFileAtomically(backupPath, plan.oldBytes, &error)) {
        userInteraction().critical(QStringLiteral("Write Error"),
                                   QStringLiteral("Unable to open file '") + backupPath +
                                       QStringLiteral("' for writing. Please manually backup ") + plan.fileName +
                                       QStringLiteral(" and try again.\n\n") + error);
        return false;
    }
    if (!writeFileAtomically(plan.targetPath, plan.mergedBytes, &error)) {
        userInteraction().critical(QStringLiteral("Write Error"), QStringLiteral("Unable to open file '") +
                                                                      plan.targetPath +
                                                                      QStringLiteral("' for writing.\n\n") + error);
        return false;
    }
    QByteArray merged = plan.mergedBytes.startsWith(kUtf8Bom) ? plan.mergedBytes.mid(kUtf8Bom.size()) : plan.mergedBytes;
#ifdef Q_OS_WIN
    merged.replace("\r\n", "\n");
#endif
    newText = QString::fromUtf8(merged);
    return true;
}
