#include "export/CsvGridExporter.h"

CsvGridExporter::CsvGridExporter(ExportGrid &grid) : TextGridExporter(grid) {}

void CsvGridExporter::beginCell()
{
    if (!takeFirstCell())
        write(m_separator);
}

void CsvGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    beginLine();
    for (int i = 0; i < columns.size(); ++i) {
        writeQuoted(columns.at(i).caption, i, TextPlace::Title);
        if (i + 1 < columns.size())
            write(m_separator);
    }
}

void CsvGridExporter::emitCell(int column, const CellParams &params)
{
    beginCell();
    writeQuoted(params.Text, column, TextPlace::Cell);
}

// Quotes are doubled on the text, not its bytes: no code page 936 sequence
// holds the quote byte, so only real quote characters are doubled.
void CsvGridExporter::writeQuoted(const QString &text, int column, TextPlace place)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted += QLatin1Char('"');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    write(plainBytes(quoted, column, place));
}
