#pragma once

#include <QString>

// The folder the program keeps its files in: db.mdb, key.exe, sk.exe, the fonts and, by
// default, the exports. It is the executable's own folder until start-up chooses another
// (the user's data folder, or one named on the command line); tests point it at a
// temporary folder.
namespace ProgramFolder {
QString path();
QString file(const QString &name);
void use(const QString &folder);
// Back to the executable's own folder.
void reset();
} // namespace ProgramFolder
