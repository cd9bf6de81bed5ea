#pragma once
// What the command line asks for, parsed and with every input file read, before the writer is touched.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

#include "devices/Catalogue.h"
#include "operations/Flows.h"
#include "operations/Job.h"
#include "production/ChipStore.h"
#include "production/Stamp.h"
#include "production/Yield.h"

namespace zendra::cli {

struct InputFile {
    QString role;  // "code", "eeprom", "firmware"
    QString path;
    QString sha256;
};

struct Plan {
    QString command;  // "program", "verify", "read", "erase", "fuse-read", "fuse-write", "fuse-restore", "detect",
                      // "update"; a run of a setup and a setup save plan a "program"
    QStringList ports;
    const devices::Device* device = nullptr;  // from --device; null: the chip's signature decides
    QList<operations::ChoiceChange> fuseChoices;
    QString codePath, eepromPath, outCode, outEeprom, firmwarePath;
    QByteArray codeBytes, eepromBytes;  // the input files as read
    image::MemoryImages images;         // and as parsed, for the images' whole capacity
    operations::LockFuseBytes fileFuses;  // an ELF code file's lock/fuse bytes
    QList<InputFile> files;
    bool repeat = false, quiet = false, verbose = false;
    bool trigger = false;  // --trigger stdin: each chip of the loop starts on a line of standard input
    bool watch = false;  // program again each time the files are rewritten
    bool allowLockout = false, dryRun = false;
    bool writeFuses = false;  // program: also write the code file's lock/fuse bytes after the verify
    bool wait = false;  // detect: wait for a writer on a port plugged in later
    operations::LockFuseBytes restoreBytes;  // fuse restore: the bytes a report recorded before its write
    QString restoreDevice;                   // and the device it names
    QString reportPath, logPath;
    QString failure;  // why the run ended before the writer was touched
    QString dbPath;   // the chip store
    bool dbGiven = false;  // named by --db or the setup: records are then required
    std::optional<production::Place> serialAt, calibrationAt;
    production::SerialLayout serialLayout;
    std::optional<qint64> serialStart, serialStep;
    QString series = QStringLiteral("default");
    operations::SerialKeep serialKeep = operations::SerialKeep::Off;  // --serial-keep, --serial-keep-strict
    bool reuseFailed = false;                                          // --serial-reuse-failed
    production::SeriesKind serialKind = production::SeriesKind::Counter;
    QString serialList;     // a list series' file
    QString serialCommand;  // a generator series' program and its words
    QString serialFolder;   // where the generator runs: a setup's folder; empty: the current one
    QString setupOut;   // setup save: the setup file the options and files go into
    QString setupPath;  // run: the setup this program run comes from (its lock/fuse choices in fuseChoices)
    bool noEeprom = false;  // program: no EEPROM file, not even one beside the code file
    production::HistoryQuery history;
    std::optional<production::YieldQuery> stats;  // history --stats
    bool json = false;

    // A command that leaves a record of the chip in the store.
    bool Records() const {
        return command == QLatin1String("program") || command == QLatin1String("verify") ||
               command == QLatin1String("read") || command == QLatin1String("erase") ||
               command == QLatin1String("fuse-write") || command == QLatin1String("fuse-restore");
    }
    // A program run that takes a number of the series.
    bool Stamps() const { return serialAt && command == QLatin1String("program"); }
    // The cells a program run fills from the series or the chip, which a verify leaves out.
    QList<production::Cells> StampCells() const {
        return production::AddedCells(serialAt, serialLayout, calibrationAt);
    }

    // A command whose standard output is its data alone; its verdict goes to stderr with the rest.
    bool PrintsData() const {
        return dryRun || command == QLatin1String("fuse-read") || command == QLatin1String("detect") ||
               command == QLatin1String("ports");
    }
};

// Fills `plan` from the arguments; nullopt when the run goes on, else the exit code it ends with (help and
// version printed: 0; a usage or input error printed on stderr, its reason in `plan.failure`).
std::optional<int> ParsePlan(const QStringList& arguments, Plan& plan);

// Reads and checks the plan's input files again (a watched file rewritten); nullopt when they are fit to
// use, else the exit code, the reason printed and kept in `plan.failure`.
std::optional<int> ReadPlanInputs(Plan& plan);



}  // namespace zendra::cli
