#pragma once
// A job: everything one run of a chip command needs, as one typed value that both front ends build (the
// command line from its options or a bench setup, the windows from their state or an opened setup), and
// the one run that carries it out on one writer. The run decides everything that is not the front ends'
// to decide: the device from the signature, what the files and places need of the device, what a
// lock/fuse change risks and whether it may go on, the serial number, the calibration copy, the record in
// the chip store and what a store that fails means.

#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "operations/Flows.h"
#include "operations/Identify.h"
#include "production/BenchSetup.h"
#include "production/ChipStore.h"
#include "production/Stamp.h"

namespace zendra::operations {

// What a program run does with the number a chip already carries at the stamp's place: nothing (the next
// number), keep it when the series issued it (else the next number, with a warning), or keep it strictly
// (else the chip is refused, untouched).
enum class SerialKeep { Off, Keep, Strict };
// A setup's word for it (production::kSerialKeepWords), and back; an unknown word is Off.
inline SerialKeep SerialKeepOf(const QString& word) {
    return SerialKeep(std::max<qsizetype>(0, production::kSerialKeepWords.indexOf(word)));
}
inline QString SerialKeepWord(SerialKeep keep) { return production::kSerialKeepWords.value(int(keep)); }

// The stamp (none without a place), the calibration copy (none without a place) and the store (an SQLite
// file or a PostgreSQL URL; empty: the per-user file). A series without a start must exist already.
struct ProductionSettings {
    std::optional<production::Place> stampAt;
    production::SerialLayout layout;
    QString series = QStringLiteral("default");
    std::optional<qint64> start = 1;
    std::optional<qint64> step = 1;
    std::optional<production::Place> calibrationAt;
    QString store;
    SerialKeep keep = SerialKeep::Off;
    bool reuseFailed = false;  // a number whose bytes never reached a chip goes out again before a new one
    // Where the stamp's values come from: the counter (start and step), a list or a generator.
    production::SeriesKind kind = production::SeriesKind::Counter;
    QString listPath;       // a list: read again for every chip, so lines appended meanwhile count
    QString command;        // a generator: the program and its words, run without a shell
    QString commandFolder;  // where the generator runs (a setup's folder); empty: the current one

    QString StoreLocation() const { return store.isEmpty() ? production::ChipStore::DefaultPath() : store; }
    // The cells a verify leaves out: the stamp's (a list's widest value), and the calibration copy's.
    QList<production::Cells> SkippedCells() const;
    // What a message names as the series' source: the list file or the program.
    QString SourceText() const { return kind == production::SeriesKind::List ? listPath : command; }
};

enum class JobCommand { Program, Verify, Read, Erase, FuseWrite, FuseRestore };

// The lock/fuse bytes a job ends with: named choices (the rest as the chip holds them), a whole panel, or
// bytes (a report's, or a code file's) decoded into the choices they stand for.
struct LockFuseGoal {
    QList<ChoiceChange> choices;
    std::optional<devices::PanelIndexes> panel;
    std::optional<LockFuseBytes> bytes;
    QString bytesDevice;  // the catalogue name of the device the bytes were read from; empty: any
    bool Empty() const { return choices.isEmpty() && !panel && !bytes; }
};

struct Job {
    JobCommand command = JobCommand::Program;
    const devices::Device* device = nullptr;
    bool deviceFromSignature = false;          // the one catalogue row the chip's signature names
    bool filesMustFit = true;                  // files that hold more than the device are refused
    image::MemoryImages images;                // program and verify: the files as loaded
    QList<production::FileDigest> files;      // each file's SHA-256, computed once from the bytes read
    devices::PanelIndexes panel{};             // read: the panel's choices before the read
    LockFuseGoal lockFuse;                     // program: written after a good verify; fuse commands: written
    ProductionSettings production;
    // Records were asked for (a store named on the command line, in a setup or in the windows' production
    // settings): no chip is then written without its record. Otherwise a store that fails is a warning.
    bool recordsRequired = false;
    bool recorded = true;  // false: no record at all (a lock/fuse read)
    // What a lock-out or protection in the lock/fuse change does: ask, refuse a lock-out, or allow it.
    WritePolicy lockOut = WritePolicy::RefuseLockOut;
    bool dryRun = false;  // read what the plan needs and say what would be done; write nothing
    std::optional<production::StationFacts> station;  // run by a production station: its lock, as recorded
};

// How a job ended. `Ran`: the operation ran, and the report's verdict says how it went; every other end
// came before the chip was erased or written.
enum class JobEnd {
    Ran,
    NotIdentified,      // the chip's signature named no single device: `identification` says why
    ImagesBeyond,       // the files hold more than the device takes
    StampBeyond,        // the stamp's cells lie outside the device
    CalibrationBeyond,  // the calibration copy's cell lies outside the device
    NoCalibration,      // the device has no calibration byte
    StoreUnusable,      // the store cannot open or begin the record: `store` says why
    SeriesUnknown,      // a stamp's series that does not exist, given no start
    SeriesContradicts,  // the series exists with another start or step
    SeriesExhausted,    // the series' next number does not fit the stamp
    OtherDevice,        // a restore's bytes are another device's
    LockFuseUnmatched,  // a byte to write stands for no choice of the device
    KeepLocked,         // a number to keep, and the chip is locked: its stamp cannot be read
    KeepRefused,        // a number to keep strictly, and the chip holds none the series issued: `keepProblem`
    SerialRefused,      // a list or generator gave no value to stamp: `serialProblem` says why
};

struct JobReport {
    JobEnd end = JobEnd::Ran;
    Report report;  // Ran: the operation's report; a lock-out refused before the erase is one too
    const devices::Device* device = nullptr;  // the device worked on
    std::optional<Identification> identification;
    production::StoreResult store;  // the store's problem, when it had one
    int imagesBeyond = 0;           // ImagesBeyond: the bytes the device cannot hold
    std::optional<qint64> serial;   // the number this chip took
    std::optional<qint64> next;     // the series' next number after the run
    QByteArray stamp;               // a list's or generator's value this chip took
    std::optional<qint64> line;     // and the list's line it came from
    QString serialProblem;          // SerialRefused: why, as the windows say it
    qint64 recordId = 0;
    QString storeWarning;        // the run went on unrecorded, for this reason
    QString numberWarning;       // the chip's number could not be kept: it took the next one, for this reason
    QString keepProblem;         // why the chip's number could not be kept
    std::optional<qint64> firstRecord;  // a kept number: the record of the chip's first run with it
    QString outputFailure;       // the chip was written, but its record could not be finished
    QStringList plan;            // a dry run: "name: value" lines of what the run would do
    bool Written() const { return end == JobEnd::Ran && !report.phases.isEmpty(); }
};

// The word a record and the command line give a job's end: the report's verdict after a run,
// "output-failed" when its record could not be finished, else the class of the refusal.
QString JobVerdictName(const JobReport& job);

// What the job's store rules out before any writer is touched (for every writer of a gang at once);
// `end` is Ran when nothing.
// `cancel` ends the store's wait.
JobReport CheckJobStore(const Job& job, const core::CancelToken* cancel = nullptr);

// Carries the job out on the writer at `port` (`portLabel` as the record names it). Call it on the thread
// that runs the operation: the store's connection belongs to it.
JobReport RunJob(Environment& env, const PortChoice& port, const QString& portLabel, const Job& job);

// The number the next stamped program run takes (the series' start before its first run); nullopt
// without a stamp or when the store cannot say.
std::optional<qint64> NextSerial(const ProductionSettings& setup);

// The records newest first; the store's problem when it cannot serve.
production::StoreResult ReadHistory(const QString& store, QList<production::ChipRecord>& records);

}  // namespace zendra::operations
