#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tarvexgen {

// A long option a subcommand accepts; all options take a value.
struct OptionDef
{
    const char* name;      // without the leading "--"
    const char* valueName; // for messages, e.g. "FILE"
};

struct ParsedOptions
{
    QMap<QString, QString> values; // by option name
    bool help = false;             // --help or -h was given
};

// Parses "--name VALUE", "--name=VALUE", "--help" and "-h". Anything else
// (unknown options, stray arguments, a missing or empty value, an option
// given twice) is a problem: the returned text names it. Empty on success.
QString parseOptions(const QStringList& args, const QList<OptionDef>& definitions, ParsedOptions& out);

} // namespace tarvexgen
