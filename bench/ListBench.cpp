// The main list: refresh (warm, and the first one in a fresh process), the memory the
// loaded list holds, deleting 1,000 selected rows, and the list at 1,000,000 sites.
#include "BenchKit.h"
#include "BenchSections.h"
#include "BenchWorld.h"
#include "DialogRecorder.h"
#include "store/Statements.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

const char FirstRefreshMode[] = "--first-refresh";

// From the click on "刷新" until the grid has painted its first rows.
double refreshMs()
{
    return Bench::milliseconds([] {
        mainWindow()->findChild<QPushButton *>(QStringLiteral("refreshButton"))->click();
        QApplication::processEvents();
    });
}

// In a fresh process: the first refresh after start, and the memory the list then holds.
void firstRefreshChild(const QString &registerPath)
{
    CopiedWorld world(registerPath);
    const long before = Bench::residentKiB();
    const double ms = refreshMs();
    std::printf("%.3f %ld\n", ms, Bench::residentKiB() - before);
}

struct FirstRefresh
{
    double ms = 0;
    double addedMB = 0;
};

FirstRefresh firstRefreshInFreshProcess(const QString &registerPath)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(FirstRefreshMode), registerPath});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        qFatal("the first-refresh run failed");
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    return {figures.value(0).toDouble(), figures.value(1).toDouble() / 1024.0};
}

QStringList sqliteSelect(const QString &registerPath)
{
    return {registerPath, Statements::MainList};
}

double deleteLastThousandMs(DialogRecorder &recorder)
{
    SiteGrid *grid = siteGrid();
    const int rows = grid->rowCount();
    grid->selectionModel()->clearSelection();
    for (int row = rows - 1000; row < rows; ++row)
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    recorder.scriptAnswer(Dialogs::Answer::Ok);
    const double ms = Bench::milliseconds(
        [] { mainWindow()->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click(); });
    if (grid->rowCount() != rows - 1000)
        qFatal("the delete did not remove 1,000 rows");
    return ms;
}

double searchMs(int item, const QString &keyword, int expectedRow)
{
    mainWindow()->findChild<QComboBox *>(QStringLiteral("searchColumnBox"))->setCurrentIndex(item);
    mainWindow()->findChild<QLineEdit *>(QStringLiteral("keywordEdit"))->setText(keyword);
    const double ms = Bench::milliseconds([] {
        mainWindow()->findChild<QPushButton *>(QStringLiteral("searchButton"))->click();
        QApplication::processEvents();
    });
    if (siteGrid()->currentRow() != expectedRow)
        qFatal("the search found row %d, not %d", siteGrid()->currentRow(), expectedRow);
    return ms;
}

double scrollToEndMs()
{
    return Bench::milliseconds([] {
        siteGrid()->scrollToTop();
        QApplication::processEvents();
        siteGrid()->verticalScrollBar()->setValue(siteGrid()->verticalScrollBar()->maximum());
        QApplication::processEvents();
    });
}

} // namespace

bool runChildMode(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], FirstRefreshMode) == 0) {
        firstRefreshChild(QString::fromLocal8Bit(argv[2]));
        return true;
    }
    return false;
}

void benchList(BenchTable &table, const BenchRegister &bench)
{
    const QString sqlite = QStringLiteral("sqlite3");
    const double select =
        Bench::median([&] { return Bench::runProgram(sqlite, sqliteSelect(bench.pristinePath)); });
    const QString anchor = QStringLiteral("sqlite3 selecting the same 9 columns");

    QList<double> firstMs;
    QList<double> addedMB;
    for (int run = 0; run < Bench::runs(); ++run) {
        const FirstRefresh first = firstRefreshInFreshProcess(bench.pristinePath);
        firstMs << first.ms;
        addedMB << first.addedMB;
    }
    std::sort(firstMs.begin(), firstMs.end());
    std::sort(addedMB.begin(), addedMB.end());

    QTemporaryDir work;
    const QString csv = work.filePath(QStringLiteral("list.csv"));
    Bench::runProgram(sqlite, QStringList{QStringLiteral("-csv")} + sqliteSelect(bench.pristinePath), csv);
    const double textMB = QFileInfo(csv).size() / (1024.0 * 1024.0);

    CopiedWorld world(bench.pristinePath);
    DialogRecorder recorder;
    refreshMs();
    const double warm = Bench::median(refreshMs);
    const double removal = Bench::median([&] { return deleteLastThousandMs(recorder); });

    table.add({QStringLiteral("main list refresh (warm)"), warm, QStringLiteral("ms"), anchor, select, 1.5});
    table.add({QStringLiteral("first refresh after start"), firstMs.at(firstMs.size() / 2),
               QStringLiteral("ms"), anchor, select, 2});
    table.add({QStringLiteral("memory added by the loaded list"), addedMB.at(addedMB.size() / 2),
               QStringLiteral("MB"), QStringLiteral("the list's text as CSV"), textMB, 2});
    table.note(QStringLiteral("delete 1,000 selected rows"), removal, QStringLiteral("ms"), 50);
}

void benchMillion(BenchTable &table)
{
    const int sites = 1000000;
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("million.mdb"));
    {
        TestFolder fresh;
        QFile::copy(fresh.databasePath(), path);
    }
    Bench::fillRegister(path, sites);
    CopiedWorld world(path);
    refreshMs();
    const QString last = QStringLiteral("网站名称 site %1").arg(sites);
    table.note(QStringLiteral("1,000,000 sites: refresh"), Bench::median(refreshMs), QStringLiteral("ms"),
               1000);
    table.note(QStringLiteral("1,000,000 sites: scroll to the end"), Bench::median(scrollToEndMs),
               QStringLiteral("ms"), 1000);
    table.note(QStringLiteral("1,000,000 sites: search to the last row"),
               Bench::median([&] { return searchMs(1, last, sites - 1); }), QStringLiteral("ms"), 1000);
}
