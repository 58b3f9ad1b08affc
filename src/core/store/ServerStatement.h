#pragma once

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlDatabase;
class ResultRows;

// A statement that returns rows, run on a register on a PostgreSQL server: what
// NativeStatement is on SQLite, with the same parameters and the same cells. Rows are read
// forward only; dates come as the ISO text SQLite keeps, bytea as its exact bytes.
// Every failure throws StoreError.
class ServerStatement
{
public:
    ServerStatement(const QSqlDatabase &database, const QString &sql);

    int parameterCount() const { return int(m_parameters.size()); }
    QString parameterName(int index) const { return m_parameters.at(index - 1); } // 1-based; without ':'
    void bind(int index, const QVariant &value);

    // Runs the statement once every parameter is bound; the columns are known from then on.
    void execute();
    int columnCount() const;
    QString columnName(int column) const;
    // Appends every row to rows. With rowIds, the first column is the id behind the row and goes
    // there instead.
    void readAll(ResultRows &rows, QList<qint64> *rowIds);

private:
    void appendCell(ResultRows &rows, int column) const;
    [[noreturn]] void fail() const;

    QSqlQuery m_query;
    QStringList m_parameters; // each name once, in the order of first use
};
