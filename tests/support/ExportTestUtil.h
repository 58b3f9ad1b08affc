#pragma once

#include "export/GridExporter.h"
#include "platform/TextBytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

// An output in memory: what a writer puts into buffer lands in bytes.
struct MemoryOutput
{
    QByteArray bytes;
    QBuffer buffer{&bytes};

    MemoryOutput() { buffer.open(QIODevice::WriteOnly); }
};

// Runs one export into memory and returns its bytes.
template <typename Writer, typename Grid> QByteArray exportBytes(Grid &grid)
{
    MemoryOutput output;
    Writer writer(grid);
    writer.exportGridToStream(&output.buffer);
    return output.bytes;
}

inline QByteArray gbk(const QString &text)
{
    return TextBytes::toBytes(text);
}

// A device that takes limit bytes and then refuses every write, like a full disk.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (written.size() + size > m_limit)
            return -1;
        written.append(data, size);
        return size;
    }

private:
    qint64 m_limit;
};
