// Times the export of a large grid to every format, and sqlite3 -csv writing
// the same rows for comparison. Usage: bench_export [rows] (default 100000).

#include "TableGrid.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

TableGrid siteGrid(int rows)
{
    TableGrid grid;
    const char *const captions[] = {"编号",     "网站编号", "网站名称", "网站地址",
                                    "服务器IP", "空间到期", "域名到期", "空间大小"};
    for (const char *caption : captions)
        grid.columns.append(TableGrid::siteColumn(QString::fromUtf8(caption), 100));
    grid.columns[0].fieldType = FieldType::AutoInc;
    grid.columns[5].fieldType = FieldType::Date;
    grid.columns[6].fieldType = FieldType::Date;
    grid.columns[7].fieldType = FieldType::Float;
    grid.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        grid.rows.append({i + 1, QStringLiteral("W%1").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("某某科技有限公司网站%1").arg(i),
                          QStringLiteral("www.example%1.com.cn").arg(i),
                          QStringLiteral("192.168.%1.%2").arg(i / 256 % 256).arg(i % 256),
                          QStringLiteral("2011-%1-%2").arg(i % 12 + 1).arg(i % 28 + 1),
                          QStringLiteral("2012-%1-%2").arg(i % 12 + 1).arg(i % 28 + 1), 100.5 + i % 1000});
    }
    return grid;
}

void timeExport(const char *label, ExportKind kind, TableGrid &grid, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    try {
        saveGridToExportFile(kind, grid, path);
        std::printf("%-22s %8lld ms %12lld bytes\n", label, timer.elapsed(), QFileInfo(path).size());
    } catch (const ExportError &error) {
        std::printf("%-22s %8lld ms refused: %s\n", label, timer.elapsed(), error.what());
    }
}

void timeSqlite(int rows, const QString &folder)
{
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite.isEmpty()) {
        std::printf("sqlite3 -csv           not installed\n");
        return;
    }
    const QString dbPath = folder + QStringLiteral("/bench.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(dbPath);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, web_id TEXT, web_name TEXT, "
                                  "web_address TEXT, server_ip TEXT, end_time TEXT, end_domain_time TEXT, "
                                  "space REAL)"));
        db.transaction();
        query.prepare(QStringLiteral("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        const TableGrid grid = siteGrid(rows);
        for (const QVariantList &row : grid.rows) {
            for (int i = 0; i < row.size(); ++i)
                query.bindValue(i, row.at(i));
            query.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    QProcess process;
    process.setStandardOutputFile(folder + QStringLiteral("/sqlite.csv"));
    QElapsedTimer timer;
    timer.start();
    process.start(sqlite, {QStringLiteral("-csv"), QStringLiteral("-header"), dbPath,
                           QStringLiteral("SELECT * FROM t ORDER BY id")});
    process.waitForFinished(-1);
    std::printf("%-22s %8lld ms %12lld bytes\n", "sqlite3 -csv", timer.elapsed(),
                QFileInfo(folder + QStringLiteral("/sqlite.csv")).size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    TableGrid grid = siteGrid(rows);
    std::printf("%d rows of %d columns\n", rows, int(grid.columns.size()));
    timeExport("txt", ExportKind::Text, grid, dir.filePath("a.txt"));
    timeExport("csv", ExportKind::Csv, grid, dir.filePath("a.csv"));
    timeExport("htm", ExportKind::Html, grid, dir.filePath("a.htm"));
    timeExport("rtf", ExportKind::Rtf, grid, dir.filePath("a.rtf"));
    timeExport("xls", ExportKind::Xls, grid, dir.filePath("a.xls"));
    if (rows > 65535) {
        TableGrid sheet = siteGrid(65535);
        timeExport("xls (65,535 rows)", ExportKind::Xls, sheet, dir.filePath("b.xls"));
    }
    timeSqlite(rows, dir.path());
    return 0;
}
