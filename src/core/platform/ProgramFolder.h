#pragma once

#include <QString>

// The folder of the executable, where db.mdb, the carriers and the fonts live.
// Tests point it at a temporary folder.
namespace ProgramFolder {
QString path();
QString file(const QString &name);
void setOverride(const QString &folder);
void clearOverride();
} // namespace ProgramFolder
