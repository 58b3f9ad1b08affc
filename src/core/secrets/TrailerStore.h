#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Carrier files (key.exe, sk.exe): supplied content, then records, each followed by
// a 4-byte little-endian length that counts the record and itself. Only the newest
// record is read.

// A carrier is used only when it is a plain file (never through a link, never a pipe); an
// existing carrier is made owner-only. The operations below throw std::runtime_error when a
// carrier is there but is no plain file.

// Appends the whole source file and its length field to the carrier (which must exist).
// A failure half-way cuts the carrier back to its former size.
bool appendTrailer(const QString &sourcePath, const QString &carrierPath);
// Copies the newest record of the carrier into the target file; false when the carrier is
// missing or holds no record. Also throws when the carrier cannot be read or the target written.
bool extractTrailer(const QString &carrierPath, const QString &targetPath);
// The carrier's bytes; false when it is missing. Also throws when it cannot be read.
bool readCarrier(const QString &carrierPath, QByteArray &bytes);
// Writes a whole file, replacing it, never through a link; owner-only whatever the umask,
// and on disk before it returns. Throws std::runtime_error, leaving no file, when it cannot.
void writePrivateFile(const QString &path, const QByteArray &bytes);
// The newest record of a carrier's bytes; false when it holds none.
bool newestRecord(const QByteArray &carrier, QByteArray &record);
// The secret a record holds: its first line unscrambled, without the time stamp.
QString secretOfRecord(const QByteArray &payload);

// One store: a carrier beside the executable and its two work files in the private work folder.
struct SecretStore
{
    QString carrierName;   // "key.exe" / "sk.exe"
    QString writeWorkFile; // "pass2.txt" / "sks.txt"
    QString readWorkFile;  // "passtemp.txt" / "sktemp.txt"

    static SecretStore loginPassword();
    static SecretStore secretKey();
};

// The stored record line: scrambleText of "yyyymmddhhmmss" + secret, then CR LF.
QByteArray recordPayload(const QString &secret, const QDateTime &when);
// A record as it is appended: the payload and its length field.
QByteArray trailerOf(const QByteArray &payload);

enum class WriteResult { Written, CarrierRefused };
// The write steps: work file, append, delete. CarrierRefused (carrier missing, locked or
// read-only) leaves nothing appended. Throws std::runtime_error when the work file cannot be
// written or the carrier is no plain file. The work file is removed on every path.
WriteResult writeSecret(const SecretStore &store, const QString &secret,
                        const QDateTime &when = QDateTime::currentDateTime());
// The same with a record already made by recordPayload.
WriteResult writeRecord(const SecretStore &store, const QByteArray &payload);

// Takes every record this program wrote off the end of the carrier, keeping what it was
// supplied with; the carrier is replaced in one step. False when there was nothing to take.
// Throws std::runtime_error when the carrier cannot be read or replaced.
bool removeSecrets(const SecretStore &store);

// The read steps. Returns true and sets secret when the carrier holds a record; false, with
// secret unchanged, when the carrier is missing or holds no record. Throws std::runtime_error
// when the carrier is there but is no plain file or cannot be read, or the work file fails.
bool readSecret(const SecretStore &store, QString &secret);
