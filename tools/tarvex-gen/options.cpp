#include "options.h"

namespace tarvexgen {

QString parseOptions(const QStringList& args, const QList<OptionDef>& definitions, ParsedOptions& out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out.help = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")))
            return QStringLiteral("unexpected argument '%1'").arg(arg);

        const int equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionDef* definition = nullptr;
        for (const OptionDef& candidate : definitions)
            if (name == QLatin1String(candidate.name))
                definition = &candidate;
        if (!definition)
            return QStringLiteral("unknown option '%1'").arg(equals < 0 ? arg : arg.left(equals));

        QString value;
        if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args.at(++i);
        }
        if (value.isEmpty())
            return QStringLiteral("option --%1 needs a value (%2)").arg(name, QLatin1String(definition->valueName));
        if (out.values.contains(name))
            return QStringLiteral("option --%1 given more than once").arg(name);
        out.values.insert(name, value);
    }
    return QString();
}

} // namespace tarvexgen
