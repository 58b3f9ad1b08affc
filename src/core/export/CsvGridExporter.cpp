#include "export/CsvGridExporter.h"

#include "export/ExportText.h"

CsvGridExporter::CsvGridExporter(ExportGrid &grid) : TextGridExporter(grid) {}

// Quotes are doubled on the text, not its bytes: no code page 936 sequence
// holds the quote byte, so only real quote characters are doubled. A doubled
// quote takes two bytes for one unit, no more than a Chinese character.
char *CsvGridExporter::putField(char *out, QStringView text, int column, TextPlace place) const
{
    static constexpr ExportText::AsciiSet Quote = ExportText::asciiSet("\"");
    *out++ = '"';
    for (qsizetype i = 0;; ++i) {
        out = ExportText::putCodePage(out, text, i, Quote);
        if (i == text.size())
            break;
        if (text[i] != QLatin1Char('"'))
            refuse(ExportText::characterAt(text, i), column, place);
        out = ExportText::put(out, "\"\"");
    }
    *out++ = '"';
    return out;
}
