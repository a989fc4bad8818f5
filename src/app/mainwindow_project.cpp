// The main window's project commands (New, Open, Save, Save As), Generate
// Code, and the usage statistics: each slot is a few lines over the generator
// core, which the headless tool and the tests run as well.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "generateworkflow.h"
#include "librarywriter.h"
#include "usagestats.h"
#include "usercodemerge.h"
#include "userinteraction.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <functional>

namespace {

// Posts a generation's usage events through the window's managers.
class CallbackUsageHook : public UsageEventHook
{
public:
    CallbackUsageHook(std::function<void()> start, std::function<void()> success)
        : mStart(std::move(start))
        , mSuccess(std::move(success))
    {
    }
    void generateStart() override { mStart(); }
    void generateSuccess() override { mSuccess(); }

private:
    std::function<void()> mStart;
    std::function<void()> mSuccess;
};

QString selectProjectFolder(QWidget* parent)
{
    return userInteraction().selectFolder(parent, QStringLiteral("Select Folder"));
}

} // namespace

// ---------------------------------------------------------------------------
// Thin operations over the core

QStringList MainWindow::fileHeaderLines() const
{
    return {mFileHeaderBanner, QStringLiteral("\n")};
}

ManagerTexts MainWindow::buildManagerTexts(const QList<TarvexMdl*>& modules, const QString& libraryFolder,
                                           bool isCpp) const
{
    return ::buildManagerTexts(modules, libraryFolder, isCpp);
}

void MainWindow::buildUserCodePatterns()
{
    mUserCodePatterns = QVector<QRegularExpression>::fromList(::buildUserCodePatterns());
}

bool MainWindow::mergeUserCodeAndWrite(const QString& filePath, QString& newText)
{
    buildUserCodePatterns();
    return ::mergeUserCodeAndWrite(filePath, newText, isCpp());
}

bool MainWindow::writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder,
                                   const QString& sourceFolder, const QDir& projectDir,
                                   const QList<TarvexMdl*>& modules)
{
    return ::writeLibraryFiles(libraryFolder, headerFolder, sourceFolder, projectDir, modules, fileHeaderLines());
}

bool MainWindow::writeProjectSettings()
{
    return ::writeProjectSettings(*this);
}

ReadSettingsStatus MainWindow::readProjectSettings()
{
    return ::readProjectSettings(*this);
}

// ---------------------------------------------------------------------------
// Project commands

void MainWindow::on_btnProjectNew_clicked()
{
    const QString folder = selectProjectFolder(this);
    if (folder.isEmpty())
        return;
    setProjectPath(folder);
    setCpp(false);
    setArduinoChecked(false);
    setArduinoVisible(false);
    for (int row = 1; row <= 13; ++row)
        uncheckModule(moduleAt(row));
    for (TarvexMdl* module : allModules())
        module->resetSettings();
    refreshSettingsWidgets();
}

void MainWindow::on_btnProjectOpen_clicked()
{
    const QString folder = selectProjectFolder(this);
    if (folder.isEmpty())
        return;
    const QString file = projectSettingsFilePath(folder);
    if (!QFileInfo::exists(file)) {
        userInteraction().critical(QStringLiteral("Error Opening Project"),
                                   QStringLiteral("Tarvex project settings not found at the specified path."));
        return;
    }
    // The file is read before anything changes: a file that cannot be read
    // or parsed leaves the window as it was, so a later Save or Generate
    // Code cannot overwrite settings the developer never saw.
    QJsonObject settings;
    if (readProjectSettingsFile(file, settings) != ReadSettingsStatus::Applied) {
        userInteraction().critical(QStringLiteral("Error Opening Project"),
                                   QStringLiteral("The Tarvex project settings file '") + file +
                                       QStringLiteral("' could not be read or is not valid JSON. The project has "
                                                      "not been opened."));
        return;
    }
    setProjectPath(folder);
    applyProjectSettings(*this, settings);
}

void MainWindow::on_btnProjectSaveAs_clicked()
{
    const QString folder = selectProjectFolder(this);
    if (folder.isEmpty())
        return;
    setProjectPath(folder);
    QString error;
    if (::writeProjectSettings(*this, &error))
        userInteraction().information(QStringLiteral("Project Saved"), QStringLiteral("Project settings saved."));
    else
        userInteraction().critical(QStringLiteral("Error Saving Project"),
                                   QStringLiteral("Unable to write the project settings file '") +
                                       projectSettingsFilePath(folder) + QStringLiteral("'.\n\n") + error);
}

void MainWindow::on_btnProjectSave_clicked()
{
    const QString path = projectPath();
    if (path.isEmpty()) {
        on_btnProjectSaveAs_clicked();
        return;
    }
    if (!QFileInfo(path).isDir()) {
        userInteraction().critical(
            QStringLiteral("Project Path Error"),
            QStringLiteral("The project path specified does not exist - please correct this and then try again."));
        return;
    }
    QString error;
    if (::writeProjectSettings(*this, &error))
        userInteraction().information(QStringLiteral("Project Saved"), QStringLiteral("Project settings saved."));
    else
        userInteraction().critical(QStringLiteral("Error Saving Project"),
                                   QStringLiteral("Unable to write the project settings file '") +
                                       projectSettingsFilePath(path) + QStringLiteral("'.\n\n") + error);
}

// ---------------------------------------------------------------------------
// Generate Code

void MainWindow::on_btnGenerateCode_clicked()
{
    CallbackUsageHook usage([this] { postUsageEvent(mpNetMgrGenerateStart, QStringLiteral("GenerateStart")); },
                            [this] { postUsageEvent(mpNetMgrGenerateSuccess, QStringLiteral("GenerateSuccess")); });
    generateCode(*this, &usage);
}

// ---------------------------------------------------------------------------
// Usage statistics: fire and forget; mpNetMgrUsageStats_onFinished deletes
// the replies. Each event's manager is made when its first event may go out.

void MainWindow::postUsageEvent(QNetworkAccessManager*& manager, const QString& event)
{
    if (!usageStatsEnabled())
        return;
    if (!manager) {
        manager = new QNetworkAccessManager(this);
        connect(manager, &QNetworkAccessManager::finished, this, &MainWindow::mpNetMgrUsageStats_onFinished);
    }
    sendUsageEvent(*manager, event);
}
