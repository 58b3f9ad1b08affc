#pragma once

#include "store/RegisterAddress.h"

namespace CommandLine {
struct Options;
}

// The register a command on the terminal reads: --register's, else the one the windows would use,
// found the same way but never made: a command has nothing to read before the first start.
namespace CommandRegister {

RegisterAddress toRead(const CommandLine::Options &options);
// The folder whose key.exe and sk.exe go with it: the one the windows would use.
QString folderInUse(const CommandLine::Options &options);

} // namespace CommandRegister
