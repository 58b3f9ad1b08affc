#include "store/Query.h"

#include "platform/TextBytes.h"
#include "secrets/CredentialSeal.h"
#include "store/BoundValue.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DateText.h"
#include "store/NativeStatement.h"
#include "store/RowIds.h"
#include "store/ServerStatement.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QVariant convertText(const QString &name, const QString &value)
{
    if (Columns::isDate(name)) {
        if (value.trimmed().isEmpty())
            return QVariant(QMetaType(QMetaType::QString));
        const QDate date = DateText::parse(value);
        if (!date.isValid())
            throw StoreError(QStringLiteral("not a date for ") + name + QStringLiteral(": ") + value);
        return DateText::toIso(date);
    }
    if (Columns::isWholeNumber(name)) {
        bool ok = false;
        const qlonglong number = value.trimmed().toLongLong(&ok);
        if (!ok)
            throw StoreError(QStringLiteral("not a whole number for ") + name + QStringLiteral(": ") + value);
        return number;
    }
    if (Columns::isScrambled(name))
        return TextBytes::toBytes(value);
    return value;
}

} // namespace

Query::Query(Connection *connection) : m_connection(connection)
{
    m_connection->m_queries.append(this);
}

Query::~Query()
{
    m_connection->m_queries.removeAll(this);
}

void Query::close()
{
    forgetResult();
    m_rows.release();
}

void Query::forgetResult()
{
    m_open = false;
    m_fields.clear();
    m_dateColumns.clear();
    m_rows.clear();
    m_rowIds.clear();
    m_current = -1;
}

void Query::clearSql()
{
    m_sql.clear();
    m_parameters.clear();
    m_refused.clear();
}

void Query::addSql(const QString &text)
{
    m_sql += text;
}

void Query::setSql(const QString &text)
{
    clearSql();
    addSql(text);
}

void Query::setParameter(const QString &name, const QString &value)
{
    // A refused value fails the statement when it runs, so the caller meets it where
    // it handles the statement's failure.
    try {
        m_parameters.insert(name, convertText(name, value));
        m_refused.remove(name);
    } catch (const StoreError &error) {
        m_parameters.remove(name);
        m_refused.insert(name, error.message());
    }
}

void Query::setParameterBytes(const QString &name, const QByteArray &value)
{
    m_parameters.insert(name, value);
    m_refused.remove(name);
}

void Query::setParameterDate(const QString &name, const QDate &date)
{
    if (date.isValid()) {
        m_parameters.insert(name, DateText::toIso(date));
        m_refused.remove(name);
    } else {
        m_parameters.remove(name);
        m_refused.insert(name, QStringLiteral("no date for ") + name);
    }
}

QVariant Query::parameter(const QString &name) const
{
    if (m_refused.contains(name))
        throw StoreError(m_refused.value(name));
    if (!m_parameters.contains(name))
        throw StoreError(QStringLiteral("parameter not set: ") + name);
    const QVariant value = m_parameters.value(name);
    if (!Columns::isScrambled(name) || !m_connection->isProtected())
        return value;
    // A protected credential is sealed for the site it belongs to; an empty one stays empty.
    if (value.isNull() || (value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull()))
        return QVariant(QMetaType(QMetaType::QByteArray));
    return m_connection->requireSeal()->seal(parameter(QStringLiteral("id")).toLongLong(), name,
                                             value.toByteArray());
}

void Query::bindParameters(QSqlQuery &query) const
{
    static const QRegularExpression placeholder(QStringLiteral(":(\\w+)"));
    auto it = placeholder.globalMatch(query.lastQuery());
    // Only the SQLite driver hands texts over as UTF-16, where a leading U+FEFF needs keeping.
    const bool server = m_connection->isServer();
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        const QVariant value = parameter(name);
        query.bindValue(QLatin1Char(':') + name, server ? value : boundValue(value));
    }
}

template <typename Statement> void Query::bindParameters(Statement &statement) const
{
    for (int index = 1; index <= statement.parameterCount(); ++index)
        statement.bind(index, parameter(statement.parameterName(index)));
}

template <typename Statement> void Query::readFrom(Statement &statement)
{
    const int firstField = m_table.isEmpty() ? 0 : 1;
    for (int i = firstField; i < statement.columnCount(); ++i) {
        m_fields << statement.columnName(i);
        m_dateColumns << Columns::isDate(m_fields.last());
    }
    m_rows.clear(int(m_fields.size()));
    try {
        statement.readAll(m_rows, firstField ? &m_rowIds : nullptr);
    } catch (...) {
        close();
        throw;
    }
}

void Query::open()
{
    forgetResult();
    const bool server = m_connection->isServer();
    const QString sql = RowIds::selectWithRowIds(m_sql, m_table, server);
    if (server) {
        ServerStatement statement(m_connection->database(), sql);
        bindParameters(statement);
        statement.execute();
        readFrom(statement);
    } else {
        NativeStatement statement(m_connection->database(), sql);
        bindParameters(statement);
        readFrom(statement);
    }
    m_open = true;
    m_current = m_rows.rowCount() == 0 ? -1 : 0;
}

int Query::execute()
{
    close();
    QSqlQuery query(m_connection->database());
    // A server prepares no change of the tables (the settings gaining a column): a statement
    // without parameters runs as it is.
    static const QRegularExpression placeholder(QStringLiteral(":\\w"));
    const bool ran = m_sql.contains(placeholder)
                         ? query.prepare(m_sql) && (bindParameters(query), query.exec())
                         : query.exec(m_sql);
    if (!ran)
        throw StoreError(query.lastError().text());
    return query.numRowsAffected();
}

void Query::openWith(const QString &sql, const QString &name, const QString &value)
{
    setSql(sql);
    setParameter(name, value);
    open();
}

int Query::countRows(const QString &sql, const QString &name, const QString &value)
{
    openWith(sql, name, value);
    const int count = recordCount();
    close();
    return count;
}

qint64 Query::countOf(const QString &sql, const QString &name, const QString &value)
{
    openWith(sql, name, value);
    const qint64 count = valueAt(0, 0).toLongLong();
    close();
    return count;
}

void Query::first()
{
    m_current = m_rows.rowCount() == 0 ? -1 : 0;
}

void Query::next()
{
    if (m_current >= 0 && m_current < recordCount())
        ++m_current;
}

bool Query::eof() const
{
    return m_current < 0 || m_current >= recordCount();
}

void Query::moveTo(int row)
{
    if (row < 0 || row >= recordCount())
        throw StoreError(QStringLiteral("no such row"));
    m_current = row;
}

bool Query::hasField(const QString &name) const
{
    return m_fields.contains(name, Qt::CaseInsensitive);
}

int Query::columnOf(const QString &field) const
{
    if (!m_open)
        throw StoreError(QStringLiteral("result not open"));
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    throw StoreError(QStringLiteral("no such field: ") + field);
}

void Query::requireRow() const
{
    if (!m_open || eof())
        throw StoreError(QStringLiteral("no current row"));
}

void Query::requireCell(int row, int column) const
{
    if (row < 0 || row >= recordCount() || column < 0 || column >= m_fields.size())
        throw StoreError(QStringLiteral("no such cell"));
}

QVariant Query::valueAt(int row, int column) const
{
    requireCell(row, column);
    return m_rows.value(row, column);
}

QString Query::textAt(int row, int column) const
{
    requireCell(row, column);
    switch (m_rows.kind(row, column)) {
    case ResultRows::Kind::Null:
        return QString();
    case ResultRows::Kind::Blob:
        return TextBytes::fromBytes(m_rows.bytes(row, column).toByteArray());
    default:
        break;
    }
    const QString text = m_rows.text(row, column);
    return m_dateColumns.at(column) ? DateText::fromStored(text) : text;
}

QString Query::textAt(int row, const QString &field) const
{
    return textAt(row, columnOf(field));
}

QString Query::text(const QString &field) const
{
    requireRow();
    return textAt(m_current, columnOf(field));
}

QByteArray Query::bytes(const QString &field) const
{
    requireRow();
    const int column = columnOf(field);
    if (m_rows.kind(m_current, column) == ResultRows::Kind::Text)
        return TextBytes::toBytes(m_rows.text(m_current, column));
    const QByteArray stored = valueAt(m_current, column).toByteArray();
    if (stored.isNull() || !Columns::isScrambled(field) || !m_connection->isProtected())
        return stored;
    try {
        return m_connection->requireSeal()->open(siteIdOfRow(), field, stored);
    } catch (const CredentialSeal::Broken &) {
        throw BrokenCredential();
    }
}

qint64 Query::siteIdOfRow() const
{
    if (m_current < m_rowIds.size())
        return m_rowIds.at(m_current);
    return text(QStringLiteral("id")).toLongLong();
}

bool Query::isNull(const QString &field) const
{
    requireRow();
    return m_rows.kind(m_current, columnOf(field)) == ResultRows::Kind::Null;
}

// One transaction, and a statement per few hundred rows instead of one per row: a thousand
// rows are one write to the disk, not a thousand.
void Query::deleteRowIds(const QList<qint64> &ids)
{
    QSqlDatabase db = m_connection->database();
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    const qsizetype chunk = 500;
    for (qsizetype first = 0; first < ids.size(); first += chunk) {
        const QList<qint64> part = ids.mid(first, chunk);
        QSqlQuery query(db);
        if (!query.prepare(RowIds::deleteRows(m_table, int(part.size()), m_connection->isServer())))
            throw StoreError(query.lastError().text());
        for (qint64 id : part)
            query.addBindValue(id);
        if (!query.exec())
            throw StoreError(query.lastError().text());
    }
    if (!db.commit())
        throw StoreError(db.lastError().text());
    rollBack.dismiss();
}

void Query::deleteRows(QList<int> rows)
{
    if (m_table.isEmpty() || m_rowIds.size() != recordCount())
        throw StoreError(QStringLiteral("this result cannot delete rows"));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.isEmpty() && (rows.first() < 0 || rows.last() >= recordCount()))
        throw StoreError(QStringLiteral("no such row"));
    QList<qint64> ids;
    ids.reserve(rows.size());
    for (int row : std::as_const(rows))
        ids << m_rowIds.at(row);
    deleteRowIds(ids);
    m_rows.removeRows(rows);
    // One pass over the ids, so a large list loses many rows as quickly as one.
    qsizetype kept = 0;
    auto next = rows.cbegin();
    for (qsizetype row = 0; row < m_rowIds.size(); ++row) {
        if (next != rows.cend() && *next == row) {
            ++next;
            continue;
        }
        m_rowIds[kept++] = m_rowIds[row];
    }
    m_rowIds.resize(kept);
    m_current = -1;
}
