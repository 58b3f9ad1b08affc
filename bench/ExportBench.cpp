// The exports of the main list, from the click on the export item to the success message,
// and the writers alone over the same rows held in a plain table, next to sqlite3 -csv
// writing those rows.
#include "BenchKit.h"
#include "BenchSections.h"
#include "BenchWorld.h"
#include "DialogRecorder.h"
#include "TableGrid.h"
#include "export/ExportFile.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace {

// The rows and look of the grid, copied once into a plain table, so a writer can be timed
// without the walk over the program's grid.
TableGrid plainCopy(ExportGrid &grid)
{
    TableGrid copy;
    copy.fixed = grid.fixedColor();
    copy.ppi = grid.pixelsPerInch();
    for (int i = 0; i < grid.columnCount(); ++i)
        copy.columns << grid.column(i);
    for (grid.first(); !grid.atEnd(); grid.next()) {
        QVariantList row;
        for (int i = 0; i < copy.columns.size(); ++i)
            row << grid.displayText(i);
        copy.rows << row;
    }
    return copy;
}

// sqlite3 selecting what the main list exports: its statement without the one column
// the grid does not show.
QStringList sqliteCsv(const QString &registerPath)
{
    QStringList fields;
    for (const GridColumn &column : SiteGrid::mainListColumns())
        fields << column.field;
    return {QStringLiteral("-csv"), QStringLiteral("-header"), registerPath,
            QStringLiteral("select %1 from t_webinfo").arg(fields.join(u','))};
}

double writerMs(ExportKind kind, TableGrid &grid, const QString &path)
{
    QFile::remove(path);
    return Bench::milliseconds([&] { saveGridToExportFile(kind, grid, path); });
}

double clickMs(DialogRecorder &recorder, ExportKind kind, const QString &path)
{
    QFile::remove(path);
    recorder.clear();
    recorder.scriptSave(path, int(kind));
    auto *action = mainWindow()->findChild<QAction *>(QStringLiteral("exportAction"));
    const double ms = Bench::milliseconds([action] {
        action->trigger();
        QApplication::processEvents(); // the grid paints again
    });
    if (recorder.count() != 1 || recorder.lastMessage().text != QStringLiteral("数据导出成功"))
        qFatal("the export did not succeed: %s", qPrintable(recorder.texts().join(u'|')));
    return ms;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

struct ExportFigures
{
    double writer = 0;
    double click = 0;
};

ExportFigures measure(DialogRecorder &recorder, TableGrid &plain, ExportKind kind, const QString &folder)
{
    const QString clicked = folder + QStringLiteral("/clicked.") + ExportFile::extension(kind);
    const QString written = folder + QStringLiteral("/written.") + ExportFile::extension(kind);
    ExportFigures figures;
    figures.click = Bench::median([&] { return clickMs(recorder, kind, clicked); });
    figures.writer = Bench::median([&] { return writerMs(kind, plain, written); });
    // Both ways must write the same file, or the two figures do not measure the same work.
    if (contents(clicked) != contents(written))
        qFatal("the %s export differs from the plain table's", qPrintable(ExportFile::extension(kind)));
    return figures;
}

} // namespace

void benchExports(BenchTable &table, const BenchRegister &bench)
{
    CopiedWorld world(bench.pristinePath);
    DialogRecorder recorder;
    mainWindow()->refreshList();
    QApplication::processEvents();
    if (siteGrid()->rowCount() != bench.sites)
        qFatal("the list shows %d of %d sites", siteGrid()->rowCount(), bench.sites);
    TableGrid plain = plainCopy(*siteGrid());

    QTemporaryDir work;
    const QString sqliteOut = work.filePath(QStringLiteral("sqlite.csv"));
    const double sqlite = Bench::median([&] {
        return Bench::runProgram(QStringLiteral("sqlite3"), sqliteCsv(world.world().databasePath()),
                                 sqliteOut);
    });
    const ExportFigures csv = measure(recorder, plain, ExportKind::Csv, work.path());
    const ExportFigures html = measure(recorder, plain, ExportKind::Html, work.path());
    const ExportFigures rtf = measure(recorder, plain, ExportKind::Rtf, work.path());

    const QString ms = QStringLiteral("ms");
    const QString sqliteAnchor = QStringLiteral("sqlite3 -csv");
    const QString csvWriter = QStringLiteral("CSV export (the writer alone)");
    const QString csvClick = QStringLiteral("CSV export, click to message");
    table.add({csvWriter, csv.writer, ms, sqliteAnchor, sqlite, 1.5});
    table.add({csvClick, csv.click, ms, sqliteAnchor, sqlite, 1.5});
    table.add({QStringLiteral("HTML export, click to message"), html.click, ms, csvClick, csv.click, 3});
    table.add({QStringLiteral("RTF export, click to message"), rtf.click, ms, csvClick, csv.click, 3});
    table.add({QStringLiteral("HTML export (the writer alone)"), html.writer, ms, csvWriter, csv.writer, 3});
    table.add({QStringLiteral("RTF export (the writer alone)"), rtf.writer, ms, csvWriter, csv.writer, 3});
}
