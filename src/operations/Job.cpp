#include "operations/Job.h"

#include <unistd.h>
#include <QSysInfo>
#include <algorithm>
#include <memory>

#include "core/Language.h"
#include "operations/Checks.h"
#include "operations/OperationTexts.h"
#include "operations/UsedPart.h"

namespace zendra::operations {

namespace {

QString CommandName(JobCommand command) {
    switch (command) {
        case JobCommand::Program:
            return QStringLiteral("program");
        case JobCommand::Verify:
            return QStringLiteral("verify");
        case JobCommand::Read:
            return QStringLiteral("read");
        case JobCommand::Erase:
            return QStringLiteral("erase");
        case JobCommand::FuseWrite:
            return QStringLiteral("fuse-write");
        case JobCommand::FuseRestore:
            return QStringLiteral("fuse-restore");
    }
    return {};
}

// Bytes of the images beyond what the device holds (none when no device is known).
int BytesBeyond(const image::MemoryImages& images, const devices::Device* device) {
    if (!device) return 0;
    const auto count = [](const auto& image, qint64 from) {
        const auto unerased = [](quint8 b) { return b != image::kErased; };
        return int(std::count_if(image.begin() + std::min<qint64>(from, qint64(image.size())), image.end(), unerased));
    };
    return count(images.ProgramImage, 2 * qint64(device->flashWords)) + count(images.EepromImage, device->eepromBytes);
}

// What the device itself rules out for the stamp and the calibration copy.
JobEnd PlaceRefusal(const ProductionSetup& p, bool stamps, const devices::Device* device) {
    if (stamps && p.stampAt && !production::Fits(*p.stampAt, production::Width(p.layout), device)) return JobEnd::StampBeyond;
    if (!p.calibrationAt) return JobEnd::Ran;
    if (device && !device->profile.calibration) return JobEnd::NoCalibration;
    if (!production::Fits(*p.calibrationAt, 1, device)) return JobEnd::CalibrationBeyond;
    return JobEnd::Ran;
}

// The lock/fuse goal carried out (or, under the dry-run policy, only read and judged) with its check.
Report LockFuseCommand(Environment& env, const Target& target, const LockFuseGoal& goal, WritePolicy policy) {
    if (goal.bytes) return RestoreLockFuseCommand(env, target, *goal.bytes, policy);
    if (goal.panel) return WriteLockFuseCommand(env, target, *goal.panel, policy);
    return ChangeLockFuseCommand(env, target, goal.choices, policy);
}

// A lock-out in a change that the policy refuses: the chip is refused, and nothing is written.
void RefuseLockOut(Report& report) {
    report.verdict = Verdict::ChipRefused;
    report.errorFlag = 1;
    report.status = core::JoinTexts(
        {texts::kLockOutRefused, ChangedFieldNames(report.changes, devices::ChangeClass::LockOut)});
    report.notice = report.status;
    report.lockFuseWritten = {};
}

QStringList ChangePlan(const devices::Device* device, const QList<FieldChange>& changes) {
    QStringList lines;
    for (const FieldChange& c : changes)
        lines << QStringLiteral("lockfuse: %1 %2 -> %3 (%4)")
                     .arg(devices::ControlName(c.control), ChoiceName(device, c.control, c.before),
                          ChoiceName(device, c.control, c.after), devices::ChangeClassName(c.change));
    return lines;
}

// The store was given up on: it stopped answering, or the run was cancelled while it waited.
bool Abandoned(const production::StoreResult& result) {
    return result.problem == production::StoreProblem::TimedOut || result.problem == production::StoreProblem::Cancelled;
}

bool StampsOf(const Job& job) { return job.command == JobCommand::Program && job.production.stampAt.has_value(); }

// Before any exchange: the store opens, and a stamp's series exists and agrees with the job. The store
// when it serves; a refusal or a warning in `out`.
std::unique_ptr<production::ChipStore> OpenJobStore(const Job& job, JobReport& out, production::SeriesState& series,
                                                    const core::CancelToken* cancel) {
    const bool stamps = StampsOf(job);
    if (!job.recorded && !stamps) return nullptr;
    const ProductionSetup& p = job.production;
    auto store = std::make_unique<production::ChipStore>(p.StoreLocation(), cancel);
    production::StoreResult usable = store->Open();
    // A dry run creates no series: it only says which number would come.
    const bool create = !job.dryRun;
    if (usable.Ok() && stamps)
        usable = store->CheckSeries(p.series, create ? p.start : std::nullopt, create ? p.step : std::nullopt, series);
    if (!usable.Ok()) {
        out.store = usable;
        // A cancel or a store that stopped answering ends the run whether records were asked for or not.
        if (stamps || job.recordsRequired || Abandoned(usable))
            out.end = JobEnd::StoreUnusable;
        else
            out.storeWarning = core::Compose(texts::kStoreUnrecorded, {usable.detail});
        return nullptr;
    }
    if (!stamps) return store;
    if (series.check == production::SeriesCheck::Unknown && !(job.dryRun && p.start)) {
        out.end = JobEnd::SeriesUnknown;
        return nullptr;
    }
    if (series.check == production::SeriesCheck::Contradicts) {
        out.next = series.next;
        out.end = JobEnd::SeriesContradicts;
        return nullptr;
    }
    if (series.check == production::SeriesCheck::Unknown) series.next = *p.start;
    return store;
}

class JobRun {
public:
    JobRun(Environment& env, const PortChoice& port, const QString& portLabel, const Job& job)
        : m_env(env), m_port(port), m_label(portLabel), m_job(job) {}

    JobReport Go();

private:
    bool Program() const { return m_job.command == JobCommand::Program; }
    bool Stamps() const { return StampsOf(m_job); }
    bool OpenStore();
    bool FindDevice();
    bool RefuseForDevice();
    bool CheckLockFuse();
    void PlanDryRun();
    void FillRecordFacts();
    bool BeginRecord();
    void RunCommand();
    void FinishRecord();
    JobReport Ended(JobEnd end) {
        m_out.end = end;
        FinishRecord();
        return m_out;
    }

    Environment& m_env;
    PortChoice m_port;
    QString m_label;
    const Job& m_job;
    JobReport m_out;
    std::unique_ptr<production::ChipStore> m_store;
    production::ChipRecord m_record;
    WritePolicy m_writePolicy = WritePolicy::RefuseLockOut;  // the lock/fuse write after the verify
    std::optional<Report> m_lockFuseCheck;
    production::SeriesState m_series;
};

bool JobRun::OpenStore() {
    if (!m_job.recorded && !Stamps()) return true;
    m_store = OpenJobStore(m_job, m_out, m_series, m_env.cancel);
    return m_out.end == JobEnd::Ran;
}

bool JobRun::FindDevice() {
    m_out.device = m_job.device;
    if (!m_job.deviceFromSignature) return true;
    m_out.identification = IdentifyChip(m_env, m_port, m_job.command == JobCommand::Erase);
    const Identification& id = *m_out.identification;
    m_out.report.firmware = id.probe.firmware;
    m_out.report.signature = id.probe.signature;
    if (id.identity != Identity::Found) return m_out.end = JobEnd::NotIdentified, false;
    m_out.device = id.device;
    return true;
}

// What the device rules out for the files, the places and the bytes to write; nothing is sent.
bool JobRun::RefuseForDevice() {
    const devices::Device* device = m_out.device;
    const JobCommand c = m_job.command;
    if (c == JobCommand::Program || c == JobCommand::Verify) {
        if (m_job.filesMustFit && (m_out.imagesBeyond = BytesBeyond(m_job.images, device)) > 0)
            return m_out.end = JobEnd::ImagesBeyond, false;
        if (const JobEnd end = PlaceRefusal(m_job.production, Stamps() || c == JobCommand::Verify, device);
            end != JobEnd::Ran)
            return m_out.end = end, false;
    }
    const LockFuseGoal& goal = m_job.lockFuse;
    if (goal.bytes && (Program() || c == JobCommand::FuseRestore)) {
        if (!goal.bytesDevice.isEmpty() && device && goal.bytesDevice != device->Name())
            return m_out.end = JobEnd::OtherDevice, false;
        // A byte that stands for no choice is never guessed at, least of all written.
        if (!UnmatchedLockFuseFields(device, *goal.bytes).isEmpty()) return m_out.end = JobEnd::LockFuseUnmatched, false;
    }
    return true;
}

// A program run's lock/fuse change is read and judged before the erase (the fuses survive it), so a
// change that will not be written stops the run while the chip is still untouched.
bool JobRun::CheckLockFuse() {
    m_writePolicy = m_job.lockOut;
    if (!Program() || m_job.lockFuse.Empty()) return true;
    const Target target{m_out.device, m_port};
    Report check = LockFuseCommand(m_env, target, m_job.lockFuse, WritePolicy::DryRun);
    m_lockFuseCheck = check;
    // The check's own "not written" would stand on the status line while the run goes on.
    if (check.Succeeded() && !m_job.dryRun) m_env.progress.Status(core::StatusField::Result, QString());
    if (!check.Succeeded()) {
        m_out.report = check;
        return false;
    }
    if (m_job.lockOut == WritePolicy::RefuseLockOut && HoldsLockOut(check.changes)) {
        RefuseLockOut(check);
        m_out.report = check;
        return false;
    }
    const bool guarded = std::ranges::any_of(check.changes, [](const FieldChange& c) {
        return c.change != devices::ChangeClass::Ordinary;
    });
    if (m_job.lockOut == WritePolicy::Ask && guarded && !m_job.dryRun) {
        if (!ConfirmLockFuseChange(m_env, m_out.device, check.changes)) {
            check.verdict = Verdict::Cancelled;
            check.status = texts::kFuseWriteCancelled;
            m_out.report = check;
            return false;
        }
        // Asked once: the write after the verify goes on without a second question.
        m_writePolicy = WritePolicy::AllowLockOut;
    }
    return true;
}

void JobRun::PlanDryRun() {
    const devices::Device* device = m_out.device;
    QStringList& plan = m_out.plan;
    plan << QStringLiteral("device: ") + (device ? device->Name() : QString());
    if (!m_out.report.signature.isEmpty()) plan << QStringLiteral("signature: ") + m_out.report.signature;
    const JobCommand c = m_job.command;
    plan << QStringLiteral("erase: ") +
                (c == JobCommand::Program || c == JobCommand::Erase ? QStringLiteral("yes") : QStringLiteral("no"));
    if (Program()) {
        const qint32 words = LastUsedWord(m_job.images, FlashWordsOf(device ? device->flashWords : 0));
        const qint32 bytes = EepromBytesOf(device ? device->eepromBytes : 0);
        const auto eeprom = std::count_if(m_job.images.EepromImage.begin(), m_job.images.EepromImage.begin() + bytes,
                                          [](quint8 b) { return b != image::kErased; });
        plan << QStringLiteral("flash-words: %1").arg(words < 0 ? 0 : RaiseZeroToOne(words) + 1);
        plan << QStringLiteral("eeprom-bytes: %1").arg(eeprom);
        const ProductionSetup& p = m_job.production;
        if (Stamps())
            plan << QStringLiteral("stamp: %1, series %2, next number %3")
                        .arg(production::PlaceText(*p.stampAt), p.series, QString::number(m_series.next));
        if (p.calibrationAt) plan << QStringLiteral("calibration-copy: ") + production::PlaceText(*p.calibrationAt);
    }
    if (m_lockFuseCheck) plan << ChangePlan(device, m_lockFuseCheck->changes);
}

void JobRun::FillRecordFacts() {
    m_record = production::ChipRecord{.bench = QSysInfo::machineHostName(),
                                      .port = m_label,
                                      .device = m_out.device ? m_out.device->Name() : QString(),
                                      .command = CommandName(m_job.command),
                                      .files = m_job.files,
                                      .series = Stamps() ? m_job.production.series : QString(),
                                      .pid = qint64(::getpid()),
                                      .station = m_job.station};
}

// The record, begun (with its number) before the chip is written.
bool JobRun::BeginRecord() {
    const ProductionSetup& p = m_job.production;
    FillRecordFacts();
    if (!m_store) return true;
    const production::StoreResult begun = m_store->Begin(m_record, Stamps() ? production::Largest(p.layout) : 0);
    if (begun.Ok()) {
        m_out.recordId = m_record.id;
        m_out.serial = m_record.serial;
        if (m_out.serial) m_env.progress.SerialTaken(m_record.series, *m_out.serial);
        return true;
    }
    m_out.store = begun;
    if (begun.problem == production::StoreProblem::SeriesExhausted) return m_out.end = JobEnd::SeriesExhausted, false;
    if (Stamps() || m_job.recordsRequired || Abandoned(begun)) return m_out.end = JobEnd::StoreUnusable, false;
    m_out.storeWarning = core::Compose(texts::kStoreUnrecorded, {begun.detail});
    m_store.reset();
    return true;
}

void JobRun::RunCommand() {
    const Target target{m_out.device, m_port};
    const ProductionSetup& p = m_job.production;
    Report& report = m_out.report;
    switch (m_job.command) {
        case JobCommand::Program: {
            ImageAdditions additions{.calibrationAt = p.calibrationAt};
            if (m_out.serial) {
                additions.stampAt = p.stampAt;
                additions.stamp = production::Encode(p.layout, quint64(*m_out.serial));
            }
            report = ProgramCommand(m_env, target, m_job.images, additions);
            if (m_job.lockFuse.Empty() || !report.Succeeded()) break;
            // The lock/fuse choices go in only after a good verify.
            const Report fuses = LockFuseCommand(m_env, target, m_job.lockFuse, m_writePolicy);
            report.changes = fuses.changes;
            report.lockFuseBefore = fuses.lockFuseBefore;
            report.lockFuseWritten = fuses.lockFuseWritten;
            report.panel = fuses.panel;
            report.warnings += fuses.warnings;
            report.phases += fuses.phases;
            // The flash and EEPROM are done; a lock/fuse write that failed or was refused still fails the run.
            if (fuses.errorFlag != 0 || !fuses.Succeeded()) {
                report.verdict = fuses.verdict;
                report.status = fuses.status;
                report.notice = fuses.notice;
                report.errorFlag = fuses.errorFlag;
            } else {
                // The status line ends on the program run's verdict, the choices being part of it.
                m_env.progress.Status(core::StatusField::Result, report.status);
            }
            break;
        }
        case JobCommand::Verify:
            report = VerifyCommand(m_env, target, m_job.images, p.SkippedCells());
            break;
        case JobCommand::Read:
            report = ReadCommand(m_env, target, m_job.images, m_job.panel);
            break;
        case JobCommand::Erase:
            report = EraseCommand(m_env, target);
            break;
        case JobCommand::FuseWrite:
        case JobCommand::FuseRestore:
            report = LockFuseCommand(m_env, target, m_job.lockFuse, m_job.dryRun ? WritePolicy::DryRun : m_job.lockOut);
            if (m_job.dryRun && m_job.lockOut == WritePolicy::RefuseLockOut && HoldsLockOut(report.changes))
                RefuseLockOut(report);
            break;
    }
}

// The record as the run ended: finished, or written whole when it was never begun. A record that was
// required and cannot be finished fails the run.
void JobRun::FinishRecord() {
    if (!m_store || m_job.dryRun) return;
    if (m_record.command.isEmpty()) FillRecordFacts();
    const Report& r = m_out.report;
    m_record.firmware = r.firmware;
    m_record.signature = r.signature;
    m_record.device = m_out.device ? m_out.device->Name() : QString();
    m_record.calibration = r.calibrationCopied;
    m_record.lockFuseBefore = LockFuseBytesText(r.lockFuseBefore);
    m_record.lockFuseAfter = LockFuseBytesText(r.lockFuseWritten);
    m_record.verdict = JobVerdictName(m_out);
    m_record.seconds = r.figures.seconds;
    const production::StoreResult kept = m_record.id ? m_store->Finish(m_record) : m_store->Add(m_record);
    if (!kept.Ok()) {
        m_out.store = kept;
        const QString why = core::Compose(texts::kStoreWriteFailed, {kept.detail});
        if (m_job.recordsRequired || m_out.serial || Abandoned(kept))
            m_out.outputFailure = why;
        else
            m_out.storeWarning = why;
    }
    m_out.recordId = m_record.id;
    if (Stamps() && kept.Ok() && m_store->CheckSeries(m_job.production.series, std::nullopt, std::nullopt, m_series).Ok())
        m_out.next = m_series.next;
}

JobReport JobRun::Go() {
    if (!OpenStore()) return m_out;
    if (!FindDevice() || !RefuseForDevice()) return Ended(m_out.end);
    if (!CheckLockFuse()) {
        if (m_job.dryRun && m_lockFuseCheck) PlanDryRun();
        return Ended(JobEnd::Ran);
    }
    const bool fuses = m_job.command == JobCommand::FuseWrite || m_job.command == JobCommand::FuseRestore;
    if (m_job.dryRun && fuses) {
        RunCommand();
        m_out.plan = ChangePlan(m_out.device, m_out.report.changes);
        return m_out;
    }
    const bool writes = m_job.command == JobCommand::Program || m_job.command == JobCommand::Erase;
    if (m_job.dryRun && writes) {
        // Nothing is written, numbered or recorded: the signature (and a change's bytes) were all it needed.
        if (!m_lockFuseCheck && !m_job.deviceFromSignature) {
            m_out.report = ProbeChip(m_env, {m_out.device, m_port});
            if (m_out.report.signatureBytes.size() != 3 || !m_out.report.Succeeded()) return m_out;
        } else if (m_lockFuseCheck) {
            m_out.report = *m_lockFuseCheck;
        } else {
            m_out.report.verdict = Verdict::Succeeded;
        }
        PlanDryRun();
        if (m_out.report.Succeeded()) m_out.report.status = texts::kDryRunDone;
        return m_out;
    }
    if (!BeginRecord()) return m_out;
    RunCommand();
    return Ended(JobEnd::Ran);
}

}  // namespace

QString JobVerdictName(const JobReport& job) {
    switch (job.end) {
        case JobEnd::Ran:
            if (job.store.problem == production::StoreProblem::Cancelled) return QStringLiteral("cancelled");
            return job.outputFailure.isEmpty() ? VerdictName(job.report.verdict) : QStringLiteral("output-failed");
        case JobEnd::NotIdentified:
            switch (job.identification ? job.identification->identity : Identity::NoAnswer) {
                case Identity::Cancelled:
                    return QStringLiteral("cancelled");
                case Identity::Locked:
                case Identity::EmptySocket:
                    return QStringLiteral("chip-refused");
                case Identity::Unknown:
                case Identity::Ambiguous:
                    return QStringLiteral("no-device");
                default:
                    return QStringLiteral("link-failed");
            }
        case JobEnd::ImagesBeyond:
        case JobEnd::LockFuseUnmatched:
            return QStringLiteral("input-invalid");
        case JobEnd::OtherDevice:
            return QStringLiteral("chip-refused");
        case JobEnd::StoreUnusable:
            return job.store.problem == production::StoreProblem::Cancelled ? QStringLiteral("cancelled")
                                                                            : QStringLiteral("link-failed");
        case JobEnd::StampBeyond:
        case JobEnd::CalibrationBeyond:
        case JobEnd::NoCalibration:
        case JobEnd::SeriesUnknown:
        case JobEnd::SeriesContradicts:
        case JobEnd::SeriesExhausted:
            break;
    }
    return QStringLiteral("no-device");
}

namespace {

// Why a job ended before the chip was written, as the windows say it.
QString RefusalText(const JobReport& done, const Job& job) {
    const ProductionSetup& p = job.production;
    const QString place = [&](const std::optional<production::Place>& at) {
        return at ? production::PlaceText(*at) : QString();
    }(done.end == JobEnd::StampBeyond ? p.stampAt : p.calibrationAt);
    switch (done.end) {
        case JobEnd::StampBeyond:
            return core::Compose(texts::kStampBeyondDevice, {place});
        case JobEnd::CalibrationBeyond:
            return core::Compose(texts::kCalibrationBeyondDevice, {place});
        case JobEnd::NoCalibration:
            return core::Compose(texts::kNoCalibrationByte, {done.device ? done.device->Name() : QString()});
        case JobEnd::StoreUnusable:
            return core::Compose(p.stampAt && job.command == JobCommand::Program ? texts::kStoreRefusesStamp
                                                                               : texts::kStoreRefusesRecord,
                                 {done.store.detail});
        case JobEnd::SeriesContradicts:
            return core::Compose(texts::kSeriesContradicts, {QString::number(done.next.value_or(0))});
        case JobEnd::SeriesExhausted:
            return core::Compose(texts::kSeriesExhausted, {done.store.detail});
        case JobEnd::SeriesUnknown:
            return core::Compose(texts::kSeriesUnknown, {p.series});
        default:
            break;
    }
    return done.report.notice.isEmpty() ? done.report.status : done.report.notice;
}

}  // namespace

JobReport CheckJobStore(const Job& job, const core::CancelToken* cancel) {
    JobReport checked;
    production::SeriesState series;
    OpenJobStore(job, checked, series, cancel);
    return checked;
}

JobReport RunJob(Environment& env, const PortChoice& port, const QString& portLabel, const Job& job) {
    JobReport done = JobRun(env, port, portLabel, job).Go();
    if (done.end == JobEnd::Ran) return done;
    Report& r = done.report;
    const QString word = JobVerdictName(done);
    r.verdict = word == QLatin1String("link-failed") ? Verdict::LinkFailed
                : word == QLatin1String("cancelled") ? Verdict::Cancelled
                                                     : Verdict::ChipRefused;
    r.errorFlag = 1;
    r.status = r.notice = RefusalText(done, job);
    return done;
}

std::optional<qint64> NextSerial(const ProductionSetup& setup) {
    if (!setup.stampAt) return std::nullopt;
    production::ChipStore store(setup.StoreLocation());
    production::SeriesState series;
    if (!store.Open().Ok() || !store.CheckSeries(setup.series, std::nullopt, std::nullopt, series).Ok())
        return std::nullopt;
    if (series.check == production::SeriesCheck::Unknown) return setup.start;
    return series.next;
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
