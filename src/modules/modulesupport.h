#pragma once

#include <QJsonObject>
#include <QString>

// Helpers shared by the module classes: bundle paths of the code snippets,
// buffer sizes as C text, and the common rules for reading settings back
// from a project JSON object.
namespace ModuleSupport {

// Text of the code snippet resources/code/<fileName> in the bundle, with LF
// line ends; empty when the snippet cannot be read.
QString snippetText(const QString& fileName);

// Whole text of the documentation page resources/doc/<fileName> in the
// bundle; empty when it cannot be read.
QString docText(const QString& fileName);

// A buffer size as a plain decimal integer, never in exponent form
// (1000000 gives "1000000").
QString sizeText(double size);

// The module's settings object inside the project object, when the project
// holds an object under settingsKey whose member firstField is a JSON
// boolean. False (and settings untouched) otherwise.
bool settingsObject(const QJsonObject& project, const QString& settingsKey,
                    const QString& firstField, QJsonObject& settings);

// A flag: the member's boolean value; false when missing or not a boolean.
bool readFlag(const QJsonObject& settings, const QString& field);

// A size: the member's value when it is a whole number; 0 when missing,
// not a number or not whole.
double readSize(const QJsonObject& settings, const QString& field);

} // namespace ModuleSupport
