#include "export/TextGridExporter.h"

#include "export/ExportText.h"
#include "platform/TextBytes.h"

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
        write(TextBytes::toBytes(columns.at(i).caption));
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

void TextGridExporter::EmitCell(int, const CellParams &params)
{
    BeginCell();
    write(TextBytes::toBytes(params.Text));
}

void TextGridExporter::EmitFooterRow(const QList<ExportColumn> &columns, int footer)
{
    BeginLine();
    m_firstCell = true;
    GridExporter::EmitFooterRow(columns, footer);
}

void TextGridExporter::EmitFooterCell(int, int, const QString &text, ExportAlignment, const QColor &,
                                      const ExportFont &)
{
    BeginCell();
    write(TextBytes::toBytes(text));
}
