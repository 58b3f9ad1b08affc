#include "export/CsvGridExporter.h"

CsvGridExporter::CsvGridExporter(ExportGrid &grid) : TextGridExporter(grid) {}

// Quotes are doubled on the text, not its bytes: no code page 936 sequence
// holds the quote byte, so only real quote characters are doubled.
void CsvGridExporter::appendField(QByteArray &out, QStringView text, int column, TextPlace place) const
{
    out += '"';
    if (text.contains(QLatin1Char('"'))) {
        QString doubled = text.toString();
        doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
        appendPlain(out, doubled, column, place);
    } else {
        appendPlain(out, text, column, place);
    }
    out += '"';
}
