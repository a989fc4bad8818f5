#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Helpers shared by the example tests.
namespace exampletest {

// Every entry of a ZIP archive (bundle or local path) by name, with its
// bytes; folder entries end in "/" and hold nothing. Empty when the archive
// cannot be opened.
QMap<QString, QByteArray> archiveContents(const QString& archivePath);

// The seven modules with examples and their projects, as the archives must
// hold them (same names under Arduino and STM32CubeIDE).
QMap<QString, QStringList> expectedExampleProjects();

// The file header as a download puts it in front of a file: an empty line,
// then the banner.
QString downloadedHeader();

// Text as a text-mode reader sees it: CR dropped, UTF-8.
QString textOf(const QByteArray& bytes);

// Values of the <listOptionValue> children of every .cproject option whose
// superClass ends in suffix, and the value attribute of such options; of the
// first configuration (Debug) only, or of all. An XML error is the only value.
QStringList cprojectOption(const QByteArray& xml, const QString& suffix, bool firstConfigurationOnly = false);

} // namespace exampletest
