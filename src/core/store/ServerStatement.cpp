#include "store/ServerStatement.h"

#include "store/ResultRows.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

#include <libpq-fe.h>

ServerStatement::ServerStatement(const QSqlDatabase &database, const QString &sql) : m_query(database)
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        fail();
    static const QRegularExpression placeholder(QStringLiteral(":(\\w+)"));
    auto it = placeholder.globalMatch(sql);
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        if (!m_parameters.contains(name))
            m_parameters << name;
    }
}

void ServerStatement::fail() const
{
    throw StoreError(m_query.lastError().text());
}

void ServerStatement::bind(int index, const QVariant &value)
{
    QVariant bound = value;
    // SQLite's own binding takes an empty text for empty text even when it is a null QString;
    // the server's driver would make it NULL.
    if (!value.isNull() && value.typeId() == QMetaType::QString && value.toString().isNull())
        bound = QStringLiteral("");
    m_query.bindValue(QLatin1Char(':') + parameterName(index), bound);
}

void ServerStatement::execute()
{
    if (!m_query.exec())
        fail();
}

int ServerStatement::columnCount() const
{
    return m_query.record().count();
}

QString ServerStatement::columnName(int column) const
{
    return m_query.record().fieldName(column);
}

namespace {

// The libpq result of the row the query stands on (in single-row mode, a result of one row).
const PGresult *currentRow(const QSqlQuery &query)
{
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    // Qt names the type by its declaration or by the struct behind the typedef.
    const bool isResult = handle.isValid() && (qstrcmp(handle.typeName(), "PGresult*") == 0 ||
                                               qstrcmp(handle.typeName(), "pg_result*") == 0);
    if (!isResult)
        throw StoreError(QStringLiteral("register not open"));
    const PGresult *row = *static_cast<PGresult *const *>(handle.constData());
    if (!row)
        throw StoreError(QStringLiteral("register not open"));
    return row;
}

// The type numbers of PostgreSQL's own catalogue (pg_type), which never change.
enum : Oid {
    BoolType = 16,
    ByteaType = 17,
    BigIntType = 20,
    SmallIntType = 21,
    IntType = 23,
    OidType = 26,
    RealType = 700,
    DoubleType = 701,
    NumericType = 1700
};

} // namespace

void ServerStatement::readAll(ResultRows &rows, QList<qint64> *rowIds)
{
    const int columns = columnCount();
    const int firstCell = rowIds ? 1 : 0;
    while (m_query.next()) {
        const PGresult *row = currentRow(m_query);
        if (rowIds)
            rowIds->append(QByteArray(PQgetvalue(row, 0, 0)).toLongLong());
        for (int column = firstCell; column < columns; ++column)
            appendCell(rows, row, column);
    }
    if (m_query.lastError().isValid())
        fail();
}

// The driver asks the server for every value as text (bytea in its escape form).
void ServerStatement::appendCell(ResultRows &rows, const PGresult *row, int column)
{
    if (PQgetisnull(row, 0, column)) {
        rows.appendNull();
        return;
    }
    const char *value = PQgetvalue(row, 0, column);
    const int size = PQgetlength(row, 0, column);
    switch (PQftype(row, column)) {
    case BoolType:
        rows.appendInteger(value[0] == 't' ? 1 : 0);
        break;
    case SmallIntType:
    case IntType:
    case BigIntType:
    case OidType:
        rows.appendInteger(QByteArray::fromRawData(value, size).toLongLong());
        break;
    case RealType:
    case DoubleType:
    case NumericType:
        rows.appendFloat(QByteArray::fromRawData(value, size).toDouble());
        break;
    case ByteaType: {
        std::size_t length = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(value), &length);
        if (!bytes)
            throw StoreError(QStringLiteral("out of memory"));
        const auto release = qScopeGuard([bytes] { PQfreemem(bytes); });
        rows.appendBlob(bytes, int(length));
        break;
    }
    default:
        // Text, and dates as the server writes them in the ISO style the driver sets: 2011-03-07.
        rows.appendText(value, size);
    }
}
