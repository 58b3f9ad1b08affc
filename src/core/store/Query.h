#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "store/ResultRows.h"

class Connection;

// The ADO-like query object: statement text added piece by piece, named
// parameters, a static cursor that fetches every row (so the row count is known),
// and a current row. Every failure throws StoreError.
class Query
{
public:
    explicit Query(Connection *connection);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    Connection *connection() const { return m_connection; }

    void close();
    void clearSql();
    void addSql(const QString &text);
    void setSql(const QString &text);
    QString sql() const { return m_sql; }

    // Named parameters (":name"), converted by the column they are named after:
    // date columns from date text to ISO, whole-number columns checked, everything
    // else as text. A value that is no real date or no whole number makes the
    // statement fail with StoreError when it is opened or executed.
    void setParameter(const QString &name, const QString &value);
    // Scrambled values are bound as exact bytes.
    void setParameterBytes(const QString &name, const QByteArray &value);
    // A date; an invalid one makes the statement fail when it runs, instead of matching nothing.
    void setParameterDate(const QString &name, const QDate &date);

    void open();   // runs a query that returns rows; fetches them all
    int execute(); // runs a statement; returns the number of rows changed
    bool isOpen() const { return m_open; }
    // Replaces the statement, binds its one value, opens it and closes it again: the
    // number of rows it gave, for the lookups and counts that need nothing else.
    int countRows(const QString &sql, const QString &name, const QString &value);
    // As countRows, for a statement that counts in the register ("select count(*) ..."): its number.
    qint64 countOf(const QString &sql, const QString &name, const QString &value);

    int recordCount() const { return m_rows.rowCount(); }
    int recNo() const { return m_current; } // 0-based; -1 when there is no current row
    void first();
    void next();
    bool eof() const;
    void moveTo(int row);

    QStringList fieldNames() const { return m_fields; }
    bool hasField(const QString &name) const;
    // A column of the current row as text: a date as date text (2011-3-7), NULL as "".
    QString text(const QString &field) const;
    QString textAt(int row, const QString &field) const;
    QString textAt(int row, int column) const;
    // A scrambled column as its exact bytes (in a protected register, opened from its seal; a value
    // that does not open throws StoreError).
    QByteArray bytes(const QString &field) const;
    bool isNull(const QString &field) const;
    QVariant valueAt(int row, int column) const;

    // First row from the top whose field satisfies the test; -1 if none. Does not move.
    template <typename Test> int find(const QString &field, Test test) const
    {
        const int column = columnOf(field);
        for (int row = 0; row < recordCount(); ++row)
            if (test(textAt(row, column)))
                return row;
        return -1;
    }

    // Deletes the given rows (indexes into the result) from their table and from the result, all
    // or none: a register that refuses any of them keeps every one. Leaves no current row.
    void deleteRows(QList<int> rows);

    int columnOf(const QString &field) const; // throws when absent

private:
    // The value to bind: throws when unset or refused; a credential of a protected register sealed.
    QVariant parameter(const QString &name) const;
    qint64 siteIdOfRow() const;
    void bindParameters(class QSqlQuery &query) const;
    template <typename Statement> void bindParameters(Statement &statement) const;
    template <typename Statement> void readFrom(Statement &statement);
    void forgetResult(); // keeps the room the rows took, for the next open
    void requireRow() const;
    void requireCell(int row, int column) const;
    void openWith(const QString &sql, const QString &name, const QString &value);
    void deleteRowIds(const QList<qint64> &ids);

    Connection *m_connection;
    QString m_sql;
    QHash<QString, QVariant> m_parameters;
    QHash<QString, QString> m_refused; // parameter -> why its value was refused
    QStringList m_fields;
    ResultRows m_rows;
    QList<bool> m_dateColumns; // by column: shown as date text
    QList<qint64> m_rowIds; // rowid (on a server: id) of each result row when the result comes from one table
    QString m_table;
    int m_current = -1;
    bool m_open = false;
};
