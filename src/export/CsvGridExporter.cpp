#include "export/CsvGridExporter.h"

#include "export/ExportText.h"
#include "platform/TextBytes.h"

CsvGridExporter::CsvGridExporter(ExportGrid &grid) : TextGridExporter(grid) {}

void CsvGridExporter::BeginCell()
{
    if (!takeFirstCell())
        write(m_separator);
}

void CsvGridExporter::EmitTitleRow(const QList<ExportColumn> &columns)
{
    BeginLine();
    for (int i = 0; i < columns.size(); ++i) {
        writeQuoted(columns.at(i).caption);
        if (i + 1 < columns.size())
            write(m_separator);
    }
}

void CsvGridExporter::EmitCell(int, const CellParams &params)
{
    BeginCell();
    writeQuoted(params.Text);
}

void CsvGridExporter::EmitFooterCell(int, int, const QString &text, ExportAlignment, const QColor &,
                                     const ExportFont &)
{
    BeginCell();
    writeQuoted(text);
}

// Quotes are doubled on the text, not its bytes: no GBK or GB18030 sequence
// holds the quote byte, so only real quote characters are doubled.
void CsvGridExporter::writeQuoted(const QString &text)
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
    write(TextBytes::toBytes(quoted));
}
