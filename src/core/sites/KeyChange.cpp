#include "sites/KeyChange.h"

#include "platform/ProgramFolder.h"
#include "platform/TextBytes.h"
#include "secrets/CredentialSeal.h"
#include "secrets/TrailerStore.h"
#include "sites/SiteCredentials.h"
#include "store/Connection.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <stdexcept>
#include <unistd.h>

namespace {

const int MinimumKeyBytes = 6;
const QString DomainUserColumn = QStringLiteral("web_domainuser");

struct Rekeyed
{
    qint64 id;
    QByteArray domainUser;
};

// The key change runs within one transaction over every site, so it reads and writes the
// rows straight, with one prepared update, instead of a cursor that keeps every row.
// In a protected register each domain user is opened from its seal and sealed again.
QByteArray opened(const CredentialSeal *seal, qint64 id, const QByteArray &stored)
{
    try {
        return seal ? seal->open(id, DomainUserColumn, stored) : stored;
    } catch (const CredentialSeal::Broken &) {
        throw BrokenCredential();
    }
}

QList<Rekeyed> rekeyedRecords(const QSqlDatabase &db, const CredentialSeal *seal, const QString &currentKey,
                              const QString &newKey)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(Statements::DomainUsers))
        throw StoreError(query.lastError().text());
    QList<Rekeyed> changed;
    while (query.next()) {
        if (query.value(2).isNull())
            continue;
        const qint64 id = query.value(0).toLongLong();
        const auto rekeyed =
            SiteCredentials::rekeyDomainUser(opened(seal, id, query.value(2).toByteArray()),
                                             query.value(1).toString().trimmed(), currentKey, newKey);
        if (rekeyed)
            changed.append({id, seal ? seal->seal(id, DomainUserColumn, *rekeyed) : *rekeyed});
    }
    if (query.lastError().isValid())
        throw StoreError(query.lastError().text());
    return changed;
}

void store(const QSqlDatabase &db, const QList<Rekeyed> &records)
{
    QSqlQuery update(db);
    if (!update.prepare(Statements::SaveDomainUser))
        throw StoreError(update.lastError().text());
    for (const Rekeyed &record : records) {
        update.bindValue(QStringLiteral(":web_domainuser"), record.domainUser);
        update.bindValue(QStringLiteral(":id"), record.id);
        if (!update.exec())
            throw StoreError(update.lastError().text());
    }
}

bool cutBack(const QString &carrier, qint64 size)
{
    return ::truncate(QFile::encodeName(carrier).constData(), off_t(size)) == 0;
}

QString carrierPath()
{
    return ProgramFolder::file(SecretStore::secretKey().carrierName);
}

// Beside sk.exe while a change is under way: the record of the key the change starts from
// and the record it appends, in the carrier's own layout. Found at a start together with
// that record at the end of sk.exe, it tells that the re-keyed records were not committed.
QString markPath()
{
    return carrierPath() + QStringLiteral(".changing");
}

void removeMark()
{
    QFile::remove(markPath());
}

// The two records of a mark: the key changed from, and the record appended for the new one.
bool readMark(QByteArray &from, QByteArray &appended)
{
    QByteArray mark;
    if (!readCarrier(markPath(), mark) || !newestRecord(mark, appended))
        return false;
    mark.chop(appended.size() + 4);
    return newestRecord(mark, from);
}

bool appendedLast(const QByteArray &record)
{
    QByteArray carrier;
    QByteArray newest;
    return readCarrier(carrierPath(), carrier) && newestRecord(carrier, newest) && newest == record;
}

void commitOrThrow(QSqlDatabase &db)
{
    if (!db.commit())
        throw StoreError(db.lastError().text());
}

// Re-keys the records stored under from, in one transaction that commit ends; anything
// commit throws leaves them as they were.
int rekeyInOneTransaction(Connection *connection, const QString &from, const QString &to,
                          const std::function<void(QSqlDatabase &)> &commit = commitOrThrow)
{
    QSqlDatabase db = connection->database();
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    const CredentialSeal *seal = connection->isProtected() ? connection->requireSeal() : nullptr;
    const QList<Rekeyed> records = rekeyedRecords(db, seal, from, to);
    store(db, records);
    commit(db);
    rollBack.dismiss();
    return int(records.size());
}

// The new key goes to sk.exe first and the records are committed after it; the mark
// covers the moment between.
void appendThenCommit(QSqlDatabase &db, const QByteArray &from, const QByteArray &record)
{
    writePrivateFile(markPath(), trailerOf(from) + trailerOf(record));
    auto dropMark = qScopeGuard(removeMark);
    const qint64 formerSize = QFileInfo(carrierPath()).size();
    if (writeRecord(SecretStore::secretKey(), record) != WriteResult::Written)
        throw std::runtime_error("sk.exe refused the new key");
    if (db.commit())
        return;
    const QString error = db.lastError().text();
    if (!cutBack(carrierPath(), formerSize)) {
        dropMark.dismiss(); // the next start finishes the change
        throw std::runtime_error("sk.exe could not be cut back after a failed commit");
    }
    throw StoreError(error);
}

} // namespace

namespace KeyChange {

Refusal check(const QString &currentKey, const QString &typedCurrentKey, const QString &newKey,
              const QString &confirmation)
{
    if (TextBytes::toBytes(typedCurrentKey) != TextBytes::toBytes(currentKey))
        return Refusal::WrongCurrentKey;
    if (TextBytes::byteLength(newKey) < MinimumKeyBytes)
        return Refusal::TooShort;
    if (newKey != confirmation)
        return Refusal::Mismatch;
    return Refusal::None;
}

int change(Connection *connection, const QString &currentKey, const QString &newKey, const QDateTime &when)
{
    const QByteArray from = recordPayload(currentKey, when);
    const QByteArray record = recordPayload(newKey, when);
    return rekeyInOneTransaction(connection, currentKey, newKey,
                                 [&](QSqlDatabase &db) { appendThenCommit(db, from, record); });
}

int finishInterrupted(Connection *connection)
{
    QByteArray from;
    QByteArray appended;
    if (!readMark(from, appended)) {
        removeMark(); // none, or one cut short before anything was appended
        return 0;
    }
    const int rekeyed = appendedLast(appended) ? rekeyInOneTransaction(connection, secretOfRecord(from),
                                                                       secretOfRecord(appended))
                                               : 0;
    removeMark();
    return rekeyed;
}

} // namespace KeyChange
