#include "secrets/KeyChange.h"

#include "platform/ProgramFolder.h"
#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "store/Connection.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <stdexcept>
#include <unistd.h>

namespace {

const int MinimumKeyBytes = 6;

struct Rekeyed
{
    qint64 id;
    QByteArray domainUser;
};

QList<Rekeyed> rekeyedRecords(const QSqlDatabase &db, const QString &currentKey, const QString &newKey)
{
    const QByteArray oldKey = TextBytes::toBytes(currentKey);
    const QByteArray replacement = TextBytes::toBytes(newKey);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select id,web_id,web_domainuser from t_webinfo")))
        throw StoreError(query.lastError().text());
    QList<Rekeyed> changed;
    while (query.next()) {
        if (query.value(2).isNull())
            continue;
        const QByteArray plain = UnscrambleText(query.value(2).toByteArray());
        // The site number in front of the key tells a record written under this key from
        // one written under a longer key that merely ends the same way (or under any key,
        // when the current key is empty).
        const QByteArray suffix = TextBytes::toBytes(query.value(1).toString().trimmed()) + oldKey;
        if (!plain.endsWith(suffix))
            continue;
        changed.append({query.value(0).toLongLong(),
                        ScrambleText(plain.left(plain.size() - oldKey.size()) + replacement)});
    }
    if (query.lastError().isValid())
        throw StoreError(query.lastError().text());
    return changed;
}

void store(const QSqlDatabase &db, const QList<Rekeyed> &records)
{
    QSqlQuery update(db);
    if (!update.prepare(QStringLiteral("update t_webinfo set web_domainuser=? where id=?")))
        throw StoreError(update.lastError().text());
    for (const Rekeyed &record : records) {
        update.bindValue(0, record.domainUser);
        update.bindValue(1, record.id);
        if (!update.exec())
            throw StoreError(update.lastError().text());
    }
}

void cutBack(const QString &carrier, qint64 size)
{
    if (::truncate(QFile::encodeName(carrier).constData(), off_t(size)) != 0)
        throw std::runtime_error("sk.exe could not be cut back after a failed commit");
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
    QSqlDatabase db = connection->database();
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    const QList<Rekeyed> records = rekeyedRecords(db, currentKey, newKey);
    store(db, records);

    const QString carrier = ProgramFolder::file(SecretStore::secretKey().carrierName);
    const qint64 formerSize = QFileInfo(carrier).size();
    if (writeSecret(SecretStore::secretKey(), newKey, when) != WriteResult::Written)
        throw std::runtime_error("sk.exe refused the new key");
    if (!db.commit()) {
        const QString error = db.lastError().text();
        cutBack(carrier, formerSize);
        throw StoreError(error);
    }
    rollBack.dismiss();
    return int(records.size());
}

} // namespace KeyChange
