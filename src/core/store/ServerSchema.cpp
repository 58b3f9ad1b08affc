#include "store/ServerSchema.h"

#include "store/DirectSql.h"
#include "store/StoreError.h"

#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

using DirectSql::run;

const QStringList RegisterTables = {QStringLiteral("t_set"), QStringLiteral("t_webinfo")};
// A protected register's key slots.
const QString SlotTable = QStringLiteral("t_keyslot");

// Every table or view the database holds outside PostgreSQL's own schemas; one in another
// schema than the one the register lives in is named with its schema.
QStringList tablesIn(const QSqlDatabase &db)
{
    QSqlQuery query =
        run(db, QStringLiteral("select case when n.nspname = current_schema() then c.relname "
                               "else n.nspname || '.' || c.relname end from pg_class c "
                               "join pg_namespace n on n.oid = c.relnamespace "
                               "where c.relkind in ('r', 'p', 'v', 'm', 'f') "
                               "and n.nspname !~ '^pg_' and n.nspname <> 'information_schema' order by 1"));
    QStringList tables;
    while (query.next())
        tables << query.value(0).toString();
    return tables;
}

void createTables(const QSqlDatabase &db)
{
    QFile file(QStringLiteral(":/store/schema-postgresql.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("schema missing"));
    // One simple query: the script's statements run in the transaction that is open.
    run(db, QString::fromUtf8(file.readAll()));
}

void check(const QStringList &tables)
{
    QStringList others = tables;
    for (const QString &table : RegisterTables)
        others.removeAll(table);
    others.removeAll(SlotTable);
    if (!others.isEmpty())
        throw StoreError(QStringLiteral("数据库中有其他数据表：") + others.join(QStringLiteral("、")) +
                         QStringLiteral("\r请使用空数据库或本程序的数据库"));
    QStringList missing;
    for (const QString &table : RegisterTables)
        if (!tables.contains(table))
            missing << table;
    if (!missing.isEmpty())
        throw StoreError(QStringLiteral("数据库中缺少数据表：") + missing.join(QStringLiteral("、")));
}

// Two desks that open one empty database at once: the second waits here and finds the tables
// the first made. A copy into the database takes the same lock.
void waitForCreation(const QSqlDatabase &db)
{
    run(db, QStringLiteral("select pg_advisory_xact_lock(hashtext('corvane register schema'))"));
}

} // namespace

namespace ServerSchema {

void prepare(QSqlDatabase db, bool mayCreate)
{
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    waitForCreation(db);
    const QStringList tables = tablesIn(db);
    if (tables.isEmpty() && mayCreate)
        createTables(db);
    else
        check(tables);
    if (!db.commit())
        throw StoreError(db.lastError().text());
    rollBack.dismiss();
}

void createInEmpty(const QSqlDatabase &db)
{
    waitForCreation(db);
    const QStringList tables = tablesIn(db);
    if (!tables.isEmpty())
        throw StoreError(QStringLiteral("目标数据库不是空数据库，其中有：") +
                         tables.join(QStringLiteral("、")));
    createTables(db);
}

} // namespace ServerSchema
