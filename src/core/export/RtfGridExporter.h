#pragma once

#include "export/GridExporter.h"

#include <QColor>
#include <QList>
#include <QRgb>
#include <QStringList>

// A Rich Text document holding the grid as one table. The colour and font
// tables stand before the body but are known only after it, so the body is
// built in memory first.
class RtfGridExporter : public GridExporter
{
public:
    explicit RtfGridExporter(ExportGrid &grid);

    void exportGridToStream(QIODevice *stream) override;

    // A text as RTF reads it back under code page 936: the code page's bytes and
    // the markup characters as \'hh, other characters as \u escapes.
    static QByteArray escapedText(const QString &text);

protected:
    void emitTrailer() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;
    void emitCell(int column, const CellParams &params) override;

private:
    QByteArray rowDefinition(const QList<ExportColumn> &columns, bool titles);
    void writeDataRowDefinition(const QList<ExportColumn> &columns);
    void writeCell(ExportAlignment alignment, const ExportFont &font, const QColor &background,
                   const QString &text);
    void writeRowEnd();
    int colorIndex(const QColor &color);
    int fontIndex(const QString &name);
    qint64 columnTwips(int width) const;

    QList<QRgb> m_colors;
    QStringList m_fonts;
    QByteArray m_dataRowDefinition; // the same for every data row of one export
};
