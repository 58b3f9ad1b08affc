// Prints how Corvane keeps up with a large register, next to the tools underneath it,
// measured in the same run: every figure the median of at least five runs.
// Usage: corvane_bench [sites] (default 100,000). CORVANE_BENCH_RUNS=N for more runs.
#include "BenchKit.h"
#include "BenchSections.h"
#include "TestFolder.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (runChildMode(argc, argv))
        return 0;
    const int sites = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir work;
    const QString pristine = work.filePath(QStringLiteral("pristine.mdb"));
    {
        TestFolder fresh;
        QFile::copy(fresh.databasePath(), pristine);
    }
    const double fillMs = Bench::milliseconds([&] { Bench::fillRegister(pristine, sites); });
    std::printf("register of %d sites written in %.0f ms; %d runs per figure\n", sites, fillMs,
                Bench::runs());

    BenchTable table;
    const BenchRegister bench{pristine, sites};
    benchList(table, bench);
    benchExports(table, bench);
    benchCompaction(table, bench);
    benchStart(table, bench);
    benchMillion(table);
    table.print();
    return table.allMet() ? 0 : 1;
}
