#pragma once

#include "export/GridExporter.h"

// Tab-separated text: a title line and one line per row, joined by CR LF,
// with no line break after the last line.
class TextGridExporter : public GridExporter
{
public:
    explicit TextGridExporter(ExportGrid &grid);

    void ExportGridToStream(QIODevice *stream) override;

protected:
    virtual void BeginLine();
    virtual void BeginCell();

    void EmitTitleRow(const QList<ExportColumn> &columns) override;
    void EmitDataRow(const QList<ExportColumn> &columns) override;
    void EmitCell(int column, const CellParams &params) override;
    void EmitFooterRow(const QList<ExportColumn> &columns, int footer) override;
    void EmitFooterCell(int column, int footer, const QString &text, ExportAlignment alignment,
                        const QColor &background, const ExportFont &font) override;

    // Clears the first-cell flag; true when it was set.
    bool takeFirstCell();

private:
    bool m_firstLine = true;
    bool m_firstCell = true;
};
