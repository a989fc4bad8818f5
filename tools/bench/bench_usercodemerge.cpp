// Prints the CPU time of planning a USER CODE merge of the full-catalogue
// source file whose Poll section holds N MB of developer code (lines with
// marker text, NUL bytes and bytes that are not UTF-8), and the time per
// MB, so that a parser that is not linear in the file size shows.
//
// Usage: tarvex-bench-usercodemerge [MB ...]   (default 1 5 20 80)

#include "managerassembly.h"
#include "modulecatalogue.h"
#include "usercodemerge.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << qMax(1, QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {1, 5, 20, 80};

    ModuleCatalogue catalogue;
    const QString fresh = buildManagerTexts(catalogue.allModules(), QStringLiteral("Tarvex"), false).source;
    const QByteArray marker = "// USER CODE BEGIN Poll\n";
    const int at = fresh.toUtf8().indexOf(marker);
    if (at < 0) {
        std::fprintf(stderr, "no Poll section in the generated source\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/gsm_manager.c");
    const QByteArray line = QByteArray("    puts(\"// USER CODE END Poll\"); /* \xff\xfe ") + QByteArray(1, '\0') +
                            QByteArray(60, '.') + " */\n";

    std::printf("plan of a merge into the full-catalogue source, Poll section of N MB\n");
    for (int mb : sizes) {
        QByteArray code;
        code.reserve(mb * 1024 * 1024 + line.size());
        while (code.size() < mb * 1024 * 1024)
            code += line;
        QByteArray old = fresh.toUtf8();
        old.insert(at + marker.size(), code);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(old) != old.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();

        const double start = cpuSeconds();
        const UserCodeMergePlan plan = planUserCodeMerge(path, fresh, false);
        const double seconds = cpuSeconds() - start;
        const bool carried = plan.mergedBytes.contains(code) && plan.lostSections.isEmpty();
        std::printf("  %4d MB: %8.1f ms CPU, %6.2f ms per MB, %s\n", mb, seconds * 1e3, seconds * 1e3 / mb,
                    carried ? "carried" : "NOT carried");
    }
    return 0;
}
