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
    void emitTitleRow(const QList<ExportColumn> &columns) override;
    void emitDataRow(const QList<ExportColumn> &columns) override;

    // What stands between two fields of a line.
    virtual char separator() const { return '\t'; }
    // The bytes a field adds to its text at most.
    virtual qsizetype fieldFrame() const { return 0; }
    // Puts one field of a line at out, which has room for it, as the format writes it.
    virtual char *putField(char *out, QStringView text, int column, TextPlace place) const;

private:
    void emitLine(const QList<QString> &texts, TextPlace place);

    bool m_firstLine = true;
};
