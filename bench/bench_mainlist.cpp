// Prints how the main list behaves with a large register: the refresh, a keyword
// search that has to go to the last row, the resident memory, and sqlite3 reading
// the same nine columns of the same file for comparison.
#include "DialogRecorder.h"
#include "TestWorld.h"
#include "gui/MainWindow.h"
#include "gui/SiteGrid.h"
#include "store/Query.h"
#include "store/SiteRegister.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

namespace {

void fill(const QString &path, int sites)
{
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral(
            "insert into t_webinfo(web_id,web_name,web_address,web_login,web_linkman,web_time,web_endtime,"
            "web_domaintime,web_enddomaintime,web_remark) values(?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < sites; ++i) {
            const QString n = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
            insert.addBindValue(QStringLiteral("2011030710") + n);
            insert.addBindValue(QStringLiteral("网站名称 site ") + n);
            insert.addBindValue(QStringLiteral("www.site") + n + QStringLiteral(".example.com"));
            insert.addBindValue(QStringLiteral("http://www.site") + n +
                                QStringLiteral(".example.com/admin/"));
            insert.addBindValue(QStringLiteral("联系人 ") + n);
            insert.addBindValue(QStringLiteral("2010-%1-%2")
                                    .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            insert.addBindValue(QStringLiteral("2012-%1-%2")
                                    .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            insert.addBindValue(QStringLiteral("2009-06-15"));
            insert.addBindValue(i == sites - 1 ? QStringLiteral("2099-12-31") : QStringLiteral("2013-06-15"));
            insert.addBindValue(QStringLiteral("备注"));
            insert.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return -1;
}

double searchMs(int item, const QString &keyword, int expectedRow)
{
    mainWindow()->findChild<QComboBox *>(QStringLiteral("searchColumnBox"))->setCurrentIndex(item);
    mainWindow()->findChild<QLineEdit *>(QStringLiteral("keywordEdit"))->setText(keyword);
    QElapsedTimer timer;
    timer.start();
    mainWindow()->findChild<QPushButton *>(QStringLiteral("searchButton"))->click();
    QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    const int row = mainWindow()->findChild<SiteGrid *>(QStringLiteral("siteGrid"))->currentRow();
    if (row != expectedRow)
        std::printf("  (search found row %d, expected %d)\n", row, expectedRow);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sites = argc > 1 ? std::atoi(argv[1]) : 100000;

    TestWorld world(true);
    DialogRecorder recorder;
    QElapsedTimer timer;
    timer.start();
    fill(world.databasePath(), sites);
    std::printf("sites: %d (filled in %.0f ms)\n", sites, timer.nsecsElapsed() / 1e6);
    std::printf("resident memory before the list: %ld KiB\n", residentKiB());

    mainWindow()->show();
    QApplication::processEvents();
    for (int round = 1; round <= 3; ++round) {
        timer.start();
        mainWindow()->refreshList();
        QApplication::processEvents(); // the grid paints its first rows
        std::printf("refresh %d: %.1f ms\n", round, timer.nsecsElapsed() / 1e6);
    }
    // The share of the store: the same statement opened again without the window.
    timer.start();
    siteRegister()->mainList()->close();
    siteRegister()->mainList()->open();
    std::printf("  of which the list query alone: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    mainWindow()->refreshList();
    QApplication::processEvents();
    const QString last = QStringLiteral("%1").arg(sites - 1, 6, 10, QLatin1Char('0'));
    std::printf("search by name, last row: %.1f ms\n",
                searchMs(1, QStringLiteral("网站名称 SITE ") + last, sites - 1));
    std::printf("search by domain expiry date, last row: %.1f ms\n",
                searchMs(7, QStringLiteral("2099-12-31"), sites - 1));
    std::printf("search without a match: %.1f ms\n", searchMs(2, QStringLiteral("nowhere"), sites - 1));
    std::printf("resident memory with the list: %ld KiB\n", residentKiB());

    auto *grid = mainWindow()->findChild<SiteGrid *>(QStringLiteral("siteGrid"));
    for (int row = sites - 1000; row < sites; ++row)
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    recorder.scriptAnswer(Dialogs::Answer::Ok);
    timer.start();
    mainWindow()->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
    std::printf("deleting 1,000 selected rows: %.1f ms (%d left)\n", timer.nsecsElapsed() / 1e6,
                grid->rowCount());

    QProcess sqlite;
    sqlite.setStandardOutputFile(QProcess::nullDevice());
    const QString select = QStringLiteral("select web_id,web_name,web_address,web_login,web_time,web_endtime,"
                                          "web_domaintime,web_enddomaintime,web_linkman from t_webinfo");
    timer.start();
    sqlite.start(QStringLiteral("sqlite3"), {world.databasePath(), select});
    if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0)
        std::printf("sqlite3 failed: %s\n", qPrintable(sqlite.errorString()));
    else
        std::printf("sqlite3 selecting the nine columns: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    mainWindow()->hide();
    return recorder.texts() == QStringList{QStringLiteral("删除成功")} ? 0 : 1;
}
