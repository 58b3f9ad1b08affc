#pragma once

#include <QString>

// Makes a new, empty register at path from the schema (with its one settings row).
// Throws StoreError; never leaves a half-made file behind.
void createRegister(const QString &path);
// True when the file starts with the SQLite header.
bool isSqliteFile(const QString &path);
