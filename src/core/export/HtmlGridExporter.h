#pragma once

#include "export/GridExporter.h"

// An HTML 3.2 page holding the grid as one table.
class HtmlGridExporter : public GridExporter
{
public:
    explicit HtmlGridExporter(ExportGrid &grid);

    // Entities for &, <, > and ", and a character reference for any character the
    // page's code page cannot hold; the result is in code page 936 bytes.
    static QByteArray escapedBytes(QStringView text);

protected:
    void emitHeader() override;
    void emitTrailer() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;

private:
    // The markup around the text of a cell: the same for every cell of a column.
    struct CellFrame
    {
        QByteArray open;
        QByteArray close;
    };
    CellFrame cellFrame(QByteArray open, const ExportFont &font) const;
    void writeRow(const QList<CellFrame> &frames, const QList<QString> &texts);

    QList<CellFrame> m_dataCells;
};
