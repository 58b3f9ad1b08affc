#pragma once

#include "export/CellParams.h"
#include "export/ExportGrid.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// The walk over a grid's dataset; each file format derives from it and fills
// the slots it needs. A writer lives for one export.
class GridExporter
{
public:
    explicit GridExporter(ExportGrid &grid);
    virtual ~GridExporter();
    GridExporter(const GridExporter &) = delete;
    GridExporter &operator=(const GridExporter &) = delete;

    // Throws ExportError when a write fails; the grid keeps its position either way.
    virtual void exportGridToStream(QIODevice *stream);
    // Replaces fileName only once the whole export has been written, so a failure
    // leaves any former file of that name as it was.
    void exportGridToFile(const QString &fileName);

protected:
    virtual void emitHeader();
    virtual void emitTrailer();
    virtual void emitTitleRow(const QList<ExportColumn> &columns);
    virtual void emitDataRow(const QList<ExportColumn> &columns);
    virtual void emitCell(int column, const CellParams &params);

    ExportGrid &grid() const { return m_grid; }
    const QList<ExportColumn> &exportedColumns() const { return m_columns; }

    // Runs the walk into memory and returns what it wrote; the output is left unset.
    QByteArray walkIntoMemory();
    void setOutput(QIODevice *stream) { m_stream = stream; }
    void write(const QByteArray &bytes);
    void write(const char *ascii);
    void writeLine(const QByteArray &bytes);
    void writeLine(const char *ascii);

    // Where a text stands in the export, for the message that refuses it.
    enum class TextPlace { Title, Cell };
    // The code page bytes of a text, for the formats that cannot escape a character:
    // one the code page cannot hold refuses the whole export with a reason that names
    // the site, the column and the character.
    QByteArray plainBytes(const QString &text, int column, TextPlace place) const;

    // Whole points of a font, as a 96 pixels-per-inch screen rounds them.
    int pointSize(const ExportFont &font) const;

private:
    ExportGrid &m_grid;
    QIODevice *m_stream = nullptr;
    QList<ExportColumn> m_columns;
    CellParams m_params;
};
