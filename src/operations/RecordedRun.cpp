#include "operations/RecordedRun.h"

#include <unistd.h>
#include <QSysInfo>

#include "core/Language.h"
#include "devices/Catalogue.h"
#include "operations/OperationTexts.h"

namespace zendra::operations {

namespace {

RecordedReport Refused(const QString& text, Verdict verdict) {
    RecordedReport refused;
    refused.refused = true;
    refused.report.verdict = verdict;
    refused.report.errorFlag = 1;
    refused.report.status = text;
    refused.report.notice = text;
    return refused;
}

// What the device itself rules out, before a number is taken or the port opened; empty when nothing.
QString PlaceRefusal(const ProductionSetup& setup, const devices::Device* device) {
    if (setup.stampAt && !production::Fits(*setup.stampAt, production::Width(setup.layout), device))
        return core::Compose(texts::kStampBeyondDevice, {production::PlaceText(*setup.stampAt)});
    if (!setup.calibrationAt) return {};
    if (device && !device->profile.calibration) return core::Compose(texts::kNoCalibrationByte, {device->Name()});
    if (!production::Fits(*setup.calibrationAt, 1, device))
        return core::Compose(texts::kCalibrationBeyondDevice, {production::PlaceText(*setup.calibrationAt)});
    return {};
}

}  // namespace

RecordedReport RunRecorded(const ProductionSetup& setup, const RecordFacts& facts, const devices::Device* device,
                           const RecordedOperation& operation) {
    const bool program = facts.command == QLatin1String("program");
    const bool stamps = program && setup.stampAt.has_value();
    if (program || facts.command == QLatin1String("verify"))
        if (const QString why = PlaceRefusal(setup, device); !why.isEmpty()) return Refused(why, Verdict::ChipRefused);

    production::ChipStore store(setup.StoreLocation());
    production::StoreResult usable = store.Open();
    production::SeriesState series;
    if (usable.Ok() && stamps) usable = store.CheckSeries(setup.series, setup.start, setup.step, series);
    if (!usable.Ok() && stamps) return Refused(core::Compose(texts::kStoreRefusesStamp, {usable.detail}), Verdict::LinkFailed);
    if (stamps && series.check == production::SeriesCheck::Contradicts)
        return Refused(core::Compose(texts::kSeriesContradicts, {QString::number(series.next)}), Verdict::ChipRefused);

    RecordedReport out;
    production::ChipRecord record{.bench = QSysInfo::machineHostName(),
                                  .port = facts.port,
                                  .device = device ? device->Name() : QString(),
                                  .command = facts.command,
                                  .files = facts.files,
                                  .series = stamps ? setup.series : QString(),
                                  .pid = qint64(::getpid())};
    if (!usable.Ok()) {
        out.storeWarning = core::Compose(texts::kStoreUnrecorded, {usable.detail});
    } else if (const production::StoreResult begun =
                   store.Begin(record, stamps ? production::Largest(setup.layout) : 0);
               !begun.Ok()) {
        if (stamps)
            return Refused(begun.problem == production::StoreProblem::SeriesExhausted
                               ? core::Compose(texts::kSeriesExhausted, {begun.detail})
                               : core::Compose(texts::kStoreRefusesStamp, {begun.detail}),
                           Verdict::ChipRefused);
        out.storeWarning = core::Compose(texts::kStoreUnrecorded, {begun.detail});
    }

    ImageAdditions additions;
    if (program) additions.calibrationAt = setup.calibrationAt;
    if (stamps) {
        additions.stampAt = setup.stampAt;
        additions.stamp = production::Encode(setup.layout, quint64(*record.serial));
        out.serial = record.serial;
    }
    out.report = operation(additions, program ? QList<production::Cells>() : setup.SkippedCells());

    if (record.id != 0) {
        const Report& r = out.report;
        record.firmware = r.firmware;
        record.signature = r.signature;
        record.calibration = r.calibrationCopied;
        record.lockFuseBefore = LockFuseBytesText(r.lockFuseBefore);
        record.lockFuseAfter = LockFuseBytesText(r.lockFuseWritten);
        record.verdict = VerdictName(r.verdict);
        record.seconds = r.figures.seconds;
        if (const production::StoreResult kept = store.Finish(record); !kept.Ok())
            out.storeWarning = core::Compose(texts::kStoreWriteFailed, {kept.detail});
    }
    if (stamps && store.CheckSeries(setup.series, std::nullopt, std::nullopt, series).Ok()) out.next = series.next;
    return out;
}

std::optional<qint64> NextSerial(const ProductionSetup& setup) {
    if (!setup.stampAt) return std::nullopt;
    production::ChipStore store(setup.StoreLocation());
    production::SeriesState series;
    if (!store.Open().Ok() || !store.CheckSeries(setup.series, std::nullopt, std::nullopt, series).Ok())
        return std::nullopt;
    return series.check == production::SeriesCheck::Unknown ? setup.start : series.next;
}

production::StoreResult ReadHistory(const QString& store, QList<production::ChipRecord>& records) {
    production::ChipStore chips(store.isEmpty() ? production::ChipStore::DefaultPath() : store);
    // Looking creates nothing: where no store is yet there are no records.
    production::StoreResult result = chips.Open(production::ChipStore::OpenMode::Existing);
    if (result.problem == production::StoreProblem::Missing) return {};
    if (result.Ok()) result = chips.History({}, records);
    return result;
}

}  // namespace zendra::operations
