#pragma once

class QSqlDatabase;

// Moves a register from its SQLite file to an empty database on a PostgreSQL server.
namespace RegisterCopy {

// Copies every site and settings row of the open SQLite register into the open server database,
// which must hold no table at all, in one transaction: the tables are created, every column is
// written as the file holds it (ids and versions too), and the next new site's id is set past
// every id the file ever gave. Before committing, every row is read back from the server and
// compared with the file column by column. Returns the number of sites copied. Throws StoreError
// with the reason; the server database is then left as it was.
int copy(const QSqlDatabase &source, QSqlDatabase target);

} // namespace RegisterCopy
