#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Carrier files (key.exe, sk.exe): supplied content, then records, each followed by
// a 4-byte little-endian length that counts the record and itself. Only the newest
// record is read.

// Appends the whole source file and its length field to the carrier (which must exist).
// A failure half-way cuts the carrier back to its former size.
bool AppendTrailer(const QString &sourcePath, const QString &carrierPath);
// Copies the newest record of the carrier into the target file.
bool ExtractTrailer(const QString &carrierPath, const QString &targetPath);
// The newest record of a carrier's bytes; false when it holds none.
bool newestRecord(const QByteArray &carrier, QByteArray &record);

// One store: a carrier beside the executable and its two work files in the private work folder.
struct SecretStore
{
    QString carrierName;   // "key.exe" / "sk.exe"
    QString writeWorkFile; // "pass2.txt" / "sks.txt"
    QString readWorkFile;  // "passtemp.txt" / "sktemp.txt"

    static SecretStore loginPassword();
    static SecretStore secretKey();
};

// The stored record line: ScrambleText of "yyyymmddhhmmss" + secret, then CR LF.
QByteArray recordPayload(const QString &secret, const QDateTime &when);

enum class WriteResult { Written, CarrierRefused };
// The write steps: work file, append, delete. Throws std::runtime_error when the
// work file cannot be written; CarrierRefused leaves nothing appended and removes the work file.
WriteResult writeSecret(const SecretStore &store, const QString &secret,
                        const QDateTime &when = QDateTime::currentDateTime());

// The read steps. Returns true and sets secret when the carrier holds a record;
// false leaves secret unchanged. Throws std::runtime_error when the work file fails.
bool readSecret(const SecretStore &store, QString &secret);
