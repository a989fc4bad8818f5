#include "exampledownload.h"

#include "fileutil.h"
#include "inmemoryproject.h"
#include "librarywriter.h"
#include "modulecatalogue.h"
#include "projectmodel.h"
#include "selectionrules.h"
#include "tarvexmdl.h"
#include "tarvexmdl_http_client_simcom.h"
#include "tarvexmdl_internetconnection_simcom.h"
#include "tarvexmdl_internetconnection_simcom2g.h"
#include "usercodemerge.h"
#include "userinteraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <quazip.h>
#include <quazipfile.h>

const char* const kUserManualResource = ":/user_manual/resources/user_manual/Tarvex User Manual.pdf";

namespace {

const char kLicenceResource[] = ":/license/resources/license/LICENSE.txt";

// True when path equals folder or lies inside it. Both are clean absolute
// paths; the comparison follows the file system's case rules.
bool isInsideFolder(const QString& path, const QString& folder)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    if (path.compare(folder, cs) == 0)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix, cs);
}

// The relative path an entry name stands for, or an empty text when the
// name could reach outside the target folder on any platform: empty names,
// absolute names ("/x", "\\x"), drive or device names (anything with ":"),
// backslashes (a separator on Windows) and ".." components.
QString plainEntryPath(const QString& entryName)
{
    if (entryName.isEmpty() || entryName.startsWith(QLatin1Char('/')) || entryName.contains(QLatin1Char('\\')) ||
        entryName.contains(QLatin1Char(':')) || entryName.contains(QChar(0)))
        return QString();
    const QStringList parts = entryName.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return QString();
#ifdef Q_OS_WIN
        // Device names (CON, NUL, COM1, ...) open devices, not files.
        static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM\\d|LPT\\d)(\\..*)?$"),
                                               QRegularExpression::CaseInsensitiveOption);
        if (device.match(part).hasMatch())
            return QString();
#endif
    }
    return QDir::cleanPath(parts.join(QLatin1Char('/')));
}

// Whether writing at relativePath under the (canonical) target folder stays
// inside it: the deepest part of the path that already exists must resolve,
// symbolic links followed, to a place inside the target, and an existing
// file at the path itself must not be a link. Checked before any folder is
// created, because creating folders follows links too.
bool staysInside(const QString& canonicalTarget, const QString& relativePath)
{
    QString probe = canonicalTarget + QLatin1Char('/') + relativePath;
    const QFileInfo leaf(probe);
    if (leaf.isSymLink())
        return false;
    // A dangling link counts as existing: it resolves to nothing and is refused.
    while (!QFileInfo::exists(probe) && !QFileInfo(probe).isSymLink()) {
        const int slash = probe.lastIndexOf(QLatin1Char('/'));
        if (slash <= canonicalTarget.size())
            return true; // nothing below the target exists yet
        probe.truncate(slash);
    }
    const QString resolved = QFileInfo(probe).canonicalFilePath();
    return !resolved.isEmpty() && isInsideFolder(resolved, canonicalTarget);
}

// Streams the current entry of zip to path through a temporary file, so an
// existing file is replaced only by a complete, checked entry. Returns an
// empty text on success, else why the entry was not written.
QString extractCurrentEntry(QuaZip& zip, const QString& path, qint64 maxEntrySize)
{
    QuaZipFile entry(&zip);
    if (!entry.open(QIODevice::ReadOnly))
        return QStringLiteral("the entry cannot be read");
    const qint64 announced = entry.usize();
    if (announced < 0 || announced > maxEntrySize) {
        entry.close();
        return QStringLiteral("the entry is larger (%1 bytes) than the %2 bytes an example file may have")
            .arg(announced)
            .arg(maxEntrySize);
    }
    const QString problem = entryWriteProblem(path);
    if (!problem.isEmpty()) {
        entry.close();
        return problem;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) { // QSaveFile: a temporary file, renamed over path on commit
        entry.close();
        return file.errorString();
    }
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = entry.read(chunk.data(), chunk.size());
        if (got < 0) {
            entry.close();
            file.cancelWriting();
            return QStringLiteral("the entry cannot be read");
        }
        if (got == 0)
            break;
        total += got;
        if (total > announced) {
            entry.close();
            file.cancelWriting();
            return QStringLiteral("the entry holds more bytes than its header announces (%1)").arg(announced);
        }
        if (file.write(chunk.constData(), got) != got) {
            const QString reason = file.errorString();
            entry.close();
            file.cancelWriting();
            return reason;
        }
    }
    entry.close();
    if (entry.getZipError() != UNZ_OK) {
        file.cancelWriting();
        return QStringLiteral("the entry is damaged (checksum or read error)");
    }
    if (total != announced) {
        file.cancelWriting();
        return QStringLiteral("the entry holds %1 bytes, its header announces %2").arg(total).arg(announced);
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString joinPath(const QString& folder, const QString& relative)
{
    return folder + QLatin1Char('/') + relative;
}

} // namespace

QString exampleArchivePath(const TarvexMdl* module)
{
    return QStringLiteral(":/examples/resources/examples/") + module->getName() + QStringLiteral(".zip");
}

bool extractArchive(const QString& archivePath, const QString& targetFolder, QStringList* problems,
                    qint64 maxEntrySize)
{
    QFile archiveFile(archivePath);
    QuaZip zip(&archiveFile);
    if (!zip.open(QuaZip::mdUnzip))
        return false;
    auto report = [problems](const QString& path, const QString& reason) {
        if (problems)
            *problems << QStringLiteral("'%1': %2").arg(QDir::toNativeSeparators(path), reason);
    };

    QDir().mkpath(targetFolder);
    // Entries are checked against the real location of the target, so a
    // target reached through a link is still a valid target.
    const QString canonicalTarget = QFileInfo(targetFolder).canonicalFilePath();
    if (canonicalTarget.isEmpty() || !QFileInfo(canonicalTarget).isDir())
        report(targetFolder, QStringLiteral("the folder cannot be created"));

    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        const QString relative = plainEntryPath(name);
        if (relative.isEmpty() || canonicalTarget.isEmpty())
            continue;
        if (!staysInside(canonicalTarget, relative))
            continue;
        const QString path = joinPath(canonicalTarget, relative);
        if (name.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkpath(path))
                report(path, QStringLiteral("the folder cannot be created"));
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            report(path, QStringLiteral("its folder cannot be created"));
            continue;
        }
        const QString problem = extractCurrentEntry(zip, path, maxEntrySize);
        if (!problem.isEmpty())
            report(path, problem);
    }
    zip.close();
    return true;
}

QList<ExampleLayout> exampleLayouts()
{
    ExampleLayout arduino;
    arduino.name = QStringLiteral("Arduino");
    arduino.isCpp = true;
    arduino.libraryFolder = QStringLiteral("src/Tarvex");
    arduino.managerHeader = QStringLiteral("gsm_manager.h");
    arduino.managerSource = QStringLiteral("gsm_manager.cpp");
    arduino.headerFiles = QStringList{QStringLiteral("gsm_manager.cpp"), QStringLiteral("gsm_manager.h"), QStringLiteral("main.h"),
                           QStringLiteral("%1.ino")};
    arduino.licenceFile = QStringLiteral("src/Tarvex/LICENSE.txt");

    ExampleLayout stm32;
    stm32.name = QStringLiteral("STM32CubeIDE");
    stm32.isCpp = false;
    stm32.libraryFolder = QStringLiteral("Core/Tarvex");
    stm32.headerFolder = QStringLiteral("Core/Inc/");
    stm32.sourceFolder = QStringLiteral("Core/Src/");
    stm32.managerHeader = QStringLiteral("Core/Inc/gsm_manager.h");
    stm32.managerSource = QStringLiteral("Core/Src/gsm_manager.c");
    stm32.headerFiles = QStringList{QStringLiteral("Core/Inc/gsm_manager.h"), QStringLiteral("Core/Inc/uart_dma.h"),
                         QStringLiteral("Core/Src/gsm_manager.c"), QStringLiteral("Core/Src/uart_dma.c")};
    stm32.licenceFile = QStringLiteral("Core/Tarvex/LICENSE.txt");

    return {arduino, stm32};
}

void selectExampleModules(ProjectModel& project, TarvexMdl* module)
{
    for (TarvexMdl* each : project.allModules())
        project.uncheckModule(each);
    project.checkModule(module);
    applyModuleDependencies(project); // messages are not shown here
}

QStringList exampleModuleNames(TarvexMdl* module)
{
    InMemoryProject project;
    TarvexMdl* own = project.findModuleByName(module->getName());
    selectExampleModules(project, own);
    QStringList names;
    for (TarvexMdl* each : project.checkedModules())
        names << each->getName();
    return names;
}

ManagerTexts buildExampleManagerTexts(const QStringList& moduleNames, const ExampleLayout& layout,
                                      const QString& oldHeader, const QString& oldSource, QStringList* lostSections)
{
    // Fresh modules: the example code was written for the default settings,
    // whatever the open project has set.
    ModuleCatalogue catalogue;
    QList<TarvexMdl*> modules;
    for (const QString& name : moduleNames) {
        for (TarvexMdl* candidate : catalogue.allModules()) {
            if (candidate->getName() == name) {
                modules << candidate;
                break;
            }
        }
    }

    ManagerTexts texts = buildManagerTexts(modules, layout.libraryFolder, layout.isCpp);
    const QString fileHeader = fileHeaderLines().join(QString());
    if (texts.header.startsWith(fileHeader))
        texts.header.remove(0, fileHeader.size());
    if (texts.source.startsWith(fileHeader))
        texts.source.remove(0, fileHeader.size());

    const UserCodeMergeResult headerMerge = mergeUserCodeText(oldHeader, texts.header);
    const UserCodeMergeResult sourceMerge = mergeUserCodeText(oldSource, texts.source);
    if (lostSections) {
        for (const QString& name : headerMerge.lostSections)
            *lostSections << QFileInfo(layout.managerHeader).fileName() + QStringLiteral(": ") + name;
        for (const QString& name : sourceMerge.lostSections)
            *lostSections << QFileInfo(layout.managerSource).fileName() + QStringLiteral(": ") + name;
    }
    return texts;
}

namespace {

// The manager files of an extracted project are rebuilt for the modules the
// download selected, carrying the example's USER CODE over: the library
// files written next to them are those of that selection (for the HTTP
// client the connection the developer chose), so the two always match.
// A file that is missing is left missing; if the example's code would not
// fit the rebuilt text, the extracted file is kept as it is.
// False (with the reason in error) when a rebuilt file cannot be written.
bool rebuildManagerFiles(const QString& projectFolder, const ExampleLayout& layout, const QStringList& moduleNames,
                         QString* error)
{
    const QString headerPath = joinPath(projectFolder, layout.managerHeader);
    const QString sourcePath = joinPath(projectFolder, layout.managerSource);
    QString oldHeader, oldSource;
    if (!readTextFile(headerPath, oldHeader) || !readTextFile(sourcePath, oldSource))
        return true;
    QStringList lost;
    const ManagerTexts texts = buildExampleManagerTexts(moduleNames, layout, oldHeader, oldSource, &lost);
    if (!lost.isEmpty())
        return true;
    return writeTextFile(headerPath, texts.header, error) && writeTextFile(sourcePath, texts.source, error);
}

void exampleWriteError(const QString& error)
{
    userInteraction().critical(QStringLiteral("Write Error"),
                               QStringLiteral("Unable to write the example project.\n\n") + error);
}

// The HTTP client runs over either connection; the developer says which.
void askHttpConnection(ProjectModel& project)
{
    const QString answer = askChoice(
        QStringLiteral("LTE or 2G"),
        QStringLiteral("Does your HTTP application require the 'Internet Connection (SIMCom 2G)' module or the "
                       "'Internet Connection (SIMCom LTE)' module?"),
        {QStringLiteral("SIMCom 2G"), QStringLiteral("SIMCom LTE")}, UserInteraction::Icon::Information);
    if (answer == QLatin1String("SIMCom LTE"))
        return;
    for (TarvexMdl* module : project.allModules()) {
        if (dynamic_cast<TarvexMdl_InternetConnection_SIMCom*>(module))
            project.uncheckModule(module);
    }
    for (TarvexMdl* module : project.allModules()) {
        if (dynamic_cast<TarvexMdl_InternetConnection_SIMCom2G*>(module))
            project.checkModule(module);
    }
}

} // namespace

bool downloadExample(ProjectModel& project, TarvexMdl* module, QWidget* dialogParent)
{
    if (!module)
        return false;

    selectExampleModules(project, module);
    if (dynamic_cast<TarvexMdl_Http_Client_SIMCom*>(module))
        askHttpConnection(project);

    const QList<TarvexMdl*> modules = project.checkedModules();
    QStringList moduleNames;
    for (TarvexMdl* each : modules)
        moduleNames << each->getName();
    const QStringList headerLines = fileHeaderLines();

    const QString folder = userInteraction().selectFolder(dialogParent, QStringLiteral("Select Folder"));
    if (folder.isEmpty())
        return false;

    QStringList problems;
    if (!extractArchive(exampleArchivePath(module), folder, &problems)) {
        userInteraction().critical(QStringLiteral("Download Error"),
                                   QStringLiteral("Failed to extract example projects."));
        return false;
    }
    if (!problems.isEmpty()) {
        userInteraction().critical(QStringLiteral("Download Error"),
                                   QStringLiteral("Failed to extract example projects.\n\n") +
                                       problems.join(QLatin1Char('\n')));
        return false;
    }

    for (const ExampleLayout& layout : exampleLayouts()) {
        const QString root = folder + QLatin1Char('/') + module->getName() + QLatin1Char('/') + layout.name;
        const QStringList projects =
            QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QString& projectName : projects) {
            const QString projectFolder = joinPath(root, projectName);
            if (!writeLibraryFiles(layout.libraryFolder, layout.headerFolder, layout.sourceFolder,
                                   QDir(projectFolder), modules, headerLines))
                return false;

            QString error;
            if (!rebuildManagerFiles(projectFolder, layout, moduleNames, &error)) {
                exampleWriteError(error);
                return false;
            }
            for (const QString& file : layout.headerFiles) {
                QString relative = file;
                relative.replace(QStringLiteral("%1"), projectName);
                const QString path = joinPath(projectFolder, relative);
                // A file the example does not have is skipped.
                if (QFileInfo::exists(path) && !writeWithHeader(path, path, headerLines, &error)) {
                    exampleWriteError(error);
                    return false;
                }
            }

            const QString licence = readResourceText(QString::fromLatin1(kLicenceResource));
            if (!writeTextFile(joinPath(projectFolder, layout.licenceFile), licence, &error)) {
                userInteraction().critical(
                    QStringLiteral("Licensing Error"),
                    QStringLiteral("Unable to download LICENSE agreement. Please review folder write permissions.\n\n") +
                        error);
                return false;
            }
        }
    }

    userInteraction().information(QStringLiteral("Example Downloaded"),
                                  QStringLiteral("Example downloaded successfully."));
    return true;
}

bool downloadUserManual(QWidget* dialogParent)
{
    const QString folder = userInteraction().selectFolder(dialogParent, QStringLiteral("Select Folder"));
    if (folder.isEmpty())
        return false;
    const QString target = folder + QStringLiteral("/Tarvex User Manual.pdf");
    QString error;
    if (!copyResourceToFile(QString::fromLatin1(kUserManualResource), target, &error)) {
        userInteraction().critical(QStringLiteral("Download Error"),
                                   QStringLiteral("Unable to save the user manual as '") +
                                       QDir::toNativeSeparators(target) + QStringLiteral("'.\n\n") + error);
        return false;
    }
    return true;
}
