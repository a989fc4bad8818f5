#pragma once

#include "managerassembly.h"

#include <QList>
#include <QString>
#include <QStringList>

class ProjectModel;
class QWidget;
class TarvexMdl;

// Example projects and the user manual: both are taken out of the resource
// bundle and written into a folder the developer picks.
//
// An example archive (":/examples/resources/examples/<module name>.zip")
// holds one folder named after the module with the sub-folders "Arduino" and
// "STM32CubeIDE", each holding one folder per example project. After
// extraction every project is completed with the library files of the
// modules the example needs, the generated-file header and LICENSE.txt.

// Bundle path of a module's example archive.
QString exampleArchivePath(const TarvexMdl* module);
// Bundle path of the user manual.
extern const char* const kUserManualResource;

// Largest example file extractArchive writes (the bundled ones are far
// smaller): an entry announcing more is refused without being read.
constexpr qint64 kMaxExampleEntrySize = 64 * 1024 * 1024;

// Unpacks a ZIP archive (bundle or local path) into targetFolder, which is
// created with its parents. Entries are written in the archive's order, each
// streamed to a temporary file and renamed over any existing file only when
// complete and checked (size and checksum); other files stay. An entry that
// cannot be read or written, is larger than maxEntrySize or holds another
// number of bytes than its header announces is skipped, and named with the
// reason in problems (when given). Entries that would land outside
// targetFolder - absolute names, drive or device names, backslashes, ".."
// components, or a path through a symbolic link leading out of the folder -
// are skipped as well and never written. Returns false only when the archive
// cannot be opened.
bool extractArchive(const QString& archivePath, const QString& targetFolder, QStringList* problems = nullptr,
                    qint64 maxEntrySize = kMaxExampleEntrySize);

// What the download does to the projects of one layout folder.
struct ExampleLayout
{
    QString name;           // "Arduino" or "STM32CubeIDE"
    bool isCpp;             // language of the manager source
    QString libraryFolder;  // writeLibraryFiles arguments
    QString headerFolder;
    QString sourceFolder;
    QString managerHeader;  // manager files, relative to the project folder
    QString managerSource;
    // Files that get the generated-file header in place, in order; "%1"
    // stands for the project folder's name.
    QStringList headerFiles;
    QString licenceFile;    // relative to the project folder
};

// The two layouts in processing order: Arduino, then STM32CubeIDE.
QList<ExampleLayout> exampleLayouts();

// Makes module the only ticked module and lets the selection rules add what
// it needs (their messages are discarded). Getting Started is left alone.
void selectExampleModules(ProjectModel& project, TarvexMdl* module);

// The modules an example of module is built for when no question is asked
// (the HTTP client then gets the LTE connection that the rules pick):
// identifiers of checkedModules() after selectExampleModules, in order.
QStringList exampleModuleNames(TarvexMdl* module);

// The manager texts of an example project, without the file header: built
// for the named modules with their default settings, for the layout's
// language and library folder, with the USER CODE sections of oldHeader and
// oldSource carried over. Sections that could not be carried over are
// appended to lostSections (when given), file name first ("gsm_manager.h:
// Init").
ManagerTexts buildExampleManagerTexts(const QStringList& moduleNames, const ExampleLayout& layout,
                                      const QString& oldHeader, const QString& oldSource,
                                      QStringList* lostSections = nullptr);

// The Download Example command for module (the current module of the list;
// null: nothing happens). Selects the example's modules on the project,
// asks for the connection of the HTTP client, asks for the target folder,
// extracts the archive and completes every project. Every box goes through
// userInteraction(). Returns true when the success message was shown.
bool downloadExample(ProjectModel& project, TarvexMdl* module, QWidget* dialogParent);

// The Download User Manual command: asks for a folder and copies the manual
// into it. Silent on success; a failed copy shows a critical box naming the
// path and the reason. Returns true when the manual was copied.
bool downloadUserManual(QWidget* dialogParent);
