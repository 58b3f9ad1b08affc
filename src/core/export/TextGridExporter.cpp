#include "export/TextGridExporter.h"

#include "export/ExportText.h"

TextGridExporter::TextGridExporter(ExportGrid &grid) : GridExporter(grid) {}

void TextGridExporter::exportGridToStream(QIODevice *stream)
{
    m_firstLine = true;
    GridExporter::exportGridToStream(stream);
}

char *TextGridExporter::putField(char *out, QStringView text, int column, TextPlace place) const
{
    return putPlain(out, text, column, place);
}

void TextGridExporter::emitTitleRow(const QList<ExportColumn> &)
{
    emitLine(titleTexts(), TextPlace::Title);
}

void TextGridExporter::emitDataRow(const QList<ExportColumn> &)
{
    emitLine(rowTexts(), TextPlace::Cell);
}

void TextGridExporter::emitLine(const QList<QString> &texts, TextPlace place)
{
    char *out = room(2 + unitCount(texts) * ExportText::MostBytesPerUnit + texts.size() * (1 + fieldFrame()));
    if (!m_firstLine)
        out = ExportText::put(out, "\r\n");
    m_firstLine = false;
    const char between = separator();
    for (int i = 0; i < texts.size(); ++i) {
        if (i > 0)
            *out++ = between;
        out = putField(out, texts.at(i), i, place);
    }
    keep(out);
}
