#pragma once

#include "export/CellParams.h"
#include "export/ExportGrid.h"

#include <QByteArray>
#include <QList>
#include <QString>

class BackgroundWriter;
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

    // Whether the grid has any data row; known from emitHeader() on.
    bool hasRows() const { return m_hasRows; }

    // Runs the walk into memory and returns what it wrote; the output is left unset.
    QByteArray walkIntoMemory();
    void setOutput(QIODevice *stream) { m_stream = stream; }
    // The texts of the current row, one per exported column, read together.
    const QList<QString> &rowTexts();
    // The column titles in the same form.
    const QList<QString> &titleTexts() const { return m_titles; }
    // The UTF-16 units of texts together, for the room their bytes take at most.
    static qsizetype unitCount(const QList<QString> &texts);

    // What the writers write is gathered in memory and handed to the output in large
    // pieces, since a write per cell costs more than the cell. room() sets aside size
    // bytes after those gathered; the writer puts its bytes there and hands back the end
    // of what it put to keep().
    char *room(qsizetype size);
    void keep(const char *end);
    // Hands everything gathered to the output; throws ExportError when it refuses it.
    void flush();
    void write(const QByteArray &bytes);
    void write(const char *ascii);
    void writeLine(const QByteArray &bytes);
    void writeLine(const char *ascii);

    // Where a text stands in the export, for the message that refuses it.
    enum class TextPlace { Title, Cell };
    // The code page bytes of a text, for the formats that cannot escape a character:
    // one the code page cannot hold refuses the whole export with a reason that names
    // the site, the column and the character. putPlain() puts them at out, which has
    // room for ExportText::MostBytesPerUnit per unit.
    QByteArray plainBytes(QStringView text, int column, TextPlace place) const;
    char *putPlain(char *out, QStringView text, int column, TextPlace place) const;
    [[noreturn]] void refuse(char32_t character, int column, TextPlace place) const;

    // Whole points of a font, as a 96 pixels-per-inch screen rounds them.
    int pointSize(const ExportFont &font) const;

private:
    static constexpr qsizetype FlushSize = 256 * 1024;

    void walk();
    void flushWhenFull()
    {
        if (m_stream && m_pending.size() >= FlushSize)
            flush();
    }

    ExportGrid &m_grid;
    QIODevice *m_stream = nullptr;
    QByteArray m_pending;
    BackgroundWriter *m_background = nullptr; // while a file is written
    QList<ExportColumn> m_columns;
    QList<QString> m_titles;
    QList<QString> m_texts;
    CellParams m_params;
    bool m_hasRows = false;
};
