#pragma once

namespace CommandLine {
struct Options;
}

// `corvane --protect | --unprotect | --add-slot NAME | --change-password`: the protection steps
// of the settings window for administrators and scripts, with no window and no login. Every
// password comes from standard input, one a line, never from the arguments, which other users
// can read in the process list.
namespace ProtectCommand {

enum Status { Done = 0, WrongPassword = 1, Failed = 2 };

// Runs the step the options name on the register the windows would open (or --register's), with
// the key files of the folder in use; the reason of a failure goes to standard error.
int run(const CommandLine::Options &options);

} // namespace ProtectCommand
