#pragma once

#include "export/TextGridExporter.h"

// Semicolon-separated values with every field, titles included, in double quotes.
class CsvGridExporter : public TextGridExporter
{
public:
    explicit CsvGridExporter(ExportGrid &grid);

protected:
    char separator() const override { return ';'; }
    qsizetype fieldFrame() const override { return 2; }
    char *putField(char *out, QStringView text, int column, TextPlace place) const override;
};
