// print-header and print-source: the manager texts Generate Code would write
// for a project into an empty folder.

#include "command.h"
#include "headlessproject.h"
#include "options.h"

namespace tarvexgen {

namespace {

enum class Part { Header, Source };

int runPrint(const Subcommand& self, const QStringList& args, const Console& console, Part part)
{
    const QString prefix = QStringLiteral("tarvex-gen %1: ").arg(QLatin1String(self.name));
    ParsedOptions options;
    const QString problem = parseOptions(args, {{"settings", "FILE"}}, options);
    if (!problem.isEmpty()) {
        console.error(prefix + problem);
        return ExitUsageOrInput;
    }
    if (options.help) {
        console.print(subcommandUsage(self));
        return ExitOk;
    }
    if (!options.values.contains(QStringLiteral("settings"))) {
        console.error(prefix + QStringLiteral("missing option --settings FILE"));
        return ExitUsageOrInput;
    }

    HeadlessProject project;
    QString loadProblem;
    if (!project.loadSettingsFile(options.values.value(QStringLiteral("settings")), &loadProblem)) {
        console.error(prefix + loadProblem);
        return ExitUsageOrInput;
    }

    const Generation generation = prepareGeneration(project);
    if (!generation.messages.isEmpty()) {
        // The window shows these in one box, joined with one line break.
        console.error(generation.messages.join(QLatin1Char('\n')));
        return ExitRuleMessage;
    }
    console.print(part == Part::Header ? generation.texts.header : generation.texts.source);
    return ExitOk;
}

} // namespace

int runPrintHeader(const Subcommand& self, const QStringList& args, const Console& console)
{
    return runPrint(self, args, console, Part::Header);
}

int runPrintSource(const Subcommand& self, const QStringList& args, const Console& console)
{
    return runPrint(self, args, console, Part::Source);
}

} // namespace tarvexgen
