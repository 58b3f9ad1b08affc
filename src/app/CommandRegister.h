#pragma once

#include <QString>

namespace CommandLine {
struct Options;
}

// The register file a command on the terminal reads: --register's, else the folder's db.mdb.
namespace CommandRegister {

enum class Jet { Refused, Converted };

// The register the windows would use, found the same way but never made: a command has
// nothing to read before the first start.
QString pathFor(const CommandLine::Options &options);
// A reason the file cannot be read as a register, before SQLite is asked; empty when there is
// none. An earlier installation's Jet register is refused unless the command converts it.
QString refusalOf(const QString &path, Jet jet);

} // namespace CommandRegister
