#include "store/ResultRows.h"

#include "store/StoreError.h"

#include <QStringDecoder>

#include <cstring>
#include <limits>

namespace {

// QString::fromUtf8 takes a leading U+FEFF for a byte-order mark and drops it: a text the
// register holds with one at its start keeps it.
QString fromStoredUtf8(QByteArrayView utf8)
{
    if (!utf8.startsWith(QByteArrayView("\xEF\xBB\xBF")))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(utf8);
}

} // namespace

void ResultRows::clear(int columns)
{
    m_columns = columns;
    // The same list is read again and again: its room is kept, so a refresh does not grow
    // its buffers step by step once more. release() gives the room back.
    m_bytes.resize(0);
    m_ends.clear();
    m_kinds.clear();
}

void ResultRows::release()
{
    m_columns = 0;
    m_bytes = QByteArray();
    m_ends = {};
    m_kinds = {};
}

void ResultRows::append(Kind kind, const void *bytes, qsizetype size)
{
    // Cells are found by 32-bit ends: a result beyond 4 GiB of text is refused, not wrapped.
    if (quint64(m_bytes.size()) + quint64(size) > std::numeric_limits<quint32>::max())
        throw StoreError(QStringLiteral("result too large"));
    if (size > 0)
        m_bytes.append(static_cast<const char *>(bytes), size);
    m_ends.push_back(quint32(m_bytes.size()));
    m_kinds.push_back(kind);
}

void ResultRows::appendNull()
{
    append(Kind::Null, nullptr, 0);
}

void ResultRows::appendInteger(qint64 value)
{
    append(Kind::Integer, &value, sizeof value);
}

void ResultRows::appendFloat(double value)
{
    append(Kind::Float, &value, sizeof value);
}

void ResultRows::appendText(const char *utf8, int size)
{
    append(Kind::Text, utf8, size);
}

void ResultRows::appendBlob(const void *bytes, int size)
{
    append(Kind::Blob, bytes, size);
}

QByteArrayView ResultRows::bytes(int row, int column) const
{
    const std::size_t cell = cellIndex(row, column);
    const quint32 start = startOf(cell);
    return QByteArrayView(m_bytes.constData() + start, m_ends[cell] - start);
}

namespace {

template <typename Number> Number numberIn(QByteArrayView bytes)
{
    Number number;
    std::memcpy(&number, bytes.data(), sizeof number);
    return number;
}

} // namespace

QVariant ResultRows::value(int row, int column) const
{
    const QByteArrayView cell = bytes(row, column);
    switch (kind(row, column)) {
    case Kind::Integer:
        return numberIn<qint64>(cell);
    case Kind::Float:
        return numberIn<double>(cell);
    case Kind::Text:
        return fromStoredUtf8(cell);
    case Kind::Blob:
        return cell.toByteArray();
    case Kind::Null:
        break;
    }
    return QVariant(QMetaType(QMetaType::QString));
}

QString ResultRows::text(int row, int column) const
{
    switch (kind(row, column)) {
    case Kind::Text:
        return fromStoredUtf8(bytes(row, column));
    case Kind::Null:
        return QString();
    default:
        return value(row, column).toString();
    }
}

quint32 ResultRows::startOf(std::size_t cell) const
{
    return cell == 0 ? 0 : m_ends[cell - 1];
}

// In place, a run of kept rows at a time: each run moves down as one block, so dropping
// a thousand rows of a long list costs a few block moves, not a copy per cell.
void ResultRows::removeRows(const QList<int> &sortedRows)
{
    std::size_t keptCells = 0;
    quint32 keptBytes = 0;
    int runStart = 0;
    auto moveRun = [&](int runEnd) {
        if (runEnd <= runStart)
            return;
        const std::size_t firstCell = cellIndex(runStart, 0);
        const std::size_t cells = cellIndex(runEnd, 0) - firstCell;
        const quint32 from = startOf(firstCell);
        const quint32 size = m_ends[firstCell + cells - 1] - from;
        std::memmove(m_bytes.data() + keptBytes, m_bytes.constData() + from, size);
        for (std::size_t cell = 0; cell < cells; ++cell) {
            m_ends[keptCells + cell] = m_ends[firstCell + cell] - from + keptBytes;
            m_kinds[keptCells + cell] = m_kinds[firstCell + cell];
        }
        keptCells += cells;
        keptBytes += size;
    };
    for (int removed : sortedRows) {
        moveRun(removed);
        runStart = removed + 1;
    }
    moveRun(rowCount());
    m_bytes.resize(keptBytes);
    m_ends.resize(keptCells);
    m_kinds.resize(keptCells);
}
