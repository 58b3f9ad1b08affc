#pragma once

#include "sites/DueFormats.h"
#include "store/RegisterAddress.h"

#include <QString>
#include <QStringList>

#include <optional>

// The program's options, read in one place, before anything starts: `corvane [--portable |
// --register-folder DIR] [--register PATH|CONNINFO]`, `corvane --due [--days N] [--format F]
// [--register PATH|CONNINFO]`, `corvane --copy-register-to CONNINFO [--register PATH]`, the
// protection commands (`--protect [--slot NAME]`, `--unprotect`, `--add-slot NAME`,
// `--change-password`), `--help` and `--version`. Qt's own options (-platform, -style ...) pass
// through to Qt.
namespace CommandLine {

// The protection commands; their passwords come from standard input, never from the arguments.
enum class ProtectionStep { None, Protect, Unprotect, AddSlot, ChangePassword };

struct Options
{
    bool help = false;
    bool version = false;
    bool portable = false;  // the executable's own folder, whatever it holds
    QString registerFolder; // empty: chosen at start
    bool due = false;
    std::optional<int> days; // none: the lead times of the register's settings row
    DueFormats::Format format = DueFormats::Format::Text;
    // None: the register remembered for the folder in use, else its db.mdb.
    RegisterAddress registerAddress;
    bool copy = false;
    QString copyTarget; // the server database a copy goes to, as typed
    ProtectionStep protection = ProtectionStep::None;
    QString slotName; // --add-slot's name, or --slot's for --protect (empty: the default)
    QString error;    // why the arguments were refused; empty when they were not

    // A command answers on the terminal and opens no window.
    bool isCommand() const { return due || copy || protection != ProtectionStep::None; }
};

enum Status { Refused = 2 };

// The arguments as Qt would read them, before any application object exists.
QStringList arguments(int argc, char *argv[]);
// Reads the arguments (the first one is the program).
Options parse(const QStringList &arguments);
// Answers --help, --version and refused arguments on the terminal and gives the exit
// status; nothing when the program is to go on.
std::optional<int> answer(const Options &options);

} // namespace CommandLine
