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
        write("\r\n");
}

void TextGridExporter::beginCell()
{
    if (!takeFirstCell())
        write("\t");
}

bool TextGridExporter::takeFirstCell()
{
    const bool first = m_firstCell;
    m_firstCell = false;
    return first;
}

void TextGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    beginLine();
    for (int i = 0; i < columns.size(); ++i) {
        write(plainBytes(columns.at(i).caption, i, TextPlace::Title));
        if (i + 1 < columns.size())
            write("\t");
    }
}

void TextGridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    beginLine();
    m_firstCell = true;
    GridExporter::emitDataRow(columns);
}

void TextGridExporter::emitCell(int column, const CellParams &params)
{
    beginCell();
    write(plainBytes(params.Text, column, TextPlace::Cell));
}
