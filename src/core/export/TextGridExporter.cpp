#include "export/TextGridExporter.h"

TextGridExporter::TextGridExporter(ExportGrid &grid) : GridExporter(grid) {}

void TextGridExporter::exportGridToStream(QIODevice *stream)
{
    m_firstLine = true;
    GridExporter::exportGridToStream(stream);
}

void TextGridExporter::beginLine()
{
    if (m_firstLine)
        m_firstLine = false;
    else
        pending() += "\r\n";
}

void TextGridExporter::appendField(QByteArray &out, QStringView text, int column, TextPlace place) const
{
    appendPlain(out, text, column, place);
}

void TextGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    beginLine();
    for (int i = 0; i < columns.size(); ++i) {
        if (i > 0)
            pending() += separator();
        appendField(pending(), columns.at(i).caption, i, TextPlace::Title);
    }
    flushWhenFull();
}

void TextGridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    beginLine();
    QByteArray &out = pending();
    const char between = separator();
    for (int i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += between;
        appendField(out, grid().displayText(i), i, TextPlace::Cell);
    }
    flushWhenFull();
}
