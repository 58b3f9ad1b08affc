#pragma once

class QSqlDatabase;

// The register's tables in a PostgreSQL database.
namespace ServerSchema {

// Makes sure the open database is a register: an empty one gets the tables (and the settings
// row) when mayCreate, a register opens as it is, and a database that holds anything else is
// refused. Throws StoreError, whose message names the tables that are in the way.
void prepare(QSqlDatabase db, bool mayCreate);
// In the transaction that is open: creates the register's tables (and the default settings row)
// in a database that holds no table or view at all, else throws StoreError naming what it holds.
void createInEmpty(const QSqlDatabase &db);

} // namespace ServerSchema
