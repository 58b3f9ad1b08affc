#pragma once

#include "export/GridExporter.h"

// Tab-separated text: a title line and one line per row, joined by CR LF,
// with no line break after the last line.
class TextGridExporter : public GridExporter
{
public:
    explicit TextGridExporter(ExportGrid &grid);

    void exportGridToStream(QIODevice *stream) override;

protected:
    virtual void beginLine();
    virtual void beginCell();

    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;
    void emitCell(int column, const CellParams &params) override;

    // Clears the first-cell flag; true when it was set.
    bool takeFirstCell();

private:
    bool m_firstLine = true;
    bool m_firstCell = true;
};
