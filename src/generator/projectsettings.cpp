#include "projectsettings.h"

#include "fileutil.h"

#include "projectmodel.h"
#include "tarvexmdl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTextStream>

const char* const kProjectSettingsFileName = ".tarvex_codegenerator_settings";

namespace {
const QString kLanguage = QStringLiteral("Language");
const QString kIsArduino = QStringLiteral("IsArduino");
const QString kCheckedModules = QStringLiteral("CheckedModules");
} // namespace

QString projectSettingsFilePath(const QString& projectFolder)
{
    return QDir(projectFolder).filePath(QString::fromLatin1(kProjectSettingsFileName));
}

bool projectFolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QJsonObject buildProjectSettings(const ProjectModel& project)
{
    QJsonObject object;
    object.insert(kLanguage, project.isCpp() ? QStringLiteral("C++") : QStringLiteral("C"));
    object.insert(kIsArduino, project.isArduino() ? QStringLiteral("true") : QStringLiteral("false"));

    QJsonArray checked;
    for (TarvexMdl* module : project.checkedModules())
        checked.append(module->getName());
    object.insert(kCheckedModules, checked);

    for (TarvexMdl* module : project.allModules())
        module->saveSettings(object);
    return object;
}

QByteArray projectSettingsText(const ProjectModel& project)
{
    return QJsonDocument(buildProjectSettings(project)).toJson(QJsonDocument::Indented);
}

bool writeProjectSettings(ProjectModel& project, QString* error)
{
    const QByteArray text = projectSettingsText(project);
    const QString folder = project.projectPath();
    if (!projectFolderExists(folder)) {
        if (error)
            *error = QStringLiteral("The project folder '%1' does not exist.").arg(folder);
        return false;
    }
    return writeTextFile(projectSettingsFilePath(folder), QString::fromUtf8(text), error);
}

ReadSettingsStatus readProjectSettingsFile(const QString& filePath, QJsonObject& out, QString* error)
{
    QFile file(filePath);
    if (!file.exists())
        return ReadSettingsStatus::FileMissing;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ReadSettingsStatus::Unreadable;
    const QByteArray bytes = file.readAll();
    file.close();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isNull()) {
        if (error)
            *error = QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return ReadSettingsStatus::InvalidJson;
    }
    out = document.object(); // empty for a top-level array
    return ReadSettingsStatus::Applied;
}

void applyProjectSettings(ProjectModel& project, const QJsonObject& settings)
{
    const QJsonValue language = settings.value(kLanguage);
    if (language.isString()) {
        if (language.toString() == QLatin1String("C")) {
            project.setCpp(false);
            project.setArduinoChecked(false);
            project.setArduinoVisible(false);
        } else {
            project.setCpp(true);
            project.setArduinoVisible(true);
            project.setArduinoChecked(true);
        }
    }

    // Only a string counts; a JSON boolean is treated as a missing key.
    const QJsonValue isArduino = settings.value(kIsArduino);
    if (isArduino.isString())
        project.setArduinoChecked(isArduino.toString() == QLatin1String("true"));

    const QList<TarvexMdl*> modules = project.allModules();
    for (int i = 1; i < modules.size(); ++i)
        project.uncheckModule(modules.at(i));

    const QJsonValue checked = settings.value(kCheckedModules);
    if (checked.isArray()) {
        const QJsonArray names = checked.toArray();
        for (const QJsonValue& name : names) {
            if (!name.isString())
                continue;
            // Unknown names find nothing; "" finds Getting Started, which
            // has no check box.
            if (TarvexMdl* module = project.findModuleByName(name.toString()))
                project.checkModule(module);
        }
    }

    QJsonObject object = settings;
    for (TarvexMdl* module : modules)
        module->loadSettings(object);

    project.refreshSettingsWidgets();
}

ReadSettingsStatus readProjectSettings(ProjectModel& project)
{
    const QString folder = project.projectPath();
    if (!projectFolderExists(folder))
        return ReadSettingsStatus::NoFolder;
    QJsonObject settings;
    const ReadSettingsStatus status = readProjectSettingsFile(projectSettingsFilePath(folder), settings);
    if (status != ReadSettingsStatus::Applied)
        return status;
    applyProjectSettings(project, settings);
    return ReadSettingsStatus::Applied;
}
