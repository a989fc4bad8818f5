#include "command.h"

namespace tarvexgen {

void Console::write(const QByteArray& bytes) const
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

void Console::error(const QString& line) const
{
    errorText(line + QLatin1Char('\n'));
}

void Console::errorText(const QString& text) const
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), err);
    std::fflush(err);
}

void Console::print(const QString& text) const
{
    write(text.toUtf8());
}

const QList<Subcommand>& subcommands()
{
    static const QList<Subcommand> table = {
        {"print-header", "--settings FILE",
         "Print the gsm_manager.h that Generate Code would write for the project", runPrintHeader},
        {"print-source", "--settings FILE",
         "Print the gsm_manager.c/.cpp that Generate Code would write for the project", runPrintSource},
        {"generate", "PROJECT_DIR [options]",
         "Generate Code into the project folder from its settings file", runGenerate},
    };
    return table;
}

QString subcommandUsage(const Subcommand& command)
{
    return QStringLiteral("Usage: tarvex-gen %1 %2\n\n%3.\n")
        .arg(QLatin1String(command.name), QLatin1String(command.synopsis), QLatin1String(command.summary));
}

QString usageText()
{
    QString text = QStringLiteral("Usage: tarvex-gen <command> [options]\n"
                                  "       tarvex-gen --help\n"
                                  "\n"
                                  "Headless companion of the Tarvex Code Generator.\n"
                                  "\n"
                                  "Commands:\n");
    for (const Subcommand& command : subcommands()) {
        const QString head = QStringLiteral("  %1 %2").arg(QLatin1String(command.name),
                                                          QLatin1String(command.synopsis));
        text += head.leftJustified(34) + QLatin1String(command.summary) + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "FILE is a project settings file (.tarvex_codegenerator_settings). It is\n"
        "applied like Open in the application, then the module selection rules run\n"
        "and the text is printed to standard output (UTF-8, LF line ends).\n"
        "\n"
        "Exit status: 0 success; 2 bad command line or a settings file that is\n"
        "missing, unreadable or not JSON; 3 the module selection rules produced a\n"
        "message (printed to standard error, nothing on standard output).\n"
        "\n"
        "generate runs Generate Code on PROJECT_DIR and its settings file; every\n"
        "message goes to standard error, one line each. Stale files and folders of\n"
        "another language or layout are kept unless --delete-stale is given.\n"
        "USER CODE sections that are no longer generated stop the run (status 4,\n"
        "nothing written) unless --backup-dir DIR names a folder for a copy of the\n"
        "file. When gsm_manager.c and gsm_manager.cpp both exist, --source-from\n"
        "c|cpp says which one holds the USER CODE (else status 4). Every question\n"
        "and check comes before the first write, and every file is replaced\n"
        "atomically. Status 1: a link or special file in the way (nothing written),\n"
        "or a write that failed (its message names the path and the reason; each\n"
        "file is then its old or its complete new version).\n");
    return text;
}

int dispatch(const QStringList& args, const Console& console)
{
    if (args.isEmpty()) {
        console.error(QStringLiteral("tarvex-gen: no command given (try 'tarvex-gen --help')"));
        return ExitUsageOrInput;
    }
    const QString& name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        console.print(usageText());
        return ExitOk;
    }
    for (const Subcommand& command : subcommands())
        if (name == QLatin1String(command.name))
            return command.run(command, args.mid(1), console);

    console.error(QStringLiteral("tarvex-gen: unknown command '%1' (try 'tarvex-gen --help')").arg(name));
    return ExitUsageOrInput;
}

} // namespace tarvexgen
