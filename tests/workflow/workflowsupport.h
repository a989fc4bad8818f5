#pragma once

#include "generateworkflow.h"
#include "testsupport.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class ModuleCatalogue;
class ProjectModel;
class TarvexMdl;

// Helpers shared by the Generate Code tests.
namespace workflowtest {

// Every entry under dir, by path relative to dir ("Tarvex/GSM_Util.c"), without
// following links: files with their bytes, folders as "name/" with empty
// content, links as "<link to TARGET>", special files (FIFOs) as "<special>".
QMap<QString, QByteArray> snapshot(const QString& dir);

// Recreates a snapshot()-listed tree of folders and plain files under to.
bool copyTree(const QString& from, const QString& to);

// Exit status (-1 when it did not end normally within a minute), standard
// output and standard error of one run of a program.
struct ToolRun
{
    int status = -1;
    QByteArray out;
    QString err;
    QStringList lines() const { return err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs program with args; a non-empty faultVariable is set to faultAt in its
// environment (the writers' test hooks).
ToolRun runProgram(const QString& program, const QStringList& args, const QByteArray& faultVariable = QByteArray(),
                   int faultAt = 0);

#ifdef TARVEX_GEN_PATH
// One run of the built tarvex-gen (targets that define its path).
inline ToolRun runTool(const QStringList& args, const QByteArray& faultVariable = QByteArray(), int faultAt = 0)
{
    return runProgram(QStringLiteral(TARVEX_GEN_PATH), args, faultVariable, faultAt);
}
#endif

// Runs a build tool in dir (output and errors merged); on failure *log gets
// the command line and the start of its output. The output goes to *output.
bool runIn(const QString& program, const QStringList& args, const QString& dir, QString* log,
           QString* output = nullptr);

using testsupport::readBytes;
using testsupport::writeBytes;

// UTF-16LE of UTF-8 text, without a byte-order mark.
QByteArray utf16(const QByteArray& utf8);

// Unticks every module, then ticks the ones named (getName identifiers).
void selectModules(ProjectModel& project, const QStringList& names);

// Writes the settings file of a project with these modules, language and
// layout into dir; true on success.
bool writeSettings(const QString& dir, const QStringList& modules, bool cpp = false, bool arduino = false);

// Turns every module setting away from its default: debug buffer 2048,
// reset pin on, the four Prompt buffers off with sizes 16, 24, 32 and
// 1000000, modem echo off, both APNs required.
void changeEverySetting(ModuleCatalogue& c);

// Every module identifier except Getting Started's and the 2G connection's.
QStringList everyModuleBut2G();

// Library files (support files first) that the modules need, without repeats.
QStringList libraryFileNames(const QList<TarvexMdl*>& modules);

// Records the usage events of a run.
class RecordingHook : public UsageEventHook
{
public:
    void generateStart() override { events << QStringLiteral("GenerateStart"); }
    void generateSuccess() override { events << QStringLiteral("GenerateSuccess"); }
    QStringList events;
};

// USER CODE sections found by whole marker lines (blanks around allowed):
// the names in order, and the body of a section (the lines between its BEGIN
// and the first END after it; "<no section>" when missing) and its
// replacement. The QString versions and those on a file leave out the line
// end before END (empty when missing; the setter adds it).
QStringList sectionNames(const QByteArray& text);
QByteArray sectionBody(const QByteArray& text, const QString& name);
bool setSectionBody(QByteArray& text, const QString& name, const QByteArray& body);
QString sectionBody(const QString& text, const QString& name);
QString sectionInFile(const QString& path, const QString& name);
bool setSectionInFile(const QString& path, const QString& name, const QString& body);

} // namespace workflowtest
