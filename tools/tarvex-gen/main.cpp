// tarvex-gen: the headless companion of the Tarvex Code Generator. It runs the
// generator's core (project settings, selection rules, manager assembly)
// from the command line, for scripts and CI.

#include "command.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return tarvexgen::dispatch(QCoreApplication::arguments().mid(1), tarvexgen::Console());
}
