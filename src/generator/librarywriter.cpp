#include "librarywriter.h"

#include "fileutil.h"
#include "tarvexmdl.h"
#include "userinteraction.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSet>

const char* const kLibraryResourcePrefix = ":/tarvex/resources/tarvex/";

namespace {

const QString kWriteError = QStringLiteral("Write Error");
const QString kSupportFilesFailed = QStringLiteral("Failed to write library support files to specified directory.");
const QString kModuleFilesFailed = QStringLiteral("Failed to write library module files to specified directory.");

QString nothingWritten(const QString& problem)
{
    return problem + QStringLiteral("\n\nNothing has been written.");
}

// The folders a relative path passes through, shortest first ("src",
// "src/Tarvex"), as absolute paths.
QStringList folderChain(const QDir& projectDir, const QString& relative)
{
    QStringList chain;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString walked;
    for (const QString& part : parts) {
        walked += (walked.isEmpty() ? QString() : QStringLiteral("/")) + part;
        chain << QDir::cleanPath(projectDir.absoluteFilePath(walked));
    }
    return chain;
}

} // namespace

LibraryWritePlan planLibraryFiles(const QString& libraryFolder, const QString& headerFolder,
                                  const QString& sourceFolder, const QDir& projectDir,
                                  const QList<TarvexMdl*>& modules, const QStringList& headerLines)
{
    LibraryWritePlan plan;
    plan.libraryFolder = libraryFolder;
    plan.libraryPath = QDir::cleanPath(projectDir.absoluteFilePath(libraryFolder));
    auto stop = [&plan](const QString& title, const QString& text) {
        plan.problemTitle = title;
        plan.problemText = text;
        return plan;
    };

    // Every folder on the way must be a real folder: a link would take the
    // writes (and the clean-up of the library folder) out of the project.
    for (const QString& relative : {libraryFolder, headerFolder, sourceFolder}) {
        for (const QString& folder : folderChain(projectDir, relative)) {
            const QString problem = folderWriteProblem(folder);
            if (problem.isEmpty())
                continue;
            if (QFileInfo(folder).isSymLink())
                return stop(kWriteError, nothingWritten(problem));
            // Something else stands where the library folder belongs: its
            // files cannot be written. In the way of a parent: the folder
            // cannot be created.
            if (folder == plan.libraryPath)
                return stop(kWriteError, nothingWritten(kSupportFilesFailed + QStringLiteral("\n\n") + problem));
            return stop(QStringLiteral("Error Creating Directory"),
                        nothingWritten(QStringLiteral("Unable to create directory ") + libraryFolder +
                                       QStringLiteral(" under the project path.\n\n") + problem));
        }
    }
    for (const QString& folder : folderChain(projectDir, libraryFolder))
        if (!QFileInfo::exists(folder))
            plan.foldersToCreate << folder;

    const QString libraryPrefix = QString::fromLatin1(kLibraryResourcePrefix);
    const QString codePrefix = QStringLiteral(":/code/resources/code/");
    const QString inLibrary = libraryFolder + QLatin1Char('/');
    QList<QPair<QString, QString>> sources = {
        {libraryPrefix + QStringLiteral("GSM_Globals.h"), inLibrary + QStringLiteral("GSM_Globals.h")},
        {libraryPrefix + QStringLiteral("GSM_Required_Externals.h"),
         inLibrary + QStringLiteral("GSM_Required_Externals.h")},
        {libraryPrefix + QStringLiteral("GSM_Util.h"), inLibrary + QStringLiteral("GSM_Util.h")},
        {libraryPrefix + QStringLiteral("GSM_Util.c"), inLibrary + QStringLiteral("GSM_Util.c")},
        {codePrefix + QStringLiteral("circbuff.c"), sourceFolder + QStringLiteral("circbuff.c")},
        {codePrefix + QStringLiteral("circbuff.h"), headerFolder + QStringLiteral("circbuff.h")},
    };
    const int supportCount = sources.size();
    for (TarvexMdl* module : modules)
        for (const QString& name : module->getLibraryFiles())
            sources << qMakePair(libraryPrefix + name, inLibrary + name);

    QSet<QString> targets;
    for (int i = 0; i < sources.size(); ++i) {
        const bool support = i < supportCount;
        const QString failed = support ? kSupportFilesFailed : kModuleFilesFailed;
        const QString target = QDir::cleanPath(projectDir.absoluteFilePath(sources.at(i).second));
        if (targets.contains(target))
            continue; // a file two modules share is written once
        QString text;
        if (!readTextFile(sources.at(i).first, text))
            return stop(kWriteError, nothingWritten(failed + QStringLiteral("\n\n'") + sources.at(i).first +
                                                    QStringLiteral("' cannot be read.")));
        // Old files in the library folder belong to the generator and are
        // made writable; anything else must be writable as it is.
        const bool inLibraryFolder = sources.at(i).second.startsWith(inLibrary);
        QString problem = entryWriteProblem(target, inLibraryFolder);
        if (problem.isEmpty() && !QFileInfo(target).absoluteDir().exists() &&
            !plan.foldersToCreate.contains(QFileInfo(target).absolutePath()))
            problem = QStringLiteral("The folder of '%1' does not exist.").arg(target);
        if (!problem.isEmpty())
            return stop(kWriteError, nothingWritten(failed + QStringLiteral("\n\n") + problem));
        targets.insert(target);
        plan.files << LibraryWritePlan::File{target, textFileBytes(withHeader(text, headerLines)), support};
    }

    // What else the library folder holds with a dot in its name goes.
    if (QFileInfo(plan.libraryPath).isDir()) {
        const QFileInfoList entries = QDir(plan.libraryPath)
                                          .entryInfoList({QStringLiteral("*.*")}, QDir::Files | QDir::NoDotAndDotDot,
                                                         QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            const QString path = QDir::cleanPath(entry.absoluteFilePath());
            if (targets.contains(path))
                continue;
            const QString problem = entryWriteProblem(path, true);
            if (!problem.isEmpty())
                return stop(kWriteError, nothingWritten(problem));
            plan.staleFiles << path;
        }
    }
    return plan;
}

bool reportLibraryPlanProblem(const LibraryWritePlan& plan)
{
    if (plan.problemTitle.isEmpty())
        return true;
    userInteraction().critical(plan.problemTitle, plan.problemText);
    return false;
}

bool executeLibraryPlan(const LibraryWritePlan& plan)
{
    for (const QString& folder : plan.foldersToCreate) {
        if (!QDir().mkpath(folder) || QFileInfo(folder).isSymLink()) {
            userInteraction().critical(QStringLiteral("Error Creating Directory"),
                                       QStringLiteral("Unable to create directory ") + plan.libraryFolder +
                                           QStringLiteral(" under the project path."));
            return false;
        }
    }

    for (const LibraryWritePlan::File& file : plan.files) {
        if (QFileInfo::exists(file.path) && !QFileInfo(file.path).isWritable())
            QFile::setPermissions(file.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QString error;
        if (!writeFileAtomically(file.path, file.bytes, &error)) {
            userInteraction().critical(kWriteError, (file.supportFile ? kSupportFilesFailed : kModuleFilesFailed) +
                                                        QStringLiteral("\n\n") + error);
            return false;
        }
    }

    for (const QString& path : plan.staleFiles) {
        if (!(QFile::permissions(path) & QFileDevice::WriteOwner) &&
            !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            qWarning() << "Failed to set write permissions for:" << path;
            continue;
        }
        if (!QFile::remove(path))
            qWarning() << "Failed to remove file:" << path;
    }
    return true;
}

bool writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder, const QString& sourceFolder,
                       const QDir& projectDir, const QList<TarvexMdl*>& modules, const QStringList& headerLines)
{
    const LibraryWritePlan plan =
        planLibraryFiles(libraryFolder, headerFolder, sourceFolder, projectDir, modules, headerLines);
    return reportLibraryPlanProblem(plan) && executeLibraryPlan(plan);
}
