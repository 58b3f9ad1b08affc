#include "secrets/TrailerStore.h"

#include "platform/FileIo.h"
#include "platform/ProgramFolder.h"
#include "platform/TextBytes.h"
#include "platform/WorkFolder.h"
#include "secrets/ScrambleCodec.h"

#include <QFile>
#include <QScopeGuard>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

int openFile(const QString &path, int flags, mode_t mode = 0600)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, mode);
}

QByteArray lengthField(qint64 payloadSize)
{
    QByteArray field(LengthFieldSize, '\0');
    qToLittleEndian<qint32>(qint32(payloadSize + LengthFieldSize), field.data());
    return field;
}

QByteArray readWholeFile(const QString &path)
{
    Descriptor file(openFile(path, O_RDONLY));
    QByteArray bytes;
    if (!file.valid() || !FileIo::readAll(file.fd(), bytes))
        throw std::runtime_error("work file cannot be read");
    return bytes;
}

[[noreturn]] void refuseCarrier()
{
    throw std::runtime_error("carrier is not a plain file");
}

// Opens a carrier without following a link and without waiting on a pipe; -1 when it is
// missing or, for writing, when it may not be written. Anything there that is no plain file
// is refused. A carrier copied from an earlier installation is readable by everyone: it is
// made owner-only the first time it is used.
int openCarrier(const QString &path, int access)
{
    Descriptor file(openFile(path, access | O_NOFOLLOW | O_NONBLOCK));
    if (!file.valid()) {
        const bool notPlain = errno == ELOOP || errno == ENXIO || errno == EISDIR;
        if (errno == ENOENT || (access != O_RDONLY && !notPlain))
            return -1;
        refuseCarrier();
    }
    struct stat info = {};
    if (fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode))
        refuseCarrier();
    if ((info.st_mode & 077) != 0)
        fchmod(file.fd(), info.st_mode & 0700); // someone else's carrier keeps its mode
    return file.release();
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

// A file cut short (a full disk) is removed: it would hold part of a scrambled secret and
// read as a record.
void writePrivateFile(const QString &path, const QByteArray &bytes)
{
    Descriptor file(openFile(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.valid())
        throw std::runtime_error("private file cannot be written");
    if (fchmod(file.fd(), 0600) != 0 || !FileIo::writeAll(file.fd(), bytes) || fsync(file.fd()) != 0) {
        ::unlink(QFile::encodeName(path).constData());
        throw std::runtime_error("private file cannot be written");
    }
}

bool readCarrier(const QString &carrierPath, QByteArray &bytes)
{
    Descriptor file(openCarrier(carrierPath, O_RDONLY));
    if (!file.valid())
        return false;
    if (!FileIo::readAll(file.fd(), bytes))
        throw std::runtime_error("carrier cannot be read");
    return true;
}

bool appendTrailer(const QString &sourcePath, const QString &carrierPath)
{
    Descriptor source(openFile(sourcePath, O_RDONLY));
    if (!source.valid() || flock(source.fd(), LOCK_EX | LOCK_NB) != 0)
        return false;
    Descriptor carrier(openCarrier(carrierPath, O_WRONLY)); // never created here
    if (!carrier.valid() || flock(carrier.fd(), LOCK_EX | LOCK_NB) != 0)
        return false;
    QByteArray payload;
    // The length field is a signed 32-bit number and must be able to describe the record.
    if (!FileIo::readAll(source.fd(), payload) ||
        payload.size() > std::numeric_limits<qint32>::max() - LengthFieldSize)
        return false;
    const off_t formerSize = lseek(carrier.fd(), 0, SEEK_END);
    if (formerSize < 0)
        return false;
    if (FileIo::writeAll(carrier.fd(), trailerOf(payload)) && fsync(carrier.fd()) == 0)
        return true;
    // A carrier never ends in a partial record: cut it back to what it was.
    if (ftruncate(carrier.fd(), formerSize) == 0)
        fsync(carrier.fd());
    return false;
}

bool extractTrailer(const QString &carrierPath, const QString &targetPath)
{
    QByteArray carrier;
    if (!readCarrier(carrierPath, carrier))
        return false;
    QByteArray payload;
    if (!newestRecord(carrier, payload))
        return false;
    writePrivateFile(targetPath, payload);
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
    return scrambleText(TextBytes::toBytes(plain)) + "\r\n";
}

QByteArray trailerOf(const QByteArray &payload)
{
    return payload + lengthField(payload.size());
}

QString secretOfRecord(const QByteArray &payload)
{
    return TextBytes::fromBytes(unscrambleText(firstLine(payload)).mid(14));
}

WriteResult writeSecret(const SecretStore &store, const QString &secret, const QDateTime &when)
{
    return writeRecord(store, recordPayload(secret, when));
}

WriteResult writeRecord(const SecretStore &store, const QByteArray &payload)
{
    const QString workFile = WorkFolder::file(store.writeWorkFile);
    // The work file holds the scrambled secret: it never stays behind.
    const auto removeWorkFile = qScopeGuard([&workFile] { QFile::remove(workFile); });
    writePrivateFile(workFile, payload);
    return appendTrailer(workFile, ProgramFolder::file(store.carrierName)) ? WriteResult::Written
                                                                           : WriteResult::CarrierRefused;
}

bool readSecret(const SecretStore &store, QString &secret)
{
    const QString workFile = WorkFolder::file(store.readWorkFile);
    const auto removeWorkFile = qScopeGuard([&workFile] { QFile::remove(workFile); });
    writePrivateFile(workFile, QByteArray());
    if (!extractTrailer(ProgramFolder::file(store.carrierName), workFile))
        return false;
    secret = secretOfRecord(readWholeFile(workFile));
    return true;
}

namespace {

// A record this program wrote: a scrambled line that starts with its 14-digit time stamp.
bool isSecretRecord(const QByteArray &payload)
{
    const QByteArray line = unscrambleText(firstLine(payload));
    if (!payload.endsWith("\r\n") || line.size() < 14)
        return false;
    for (int i = 0; i < 14; ++i)
        if (line.at(i) < '0' || line.at(i) > '9')
            return false;
    return true;
}

} // namespace

bool removeSecrets(const SecretStore &store)
{
    const QString carrier = ProgramFolder::file(store.carrierName);
    QByteArray bytes;
    if (!readCarrier(carrier, bytes))
        return false;
    QByteArray record;
    const qsizetype size = bytes.size();
    while (newestRecord(bytes, record) && isSecretRecord(record))
        bytes.chop(record.size() + LengthFieldSize);
    if (bytes.size() == size)
        return false;
    // Written beside and renamed over, so a carrier is never left half cleared.
    const QString beside = carrier + QStringLiteral(".new");
    writePrivateFile(beside, bytes);
    if (::rename(QFile::encodeName(beside).constData(), QFile::encodeName(carrier).constData()) != 0) {
        QFile::remove(beside);
        throw std::runtime_error("carrier cannot be replaced");
    }
    return true;
}
