#include "store/ServerStatement.h"

#include "store/DateText.h"
#include "store/ResultRows.h"
#include "store/StoreError.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>

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

void ServerStatement::readAll(ResultRows &rows, QList<qint64> *rowIds)
{
    const int columns = columnCount();
    const int firstCell = rowIds ? 1 : 0;
    while (m_query.next()) {
        if (rowIds)
            rowIds->append(m_query.value(0).toLongLong());
        for (int column = firstCell; column < columns; ++column)
            appendCell(rows, column);
    }
    if (m_query.lastError().isValid())
        fail();
}

void ServerStatement::appendCell(ResultRows &rows, int column) const
{
    if (m_query.isNull(column)) {
        rows.appendNull();
        return;
    }
    const QVariant value = m_query.value(column);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        rows.appendInteger(value.toLongLong());
        break;
    case QMetaType::Double:
        rows.appendFloat(value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rows.appendBlob(bytes.constData(), int(bytes.size()));
        break;
    }
    case QMetaType::QDate: {
        const QByteArray iso = DateText::toIso(value.toDate()).toLatin1();
        rows.appendText(iso.constData(), int(iso.size()));
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        rows.appendText(text.constData(), int(text.size()));
    }
    }
}
