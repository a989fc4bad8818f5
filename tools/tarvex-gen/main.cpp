// tarvex-gen: the headless companion of the Tarvex Code Generator. It runs the
// generator's core (project settings, selection rules, manager assembly)
// from the command line, for scripts and CI.

#include "command.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The printed texts use LF line ends on every platform.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return tarvexgen::dispatch(QCoreApplication::arguments().mid(1), tarvexgen::Console());
}
