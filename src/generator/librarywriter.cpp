#include "librarywriter.h"

#include "fileutil.h"
#include "tarvexmdl.h"
#include "userinteraction.h"

const char* const kLibraryResourcePrefix = ":/tarvex/resources/tarvex/";

bool writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder, const QString& sourceFolder,
                       const QDir& projectDir, const QList<TarvexMdl*>& modules, const QStringList& headerLines)
{
    const QString libraryPrefix = QString::fromLatin1(kLibraryResourcePrefix);
    const QString codePrefix = QStringLiteral(":/code/resources/code/");

    // The library folder belongs to the generator: whatever an earlier run
    // (or anyone) put there is cleared, so deselected modules leave nothing.
    if (projectDir.exists(libraryFolder)) {
        removeFiles(projectDir.filePath(libraryFolder), QStringLiteral("*.*"));
    } else if (!projectDir.mkpath(libraryFolder)) {
        userInteraction().critical(QStringLiteral("Error Creating Directory"),
                                   QStringLiteral("Unable to create directory ") + libraryFolder +
                                       QStringLiteral(" under the project path."));
        return false;
    }

    const QString inLibrary = libraryFolder + QLatin1Char('/');
    const QList<QPair<QString, QString>> supportFiles = {
        {libraryPrefix + QStringLiteral("GSM_Globals.h"), inLibrary + QStringLiteral("GSM_Globals.h")},
        {libraryPrefix + QStringLiteral("GSM_Required_Externals.h"),
         inLibrary + QStringLiteral("GSM_Required_Externals.h")},
        {libraryPrefix + QStringLiteral("GSM_Util.h"), inLibrary + QStringLiteral("GSM_Util.h")},
        {libraryPrefix + QStringLiteral("GSM_Util.c"), inLibrary + QStringLiteral("GSM_Util.c")},
        {codePrefix + QStringLiteral("circbuff.c"), sourceFolder + QStringLiteral("circbuff.c")},
        {codePrefix + QStringLiteral("circbuff.h"), headerFolder + QStringLiteral("circbuff.h")},
    };
    for (const auto& file : supportFiles) {
        if (!writeWithHeader(file.first, projectDir.filePath(file.second), headerLines)) {
            userInteraction().critical(QStringLiteral("Write Error"),
                                       QStringLiteral("Failed to write library support files to specified "
                                                      "directory."));
            return false;
        }
    }

    for (TarvexMdl* module : modules) {
        for (const QString& name : module->getLibraryFiles()) {
            if (!writeWithHeader(libraryPrefix + name, projectDir.filePath(inLibrary + name), headerLines)) {
                userInteraction().critical(QStringLiteral("Write Error"),
                                           QStringLiteral("Failed to write library module files to specified "
                                                          "directory."));
                return false;
            }
        }
    }
    return true;
}
