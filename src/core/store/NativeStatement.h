#pragma once

#include <QList>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;
class QSqlDatabase;
class ResultRows;

// A statement run on the register's own SQLite handle, under the SQL driver that opened
// it: rows are read as SQLite holds them (UTF-8 text, blobs), with no variant or UTF-16
// string per value, which is most of what reading a long list costs through the driver.
// Every failure throws StoreError.
class NativeStatement
{
public:
    NativeStatement(QSqlDatabase database, const QString &sql);
    ~NativeStatement();
    NativeStatement(const NativeStatement &) = delete;
    NativeStatement &operator=(const NativeStatement &) = delete;

    int parameterCount() const;
    QString parameterName(int index) const; // 1-based; without its ':'
    // Text, whole number, bytes or null, as the driver binds them.
    void bind(int index, const QVariant &value);

    int columnCount() const;
    QString columnName(int column) const;
    // Steps through every row and appends it to rows. With rowIds, the first column is the
    // rowid behind the row and goes there instead.
    void readAll(ResultRows &rows, QList<qint64> *rowIds);

private:
    bool step();
    void appendCell(ResultRows &rows, int column) const;
    [[noreturn]] void fail() const;

    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};
