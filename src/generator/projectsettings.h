#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

class ProjectModel;

// The project settings file: one indented JSON object in the project folder
// holding the language, the Arduino layout, the ticked modules and every
// module's settings. Nothing here talks to the user; callers decide what to
// show from the results.

// File name of the settings file inside the project folder.
extern const char* const kProjectSettingsFileName;

// Full path of the settings file for a project folder.
QString projectSettingsFilePath(const QString& projectFolder);

// True when path is not empty and names an existing folder. (An empty path
// would otherwise mean the process's current folder.)
bool projectFolderExists(const QString& path);

// The JSON object of a project: "Language" ("C" / "C++"), "IsArduino"
// ("true" / "false", strings), "CheckedModules" (names of checkedModules()
// in order) and each module's saveSettings.
QJsonObject buildProjectSettings(const ProjectModel& project);

// The serialised object: indented (four spaces), keys sorted, final line feed.
QByteArray projectSettingsText(const ProjectModel& project);

// Writes the settings file into the project folder in text mode, atomically.
// False when the folder does not exist or the file cannot be written; the
// reason (with the path) goes to error when given.
bool writeProjectSettings(ProjectModel& project, QString* error = nullptr);

enum class ReadSettingsStatus {
    Applied,     // the file was read and applied
    NoFolder,    // the project path names no existing folder
    FileMissing, // no settings file at that place
    Unreadable,  // the file exists but cannot be opened for reading
    InvalidJson, // the text is not a JSON document
};

// Reads and parses a settings file. A top-level array counts as an empty
// object. out is set only when the result is Applied; for InvalidJson the
// parser's description of the problem goes to error when given.
ReadSettingsStatus readProjectSettingsFile(const QString& filePath, QJsonObject& out, QString* error = nullptr);

// Applies a parsed settings object to the project: language and Arduino
// layout, the ticked rows (all unticked first, then those named in
// "CheckedModules"), every module's loadSettings, then refreshSettingsWidgets.
// Unknown keys and names are ignored.
void applyProjectSettings(ProjectModel& project, const QJsonObject& settings);

// Reads the settings file of the project folder and applies it. On any status
// but Applied nothing has changed.
ReadSettingsStatus readProjectSettings(ProjectModel& project);
