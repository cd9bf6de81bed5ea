#pragma once
// zendra-cli: the chip operations of the windows for scripts and production benches. It parses the
// command line, reads and checks the input files before the writer is touched, runs the very same
// operations on one writer or several at once, and renders their reports as text, JSON and a chip log.

#include <QStringList>

namespace zendra::cli {

// What the process ends with; documented in --help and the README.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitMismatch = 1,  // the chip differs from the files
    kExitLink = 2,      // the writer or the link failed
    kExitInput = 3,     // an input file is unreadable or invalid
    kExitUsage = 4,     // unknown option or command, bad value, a signature naming no single device
    kExitChip = 5,      // the wrong chip, or a locked chip where that forbids the command
    kExitCancelled = 130,
};

// The gang's one exit code: the first of 2, 5, 1, 130, 0 that any writer gave.
int CombineExitCodes(const QList<int>& codes);

// Runs the command line `arguments` (without the program name); returns the exit code.
int RunCommandLine(const QStringList& arguments);

}  // namespace zendra::cli
