#pragma once

#include <QString>

// Makes a new, empty register at path from the schema (with its one settings row).
// Throws StoreError; never leaves a half-made file behind.
void createRegister(const QString &path);
// True when the file starts with the SQLite header.
bool isSqliteFile(const QString &path);
// True when the file is shorter than the pages its header records. SQLite reads the
// missing tail of the last page as zeros, so such a copy opens and passes its own
// integrity check while values near the end of the file read wrong.
bool isCutShort(const QString &path);
// The file a register path really names: a symbolic link is followed to its target,
// so that a new file renamed into place replaces the register, not the link.
QString registerLocation(const QString &path);
