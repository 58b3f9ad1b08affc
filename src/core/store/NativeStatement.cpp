#include "store/NativeStatement.h"

#include "store/ResultRows.h"
#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QSqlDriver>

#include <sqlite3.h>

namespace {

sqlite3 *handleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw StoreError(QStringLiteral("register not open"));
    sqlite3 *native = *static_cast<sqlite3 *const *>(handle.constData());
    if (!native)
        throw StoreError(QStringLiteral("register not open"));
    return native;
}

} // namespace

NativeStatement::NativeStatement(QSqlDatabase database, const QString &sql) : m_handle(handleOf(database))
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_handle, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
        fail();
}

NativeStatement::~NativeStatement()
{
    sqlite3_finalize(m_statement);
}

void NativeStatement::fail() const
{
    throw StoreError(QString::fromUtf8(sqlite3_errmsg(m_handle)));
}

int NativeStatement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_statement);
}

QString NativeStatement::parameterName(int index) const
{
    const char *name = sqlite3_bind_parameter_name(m_statement, index);
    return name ? QString::fromUtf8(name + 1) : QString();
}

void NativeStatement::bind(int index, const QVariant &value)
{
    int status = SQLITE_OK;
    if (value.isNull()) {
        status = sqlite3_bind_null(m_statement, index);
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        status = sqlite3_bind_blob64(m_statement, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        status = sqlite3_bind_int64(m_statement, index, value.toLongLong());
    } else {
        // UTF-8 goes in as it is: unlike UTF-16, nothing is taken for a byte-order mark.
        const QByteArray text = value.toString().toUtf8();
        status = sqlite3_bind_text64(m_statement, index, text.constData(), sqlite3_uint64(text.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (status != SQLITE_OK)
        fail();
}

int NativeStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString NativeStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

bool NativeStatement::step()
{
    const int status = sqlite3_step(m_statement);
    if (status == SQLITE_ROW)
        return true;
    if (status != SQLITE_DONE)
        fail();
    return false;
}

void NativeStatement::readAll(ResultRows &rows, QList<qint64> *rowIds)
{
    const int columns = columnCount();
    const int firstCell = rowIds ? 1 : 0;
    while (step()) {
        if (rowIds)
            rowIds->append(sqlite3_column_int64(m_statement, 0));
        for (int column = firstCell; column < columns; ++column)
            appendCell(rows, column);
    }
}

// One call per cell takes the connection's lock; the value's own accessors take none.
void NativeStatement::appendCell(ResultRows &rows, int column) const
{
    sqlite3_value *value = sqlite3_column_value(m_statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        rows.appendInteger(sqlite3_value_int64(value));
        break;
    case SQLITE_FLOAT:
        rows.appendFloat(sqlite3_value_double(value));
        break;
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        rows.appendText(text, sqlite3_value_bytes(value));
        break;
    }
    case SQLITE_BLOB: {
        const void *blob = sqlite3_value_blob(value);
        rows.appendBlob(blob, sqlite3_value_bytes(value));
        break;
    }
    default:
        rows.appendNull();
    }
}
