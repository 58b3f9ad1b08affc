#pragma once

#include "export/GridExporter.h"

// An HTML 3.2 page holding the grid as one table.
class HtmlGridExporter : public GridExporter
{
public:
    explicit HtmlGridExporter(ExportGrid &grid);

    // Entities for &, <, > and ", and a character reference for any character the
    // page's code page cannot hold; the result is in code page 936 bytes.
    static QByteArray escapedBytes(const QString &text);

protected:
    void emitHeader() override;
    void emitTrailer() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;
    void emitCell(int column, const CellParams &params) override;

private:
    void writeCell(int width, ExportAlignment alignment, const QColor &background, const ExportFont &font,
                   const QString &text);
    void appendFontBlock(QByteArray &out, const ExportFont &font, const QString &text);

    QString m_fontName; // the last font name and its quoted, escaped bytes, the same in most cells
    QByteArray m_fontNameBytes;
};
