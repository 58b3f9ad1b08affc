#pragma once

#include <QByteArray>
#include <QString>

// Whole reads and writes on a descriptor, the way every file the program keeps is written:
// a call cut short by a signal is taken up again, and a short write is not success.
namespace FileIo {
// Reads to the end, appending to bytes; false on a read error.
bool readAll(int fd, QByteArray &bytes);
bool writeAll(int fd, const char *data, qsizetype size);
inline bool writeAll(int fd, const QByteArray &bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size());
}
// A rename or a new file in a folder is durable only once the folder itself is flushed.
void syncFolder(const QString &folder);
} // namespace FileIo
