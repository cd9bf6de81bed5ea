#pragma once
// The windows' writer commands in the chip store, with the production run's stamp and calibration copy:
// the same values the command line hands to the flows, so both front ends stamp and record alike.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "operations/Flows.h"
#include "production/ChipStore.h"
#include "production/Stamp.h"

namespace zendra::operations {

// A production run's settings: the serial stamp (none without a place), the calibration copy (none
// without a place) and the store (an SQLite file or a PostgreSQL URL; empty: the per-user file).
struct ProductionSetup {
    std::optional<production::Place> stampAt;
    production::SerialLayout layout;
    QString series = QStringLiteral("default");
    qint64 start = 1;
    qint64 step = 1;
    std::optional<production::Place> calibrationAt;
    QString store;

    QString StoreLocation() const { return store.isEmpty() ? production::ChipStore::DefaultPath() : store; }
    // The cells a verify leaves out: the stamp's, and the calibration copy's.
    QList<production::Cells> SkippedCells() const { return production::AddedCells(stampAt, layout, calibrationAt); }
};

// What a recorded command is and what its record names besides the report's own facts.
struct RecordFacts {
    QString command;  // "program", "verify", "read", "erase", "fuse-write"
    QString port;
    QList<production::FileDigest> files;
};

struct RecordedReport {
    Report report;
    bool refused = false;            // nothing was run: `report` says why
    std::optional<qint64> serial;    // the number this run took
    std::optional<qint64> next;      // the series' next number after the run
    QString storeWarning;            // the run went on without a record, for this reason
};

// The operation as a program run takes it: the additions to put into its images and the cells a verify
// leaves out.
using RecordedOperation = std::function<Report(const ImageAdditions&, const QList<production::Cells>&)>;

// Runs the operation with its record in the store. A program run with a stamp takes the series' next
// number and records it before the port is opened; a store that cannot serve then refuses the run. For
// any other run such a store is a warning, and the run goes on unrecorded. Call it on the thread that
// runs the operation: the store's connection belongs to it.
RecordedReport RunRecorded(const ProductionSetup& setup, const RecordFacts& facts, const devices::Device* device,
                           const RecordedOperation& operation);

// The number the next stamped program run takes (the series' start before its first run); nullopt
// without a stamp or when the store cannot say.
std::optional<qint64> NextSerial(const ProductionSetup& setup);

// The records newest first; the store's problem when it cannot serve.
production::StoreResult ReadHistory(const QString& store, QList<production::ChipRecord>& records);

}  // namespace zendra::operations
