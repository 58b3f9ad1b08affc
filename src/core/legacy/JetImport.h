#pragma once

#include <QString>

// Brings the register of an earlier installation over: a Jet 4 (or ACE) db.mdb is
// converted into a register of this program, once, before anything reads it.
namespace JetImport {

// True when the file carries the Jet or ACE header ("Standard Jet DB" / "Standard ACE DB").
bool isJetFile(const QString &path);

// Converts the Jet file at path in place (a symbolic link: its target, in the target's
// folder): a new register is filled beside it under a temporary name and checked; only
// then is the Jet file kept as db.jet.mdb (or the first free db.jet.N.mdb) and the new
// register renamed to path. A value that cannot be brought over is left empty and listed
// in db.jet.txt beside the kept original. Returns the notice for the user (where the
// original is kept, which values were left out). Throws JetConversionError before
// anything is renamed; the original is then untouched and no new file is left behind.
QString convert(const QString &path);
// As convert() where path is a Jet register; nothing (and no notice) otherwise. What a
// connection runs before it opens the register.
QString prepareRegister(const QString &path);

} // namespace JetImport
