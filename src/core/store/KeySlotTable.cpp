#include "store/KeySlotTable.h"

#include "store/Columns.h"
#include "store/DirectSql.h"
#include "store/StoreError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

using DirectSql::run;

const QString Table = QStringLiteral("t_keyslot");
const QString Refusal = QStringLiteral("credentials of a protected register must be sealed");

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

void execute(QSqlQuery &query)
{
    if (!query.exec())
        throw StoreError(query.lastError().text());
}

// True when every credential of the row, in SQL, is empty or sealed.
QString allSealed(const QString &row, bool server)
{
    QStringList tests;
    for (const QString &column : Columns::scrambledColumns())
        tests << (server ? QStringLiteral("(%1.%2 is null or substring(%1.%2 from 1 for 1) = '\\xc5'::bytea)")
                         : QStringLiteral("(%1.%2 is null or substr(%1.%2, 1, 1) = X'C5')"))
                     .arg(row, column);
    return tests.join(QStringLiteral(" and "));
}

void createFileTable(const QSqlDatabase &db)
{
    run(db, QStringLiteral("create table t_keyslot (name TEXT PRIMARY KEY, algorithm INTEGER NOT NULL, "
                           "opslimit INTEGER NOT NULL, memlimit INTEGER NOT NULL, salt BLOB NOT NULL, "
                           "nonce BLOB NOT NULL, wrapped_key BLOB NOT NULL) STRICT"));
    for (const QString &event : {QStringLiteral("insert"), QStringLiteral("update")})
        run(db, QStringLiteral("create trigger t_webinfo_sealed_%1 before %1 on t_webinfo when not (%2) "
                               "begin select raise(abort, '%3'); end")
                    .arg(event, allSealed(QStringLiteral("new"), false), Refusal));
}

void createServerTable(const QSqlDatabase &db)
{
    run(db, QStringLiteral("create table t_keyslot (name text primary key, algorithm integer not null, "
                           "opslimit bigint not null, memlimit bigint not null, salt bytea not null, "
                           "nonce bytea not null, wrapped_key bytea not null)"));
    run(db, QStringLiteral("create function corvane_sealed_only() returns trigger language plpgsql as $$ "
                           "begin if not (%1) then raise exception '%2'; end if; return new; end $$")
                .arg(allSealed(QStringLiteral("new"), true), Refusal));
    run(db, QStringLiteral("create trigger t_webinfo_sealed before insert or update on t_webinfo "
                           "for each row execute function corvane_sealed_only()"));
}

void bindSlot(QSqlQuery &query, const KeySlot &slot)
{
    query.bindValue(QStringLiteral(":name"), slot.name);
    query.bindValue(QStringLiteral(":algorithm"), slot.algorithm);
    query.bindValue(QStringLiteral(":opslimit"), slot.cost.operations);
    query.bindValue(QStringLiteral(":memlimit"), slot.cost.memoryBytes);
    query.bindValue(QStringLiteral(":salt"), slot.salt);
    query.bindValue(QStringLiteral(":nonce"), slot.nonce);
    query.bindValue(QStringLiteral(":wrapped_key"), slot.wrappedKey);
}

QSqlQuery prepared(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw StoreError(query.lastError().text());
    return query;
}

} // namespace

namespace KeySlotTable {

bool exists(const QSqlDatabase &db)
{
    QSqlQuery query =
        run(db, isServer(db)
                    ? QStringLiteral("select count(*) from pg_tables where schemaname = current_schema() "
                                     "and tablename = 't_keyslot'")
                    : QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                     "name = 't_keyslot'"));
    return query.next() && query.value(0).toInt() > 0;
}

QList<KeySlot> read(const QSqlDatabase &db)
{
    QList<KeySlot> keySlots;
    if (!exists(db))
        return keySlots;
    QSqlQuery query = run(db, QStringLiteral("select name, algorithm, opslimit, memlimit, salt, nonce, "
                                             "wrapped_key from t_keyslot order by name"));
    while (query.next()) {
        KeySlot slot;
        slot.name = query.value(0).toString();
        slot.algorithm = query.value(1).toInt();
        slot.cost = {query.value(2).toLongLong(), query.value(3).toLongLong()};
        slot.salt = query.value(4).toByteArray();
        slot.nonce = query.value(5).toByteArray();
        slot.wrappedKey = query.value(6).toByteArray();
        keySlots << slot;
    }
    return keySlots;
}

void create(const QSqlDatabase &db)
{
    if (isServer(db))
        createServerTable(db);
    else
        createFileTable(db);
}

void drop(const QSqlDatabase &db)
{
    if (isServer(db)) {
        run(db, QStringLiteral("drop trigger t_webinfo_sealed on t_webinfo"));
        run(db, QStringLiteral("drop function corvane_sealed_only()"));
    } else {
        run(db, QStringLiteral("drop trigger t_webinfo_sealed_insert"));
        run(db, QStringLiteral("drop trigger t_webinfo_sealed_update"));
    }
    run(db, QStringLiteral("drop table ") + Table);
}

void insert(const QSqlDatabase &db, const KeySlot &slot)
{
    QSqlQuery query =
        prepared(db, QStringLiteral("insert into t_keyslot (name, algorithm, opslimit, memlimit, "
                                    "salt, nonce, wrapped_key) values (:name, :algorithm, "
                                    ":opslimit, :memlimit, :salt, :nonce, :wrapped_key)"));
    bindSlot(query, slot);
    execute(query);
}

bool replace(const QSqlDatabase &db, const KeySlot &slot)
{
    QSqlQuery query = prepared(db, QStringLiteral("update t_keyslot set algorithm = :algorithm, opslimit = "
                                                  ":opslimit, memlimit = :memlimit, salt = :salt, nonce = "
                                                  ":nonce, wrapped_key = :wrapped_key where name = :name"));
    bindSlot(query, slot);
    execute(query);
    return query.numRowsAffected() > 0;
}

bool remove(const QSqlDatabase &db, const QString &name)
{
    QSqlQuery query = prepared(db, QStringLiteral("delete from t_keyslot where name = :name"));
    query.bindValue(QStringLiteral(":name"), name);
    execute(query);
    return query.numRowsAffected() > 0;
}

} // namespace KeySlotTable
