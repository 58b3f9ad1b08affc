#include "secrets/TrailerStore.h"

#include "platform/ProgramFolder.h"
#include "platform/TextBytes.h"
#include "platform/WorkFolder.h"
#include "secrets/ScrambleCodec.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int LengthFieldSize = 4;

// An open file descriptor that is always closed.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

int openFile(const QString &path, int flags, mode_t mode = 0600)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, mode);
}

bool readAll(int fd, QByteArray &bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

QByteArray lengthField(qint64 payloadSize)
{
    QByteArray field(LengthFieldSize, '\0');
    qToLittleEndian<qint32>(qint32(payloadSize + LengthFieldSize), field.data());
    return field;
}

// Writes a whole file, replacing it; owner-only whatever the umask. A file cut short (a
// full disk) is removed: it would hold part of a scrambled secret and read as a record.
void writeWorkFile(const QString &path, const QByteArray &bytes)
{
    Descriptor file(openFile(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW));
    if (!file.valid())
        throw std::runtime_error("work file cannot be written");
    if (fchmod(file.fd(), 0600) != 0 || !writeAll(file.fd(), bytes)) {
        ::unlink(QFile::encodeName(path).constData());
        throw std::runtime_error("work file cannot be written");
    }
}

QByteArray readWholeFile(const QString &path)
{
    Descriptor file(openFile(path, O_RDONLY));
    QByteArray bytes;
    if (!file.valid() || !readAll(file.fd(), bytes))
        throw std::runtime_error("work file cannot be read");
    return bytes;
}

// The first line of a payload: every byte before the CR LF that ends it, so key
// bytes 10, 13 and 26 inside the record do not end it.
QByteArray firstLine(const QByteArray &payload)
{
    if (payload.endsWith("\r\n"))
        return payload.left(payload.size() - 2);
    const qsizetype end = payload.indexOf("\r\n", 1);
    return end < 0 ? payload : payload.left(end);
}

} // namespace

bool newestRecord(const QByteArray &carrier, QByteArray &record)
{
    if (carrier.size() < LengthFieldSize)
        return false;
    const qint32 length = qFromLittleEndian<qint32>(carrier.constData() + carrier.size() - LengthFieldSize);
    // 0..4 describe no record; a negative length or one past the start of the file is no record either.
    if (length <= LengthFieldSize || length > carrier.size())
        return false;
    record = carrier.mid(carrier.size() - length, length - LengthFieldSize);
    return true;
}

bool AppendTrailer(const QString &sourcePath, const QString &carrierPath)
{
    Descriptor source(openFile(sourcePath, O_RDONLY));
    if (!source.valid() || flock(source.fd(), LOCK_EX | LOCK_NB) != 0)
        return false;
    Descriptor carrier(openFile(carrierPath, O_WRONLY)); // never created here
    if (!carrier.valid() || flock(carrier.fd(), LOCK_EX | LOCK_NB) != 0)
        return false;
    QByteArray payload;
    // The length field is a signed 32-bit number and must be able to describe the record.
    if (!readAll(source.fd(), payload) ||
        payload.size() > std::numeric_limits<qint32>::max() - LengthFieldSize)
        return false;
    const off_t formerSize = lseek(carrier.fd(), 0, SEEK_END);
    if (formerSize < 0)
        return false;
    if (writeAll(carrier.fd(), payload + lengthField(payload.size())) && fsync(carrier.fd()) == 0)
        return true;
    // A carrier never ends in a partial record: cut it back to what it was.
    if (ftruncate(carrier.fd(), formerSize) == 0)
        fsync(carrier.fd());
    return false;
}

bool ExtractTrailer(const QString &carrierPath, const QString &targetPath)
{
    QByteArray carrier;
    {
        Descriptor file(openFile(carrierPath, O_RDONLY));
        if (!file.valid() || !readAll(file.fd(), carrier))
            return false;
    }
    QByteArray payload;
    if (!newestRecord(carrier, payload))
        return false;
    try {
        writeWorkFile(targetPath, payload);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

SecretStore SecretStore::loginPassword()
{
    return {QStringLiteral("key.exe"), QStringLiteral("pass2.txt"), QStringLiteral("passtemp.txt")};
}

SecretStore SecretStore::secretKey()
{
    return {QStringLiteral("sk.exe"), QStringLiteral("sks.txt"), QStringLiteral("sktemp.txt")};
}

QByteArray recordPayload(const QString &secret, const QDateTime &when)
{
    const QString plain = when.toString(QStringLiteral("yyyyMMddHHmmss")) + secret;
    return ScrambleText(TextBytes::toBytes(plain)) + "\r\n";
}

WriteResult writeSecret(const SecretStore &store, const QString &secret, const QDateTime &when)
{
    const QString workFile = WorkFolder::file(store.writeWorkFile);
    writeWorkFile(workFile, recordPayload(secret, when));
    const bool appended = AppendTrailer(workFile, ProgramFolder::file(store.carrierName));
    // The work file holds the scrambled secret: it never stays behind.
    QFile::remove(workFile);
    return appended ? WriteResult::Written : WriteResult::CarrierRefused;
}

bool readSecret(const SecretStore &store, QString &secret)
{
    const QString workFile = WorkFolder::file(store.readWorkFile);
    writeWorkFile(workFile, QByteArray());
    if (!ExtractTrailer(ProgramFolder::file(store.carrierName), workFile)) {
        QFile::remove(workFile);
        return false;
    }
    const QByteArray line = firstLine(readWholeFile(workFile));
    QFile::remove(workFile);
    secret = TextBytes::fromBytes(UnscrambleText(line).mid(14));
    return true;
}
