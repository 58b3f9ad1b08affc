#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QVariant>

#include <vector>

// The rows of a result, packed: every cell's bytes follow one another in one buffer (text
// as UTF-8, blobs as they are, numbers as their eight bytes), found by where each cell
// ends. A list of 100,000 sites then costs about its own text, not a string and a variant
// per cell, and is read, freed and walked without a heap block per value.
class ResultRows
{
public:
    enum class Kind : quint8 { Null, Integer, Float, Text, Blob };

    void clear(int columns = 0); // keeps the room the rows took
    void release();
    int columnCount() const { return m_columns; }
    int rowCount() const { return m_columns == 0 ? 0 : int(m_kinds.size() / std::size_t(m_columns)); }

    // A row is appended cell by cell, its columns in order.
    void appendNull();
    void appendInteger(qint64 value);
    void appendFloat(double value);
    void appendText(const char *utf8, int size);
    void appendBlob(const void *bytes, int size);

    Kind kind(int row, int column) const { return m_kinds[cellIndex(row, column)]; }
    QByteArrayView bytes(int row, int column) const;
    // The cell as the SQL driver would give it: qint64, double, QString, QByteArray, or a null QString.
    QVariant value(int row, int column) const;
    QString text(int row, int column) const; // NULL as "", numbers as QVariant writes them

    // Drops the given rows (sorted, no repeats, all present), keeping the others in order.
    void removeRows(const QList<int> &sortedRows);

private:
    std::size_t cellIndex(int row, int column) const { return std::size_t(row) * m_columns + column; }
    quint32 startOf(std::size_t cell) const;
    void append(Kind kind, const void *bytes, qsizetype size);

    int m_columns = 0;
    QByteArray m_bytes;
    std::vector<quint32> m_ends; // where each cell's bytes end in m_bytes
    std::vector<Kind> m_kinds;
};
