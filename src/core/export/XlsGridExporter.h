#pragma once

#include "export/GridExporter.h"

// One worksheet as a bare stream of BIFF records. The worksheet cannot hold
// more than 65,536 rows or a text of more than 65,527 bytes; such a grid is
// refused before anything reaches the output.
class XlsGridExporter : public GridExporter
{
public:
    explicit XlsGridExporter(ExportGrid &grid);

    void exportGridToStream(QIODevice *stream) override;

    static constexpr int MaxRow = 0xFFFF;
    static constexpr int MaxLabelBytes = 0xFFFF - 8;

protected:
    void emitHeader() override;
    void emitTrailer() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitCell(int column, const CellParams &params) override;

private:
    void writeLabel(const QByteArray &bytes);
    void writeNumber(double value);
    void writeWholeNumber(qint64 value);
    void writeBlank();
    QByteArray cellStart(quint16 record, quint16 length, quint16 format) const;
    void advance();

    int m_row = 0;
    int m_column = 0;
};
