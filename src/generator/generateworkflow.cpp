#include "generateworkflow.h"

#include "fileutil.h"
#include "librarywriter.h"
#include "managerassembly.h"
#include "projectmodel.h"
#include "projectsettings.h"
#include "selectionrules.h"
#include "usercodemerge.h"
#include "userinteraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kHeaderName = QStringLiteral("gsm_manager.h");
const QString kSourceC = QStringLiteral("gsm_manager.c");
const QString kSourceCpp = QStringLiteral("gsm_manager.cpp");

QString unableToWrite(const QString& path)
{
    return QStringLiteral("Unable to open file '") + path + QStringLiteral("' for writing.");
}

void writeError(const QString& path, const QString& reason)
{
    userInteraction().critical(QStringLiteral("Write Error"), unableToWrite(path) + QStringLiteral("\n\n") + reason);
}

bool askRemove(const QString& text)
{
    // Deleting is never what Enter or Escape does.
    return userInteraction().askYesNo(UserInteraction::Icon::Question, QStringLiteral("Remove File?"), text,
                                      UserInteraction::Button::No);
}

bool entryExists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

// Deletes a folder with everything in it, going on past entries that cannot
// be removed. A symbolic link is removed as a link: the folder it points to,
// which may lie outside the project, is never emptied (links inside the
// folder are removed as links too). True when nothing is left.
bool removeEntry(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
    return !entryExists(path);
}

// One manager file of the write half.
struct ManagerWrite
{
    QString path;
    QByteArray bytes;
    int reportIndex = -1; // into GenerateReport::merges, -1 for a new file
};

struct BackupWrite
{
    QString path;
    QString fileName;
    QByteArray bytes;
    int reportIndex;
};

} // namespace

QStringList GenerateReport::lostSections(const QString& fileName) const
{
    QStringList names;
    for (const ManagerFileReport& merge : merges)
        if (merge.fileName == fileName)
            names << merge.lostSections;
    return names;
}

bool generateCode(ProjectModel& project, UsageEventHook* usage, GenerateReport* report)
{
    GenerateReport localReport;
    GenerateReport& rep = report ? *report : localReport;
    rep = GenerateReport();
    using Outcome = GenerateReport::Outcome;
    auto stopWith = [&rep](Outcome outcome) {
        rep.outcome = outcome;
        return false;
    };

    if (usage)
        usage->generateStart();

    const QString path = project.projectPath();
    if (path.isEmpty()) {
        userInteraction().critical(
            QStringLiteral("Project Path Error"),
            QStringLiteral("Please specify a path for the project ('Save As') and then try again."));
        return stopWith(Outcome::PathError);
    }
    if (!QFileInfo(path).isDir()) {
        userInteraction().critical(
            QStringLiteral("Project Path Error"),
            QStringLiteral("The project path specified does not exist - please correct this and then try again."));
        return stopWith(Outcome::PathError);
    }
    auto inProject = [&](const QString& name) { return path + QLatin1Char('/') + name; };

    // The settings as the developer left them, before the rules add modules;
    // the file itself is written only once the run is sure to write.
    const QString settingsPath = projectSettingsFilePath(path);
    const QByteArray settingsBytes = textFileBytes(QString::fromUtf8(projectSettingsText(project)));

    const QStringList ruleMessages = applyModuleDependencies(project);
    if (!ruleMessages.isEmpty()) {
        userInteraction().critical(QStringLiteral("Module Dependencies"), ruleMessages.join(QLatin1Char('\n')));
        return stopWith(Outcome::RuleMessage);
    }

    const QList<TarvexMdl*> modules = project.checkedModules();
    const bool isCpp = project.isCpp();
    if (!isCpp)
        project.setArduinoChecked(false);
    const bool isArduino = project.isArduino();
    const QString libraryFolder = generationLibraryFolder(isCpp, isArduino);
    rep.libraryFolder = libraryFolder;

    const ManagerTexts texts = buildManagerTexts(modules, libraryFolder, isCpp);

    // Every entry the run reads, writes or deletes is looked at before any
    // of them is opened: reading a FIFO would block for ever, and a link
    // would lead the writes out of the project.
    const QString headerPath = inProject(kHeaderName);
    const QString cPath = inProject(kSourceC);
    const QString cppPath = inProject(kSourceCpp);
    const QString sourceTarget = isCpp ? cppPath : cPath;
    for (const QString& file : {settingsPath, headerPath, cPath, cppPath}) {
        const bool target = file == settingsPath || file == headerPath || file == sourceTarget;
        const QString problem = entryWriteProblem(file, !target);
        if (!problem.isEmpty()) {
            writeError(file, problem + QStringLiteral("\n\nNothing has been written."));
            return stopWith(Outcome::Refused);
        }
    }
    LibraryWritePlan library =
        planLibraryFiles(libraryFolder, QString(), QString(), QDir(path), modules, fileHeaderLines());
    if (!reportLibraryPlanProblem(library))
        return stopWith(Outcome::Refused);
    const QString licencePath = inProject(libraryFolder + QStringLiteral("/LICENSE.txt"));
    library.staleFiles.removeAll(QDir::cleanPath(QFileInfo(licencePath).absoluteFilePath())); // replaced, not removed
    {
        const QString problem = entryWriteProblem(licencePath, true);
        if (!problem.isEmpty()) {
            userInteraction().critical(
                QStringLiteral("Licensing Error"),
                QStringLiteral("Unable to download LICENSE agreement. Please review folder write permissions.\n\n") +
                    problem + QStringLiteral("\n\nNothing has been written."));
            return stopWith(Outcome::Refused);
        }
    }

    // The manager files: merge, warn, ask for the backup folder. Once a
    // backup folder has been refused the run stops, but the remaining manager
    // files are still merged, without a question, so that the report names
    // every section that would be lost, not only those of the first file.
    QList<BackupWrite> backups;
    bool backupRefused = false;
    auto planManager = [&](const QString& filePath, const QString& newText, ManagerWrite& out) {
        const UserCodeMergePlan plan = planUserCodeMerge(filePath, newText, isCpp);
        if (!plan.readOk && backupRefused)
            return false;
        if (!plan.readOk) {
            showMergeReadError(filePath, plan);
            return stopWith(Outcome::Refused);
        }
        ManagerFileReport merge;
        merge.fileName = plan.fileName;
        merge.lostSections = plan.lostSections;
        rep.merges << merge;
        rep.notes << plan.notes;
        out = ManagerWrite{plan.targetPath, plan.mergedBytes, rep.merges.size() - 1};
        if (backupRefused)
            return true;
        if (plan.targetPath != filePath) {
            const QString problem = entryWriteProblem(plan.targetPath);
            if (!problem.isEmpty()) {
                writeError(plan.targetPath, problem + QStringLiteral("\n\nNothing has been written."));
                return stopWith(Outcome::Refused);
            }
        }
        if (plan.lostSections.isEmpty())
            return true;
        QString backupPath;
        if (!askLostSectionBackup(plan, backupPath)) {
            // A cancelled folder dialog ends the run: the developer asked
            // for a copy and has none, so nothing may be overwritten.
            backupRefused = true;
            rep.outcome = Outcome::BackupDeclined;
        } else if (!backupPath.isEmpty()) {
            backups << BackupWrite{backupPath, plan.fileName, plan.oldBytes, rep.merges.size() - 1};
        }
        return true;
    };

    ManagerWrite header{headerPath, textFileBytes(texts.header)};
    if (QFileInfo::exists(headerPath) && !planManager(headerPath, texts.header, header))
        return false;

    const bool cExists = QFileInfo::exists(cPath);
    const bool cppExists = QFileInfo::exists(cppPath);
    ManagerWrite source{sourceTarget, textFileBytes(texts.source)};
    if (cExists != cppExists) {
        if (!planManager(cExists ? cPath : cppPath, texts.source, source))
            return false;
    } else if (cExists && cppExists && !backupRefused) {
        const QString choice = askChoice(
            QStringLiteral("Select Input File"),
            QStringLiteral("The specified directory includes a gsm_manager.cpp and gsm_manager.c file.\n\nPlease "
                           "choose which file to use when extracting 'USER CODE' sections."),
            {kSourceC, kSourceCpp, QStringLiteral("Cancel")}, UserInteraction::Icon::Information);
        if (choice != kSourceC && choice != kSourceCpp) {
            userInteraction().critical(
                QStringLiteral("Write Error"),
                QStringLiteral("No gsm_manager file has been chosen. A new gsm_manager file will not be output "
                               "with the current project settings.\n\nPlease delete the gsm_manager file you do "
                               "not need, or select the correct file to be used when generating the code again."));
            return stopWith(Outcome::Stopped);
        }
        if (!planManager(inProject(choice), texts.source, source))
            return false;
    }

    if (backupRefused)
        return stopWith(Outcome::BackupDeclined);

    // Stale source file of the other language.
    bool removeStaleSource = false;
    const QString staleSource = isCpp ? cPath : cppPath;
    if (isCpp && cExists) {
        removeStaleSource = askRemove(QStringLiteral(
            "The current settings will generate a 'C++' project. However, a 'gsm_manager.c' file was found in the "
            "project path.\n\nWould you like to delete 'gsm_manager.c'?"));
    } else if (!isCpp && cppExists) {
        removeStaleSource = askRemove(QStringLiteral(
            "The current settings will generate a 'C' project. However, a 'gsm_manager.cpp' file was found in the "
            "project path.\n\nWould you like to delete 'gsm_manager.cpp'?"));
    }

    // Stale library folder of the other layout. A plain project's "src" is
    // only a leftover of the Arduino layout when it holds a Tarvex folder;
    // any other "src" is the developer's and is not questioned.
    QString staleFolder;
    QString staleFolderError;
    const QString topTarvex = inProject(QStringLiteral("Tarvex"));
    const QString srcFolder = inProject(QStringLiteral("src"));
    if (isArduino && entryExists(topTarvex)) {
        if (askRemove(QStringLiteral(
                "The current settings will generate an Arduino compatible directory (src/Tarvex). However, a "
                "'Tarvex' folder was found in the project path.\n\nWould you like to delete the 'Tarvex' "
                "folder?\n\nNote: You can uncheck the 'Arduino Project' option to generate the 'Tarvex' folder in "
                "the top-level project directory"))) {
            staleFolder = topTarvex;
            staleFolderError = QStringLiteral("Unable to delete 'Tarvex' folder.");
        }
    } else if (!isArduino && QFileInfo(srcFolder).isDir() && QFileInfo(srcFolder + QStringLiteral("/Tarvex")).isDir()) {
        if (askRemove(QStringLiteral("The current settings will generate the 'Tarvex' folder in the top-level "
                                     "project directory. However, a 'src' folder was found in the project path, "
                                     "which may no longer be required.\n\nWould you like to delete the 'src' "
                                     "folder?"))) {
            staleFolder = srcFolder;
            staleFolderError = QStringLiteral("Unable to delete 'src' folder.");
        }
    }

    // Everything is decided: write.
    for (const BackupWrite& backup : qAsConst(backups)) {
        QString error;
        if (!writeFileAtomically(backup.path, backup.bytes, &error)) {
            userInteraction().critical(QStringLiteral("Write Error"),
                                       unableToWrite(backup.path) + QStringLiteral(" Please manually backup ") +
                                           backup.fileName + QStringLiteral(" and try again.\n\n") + error);
            return stopWith(Outcome::WriteFailed);
        }
        rep.merges[backup.reportIndex].backupPath = backup.path;
    }

    QString error;
    if (!writeFileAtomically(settingsPath, settingsBytes, &error)) {
        writeError(settingsPath, error);
        return stopWith(Outcome::WriteFailed);
    }

    for (const ManagerWrite& manager : {header, source}) {
        if (!writeFileAtomically(manager.path, manager.bytes, &error)) {
            writeError(manager.path, error);
            return stopWith(Outcome::WriteFailed);
        }
        if (manager.reportIndex >= 0)
            rep.merges[manager.reportIndex].writtenPath = manager.path;
    }

    if (removeStaleSource)
        QFile::remove(staleSource); // a failure is not reported
    if (!staleFolder.isEmpty() && !removeEntry(staleFolder))
        userInteraction().critical(QStringLiteral("Error Deleting Folder"), staleFolderError);

    if (!executeLibraryPlan(library))
        return stopWith(Outcome::WriteFailed);

    const QString licence = readResourceText(QStringLiteral(":/license/resources/license/LICENSE.txt"));
    if (QFileInfo::exists(licencePath) && !QFileInfo(licencePath).isWritable())
        QFile::setPermissions(licencePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!writeTextFile(licencePath, licence, &error)) {
        userInteraction().critical(
            QStringLiteral("Licensing Error"),
            QStringLiteral("Unable to download LICENSE agreement. Please review folder write permissions.\n\n") +
                error);
        return stopWith(Outcome::WriteFailed);
    }

    rep.outcome = Outcome::Generated;
    // Remarks of the merge that are no loss (an encoding that changed) are
    // said with the confirmation.
    userInteraction().information(QStringLiteral("Code Generated"),
                                  QStringLiteral("Code generated successfully.") +
                                      (rep.notes.isEmpty() ? QString()
                                                           : QStringLiteral("\n\n") + rep.notes.join(QLatin1Char('\n'))));
    if (usage)
        usage->generateSuccess();
    return true;
}
