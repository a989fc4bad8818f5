// tarvex-example-manager: writes gsm_manager.h and gsm_manager.c / .cpp of
// one example project, without the file header (the download adds it), as
// the generator assembles them today for the example's modules and default
// settings, with the example's USER CODE sections carried over.
//
//   tarvex-example-manager --module NAME --layout Arduino|STM32CubeIDE
//       [--header-code FILE]... [--source-code FILE]...
//       --header-out FILE --source-out FILE
//
// Each --header-code / --source-code file holds USER CODE sections; they are
// carried over in the order given, so a later file's section replaces an
// earlier one's. A section that cannot be carried over is an error (exit
// status 1): the build must never ship an example that silently lost code.
// Output files are UTF-8 with CR LF line ends, like every text of the bundle.

#include "exampledownload.h"
#include "inmemoryproject.h"
#include "usercodemerge.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "tarvex-example-manager: %s\n", qPrintable(message));
    return 1;
}

bool readUtf8(const QString& path, QString& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    out = QString::fromUtf8(file.readAll());
    out.remove(QLatin1Char('\r'));
    return true;
}

bool writeCrLf(const QString& path, QString text)
{
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QByteArray bytes = text.toUtf8();
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Carries the sections of every file into text; false (with a message) when
// a file cannot be read or a section would be lost.
bool carrySections(const QStringList& files, QString& text)
{
    for (const QString& path : files) {
        QString sections;
        if (!readUtf8(path, sections)) {
            fail(QStringLiteral("cannot read ") + path);
            return false;
        }
        const UserCodeMergeResult result = mergeUserCodeText(sections, text);
        if (!result.lostSections.isEmpty()) {
            fail(path + QStringLiteral(": sections not in the generated file: ") +
                 result.lostSections.join(QStringLiteral(", ")));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    QString moduleName, layoutName, headerOut, sourceOut;
    QStringList headerCode, sourceCode;
    for (int i = 0; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if (i + 1 >= args.size())
            return fail(QStringLiteral("missing value for ") + option);
        const QString value = args.at(++i);
        if (option == QLatin1String("--module"))
            moduleName = value;
        else if (option == QLatin1String("--layout"))
            layoutName = value;
        else if (option == QLatin1String("--header-code"))
            headerCode << value;
        else if (option == QLatin1String("--source-code"))
            sourceCode << value;
        else if (option == QLatin1String("--header-out"))
            headerOut = value;
        else if (option == QLatin1String("--source-out"))
            sourceOut = value;
        else
            return fail(QStringLiteral("unknown option ") + option);
    }
    if (headerOut.isEmpty() || sourceOut.isEmpty())
        return fail(QStringLiteral("--header-out and --source-out are required"));

    InMemoryProject project;
    TarvexMdl* module = project.findModuleByName(moduleName);
    if (!module || moduleName.isEmpty())
        return fail(QStringLiteral("no module named \"") + moduleName + QLatin1Char('"'));
    const QList<ExampleLayout> layouts = exampleLayouts();
    const ExampleLayout* layout = nullptr;
    for (const ExampleLayout& each : layouts) {
        if (each.name == layoutName)
            layout = &each;
    }
    if (!layout)
        return fail(QStringLiteral("no layout named \"") + layoutName + QLatin1Char('"'));

    ManagerTexts texts = buildExampleManagerTexts(exampleModuleNames(module), *layout, QString(), QString());
    if (!carrySections(headerCode, texts.header) || !carrySections(sourceCode, texts.source))
        return 1;

    if (!writeCrLf(headerOut, texts.header))
        return fail(QStringLiteral("cannot write ") + headerOut);
    if (!writeCrLf(sourceOut, texts.source))
        return fail(QStringLiteral("cannot write ") + sourceOut);
    return 0;
}
