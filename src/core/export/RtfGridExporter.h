#pragma once

#include "export/GridExporter.h"

#include <QColor>
#include <QList>
#include <QRgb>
#include <QStringList>

// A Rich Text document holding the grid as one table. The colour and font tables
// stand before the body; every cell takes its look from its column, so they are
// known from the columns before the first row is read.
class RtfGridExporter : public GridExporter
{
public:
    explicit RtfGridExporter(ExportGrid &grid);

    // A text as RTF reads it back under code page 936: the code page's bytes and
    // the markup characters as \'hh, other characters as \u escapes.
    static QByteArray escapedText(QStringView text);

protected:
    void emitHeader() override;
    void emitTrailer() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;

private:
    // The definition of a row and the opening of each of its cells: the same for every data row.
    struct RowLook
    {
        QByteArray definition;
        QList<QByteArray> cells;
    };
    RowLook rowLook(const QList<ExportColumn> &columns, bool titles);
    QByteArray rowDefinition(const QList<ExportColumn> &columns, bool titles);
    QByteArray cellOpening(ExportAlignment alignment, const ExportFont &font, const QColor &background);
    void writeRow(const RowLook &look, const QList<QString> &texts);
    int colorIndex(const QColor &color);
    int fontIndex(const QString &name);
    qint64 columnTwips(int width) const;

    QList<QRgb> m_colors;
    QStringList m_fonts;
    RowLook m_titleRow;
    RowLook m_dataRow;
};
