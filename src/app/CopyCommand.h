#pragma once

namespace CommandLine {
struct Options;
}

// `corvane --copy-register-to CONNINFO`: moves the register file to an empty database on a
// PostgreSQL server, with no window, no login and no instance lock. The file is only read (an
// earlier installation's Jet register is first converted, as a start would convert it).
namespace CopyCommand {

enum Status { Copied = 0, Failed = 2 };

// Runs the command for options already read; what was copied goes to standard output, a
// failure's reason to standard error, and the server database is then left as it was.
int run(const CommandLine::Options &options);

} // namespace CopyCommand
