#include "export/TextGridExporter.h"

TextGridExporter::TextGridExporter(ExportGrid &grid) : GridExporter(grid) {}

void TextGridExporter::ExportGridToStream(QIODevice *stream)
{
    m_firstLine = true;
    GridExporter::ExportGridToStream(stream);
}

void TextGridExporter::BeginLine()
{
    if (m_firstLine)
        m_firstLine = false;
    else
        write("\r\n");
}

void TextGridExporter::BeginCell()
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

void TextGridExporter::EmitTitleRow(const QList<ExportColumn> &columns)
{
    BeginLine();
    for (int i = 0; i < columns.size(); ++i) {
        write(plainBytes(columns.at(i).caption, i, TextPlace::Title));
        if (i + 1 < columns.size())
            write("\t");
    }
}

void TextGridExporter::EmitDataRow(const QList<ExportColumn> &columns)
{
    BeginLine();
    m_firstCell = true;
    GridExporter::EmitDataRow(columns);
}

void TextGridExporter::EmitCell(int column, const CellParams &params)
{
    BeginCell();
    write(plainBytes(params.Text, column, TextPlace::Cell));
}

void TextGridExporter::EmitFooterRow(const QList<ExportColumn> &columns, int footer)
{
    BeginLine();
    m_firstCell = true;
    GridExporter::EmitFooterRow(columns, footer);
}

void TextGridExporter::EmitFooterCell(int column, int, const QString &text, ExportAlignment, const QColor &,
                                      const ExportFont &)
{
    BeginCell();
    write(plainBytes(text, column, TextPlace::Footer));
}
