#include "generateworkflow.h"

#include "fileutil.h"
#include "librarywriter.h"
#include "managerassembly.h"
#include "projectmodel.h"
#include "projectsettings.h"
#include "selectionrules.h"
#include "userinteraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kHeaderName = QStringLiteral("gsm_manager.h");
const QString kSourceC = QStringLiteral("gsm_manager.c");
const QString kSourceCpp = QStringLiteral("gsm_manager.cpp");

void writeError(const QString& path)
{
    userInteraction().critical(QStringLiteral("Write Error"),
                               QStringLiteral("Unable to open file '") + path + QStringLiteral("' for writing."));
}

bool askRemove(const QString& text)
{
    return userInteraction().askYesNo(UserInteraction::Icon::Question, QStringLiteral("Remove File?"), text);
}

// Deletes a folder with everything in it, going on past entries that cannot
// be removed. A symbolic link is removed as a link: the folder it points to,
// which may lie outside the project, is never emptied. True when nothing is
// left.
bool removeEntry(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
    return !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
}

} // namespace

QStringList GenerateReport::lostSections(const QString& fileName) const
{
    QStringList names;
    for (const UserCodeMergeReport& merge : merges)
        if (merge.fileName == fileName)
            names << merge.lostSections;
    return names;
}

bool generateCode(ProjectModel& project, UsageEventHook* usage, GenerateReport* report)
{
    GenerateReport localReport;
    GenerateReport& rep = report ? *report : localReport;
    rep = GenerateReport();

    if (usage)
        usage->generateStart();

    const QString path = project.projectPath();
    if (path.isEmpty()) {
        userInteraction().critical(
            QStringLiteral("Project Path Error"),
            QStringLiteral("Please specify a path for the project ('Save As') and then try again."));
        return false;
    }
    if (!QFileInfo(path).isDir()) {
        userInteraction().critical(
            QStringLiteral("Project Path Error"),
            QStringLiteral("The project path specified does not exist - please correct this and then try again."));
        return false;
    }

    writeProjectSettings(project);

    const QStringList ruleMessages = applyModuleDependencies(project);
    if (!ruleMessages.isEmpty()) {
        userInteraction().critical(QStringLiteral("Module Dependencies"), ruleMessages.join(QLatin1Char('\n')));
        return false;
    }

    const QList<TarvexMdl*> modules = project.checkedModules();
    const bool isCpp = project.isCpp();
    if (!isCpp)
        project.setArduinoChecked(false);
    const bool isArduino = project.isArduino();
    const QString libraryFolder = generationLibraryFolder(isCpp, isArduino);
    rep.libraryFolder = libraryFolder;

    ManagerTexts texts = buildManagerTexts(modules, libraryFolder, isCpp);

    auto merge = [&](const QString& filePath, QString& text) {
        UserCodeMergeReport mergeReport;
        const bool ok = mergeUserCodeAndWrite(filePath, text, isCpp, &mergeReport);
        rep.merges << mergeReport;
        return ok;
    };
    auto inProject = [&](const QString& name) { return path + QLatin1Char('/') + name; };

    // Header file.
    const QString headerPath = inProject(kHeaderName);
    if (QFileInfo::exists(headerPath)) {
        if (!merge(headerPath, texts.header))
            return false;
    } else if (!writeTextFile(headerPath, texts.header)) {
        writeError(headerPath);
        return false;
    }

    // Source file.
    const QString cPath = inProject(kSourceC);
    const QString cppPath = inProject(kSourceCpp);
    const bool cExists = QFileInfo::exists(cPath);
    const bool cppExists = QFileInfo::exists(cppPath);
    if (!cExists && !cppExists) {
        const QString target = isCpp ? cppPath : cPath;
        if (!writeTextFile(target, texts.source)) {
            writeError(target);
            return false;
        }
    } else if (cExists != cppExists) {
        if (!merge(cExists ? cPath : cppPath, texts.source))
            return false;
    } else {
        const QString choice = askChoice(
            QStringLiteral("Select Input File"),
            QStringLiteral("The specified directory includes a gsm_manager.cpp and gsm_manager.c file.\n\nPlease "
                           "choose which file to use when extracting 'USER CODE' sections."),
            {kSourceC, kSourceCpp, QStringLiteral("Cancel")}, UserInteraction::Icon::Information);
        if (choice == kSourceC || choice == kSourceCpp) {
            if (!merge(inProject(choice), texts.source))
                return false;
        } else {
            userInteraction().critical(
                QStringLiteral("Write Error"),
                QStringLiteral("No gsm_manager file has been chosen. A new gsm_manager file will not be output "
                               "with the current project settings.\n\nPlease delete the gsm_manager file you do "
                               "not need, or select the correct file to be used when generating the code again."));
            return false;
        }
    }

    // Stale source file of the other language.
    if (isCpp && QFileInfo::exists(cPath)) {
        if (askRemove(QStringLiteral("The current settings will generate a 'C++' project. However, a "
                                     "'gsm_manager.c' file was found in the project path.\n\nWould you like to "
                                     "delete 'gsm_manager.c'?")))
            QFile::remove(cPath);
    } else if (!isCpp && QFileInfo::exists(cppPath)) {
        if (askRemove(QStringLiteral("The current settings will generate a 'C' project. However, a "
                                     "'gsm_manager.cpp' file was found in the project path.\n\nWould you like to "
                                     "delete 'gsm_manager.cpp'?")))
            QFile::remove(cppPath);
    }

    // Stale library folder of the other layout.
    const QString topTarvex = inProject(QStringLiteral("Tarvex"));
    const QString srcFolder = inProject(QStringLiteral("src"));
    auto entryExists = [](const QString& p) { return QFileInfo::exists(p) || QFileInfo(p).isSymLink(); };
    if (isArduino && entryExists(topTarvex)) {
        if (askRemove(QStringLiteral(
                "The current settings will generate an Arduino compatible directory (src/Tarvex). However, a "
                "'Tarvex' folder was found in the project path.\n\nWould you like to delete the 'Tarvex' "
                "folder?\n\nNote: You can uncheck the 'Arduino Project' option to generate the 'Tarvex' folder in "
                "the top-level project directory"))) {
            if (!removeEntry(topTarvex))
                userInteraction().critical(QStringLiteral("Error Deleting Folder"),
                                           QStringLiteral("Unable to delete 'Tarvex' folder."));
        }
    } else if (!isArduino && entryExists(srcFolder)) {
        if (askRemove(QStringLiteral("The current settings will generate the 'Tarvex' folder in the top-level "
                                     "project directory. However, a 'src' folder was found in the project path, "
                                     "which may no longer be required.\n\nWould you like to delete the 'src' "
                                     "folder?"))) {
            if (!removeEntry(srcFolder))
                userInteraction().critical(QStringLiteral("Error Deleting Folder"),
                                           QStringLiteral("Unable to delete 'src' folder."));
        }
    }

    if (!writeLibraryFiles(libraryFolder, QString(), QString(), QDir(path), modules, fileHeaderLines()))
        return false;

    const QString licence = readResourceText(QStringLiteral(":/license/resources/license/LICENSE.txt"));
    if (!writeTextFile(inProject(libraryFolder + QStringLiteral("/LICENSE.txt")), licence)) {
        userInteraction().critical(
            QStringLiteral("Licensing Error"),
            QStringLiteral("Unable to download LICENSE agreement. Please review folder write permissions."));
        return false;
    }

    userInteraction().information(QStringLiteral("Code Generated"), QStringLiteral("Code generated successfully."));
    if (usage)
        usage->generateSuccess();
    return true;
}
