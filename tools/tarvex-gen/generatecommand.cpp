// generate: the Generate Code command without a window. The project folder's
// settings file is applied as Open would apply it, then the very workflow of
// the Generate Code button runs; its questions are answered from the command
// line and its messages go to standard error, one line each.

#include "command.h"
#include "generateworkflow.h"
#include "headlessproject.h"
#include "options.h"
#include "projectsettings.h"
#include "userinteraction.h"

#include <QDir>
#include <QFileInfo>

namespace tarvexgen {

namespace {

// Answers the workflow's boxes from the options and prints each box as one
// line on standard error.
class CommandLineInteraction : public UserInteraction
{
public:
    CommandLineInteraction(const Console& console, bool deleteStale, const QString& backupDir,
                           const QString& sourceFrom)
        : mConsole(console)
        , mDeleteStale(deleteStale)
        , mBackupDir(backupDir)
        , mSourceFrom(sourceFrom)
    {
    }

    void critical(const QString& title, const QString& text) override { print(title, text); }
    void information(const QString& title, const QString& text) override { print(title, text); }

    bool askYesNo(Icon, const QString& title, const QString& text, Button, const QString& details) override
    {
        if (title == QLatin1String("Remove File?")) {
            print(title, text, mDeleteStale ? QStringLiteral("Yes (--delete-stale)")
                                             : QStringLiteral("No (--keep-stale)"));
            return mDeleteStale;
        }
        if (title == QLatin1String("Warning")) {
            // USER CODE sections would be lost. The copy is always asked for:
            // with --backup-dir it is made there, without it the folder
            // choice comes back empty and the merge stops, writing nothing.
            if (!mBackupDir.isEmpty())
                print(title, text + QLatin1Char(' ') + details,
                      QStringLiteral("Yes, a copy goes to ") + mBackupDir + QStringLiteral(" (--backup-dir)"));
            return true;
        }
        print(title, text, QStringLiteral("No"));
        return false;
    }

    QString askChoice(const QString& title, const QString& text, const QStringList& choices, Icon) override
    {
        const QString wanted = QStringLiteral("gsm_manager.") + mSourceFrom;
        const QString answer = !mSourceFrom.isEmpty() && choices.contains(wanted) ? wanted : QString();
        print(title, text, answer.isEmpty() ? QStringLiteral("none chosen") : answer + QStringLiteral(" (--source-from)"));
        return answer;
    }

    QString selectFolder(QWidget*, const QString&) override { return mBackupDir; }

private:
    void print(const QString& title, QString text, const QString& answer = QString()) const
    {
        text.replace(QStringLiteral("\n\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        mConsole.error(title + QStringLiteral(": ") + text + (answer.isEmpty() ? QString() : QStringLiteral(" -> ") + answer));
    }

    const Console& mConsole;
    const bool mDeleteStale;
    const QString mBackupDir;
    const QString mSourceFrom;
};

// Restores the interaction in force when the command ends.
struct InteractionScope
{
    explicit InteractionScope(UserInteraction* interaction) { setUserInteraction(interaction); }
    ~InteractionScope() { setUserInteraction(nullptr); }
};

} // namespace

int runGenerate(const Subcommand& self, const QStringList& args, const Console& console)
{
    const QString prefix = QStringLiteral("tarvex-gen %1: ").arg(QLatin1String(self.name));

    // The flags and the project folder first; the valued options go to the
    // shared parser.
    QStringList valued;
    QString projectDir;
    bool deleteStale = false;
    int staleFlags = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--delete-stale") || arg == QLatin1String("--keep-stale")) {
            deleteStale = arg == QLatin1String("--delete-stale");
            ++staleFlags;
        } else if (arg == QLatin1String("--backup-dir") || arg == QLatin1String("--source-from")) {
            valued << arg;
            if (i + 1 < args.size())
                valued << args.at(++i);
        } else if (arg.startsWith(QLatin1Char('-')) || !projectDir.isEmpty()) {
            valued << arg;
        } else {
            projectDir = arg;
        }
    }
    ParsedOptions options;
    QString problem = parseOptions(valued, {{"backup-dir", "DIR"}, {"source-from", "c|cpp"}}, options);
    if (problem.isEmpty() && options.help) {
        console.print(subcommandUsage(self) +
                      QStringLiteral("\nOptions:\n"
                                     "  --keep-stale         keep gsm_manager.c/.cpp, Tarvex or src left over from\n"
                                     "                       another language or layout (the default)\n"
                                     "  --delete-stale       delete them\n"
                                     "  --backup-dir DIR     when USER CODE sections would be lost (no longer\n"
                                     "                       generated, or ambiguous: a name with two BEGIN lines,\n"
                                     "                       an END without BEGIN, no section at all), copy the\n"
                                     "                       old file into DIR and go on without them (without\n"
                                     "                       this option the run stops with status 4)\n"
                                     "  --source-from c|cpp  when both gsm_manager.c and gsm_manager.cpp exist, take\n"
                                     "                       the USER CODE from this one (else status 4)\n"));
        return ExitOk;
    }
    const QString sourceFrom = options.values.value(QStringLiteral("source-from"));
    const QString backupDir = options.values.value(QStringLiteral("backup-dir"));
    if (problem.isEmpty() && staleFlags > 1)
        problem = QStringLiteral("give --delete-stale or --keep-stale once");
    if (problem.isEmpty() && !sourceFrom.isEmpty() && sourceFrom != QLatin1String("c") &&
        sourceFrom != QLatin1String("cpp"))
        problem = QStringLiteral("--source-from takes c or cpp, not '%1'").arg(sourceFrom);
    if (problem.isEmpty() && projectDir.isEmpty())
        problem = QStringLiteral("missing PROJECT_DIR");
    if (problem.isEmpty() && !backupDir.isEmpty() && !QFileInfo(backupDir).isDir())
        problem = QStringLiteral("backup folder does not exist: %1").arg(backupDir);
    if (!problem.isEmpty()) {
        console.error(prefix + problem);
        return ExitUsageOrInput;
    }
    if (!QFileInfo(projectDir).isDir()) {
        console.error(prefix + QStringLiteral("project folder does not exist: %1").arg(projectDir));
        return ExitUsageOrInput;
    }

    HeadlessProject project;
    QString loadProblem;
    if (!project.loadSettingsFile(projectSettingsFilePath(projectDir), &loadProblem)) {
        console.error(prefix + loadProblem);
        return ExitUsageOrInput;
    }

    // Which file the USER CODE comes from is decided before anything is written.
    const QDir dir(project.projectPath());
    if (sourceFrom.isEmpty() && QFileInfo::exists(dir.filePath(QStringLiteral("gsm_manager.c"))) &&
        QFileInfo::exists(dir.filePath(QStringLiteral("gsm_manager.cpp")))) {
        console.error(prefix + QStringLiteral("both gsm_manager.c and gsm_manager.cpp exist in %1; choose the one "
                                              "to take the USER CODE sections from with --source-from c|cpp")
                                   .arg(project.projectPath()));
        return ExitNeedsDecision;
    }

    CommandLineInteraction interaction(console, deleteStale, backupDir, sourceFrom);
    InteractionScope scope(&interaction);
    GenerateReport report;
    const bool generated = generateCode(project, nullptr, &report);
    for (const QString& note : qAsConst(report.notes))
        console.error(prefix + note);
    if (generated)
        return ExitOk;

    switch (report.outcome) {
    case GenerateReport::Outcome::RuleMessage:
        return ExitRuleMessage;
    case GenerateReport::Outcome::BackupDeclined: {
        // Both manager files were planned before the stop: one message names
        // what each of them would lose.
        QStringList files;
        for (const ManagerFileReport& merge : qAsConst(report.merges)) {
            if (!merge.lostSections.isEmpty())
                files << QDir(project.projectPath()).filePath(merge.fileName) + QStringLiteral(": ") +
                             merge.lostSections.join(QStringLiteral(", "));
        }
        console.error(prefix + QStringLiteral("USER CODE sections that would be lost in %1. Nothing was written; run "
                                              "again with --backup-dir DIR to keep a copy of the old files and drop "
                                              "them")
                                   .arg(files.join(QStringLiteral("; "))));
        return ExitNeedsDecision;
    }
    default:
        return ExitFailed;
    }
}

} // namespace tarvexgen
