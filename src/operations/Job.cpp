#include "operations/Job.h"

#include <unistd.h>
#include <QSysInfo>
#include <algorithm>
#include <limits>
#include <memory>

#include "core/Language.h"
#include "operations/Checks.h"
#include "operations/OperationTexts.h"
#include "operations/StampCells.h"
#include "operations/UsedPart.h"
#include "production/SerialSource.h"

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

// What the device itself rules out for the stamp and the calibration copy. A list's or generator's value
// is measured when it is known; here at least one byte must fit.
JobEnd PlaceRefusal(const ProductionSettings& p, bool stamps, const devices::Device* device) {
    const int width = p.kind == production::SeriesKind::Counter ? production::Width(p.layout) : 1;
    if (stamps && p.stampAt && !production::Fits(*p.stampAt, width, device)) return JobEnd::StampBeyond;
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
    SettleReport(report, Run::Standing::Failed);
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

// Why a list cannot give values, as the windows say it; empty when it can.
QString ListProblemText(const ProductionSettings& p, const production::SerialList& list) {
    switch (list.problem) {
        case production::ListProblem::None:
            break;
        case production::ListProblem::Unreadable:
            return core::Compose(texts::kListUnreadable, {p.listPath, list.reason});
        case production::ListProblem::BadLine:
            return core::Compose(texts::kListBadLine, {p.listPath, QString::number(list.line)});
        case production::ListProblem::Repeated:
            return core::Compose(texts::kListRepeated,
                                 {p.listPath, QString::number(list.line), QString::number(list.firstLine)});
    }
    return {};
}

// A store's refusal of the series' next value, as the windows say it; empty for any other problem.
QString IssueProblemText(const ProductionSettings& p, const production::StoreResult& result) {
    switch (result.problem) {
        case production::StoreProblem::ListExhausted:
            return core::Compose(texts::kListExhausted, {p.listPath, result.detail});
        case production::StoreProblem::ListChanged:
            return core::Compose(texts::kListChanged, {p.listPath, result.detail});
        case production::StoreProblem::ValueIssued:
            return core::Compose(texts::kValueIssued, {p.SourceText(), result.detail});
        default:
            return {};
    }
}

// A list or generator series takes no start or step of its own: its running count starts at 1.
std::optional<qint64> SeriesStart(const ProductionSettings& p) {
    return p.kind == production::SeriesKind::Counter ? p.start : std::optional<qint64>(1);
}
std::optional<qint64> SeriesStep(const ProductionSettings& p) {
    return p.kind == production::SeriesKind::Counter ? p.step : std::optional<qint64>(1);
}

// Before any exchange: the store opens, and a stamp's series exists and agrees with the job. The store
// when it serves; a refusal or a warning in `out`.
std::unique_ptr<production::ChipStore> OpenJobStore(const Job& job, JobReport& out, production::SeriesState& series,
                                                    const core::CancelToken* cancel) {
    const bool stamps = StampsOf(job);
    if (!job.recorded && !stamps) return nullptr;
    const ProductionSettings& p = job.production;
    auto store = std::make_unique<production::ChipStore>(p.StoreLocation(), cancel);
    production::StoreResult usable = store->Open();
    // A dry run creates no series: it only says which number would come.
    const bool create = !job.dryRun;
    if (usable.Ok() && stamps)
        usable = store->CheckSeries(p.series, create ? SeriesStart(p) : std::nullopt, create ? SeriesStep(p) : std::nullopt,
                                    series, p.kind);
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
    if (series.check == production::SeriesCheck::OtherKind) {
        out.serialProblem = core::Compose(texts::kSeriesOtherKind, {p.series, production::SeriesKindName(series.kind)});
        out.end = JobEnd::SerialRefused;
        return nullptr;
    }
    if (series.check == production::SeriesCheck::Unknown && !(job.dryRun && SeriesStart(p))) {
        out.end = JobEnd::SeriesUnknown;
        return nullptr;
    }
    if (series.check == production::SeriesCheck::Contradicts) {
        out.next = series.next;
        out.end = JobEnd::SeriesContradicts;
        return nullptr;
    }
    if (series.check == production::SeriesCheck::Unknown) series.next = *SeriesStart(p);
    if (p.kind == production::SeriesKind::List) {
        // A list that has run out, or whose issued lines were changed, is refused before any writer is
        // touched; the run takes its line in the same check, inside the record's transaction.
        const production::SerialList list = production::ReadSerialList(p.listPath, p.layout);
        out.serialProblem = ListProblemText(p, list);
        production::ChipRecord next{.series = p.series};
        const production::StoreResult peek =
            out.serialProblem.isEmpty()
                ? store->BeginIssued(next, {.kind = p.kind, .list = list.entries, .lastLine = list.lastLine, .take = false})
                : production::StoreResult{};
        if (out.serialProblem.isEmpty()) out.serialProblem = IssueProblemText(p, peek);
        if (!out.serialProblem.isEmpty()) {
            out.end = JobEnd::SerialRefused;
            return nullptr;
        }
        if (!peek.Ok()) {
            out.store = peek;
            out.end = JobEnd::StoreUnusable;
            return nullptr;
        }
        if (job.dryRun) {
            out.line = next.line;
            out.stamp = next.stamp;
        }
    }
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
    bool KeepNumber();
    bool ProbeBeforeErase();
    void RecheckErasedLock();
    void FillRecordFacts();
    bool TakeSerialValue();
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
    production::NumberChoice m_number;
    std::optional<Report> m_erasedFrom;  // an erase: the chip's signature before it
    bool m_wasLocked = false;           // an erase unlocked the chip it found locked
    production::SerialList m_list;      // a list series: the file as it stands for this chip
    QByteArray m_generated;             // a generator series: the value it printed for this chip
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
    m_out.report.signatureBytes = id.probe.signatureBytes;
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
        const ProductionSettings& p = m_job.production;
        if (Stamps() && p.kind == production::SeriesKind::List)
            plan << QStringLiteral("stamp: %1, series %2, list %3, next line %4 (%5)")
                        .arg(production::PlaceText(*p.stampAt), p.series, p.listPath,
                             QString::number(m_out.line.value_or(0)), production::HexOf(m_out.stamp));
        else if (Stamps() && p.kind == production::SeriesKind::Command)
            plan << QStringLiteral("stamp: %1, series %2, program %3 (not run)")
                        .arg(production::PlaceText(*p.stampAt), p.series, p.command);
        else if (Stamps())
            plan << QStringLiteral("stamp: %1, series %2, next number %3")
                        .arg(production::PlaceText(*p.stampAt), p.series, QString::number(m_series.next));
        if (p.calibrationAt) plan << QStringLiteral("calibration-copy: ") + production::PlaceText(*p.calibrationAt);
    }
    if (m_lockFuseCheck) plan << ChangePlan(device, m_lockFuseCheck->changes);
}

// The number the chip already carries, read before the erase: kept when the series issued it. Otherwise
// the next number with a warning, or under the strict policy the chip refused while still untouched.
bool JobRun::KeepNumber() {
    const ProductionSettings& p = m_job.production;
    // A chip's own number and a number given again are a counter's: a list's or a program's values are
    // each issued once, and the front ends refuse the pair.
    const bool counter = p.kind == production::SeriesKind::Counter;
    m_number.reuseFailed = p.reuseFailed && counter;
    if (!Stamps() || p.keep == SerialKeep::Off || !counter) return true;
    const QString place = production::PlaceText(*p.stampAt);
    const int width = production::Width(p.layout);
    QByteArray bytes;
    Report read = ReadStampCells(m_env, {m_out.device, m_port}, *p.stampAt, width, bytes);
    if (SignatureShowsLock(read.signatureBytes)) {
        m_out.report = read;
        m_out.keepProblem = core::Compose(texts::kStampCellsLocked, {place});
        return m_out.end = JobEnd::KeepLocked, false;
    }
    if (!read.Succeeded() || bytes.size() != width) {
        m_out.report = read;
        return false;
    }
    quint64 value = 0;
    const production::StampContent content = production::ReadStamp(p.layout, bytes, value);
    if (content == production::StampContent::Number && value <= quint64(std::numeric_limits<qint64>::max())) {
        std::optional<qint64> first;
        const production::StoreResult found = m_store->FindIssued(p.series, qint64(value), first);
        if (!found.Ok()) {
            m_out.store = found;
            return m_out.end = JobEnd::StoreUnusable, false;
        }
        if (first) {
            m_number.keep = qint64(value);
            m_number.firstRecord = m_out.firstRecord = first;
            return true;
        }
    }
    const QString shown = content == production::StampContent::Number
                              ? QString::number(value)
                              : QString::fromLatin1(bytes.toHex(':').toUpper());
    m_out.keepProblem = content == production::StampContent::Blank
                            ? core::Compose(texts::kStampCellsBlank, {place})
                            : core::Compose(texts::kStampCellsNotIssued, {place, shown, p.series});
    if (p.keep == SerialKeep::Strict) return m_out.end = JobEnd::KeepRefused, false;
    m_out.numberWarning = core::Compose(texts::kKeepTakesNext, {m_out.keepProblem});
    return true;
}

// The signature before an erase (whose own read comes outside programming mode and says nothing): whether
// the chip is locked. The identification's when the device came from it; false when the probe failed.
bool JobRun::ProbeBeforeErase() {
    if (m_job.command != JobCommand::Erase) return true;
    if (m_out.identification) {
        m_erasedFrom = m_out.identification->probe;
        return true;
    }
    m_erasedFrom = ProbeChip(m_env, {m_out.device, m_port});
    if (m_erasedFrom->Succeeded()) return true;
    m_out.report = *m_erasedFrom;
    return false;
}

// An erase of a chip found locked: its signature is read again, so the record names the device it was.
void JobRun::RecheckErasedLock() {
    if (!m_erasedFrom) return;
    Report& r = m_out.report;
    const bool locked = SignatureShowsLock(m_erasedFrom->signatureBytes);
    if (r.signatureBytes.size() != 3 || locked) {
        r.signature = m_erasedFrom->signature;
        r.signatureBytes = m_erasedFrom->signatureBytes;
    }
    if (!locked || !r.Succeeded()) return;
    const Identification again = IdentifyChip(m_env, m_port, false);
    if (again.probe.signatureBytes.size() != 3 || SignatureShowsLock(again.probe.signatureBytes)) return;
    m_wasLocked = true;
    r.signature = again.probe.signature;
    r.signatureBytes = again.probe.signatureBytes;
    m_out.device = again.identity == Identity::Found ? again.device : nullptr;
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

// A list's lines as they stand now, or the generator's value for this chip (after the signature read,
// before the erase); false when the run ends here.
bool JobRun::TakeSerialValue() {
    const ProductionSettings& p = m_job.production;
    if (!Stamps() || p.kind == production::SeriesKind::Counter) return true;
    const devices::Device* device = m_out.device;
    if (p.kind == production::SeriesKind::List) {
        m_list = production::ReadSerialList(p.listPath, p.layout);
        m_out.serialProblem = ListProblemText(p, m_list);
        if (!m_out.serialProblem.isEmpty()) return m_out.end = JobEnd::SerialRefused, false;
        if (!production::Fits(*p.stampAt, m_list.Widest(), device)) return m_out.end = JobEnd::StampBeyond, false;
        return true;
    }
    // The program is told the chip's signature: read it when the device was named rather than found.
    if (m_out.report.signature.isEmpty()) {
        const Report probe = ProbeChip(m_env, {device, m_port});
        if (probe.signatureBytes.size() != 3 || !probe.Succeeded()) {
            m_out.report = probe;
            return false;
        }
        m_out.report.firmware = probe.firmware;
        m_out.report.signature = probe.signature;
    }
    qint64 number = 0;
    if (const production::StoreResult taken = m_store->TakeCount(p.series, number); !taken.Ok()) {
        m_out.store = taken;
        return m_out.end = JobEnd::StoreUnusable, false;
    }
    QProcessEnvironment told;
    told.insert(QStringLiteral("ZENDRA_SERIES"), p.series);
    told.insert(QStringLiteral("ZENDRA_NUMBER"), QString::number(number));
    told.insert(QStringLiteral("ZENDRA_DEVICE"), device ? device->Name() : QString());
    told.insert(QStringLiteral("ZENDRA_SIGNATURE"), m_out.report.signature);
    const production::GeneratorResult made = production::RunGenerator(p.command, p.commandFolder, told, m_env.cancel);
    switch (made.problem) {
        case production::GeneratorProblem::None:
            break;
        case production::GeneratorProblem::Cancelled:
            m_out.report.verdict = Verdict::Cancelled;
            return false;
        case production::GeneratorProblem::NotStarted:
            m_out.serialProblem = core::Compose(texts::kGeneratorNotStarted, {p.command, made.detail});
            break;
        case production::GeneratorProblem::Failed:
            m_out.serialProblem = core::Compose(texts::kGeneratorFailed, {p.command, QString::number(made.exitCode)});
            break;
        case production::GeneratorProblem::TimedOut:
            m_out.serialProblem =
                core::Compose(texts::kGeneratorTimedOut, {p.command, QString::number(production::kGeneratorTimeoutMs / 1000)});
            break;
        case production::GeneratorProblem::BadOutput:
            m_out.serialProblem = core::Compose(texts::kGeneratorBadOutput, {p.command, made.detail});
            break;
    }
    if (m_out.serialProblem.isEmpty() && !production::Fits(*p.stampAt, int(made.bytes.size()), device))
        m_out.serialProblem = core::Compose(texts::kGeneratorBeyond, {p.command, production::HexOf(made.bytes)});
    if (!m_out.serialProblem.isEmpty()) return m_out.end = JobEnd::SerialRefused, false;
    m_generated = made.bytes;
    return true;
}

// The record, begun (with its number or value) before the chip is written.
bool JobRun::BeginRecord() {
    const ProductionSettings& p = m_job.production;
    FillRecordFacts();
    if (!m_store) return true;
    const bool issues = Stamps() && p.kind != production::SeriesKind::Counter;
    const production::StoreResult begun =
        issues ? m_store->BeginIssued(m_record, {.kind = p.kind,
                                                 .list = m_list.entries,
                                                 .lastLine = m_list.lastLine,
                                                 .value = m_generated})
               : m_store->Begin(m_record, Stamps() ? production::Largest(p.layout) : 0, m_number);
    if (begun.Ok()) {
        m_out.recordId = m_record.id;
        m_out.serial = m_record.serial;
        m_out.stamp = m_record.stamp;
        m_out.line = m_record.line;
        if (m_out.serial) m_env.progress.SerialTaken(m_record.series, *m_out.serial);
        return true;
    }
    m_out.store = begun;
    if (m_out.serialProblem = IssueProblemText(p, begun); !m_out.serialProblem.isEmpty()) {
        m_out.store = {};
        return m_out.end = JobEnd::SerialRefused, false;
    }
    if (begun.problem == production::StoreProblem::SeriesExhausted) return m_out.end = JobEnd::SeriesExhausted, false;
    if (Stamps() || m_job.recordsRequired || Abandoned(begun)) return m_out.end = JobEnd::StoreUnusable, false;
    m_out.storeWarning = core::Compose(texts::kStoreUnrecorded, {begun.detail});
    m_store.reset();
    return true;
}

void JobRun::RunCommand() {
    const Target target{m_out.device, m_port};
    const ProductionSettings& p = m_job.production;
    Report& report = m_out.report;
    switch (m_job.command) {
        case JobCommand::Program: {
            ImageAdditions additions{.calibrationAt = p.calibrationAt};
            if (m_out.serial) {
                additions.stampAt = p.stampAt;
                additions.stamp = production::Encode(p.layout, quint64(*m_out.serial));
            } else if (!m_out.stamp.isEmpty()) {
                additions.stampAt = p.stampAt;
                additions.stamp = m_out.stamp;
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
                SettleReport(report, Run::Standing(fuses.errorFlag));
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
    // A locked chip's signature hides the device, whatever device was named or probed under.
    const bool locked = !m_wasLocked && SignatureShowsLock(r.signatureBytes);
    m_record.lockState = m_wasLocked ? QStringLiteral("was-locked") : locked ? QStringLiteral("locked") : QString();
    m_record.device = m_out.device && !locked ? m_out.device->Name() : QString();
    if (m_out.serial && m_job.production.stampAt) {
        // Whether the number's bytes went out: the phase that writes its memory began.
        const PhaseKind writes = m_job.production.stampAt->area == production::Area::Flash ? PhaseKind::ProgramFlash
                                                                                           : PhaseKind::ProgramEeprom;
        m_record.stampSent =
            std::ranges::any_of(r.phases, [writes](const PhaseResult& phase) { return phase.phase == writes; });
    }
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
    if (Stamps() && kept.Ok() &&
        m_store->CheckSeries(m_job.production.series, std::nullopt, std::nullopt, m_series, m_job.production.kind).Ok())
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
    if (!KeepNumber() || !ProbeBeforeErase() || !TakeSerialValue()) return Ended(m_out.end);
    if (!BeginRecord()) return m_out;
    RunCommand();
    RecheckErasedLock();
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
        case JobEnd::SerialRefused:
            return QStringLiteral("input-invalid");
        case JobEnd::OtherDevice:
        case JobEnd::KeepLocked:
        case JobEnd::KeepRefused:
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
    const ProductionSettings& p = job.production;
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
        case JobEnd::KeepLocked:
        case JobEnd::KeepRefused:
            return core::Compose(texts::kKeepRefused, {done.keepProblem});
        case JobEnd::SerialRefused:
            return done.serialProblem;
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
    SettleReport(r, Run::Standing::Failed);
    r.status = r.notice = RefusalText(done, job);
    return done;
}

QList<production::Cells> ProductionSettings::SkippedCells() const {
    QList<production::Cells> cells = production::AddedCells(std::nullopt, layout, calibrationAt);
    const int width = kind == production::SeriesKind::List ? production::ReadSerialList(listPath, layout).Widest()
                                                           : production::Width(layout);
    if (stampAt && width > 0) cells.prepend({stampAt->area, stampAt->address, width});
    return cells;
}

std::optional<qint64> NextSerial(const ProductionSettings& setup) {
    if (!setup.stampAt || setup.kind != production::SeriesKind::Counter) return std::nullopt;
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
