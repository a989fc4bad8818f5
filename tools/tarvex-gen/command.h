#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

// The subcommand framework of tarvex-gen: a table of named subcommands, each a
// function over its own arguments, and one dispatch function. A new subcommand
// is a function in its own file plus one entry in the table (command.cpp).

namespace tarvexgen {

// Exit statuses shared by every subcommand.
enum ExitStatus {
    ExitOk = 0,
    ExitUsageOrInput = 2, // bad command line, missing/unreadable/invalid settings file
    ExitRuleMessage = 3,  // the module selection rules asked the developer to decide
    ExitFailed = 1,       // generate: a step failed (its message is on standard error)
    ExitNeedsDecision = 4, // generate: an option must say what to do (lost USER CODE, two sources)
};

// Where a subcommand writes: the generated text (raw bytes) and diagnostics.
struct Console
{
    FILE* out = stdout;
    FILE* err = stderr;

    // Writes bytes to the output exactly as given.
    void write(const QByteArray& bytes) const;
    // Writes one diagnostic line (a line feed is added).
    void error(const QString& line) const;
    // Writes text to the diagnostics as it is (for usage and messages).
    void errorText(const QString& text) const;
    // Writes text (UTF-8) to the output.
    void print(const QString& text) const;
};

struct Subcommand
{
    const char* name;     // as typed on the command line
    const char* synopsis; // options, for the usage text
    const char* summary;  // one line for the usage text
    // Runs the subcommand on the arguments after its name.
    int (*run)(const Subcommand& self, const QStringList& args, const Console& console);
};

// Every subcommand, in the order the usage text lists them.
const QList<Subcommand>& subcommands();

// The whole usage text (the program's --help).
QString usageText();
// The usage lines of one subcommand.
QString subcommandUsage(const Subcommand& command);

// Runs the command line (program name excluded) and returns the exit status.
int dispatch(const QStringList& args, const Console& console);

// Subcommand entry points (one file per group).
int runPrintHeader(const Subcommand& self, const QStringList& args, const Console& console);
int runPrintSource(const Subcommand& self, const QStringList& args, const Console& console);
int runGenerate(const Subcommand& self, const QStringList& args, const Console& console);

} // namespace tarvexgen
