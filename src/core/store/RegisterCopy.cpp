#include "store/RegisterCopy.h"

#include "store/KeySlotTable.h"
#include "store/NativeStatement.h"
#include "store/ResultRows.h"
#include "store/ServerSchema.h"
#include "store/ServerStatement.h"
#include "store/StoreError.h"

#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

namespace {

const QString Sites = QStringLiteral("t_webinfo");
const QString Settings = QStringLiteral("t_set");
const QString KeySlots = QStringLiteral("t_keyslot");

// A table's rows as the file holds them, with the column names the file gives.
struct Table
{
    QString name;
    QStringList columns;
    ResultRows rows;
};

// The order both engines read a table in: sites by id, key slots by their random salts (bytes
// compare alike everywhere, names by the server's collation), the settings row by its values (with
// NULL first on both).
QString orderOf(const Table &table)
{
    if (table.name == Sites)
        return QStringLiteral(" order by id");
    if (table.name == KeySlots)
        return QStringLiteral(" order by salt");
    return QStringLiteral(" order by ") + table.columns.join(QStringLiteral(" nulls first, ")) +
           QStringLiteral(" nulls first");
}

void readFile(const QSqlDatabase &source, Table &table)
{
    NativeStatement columns(source,
                            QStringLiteral("select * from ") + table.name + QStringLiteral(" limit 0"));
    for (int column = 0; column < columns.columnCount(); ++column)
        table.columns << columns.columnName(column);
    NativeStatement select(source, QStringLiteral("select * from ") + table.name + orderOf(table));
    table.rows.clear(int(table.columns.size()));
    select.readAll(table.rows, nullptr);
}

// The cell as the server's driver must be handed it: an empty text or byte string is bound as
// itself, never as the NULL a null QString or QByteArray would become.
QVariant boundValue(const ResultRows &rows, int row, int column)
{
    const QByteArrayView bytes = rows.bytes(row, column);
    switch (rows.kind(row, column)) {
    case ResultRows::Kind::Null:
        return QVariant();
    case ResultRows::Kind::Text:
        return bytes.isEmpty() ? QStringLiteral("") : QString::fromUtf8(bytes);
    case ResultRows::Kind::Blob:
        return bytes.isEmpty() ? QByteArray("", 0) : bytes.toByteArray();
    case ResultRows::Kind::Integer:
    case ResultRows::Kind::Float:
        break;
    }
    return rows.value(row, column);
}

// Names a row for the user: a site by its id, the settings row by its place.
QString rowName(const Table &table, int row)
{
    if (table.name == Sites && table.columns.value(0) == QStringLiteral("id"))
        return QStringLiteral("%1 中 id 为 %2 的一行").arg(table.name, table.rows.value(row, 0).toString());
    return QStringLiteral("%1 的第 %2 行").arg(table.name).arg(row + 1);
}

void insertRows(const QSqlDatabase &target, const Table &table)
{
    QStringList marks;
    for (int column = 0; column < table.columns.size(); ++column)
        marks << QStringLiteral("?");
    QSqlQuery insert(target);
    if (!insert.prepare(
            QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(table.name, table.columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))))
        throw StoreError(insert.lastError().text());
    for (int row = 0; row < table.rows.rowCount(); ++row) {
        for (int column = 0; column < table.columns.size(); ++column)
            insert.bindValue(column, boundValue(table.rows, row, column));
        if (!insert.exec())
            throw StoreError(rowName(table, row) + QStringLiteral("无法写入：") + insert.lastError().text());
    }
}

void run(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw StoreError(query.lastError().text());
}

qint64 wholeNumber(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        throw StoreError(query.lastError().text());
    return query.value(0).toLongLong();
}

// SQLite never gives an id again, not even one of a deleted site: the server's next id starts
// past the largest the file ever gave.
void continueIds(const QSqlDatabase &source, const QSqlDatabase &target)
{
    qint64 last = wholeNumber(source, QStringLiteral("select coalesce(max(id), 0) from t_webinfo"));
    if (wholeNumber(source,
                    QStringLiteral("select count(*) from sqlite_master where name = 'sqlite_sequence'")))
        last =
            std::max(last, wholeNumber(source, QStringLiteral("select coalesce(max(seq), 0) from "
                                                              "sqlite_sequence where name = 't_webinfo'")));
    run(target, QStringLiteral("select setval(pg_get_serial_sequence('t_webinfo', 'id'), %1, %2)")
                    .arg(std::max<qint64>(last, 1))
                    .arg(last > 0 ? QStringLiteral("true") : QStringLiteral("false")));
}

bool sameCell(const ResultRows &a, const ResultRows &b, int row, int column)
{
    return a.kind(row, column) == b.kind(row, column) && a.bytes(row, column) == b.bytes(row, column);
}

// Reads the table back from the server as the program reads it and compares every column of
// every row with the file.
void verify(const QSqlDatabase &target, const Table &table)
{
    ServerStatement select(target, QStringLiteral("select ") + table.columns.join(QStringLiteral(", ")) +
                                       QStringLiteral(" from ") + table.name + orderOf(table));
    select.execute();
    ResultRows copied;
    copied.clear(int(table.columns.size()));
    select.readAll(copied, nullptr);
    if (copied.rowCount() != table.rows.rowCount())
        throw StoreError(QStringLiteral("核对不符：服务器上 %1 有 %2 行，数据库文件中有 %3 行")
                             .arg(table.name)
                             .arg(copied.rowCount())
                             .arg(table.rows.rowCount()));
    for (int row = 0; row < copied.rowCount(); ++row) {
        for (int column = 0; column < table.columns.size(); ++column) {
            if (!sameCell(table.rows, copied, row, column))
                throw StoreError(QStringLiteral("核对不符：") + rowName(table, row) + QStringLiteral("的 ") +
                                 table.columns.at(column) + QStringLiteral(" 列与数据库文件中的不同"));
        }
    }
}

} // namespace

namespace RegisterCopy {

int copy(const QSqlDatabase &source, QSqlDatabase target)
{
    Table sites{Sites, {}, {}};
    Table settings{Settings, {}, {}};
    readFile(source, sites);
    readFile(source, settings);
    if (!target.transaction())
        throw StoreError(target.lastError().text());
    auto rollBack = qScopeGuard([&target] { target.rollback(); });
    ServerSchema::createInEmpty(target);
    // The new tables come with the default settings row; the file's own take its place.
    run(target, QStringLiteral("delete from t_set"));
    // A protected register's sealed credentials keep their sites' ids, so its slots open them on
    // the server as they did in the file.
    Table keySlots{KeySlots, {}, {}};
    if (KeySlotTable::exists(source)) {
        readFile(source, keySlots);
        KeySlotTable::create(target);
        insertRows(target, keySlots);
    }
    insertRows(target, sites);
    insertRows(target, settings);
    continueIds(source, target);
    for (const Table *table : {&sites, &settings, &keySlots})
        if (!table->columns.isEmpty())
            verify(target, *table);
    if (!target.commit())
        throw StoreError(target.lastError().text());
    rollBack.dismiss();
    return sites.rows.rowCount();
}

} // namespace RegisterCopy
