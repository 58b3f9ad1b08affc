#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

// One line of the figures table: what the user waits for (or holds in memory), the
// median of several runs, and the tool underneath it measured in the same run.
struct BenchLine
{
    QString what;
    double figure = 0;
    QString unit; // "ms" or "MB"
    QString anchor;
    double anchorFigure = 0;
    double goal = 0; // the largest ratio figure / anchor that still counts as met; 0: no goal
};

class BenchTable
{
public:
    void add(const BenchLine &line);
    // A figure shown without an anchor (the 1,000,000-site responsiveness).
    void note(const QString &what, double figure, const QString &unit, double limit);
    void print() const;
    bool allMet() const;

private:
    QList<BenchLine> m_lines;
};

namespace Bench {

int runs(); // 5 unless CORVANE_BENCH_RUNS says more
// Median of runs() calls of measure, each returning one figure.
double median(const std::function<double()> &measure);
double medianOf(QList<double> figures);
double milliseconds(const std::function<void()> &work);
// Medians of runs() rounds of first, then second: both see the same moments of a busy machine.
QPair<double, double> alternatedMedians(const std::function<double()> &first,
                                        const std::function<double()> &second);
// Fills an existing register with full site rows, as years of use leave it.
void fillRegister(const QString &path, int sites);
// Runs a program to its end with its output thrown away (or written to outputFile): milliseconds.
double runProgram(const QString &program, const QStringList &arguments,
                  const QString &outputFile = QString());
long residentKiB();

} // namespace Bench
