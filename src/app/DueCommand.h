#pragma once

namespace CommandLine {
struct Options;
}

// `corvane --due`: prints what falls due and exits, with no window, no login and no instance
// lock, so cron and scripts can run it while the program is open. The register is only read.
namespace DueCommand {

enum Status { NothingDue = 0, SomethingDue = 1, Failed = 2 };

// Runs the command for options already read; the list goes to standard output, a failure's
// reason to standard error.
int run(const CommandLine::Options &options);

} // namespace DueCommand
