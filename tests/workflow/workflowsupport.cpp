#include "workflowsupport.h"

#include "inmemoryproject.h"
#include "modulecatalogue.h"
#include "projectmodel.h"
#include "projectsettings.h"
#include "tarvexmdl.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace workflowtest {

QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(dir);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = base.relativeFilePath(path);
        if (info.isSymLink())
            out.insert(rel, "<link to " + info.symLinkTarget().toUtf8() + '>');
        else if (info.isDir())
            out.insert(rel + QLatin1Char('/'), QByteArray());
        else if (info.isFile())
            out.insert(rel, readBytes(path));
        else
            out.insert(rel, "<special>");
    }
    return out;
}

bool copyTree(const QString& from, const QString& to)
{
    const QMap<QString, QByteArray> files = snapshot(from);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString target = to + QLatin1Char('/') + it.key();
        if (it.key().endsWith(QLatin1Char('/')) ? !QDir().mkpath(target) : !writeBytes(target, it.value()))
            return false;
    }
    return true;
}

ToolRun runProgram(const QString& program, const QStringList& args, const QByteArray& faultVariable, int faultAt)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!faultVariable.isEmpty())
        env.insert(QString::fromLatin1(faultVariable), QString::number(faultAt));
    p.setProcessEnvironment(env);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool runIn(const QString& program, const QStringList& args, const QString& dir, QString* log, QString* output)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(300000);
    const QString text = QString::fromLocal8Bit(p.readAll());
    if (output)
        *output = text;
    if (finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *log = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QLatin1Char('\n') + text.left(4000);
    return false;
}

QByteArray utf16(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

void selectModules(ProjectModel& project, const QStringList& names)
{
    for (TarvexMdl* module : project.allModules())
        project.uncheckModule(module);
    for (const QString& name : names)
        project.checkModule(project.findModuleByName(name));
}

bool writeSettings(const QString& dir, const QStringList& modules, bool cpp, bool arduino)
{
    InMemoryProject project;
    project.setProjectPath(dir);
    selectModules(project, modules);
    project.setCpp(cpp);
    project.setArduinoChecked(arduino);
    return writeProjectSettings(project);
}

void changeEverySetting(ModuleCatalogue& c)
{
    c.mMdlGettingStarted.IsDebugOutputSetupSelected = false;
    c.mMdlGettingStarted.DebugBufferSize = 2048;
    c.mMdlPower.UseResetPin = true;
    c.mMdlPrompt.IsPromptSetupSelected = false;
    c.mMdlPrompt.PromptBufferSize = 16;
    c.mMdlPrompt.IsEchoCancSetupSelected = false;
    c.mMdlPrompt.EchoCancellationBufferSize = 24;
    c.mMdlPrompt.IsCircularTxSetupSelected = false;
    c.mMdlPrompt.CircularTxBufferSize = 32;
    c.mMdlPrompt.IsCircularRxSetupSelected = false;
    c.mMdlPrompt.CircularRxBufferSize = 1000000;
    c.mMdlBasicComms.EchoEnabled = false;
    c.mMdlInternetConnectionSimcom.IsApnRequired = true;
    c.mMdlInternetConnectionSimcom2G.IsApnRequired = true;
}

QStringList everyModuleBut2G()
{
    QStringList names = testsupport::moduleNames(ModuleCatalogue().allModules());
    names.removeAll(QString());
    names.removeAll(QStringLiteral("InternetConnection_SIMCom2G"));
    return names;
}

QStringList libraryFileNames(const QList<TarvexMdl*>& modules)
{
    QStringList names = {QStringLiteral("GSM_Globals.h"), QStringLiteral("GSM_Required_Externals.h"),
                         QStringLiteral("GSM_Util.h"), QStringLiteral("GSM_Util.c")};
    for (TarvexMdl* m : modules)
        for (const QString& f : m->getLibraryFiles())
            if (!names.contains(f))
                names << f;
    return names;
}

namespace {
// The start of the line whose text, without surrounding blanks, is line
// (from `from` on) and the start of the next line; false if there is none.
bool findLine(const QByteArray& text, const QByteArray& line, int from, int& start, int& next)
{
    for (; from < text.size(); from = next) {
        const int end = text.indexOf('\n', from);
        next = end < 0 ? text.size() : end + 1;
        start = from;
        if (text.mid(from, next - from).trimmed() == line)
            return true;
    }
    return false;
}

bool bodyRange(const QByteArray& text, const QString& name, int& from, int& to)
{
    int start, next;
    return findLine(text, "// USER CODE BEGIN " + name.toUtf8(), 0, start, from) &&
           findLine(text, "// USER CODE END " + name.toUtf8(), from, to, next);
}
} // namespace

QStringList sectionNames(const QByteArray& text)
{
    QStringList names;
    for (const QByteArray& line : text.split('\n'))
        if (line.trimmed().startsWith("// USER CODE BEGIN "))
            names << QString::fromUtf8(line.trimmed().mid(19));
    return names;
}

QByteArray sectionBody(const QByteArray& text, const QString& name)
{
    int from, to;
    return bodyRange(text, name, from, to) ? text.mid(from, to - from) : QByteArray("<no section>");
}

bool setSectionBody(QByteArray& text, const QString& name, const QByteArray& body)
{
    int from, to;
    if (!bodyRange(text, name, from, to))
        return false;
    text.replace(from, to - from, body);
    return true;
}


QString sectionBody(const QString& text, const QString& name)
{
    int from, to;
    const QByteArray bytes = text.toUtf8();
    return bodyRange(bytes, name, from, to) ? QString::fromUtf8(bytes.mid(from, qMax(0, to - from - 1))) : QString();
}

QString sectionInFile(const QString& path, const QString& name)
{
    return sectionBody(QString::fromUtf8(readBytes(path)), name);
}

bool setSectionInFile(const QString& path, const QString& name, const QString& body)
{
    QByteArray bytes = readBytes(path);
    return setSectionBody(bytes, name, body.toUtf8() + '\n') && writeBytes(path, bytes);
}

} // namespace workflowtest
