// Prints the mean CPU time of assembling both manager texts for the full
// module catalogue (every fragment of all fourteen modules, snippets read
// from the bundle, templates filled, wrappers stripped for C).
//
// Usage: tarvex-bench-assembly [runs]   (default 2000)

#include "managerassembly.h"
#include "modulecatalogue.h"

#include <QCoreApplication>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Mean CPU microseconds per assembly; size keeps the work observable.
double measure(const QList<TarvexMdl*>& modules, bool isCpp, int runs, qsizetype& size)
{
    for (int i = 0; i < 20; ++i) // warm-up: first regex compile, resource pages
        size += buildManagerTexts(modules, QStringLiteral("Tarvex"), isCpp).source.size();
    const double start = cpuSeconds();
    for (int i = 0; i < runs; ++i) {
        const ManagerTexts texts = buildManagerTexts(modules, QStringLiteral("Tarvex"), isCpp);
        size += texts.header.size() + texts.source.size();
    }
    return (cpuSeconds() - start) * 1e6 / runs;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 2000;

    ModuleCatalogue catalogue;
    const QList<TarvexMdl*> modules = catalogue.allModules();
    qsizetype size = 0;
    const double c = measure(modules, false, runs, size);
    const double cpp = measure(modules, true, runs, size);
    const ManagerTexts texts = buildManagerTexts(modules, QStringLiteral("Tarvex"), false);

    std::printf("full catalogue (%d modules), %d runs each\n", int(modules.size()), runs);
    std::printf("  header %d chars, source %d chars (C)\n", int(texts.header.size()), int(texts.source.size()));
    std::printf("  C   : %8.1f us CPU per assembly\n", c);
    std::printf("  C++ : %8.1f us CPU per assembly\n", cpp);
    std::printf("  (checksum %lld)\n", static_cast<long long>(size));
    return 0;
}
