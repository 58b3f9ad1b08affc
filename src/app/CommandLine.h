#pragma once

#include "sites/DueFormats.h"

#include <QString>
#include <QStringList>

#include <optional>

// The program's options, read in one place: `corvane --due [--days N] [--format F]
// [--register PATH]`. Without any of them the program starts its windows.
namespace CommandLine {

struct Options
{
    bool due = false;
    std::optional<int> days; // none: the lead times of the register's settings row
    DueFormats::Format format = DueFormats::Format::Text;
    QString registerPath; // empty: db.mdb in the program folder
    QString error;        // why the arguments were refused; empty when they were not
};

// True when the arguments name one of the options, so the program answers on the terminal
// and opens no window.
bool isCommandRun(int argc, char *argv[]);
// Reads the arguments (the first one is the program).
Options parse(const QStringList &arguments);

} // namespace CommandLine
