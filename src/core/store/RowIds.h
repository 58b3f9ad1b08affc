#pragma once

#include <QString>

// The row behind each row of a result, so that a result can delete its rows: SQLite's rowid,
// and on a server the sites' id (the server has no rowid that stays put).
namespace RowIds {

// The select with the row id as its first column when it reads from one table whose rows can
// be named so; table is then set to that table, else cleared and the select is left as it is.
QString selectWithRowIds(const QString &sql, QString &table, bool server);
// Deletes count rows of table by row id, bound as count positional values.
QString deleteRows(const QString &table, int count, bool server);

} // namespace RowIds
