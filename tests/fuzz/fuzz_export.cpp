// Every export writer on random grids: any characters and bytes in captions and cells,
// any column count, width, colour and font. Text, CSV, HTML and Excel give every cell
// back, or, for a text beyond code page 936, Text, CSV and Excel refuse the grid;
// RTF stays well formed.
#include "ExportReaders.h"
#include "FuzzInput.h"
#include "TableGrid.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "export/GridExporter.h"
#include "platform/TextBytes.h"

#include <QBuffer>
#include <QStringEncoder>

namespace {

using ExportReaders::Lines;

QColor anyColor(FuzzInput &input)
{
    if (input.byte() % 8 == 0)
        return QColor(); // no colour at all
    return QColor(input.byte(), input.byte(), input.byte());
}

ExportFont anyFont(FuzzInput &input)
{
    static const QString names[] = {QStringLiteral("微软雅黑"), QStringLiteral("Arial"),
                                    QStringLiteral("宋体"),     QStringLiteral("A&B <x> \"y\""),
                                    QStringLiteral("{\\rtf}"),  QString()};
    ExportFont font;
    font.name = names[input.byte() % 6];
    font.pixelHeight = input.number(1, 400);
    font.color = anyColor(input);
    const std::uint8_t styles = input.byte();
    font.bold = styles & 1;
    font.italic = styles & 2;
    font.underline = styles & 4;
    font.strikeOut = styles & 8;
    return font;
}

ExportAlignment anyAlignment(FuzzInput &input)
{
    return ExportAlignment(input.byte() % 3);
}

// Texts typed by a user, or bytes of any kind read as text.
QString anyText(FuzzInput &input)
{
    return input.flag() ? input.text(24) : TextBytes::fromBytes(input.bytes(24));
}

void fillGrid(FuzzInput &input, TableGrid &grid)
{
    const int columns = input.number(0, 9);
    for (int i = 0; i < columns; ++i) {
        ExportColumn column = TableGrid::siteColumn(anyText(input), 64);
        column.width = input.flag() ? input.number(0, 3000) : int(input.u32());
        column.titleAlignment = anyAlignment(input);
        column.alignment = anyAlignment(input);
        column.titleColor = anyColor(input);
        column.color = anyColor(input);
        column.titleFont = anyFont(input);
        column.font = anyFont(input);
        const std::uint8_t kind = input.byte();
        column.fieldType = kind % 16 == 1   ? FieldType::Int32
                           : kind % 16 == 2 ? FieldType::Float
                                            : FieldType::String;
        grid.columns << column;
    }
    grid.fixed = anyColor(input);
    grid.ppi = input.number(-1, 600);
    const int rows = input.number(0, 12);
    for (int r = 0; r < rows; ++r) {
        QVariantList row;
        for (const ExportColumn &column : std::as_const(grid.columns)) {
            if (input.byte() % 16 == 0)
                row << QVariant(); // a null field
            else if (column.fieldType == FieldType::Int32)
                row << QString::number(qint64(qint32(input.u32())));
            else if (column.fieldType == FieldType::Float)
                row << QString::number(double(qint32(input.u32())) / 64.0);
            else
                row << anyText(input);
        }
        grid.rows << row;
    }
}

QByteArray exported(ExportKind kind, TableGrid &grid)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int position = grid.current;
    ExportFile::createExporter(kind, grid)->exportGridToStream(&buffer);
    FUZZ_CHECK(grid.current == position);
    return bytes;
}

// The lines every format carries: the titles, then one per data row.
Lines expectedLines(const TableGrid &grid)
{
    Lines lines;
    QStringList captions;
    for (const ExportColumn &column : grid.columns)
        captions << column.caption;
    lines << captions;
    for (const QVariantList &row : grid.rows) {
        QStringList cells;
        for (int i = 0; i < grid.columns.size(); ++i)
            cells << row.at(i).toString();
        lines << cells;
    }
    return lines;
}

// Whether the formats without escapes can hold every text: ICU's code page 936 less the
// user-defined area, which GBK readers do not share, and U+FEFF, which ICU writes as nothing;
// stateless, so a lone surrogate at the end is an error rather than held back.
bool codePageHolds(const Lines &lines)
{
    for (const QStringList &line : lines) {
        for (const QString &cell : line) {
            QStringEncoder encoder("windows-936", QStringConverter::Flag::Stateless);
            const QByteArray bytes = encoder.encode(cell);
            if (encoder.hasError())
                return false;
            for (const QChar c : cell)
                if ((c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF) || c.unicode() == 0xFEFF)
                    return false;
        }
    }
    return true;
}

// A refusal names what to do about it, and the grid keeps its position.
bool refused(ExportKind kind, TableGrid &grid)
{
    const int position = grid.current;
    try {
        exported(kind, grid);
    } catch (const ExportError &error) {
        FUZZ_CHECK(!error.reason().isEmpty() && grid.current == position);
        return true;
    }
    return false;
}

bool anyTextHolds(const Lines &lines, const QString &characters)
{
    for (const QStringList &line : lines)
        for (const QString &cell : line)
            for (const QChar c : characters)
                if (cell.contains(c))
                    return true;
    return false;
}

void checkDelimited(TableGrid &grid, const Lines &expected)
{
    if (!codePageHolds(expected)) {
        FUZZ_CHECK(refused(ExportKind::Text, grid) && refused(ExportKind::Csv, grid));
        return;
    }
    const QByteArray text = exported(ExportKind::Text, grid);
    const QByteArray csv = exported(ExportKind::Csv, grid);
    if (grid.columns.isEmpty()) {
        // Nothing but the line breaks between empty lines.
        const QByteArray breaks =
            expected.isEmpty() ? QByteArray() : QByteArray("\r\n").repeated(expected.size() - 1);
        FUZZ_CHECK(text == breaks && csv == breaks);
        return;
    }
    // Tabs and line breaks inside a text are written as they are: that format cannot keep them apart.
    // An empty file is no line, and also one line of one empty cell.
    if (!anyTextHolds(expected, QStringLiteral("\t\r\n")))
        FUZZ_CHECK(ExportReaders::readText(text) == expected ||
                   (text.isEmpty() && expected == Lines{QStringList{QString()}}));
    const std::optional<Lines> fromCsv = ExportReaders::readCsv(csv);
    FUZZ_CHECK(fromCsv && *fromCsv == expected);
}

void checkHtml(TableGrid &grid, const Lines &expected)
{
    const QByteArray html = exported(ExportKind::Html, grid);
    QStringList cells;
    for (const QStringList &line : expected)
        cells << line;
    const std::optional<QStringList> fromHtml = ExportReaders::readHtmlCells(html);
    FUZZ_CHECK(fromHtml && *fromHtml == cells);
    FUZZ_CHECK(html.count("<TR>") == expected.size());
    FUZZ_CHECK(html.endsWith("</TABLE>\r\n</BODY>\r\n</HTML>\r\n"));
}

void checkXls(TableGrid &grid, const Lines &expected)
{
    if (!codePageHolds(expected)) {
        FUZZ_CHECK(refused(ExportKind::Xls, grid));
        return;
    }
    const std::optional<QList<ExportReaders::XlsCell>> cells =
        ExportReaders::readXls(exported(ExportKind::Xls, grid));
    FUZZ_CHECK(cells.has_value());
    FUZZ_CHECK(cells->size() == qsizetype(expected.size()) * grid.columns.size());
    int at = 0;
    for (int line = 0; line < expected.size(); ++line) {
        const bool titleLine = line == 0;
        const int row = line - 1;
        for (int i = 0; i < grid.columns.size(); ++i) {
            const ExportReaders::XlsCell &cell = cells->at(at++);
            FUZZ_CHECK(cell.row == line && cell.column == i);
            const ExportColumn &column = grid.columns.at(i);
            if (titleLine) {
                FUZZ_CHECK(!cell.blank && !cell.number && cell.text == column.caption);
            } else if (!grid.rows.at(row).at(i).isValid()) {
                FUZZ_CHECK(cell.blank);
            } else if (column.fieldType != FieldType::String) {
                FUZZ_CHECK(cell.number);
            } else {
                FUZZ_CHECK(!cell.blank && !cell.number && cell.text == expected.at(line).at(i));
            }
        }
    }
}

void checkRtf(TableGrid &grid, const Lines &expected)
{
    const std::optional<int> cells = ExportReaders::rtfCellCount(exported(ExportKind::Rtf, grid));
    FUZZ_CHECK(cells && *cells == qsizetype(expected.size()) * grid.columns.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    TableGrid grid;
    fillGrid(input, grid);
    const Lines expected = expectedLines(grid);
    checkDelimited(grid, expected);
    checkHtml(grid, expected);
    checkXls(grid, expected);
    checkRtf(grid, expected);
    return 0;
}
