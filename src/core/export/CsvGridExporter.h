#pragma once

#include "export/TextGridExporter.h"

// Semicolon-separated values with every field, titles included, in double quotes.
class CsvGridExporter : public TextGridExporter
{
public:
    explicit CsvGridExporter(ExportGrid &grid);

protected:
    void beginCell() override;
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitCell(int column, const CellParams &params) override;

private:
    void writeQuoted(const QString &text, int column, TextPlace place);

    const char m_separator[2] = ";";
};
