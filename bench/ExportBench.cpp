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

const ExportKind Kinds[] = {ExportKind::Csv, ExportKind::Html, ExportKind::Rtf};

// Medians of each export both ways, and of the anchor.
struct ExportFigures
{
    double sqlite = 0;
    double writer[3] = {};
    double click[3] = {};
};

// Every round takes the anchor and each export both ways once, so that a moment when the
// machine is busier weighs on all of them alike.
ExportFigures measure(DialogRecorder &recorder, TableGrid &plain, const QString &registerPath,
                      const QString &folder)
{
    const auto path = [&folder](const char *name, ExportKind kind) {
        return folder + u'/' + QLatin1String(name) + u'.' + ExportFile::extension(kind);
    };
    QList<double> sqlite;
    QList<double> writer[3];
    QList<double> click[3];
    for (int run = 0; run < Bench::runs(); ++run) {
        sqlite << Bench::runProgram(QStringLiteral("sqlite3"), sqliteCsv(registerPath),
                                    folder + QStringLiteral("/sqlite.csv"));
        for (int k = 0; k < 3; ++k) {
            click[k] << clickMs(recorder, Kinds[k], path("clicked", Kinds[k]));
            writer[k] << writerMs(Kinds[k], plain, path("written", Kinds[k]));
        }
    }
    ExportFigures figures;
    figures.sqlite = Bench::medianOf(sqlite);
    for (int k = 0; k < 3; ++k) {
        // Both ways must write the same file, or the two figures do not measure the same work.
        if (contents(path("clicked", Kinds[k])) != contents(path("written", Kinds[k])))
            qFatal("the %s export differs from the plain table's",
                   qPrintable(ExportFile::extension(Kinds[k])));
        figures.writer[k] = Bench::medianOf(writer[k]);
        figures.click[k] = Bench::medianOf(click[k]);
    }
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
    const ExportFigures figures = measure(recorder, plain, world.world().databasePath(), work.path());

    const QString ms = QStringLiteral("ms");
    const QString sqliteAnchor = QStringLiteral("sqlite3 -csv");
    const QString csvWriter = QStringLiteral("CSV export (the writer alone)");
    const QString csvClick = QStringLiteral("CSV export, click to message");
    const double csvWriterMs = figures.writer[0];
    const double csvClickMs = figures.click[0];
    table.add({csvWriter, csvWriterMs, ms, sqliteAnchor, figures.sqlite, 1.5});
    table.add({csvClick, csvClickMs, ms, sqliteAnchor, figures.sqlite, 1.5});
    table.add(
        {QStringLiteral("HTML export, click to message"), figures.click[1], ms, csvClick, csvClickMs, 3});
    table.add(
        {QStringLiteral("RTF export, click to message"), figures.click[2], ms, csvClick, csvClickMs, 3});
    table.add(
        {QStringLiteral("HTML export (the writer alone)"), figures.writer[1], ms, csvWriter, csvWriterMs, 3});
    table.add(
        {QStringLiteral("RTF export (the writer alone)"), figures.writer[2], ms, csvWriter, csvWriterMs, 3});
}
