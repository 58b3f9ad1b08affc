// Writes one export of a grid full of awkward texts, in the look of the program's own
// grid, and the cells a reader should find in it as JSON, for the LibreOffice round trip.
// Usage: export_cli <xls|csv|htm|rtf|txt> <export file> <expected json> [--gbk-only]
// Without --gbk-only the grid also holds characters outside code page 936; exit code 3
// says the export refused them.

#include "TableGrid.h"
#include "app/Startup.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "gui/SiteGrid.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace {

// Colours and fonts as the program's grid gives them to the writers under its look.
void takeTheProgramsLook(TableGrid &grid)
{
    applyLook();
    SiteGrid program;
    program.setColumns(SiteGrid::mainListColumns());
    const ExportColumn look = program.column(0);
    grid.fixed = program.fixedColor();
    for (ExportColumn &column : grid.columns) {
        column.titleColor = look.titleColor;
        column.titleFont = look.titleFont;
        column.color = look.color;
        column.font = look.font;
    }
}

TableGrid awkwardGrid(const QString &kind, bool gbkOnly)
{
    TableGrid grid;
    grid.columns = {TableGrid::siteColumn(QStringLiteral("网站编号"), 64, FieldType::Int32),
                    TableGrid::siteColumn(QStringLiteral("网站名称"), 120),
                    TableGrid::siteColumn(QStringLiteral("符号 <&> \"q\" ;"), 100),
                    TableGrid::siteColumn(QStringLiteral("聖禱倉\\{}"), 90),
                    TableGrid::siteColumn(QStringLiteral("空间大小"), 70, FieldType::Float),
                    TableGrid::siteColumn(QStringLiteral("备注"), 200, FieldType::Memo)};
    // Tab-separated text cannot hold tabs or line breaks in a cell.
    const bool text = kind == QLatin1String("txt");
    const QString tab = text ? QStringLiteral("制表 符") : QStringLiteral("制表\t符");
    const QString lines = text ? QStringLiteral("换行 第二行") : QStringLiteral("换行\n第二行");
    const QString emoji = gbkOnly ? QStringLiteral("表情") : QStringLiteral("表情😀𪜀");
    grid.rows = {
        {7, QStringLiteral("a<b>&c"), QStringLiteral("\"引号\";"), QStringLiteral("反斜杠\\{花括号}"), 1.5,
         QStringLiteral("聖禱倉 €5")},
        {8, tab, lines, emoji, QVariant(), QString()},
        {-536870913, QStringLiteral("&amp;"), QStringLiteral("{\\rtf1 x}"), QStringLiteral("'单引号'"),
         1024.25, QString(5000, QChar(0x957F))},
    };
    return grid;
}

QJsonArray expectedCells(TableGrid &grid)
{
    QJsonArray rows;
    QJsonArray titles;
    for (const ExportColumn &column : std::as_const(grid.columns))
        titles.append(column.caption);
    rows.append(titles);
    for (grid.first(); !grid.atEnd(); grid.next()) {
        QJsonArray row;
        for (int i = 0; i < grid.columnCount(); ++i)
            row.append(grid.displayText(i));
        rows.append(row);
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool gbkOnly = args.size() == 5 && args.at(4) == QLatin1String("--gbk-only");
    if (args.size() != 4 && !gbkOnly) {
        std::fprintf(stderr,
                     "usage: export_cli <xls|csv|htm|rtf|txt> <export file> <expected json> [--gbk-only]\n");
        return 2;
    }
    const int position = int(ExportFile::filterEntries().indexOf(QStringLiteral("*.") + args.at(1)));
    const std::optional<ExportKind> kind = ExportFile::kindForEntry(position < 0 ? 0 : position / 2 + 1);
    if (!kind || !args.at(2).endsWith(args.at(1))) {
        std::fprintf(stderr, "unknown kind or file name\n");
        return 2;
    }
    TableGrid grid = awkwardGrid(args.at(1), gbkOnly);
    takeTheProgramsLook(grid);
    try {
        saveGridToExportFile(*kind, grid, args.at(2));
    } catch (const ExportError &error) {
        if (!error.reason().isEmpty()) {
            std::fprintf(stderr, "refused: %s\n", qPrintable(error.reason()));
            return 3;
        }
        std::fprintf(stderr, "export failed: %s\n", error.what());
        return 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "export failed: %s\n", error.what());
        return 1;
    }
    QFile expected(args.at(3));
    if (!expected.open(QIODevice::WriteOnly) ||
        expected.write(QJsonDocument(expectedCells(grid)).toJson()) < 0)
        return 1;
    return 0;
}
