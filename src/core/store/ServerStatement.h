#pragma once

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlDatabase;
class ResultRows;
struct pg_result;

// A statement that returns rows, run on a register on a PostgreSQL server: what
// NativeStatement is on SQLite, with the same parameters and the same cells. Rows are read
// forward only, each cell from the driver's own libpq result as the server sent it: text as
// its UTF-8 (the driver's QString would lose a leading U+FEFF), dates as the ISO text SQLite
// keeps, bytea as its exact bytes. Every failure throws StoreError.
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
    static void appendCell(ResultRows &rows, const pg_result *row, int column);
    [[noreturn]] void fail() const;

    QSqlQuery m_query;
    QStringList m_parameters; // each name once, in the order of first use
};
