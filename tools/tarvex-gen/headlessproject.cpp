#include "headlessproject.h"

#include "projectsettings.h"
#include "selectionrules.h"

#include <QFileInfo>
#include <QtGlobal>

#include <cmath>

namespace tarvexgen {

namespace {

// Range of the buffer-size spin boxes of the settings panels.
const double kMinBufferSize = 8;
const double kMaxBufferSize = 429496729;

void clampToSpinBox(double& size)
{
    size = qBound(kMinBufferSize, std::trunc(size), kMaxBufferSize);
}

} // namespace

bool HeadlessProject::loadSettingsFile(const QString& filePath, QString* problem)
{
    QJsonObject settings;
    QString parseError;
    switch (readProjectSettingsFile(filePath, settings, &parseError)) {
    case ReadSettingsStatus::Applied:
        break;
    case ReadSettingsStatus::FileMissing:
        *problem = QStringLiteral("settings file not found: %1").arg(filePath);
        return false;
    case ReadSettingsStatus::InvalidJson:
        *problem = QStringLiteral("settings file is not valid JSON (%1): %2").arg(parseError, filePath);
        return false;
    case ReadSettingsStatus::NoFolder:
    case ReadSettingsStatus::Unreadable:
        *problem = QStringLiteral("settings file cannot be read: %1").arg(filePath);
        return false;
    }
    setProjectPath(QFileInfo(filePath).absolutePath());
    applyProjectSettings(*this, settings);
    return true;
}

void HeadlessProject::refreshSettingsWidgets()
{
    ModuleCatalogue& modules = catalogue();
    clampToSpinBox(modules.mMdlGettingStarted.DebugBufferSize);
    if (!modules.mMdlBasicComms.EchoEnabled)
        modules.mMdlPrompt.IsEchoCancSetupSelected = false;
    clampToSpinBox(modules.mMdlPrompt.PromptBufferSize);
    clampToSpinBox(modules.mMdlPrompt.EchoCancellationBufferSize);
    clampToSpinBox(modules.mMdlPrompt.CircularTxBufferSize);
    clampToSpinBox(modules.mMdlPrompt.CircularRxBufferSize);
}

Generation prepareGeneration(ProjectModel& project)
{
    Generation generation;
    generation.messages = applyModuleDependencies(project);
    if (!generation.messages.isEmpty())
        return generation;
    generation.modules = project.checkedModules();
    // The Arduino layout needs C++.
    if (!project.isCpp())
        project.setArduinoChecked(false);
    generation.libraryFolder = generationLibraryFolder(project.isCpp(), project.isArduino());
    generation.texts = buildManagerTexts(generation.modules, generation.libraryFolder, project.isCpp());
    return generation;
}

} // namespace tarvexgen
