#pragma once

class QSqlDatabase;

// A register made before every site carried a version (those of earlier installations, and the
// ones converted from their Jet files) gains the column at its first writable opening, every site
// at version 1, before anything reads it. A register that has it, or has no site table at all (a
// file the statements then refuse as before), is left alone. On failure the database is closed
// again, so that the next opening retries, and StoreError is thrown.
void addSiteVersions(QSqlDatabase &db);
