// The lock/fuse read and write: single-byte programming cycles composed from, or decoded into, the
// panel's choices as the device's fuse layout arranges them.

#include <algorithm>
#include <functional>

#include "core/Language.h"
#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"

namespace zendra::operations {

namespace {

using core::PanelControl;
using devices::FuseLayout;
using devices::LockLayout;
using devices::ChangeClass;
using devices::PanelIndexes;

// 'A', then, only while the error flag is 0, 'P', the command, 'L'. The command's result, or the
// failure of 'A' or 'P', so a read never decodes a byte that this cycle did not bring.
template <typename Command>
link::CommandResult Cycle(Run& run, Command command) {
    const link::CommandResult enter = run.Do(link::EnterAvrCommandSet(run.Link()));
    if (run.Failed()) return enter.Ok() ? link::CommandResult{link::Outcome::WrongReply, {}, {}} : enter;
    const link::CommandResult mode = run.Do(link::EnterProgrammingMode(run.Link()));
    link::CommandResult result = run.Do(command(run.Link()));
    if (!mode.Ok())
        result = mode;
    else if (run.Failed() && result.Ok())
        result.outcome = link::Outcome::WrongReply;
    run.Do(link::LeaveProgrammingMode(run.Link()));
    return result;
}

link::CommandResult WriteCycle(Run& run, link::CommandResult (*write)(link::Session&, quint8), quint8 value) {
    return Cycle(run, [&](link::Session& s) { return write(s, value); });
}

link::CommandResult ReadCycle(Run& run, link::CommandResult (*read)(link::Session&)) {
    return Cycle(run, read);
}

class PanelUpdate {
public:
    PanelUpdate(const devices::Device* device, const PanelIndexes& current)
        : m_device(device), m_panel(current) {}

    // Moves the panel to a decoded byte. A move of the reset choice onto the I/O entry of a device that
    // warns raises the reset-disable warning, as the user's own pick would.
    void Apply(const devices::FieldIndexes& fields) {
        for (const devices::FieldIndex& field : fields) {
            int& index = m_panel[static_cast<int>(field.control)];
            if (field.control == PanelControl::RSTDISABL && index != field.index &&
                devices::ResetWarningApplies(m_device, field.index))
                m_warned = true;
            index = field.index;
        }
    }
    const PanelIndexes& Panel() const { return m_panel; }
    bool Warned() const { return m_warned; }

private:
    const devices::Device* m_device;
    PanelIndexes m_panel;
    bool m_warned = false;
};


// The chip's lock/fuse bytes with the read commands of its layout; a cycle that failed brings none.
operations::LockFuseBytes ReadBytes(Run& run) {
    const FuseLayout layout = run.Device() ? run.Device()->fuseLayout : FuseLayout::None;
    operations::LockFuseBytes bytes;
    const auto read = [&](std::optional<quint8>& into, link::CommandResult (*command)(link::Session&)) {
        if (const auto result = ReadCycle(run, command); result.Ok()) into = result.Byte(0);
    };
    switch (layout) {
        case FuseLayout::Tiny12:
        case FuseLayout::Tiny15:
        case FuseLayout::At90s4433:
            read(bytes.fuse, link::ReadFuse);
            read(bytes.lock, link::ReadLockFuse);
            break;
        case FuseLayout::Tiny26:
            read(bytes.fuse, link::ReadFuse);
            read(bytes.fuseHigh, link::ReadFuseHigh);
            read(bytes.lock, link::ReadLockFuse);
            break;
        case FuseLayout::CombinedFstrt:
        case FuseLayout::CombinedRcen:
            read(bytes.lock, link::ReadLockFuse);
            break;
        case FuseLayout::LockOnly:
        case FuseLayout::None:
            break;
    }
    return bytes;
}

void RunReadSequence(Run& run, PanelUpdate& panel) {
    const operations::LockFuseBytes bytes = ReadBytes(run);
    panel.Apply(DecodeLockFuseBytes(run.Device(), bytes));
    if (run.Device() && run.Device()->profile.calibration) ReadCalibrationByte(run);
}

// Each byte is noted in the report as it goes out.
void RunWriteSequence(Run& run, const PanelIndexes& choices) {
    const FuseLayout layout = run.Device() ? run.Device()->fuseLayout : FuseLayout::None;
    const int lockIndex = choices[static_cast<int>(PanelControl::LockBit)];
    operations::LockFuseBytes& sent = run.Result().lockFuseWritten;
    const auto write = [&](std::optional<quint8>& note, link::CommandResult (*command)(link::Session&, quint8),
                           quint8 value) {
        note = value;
        WriteCycle(run, command, value);
    };
    switch (layout) {
        case FuseLayout::Tiny12:
            write(sent.fuse, link::WriteFuseLow, devices::ComposeTiny12Fuse(choices));
            break;
        case FuseLayout::Tiny15:
            write(sent.fuse, link::WriteFuseLow, devices::ComposeTiny15Fuse(choices));
            break;
        case FuseLayout::Tiny26:
            write(sent.fuse, link::WriteFuseLow, devices::ComposeTiny26LowFuse(choices));
            write(sent.fuseHigh, link::WriteFuseHigh, devices::ComposeTiny26HighFuse(choices));
            write(sent.lock, link::WriteLockTiny26, devices::ComposeLockTiny26(lockIndex));
            return;
        case FuseLayout::At90s4433:
            write(sent.fuse, link::WriteFuse, devices::Compose4433Fuse(choices));
            break;
        case FuseLayout::CombinedFstrt:
            write(sent.fuse, link::WriteFuse,
                  devices::ComposeCombinedFuse(choices[static_cast<int>(PanelControl::FSTRT)]));
            break;
        case FuseLayout::CombinedRcen:
            write(sent.fuse, link::WriteFuse,
                  devices::ComposeCombinedFuse(choices[static_cast<int>(PanelControl::RCEN)]));
            break;
        case FuseLayout::LockOnly:
            break;
        case FuseLayout::None:
            return;
    }
    // Fuses first: a failure part-way leaves the chip unlocked rather than locked with old fuses.
    write(sent.lock, link::WriteLock, devices::ComposeLock(lockIndex));
}

// `keepNotice`: a notice raised during the operation stays up after a success instead of vanishing
// the moment it appeared.
void Conclude(Run& run, PhaseKind phase, const QString& failed, const QString& done,
              bool keepNotice = false) {
    const QString& text = run.Failed() ? failed : done;
    run.AddPhase(phase, !run.Failed(), failed);
    run.Status(text);
    if (run.Failed())
        run.Notice(text);
    else if (!keepNotice)
        run.CloseMessage();
}

}  // namespace

std::optional<quint8> ReadCalibrationByte(Run& run) {
    const link::CommandResult read = ReadCycle(run, link::ReadCalibration);
    if (!read.Ok()) return std::nullopt;
    run.Result().calibration = devices::CalibrationText(read.Byte(0));
    return read.Byte(0);
}

void RunReadLockFuse(Run& run, const PanelIndexes& current) {
    if (!CheckCommunication(run)) return;
    run.Phase(texts::kFuseReadProgress);
    run.Settle(Run::Standing::Good);
    if (!CheckDevice(run)) {
        run.Notice(texts::kFuseReadMismatch);
        return;
    }
    run.Settle(Run::Standing::Good);
    PanelUpdate panel(run.Device(), current);
    RunReadSequence(run, panel);
    run.Result().panel = panel.Panel();
    if (panel.Warned()) run.Notice(texts::kResetDisableWarning);
    Conclude(run, PhaseKind::LockFuseRead, texts::kFuseReadFailed, texts::kFuseReadDone, panel.Warned());
}

Report ReadLockFuseCommand(Environment& env, const Target& target, const PanelIndexes& current) {
    Run run(env, target);
    RunReadLockFuse(run, current);
    return run.Finish();
}

QList<core::PanelControl> UnmatchedLockFuseFields(const devices::Device* device, const LockFuseBytes& bytes) {
    const devices::PanelDefaults panel = devices::PanelFor(device);
    QList<PanelControl> unmatched;
    bool lockDecoded = false;
    for (const devices::FieldIndex& field : DecodeLockFuseBytes(device, bytes)) {
        const devices::ControlFill& fill = panel.controls[int(field.control)];
        lockDecoded = lockDecoded || field.control == PanelControl::LockBit;
        if (fill.enabled && (field.index < 0 || field.index >= fill.entries.size())) unmatched.append(field.control);
    }
    if (bytes.lock && panel.lockVisible && !lockDecoded) unmatched.append(PanelControl::LockBit);
    return unmatched;
}

devices::PanelIndexes FileLockFuseChoices(const devices::Device* device, const LockFuseBytes& bytes,
                                          devices::PanelIndexes base, const QList<core::PanelControl>& unmatched) {
    for (const devices::FieldIndex& field : DecodeLockFuseBytes(device, bytes))
        if (!unmatched.contains(field.control)) base[int(field.control)] = field.index;
    return base;
}

devices::FieldIndexes DecodeLockFuseBytes(const devices::Device* device, const LockFuseBytes& bytes) {
    const FuseLayout layout = device ? device->fuseLayout : FuseLayout::None;
    devices::FieldIndexes fields;
    const auto add = [&](const devices::FieldIndexes& more) { fields.insert(fields.end(), more.begin(), more.end()); };
    const auto lock = [&](LockLayout lockLayout) {
        if (!bytes.lock) return;
        if (const auto index = devices::DecodeLock(lockLayout, *bytes.lock))
            fields.push_back({PanelControl::LockBit, *index});
    };
    switch (layout) {
        case FuseLayout::Tiny12:
        case FuseLayout::Tiny15:
            if (bytes.fuse)
                add(layout == FuseLayout::Tiny12 ? devices::DecodeTiny12Fuse(*bytes.fuse)
                                                 : devices::DecodeTiny15Fuse(*bytes.fuse));
            lock(LockLayout::Bits21);
            break;
        case FuseLayout::Tiny26:
            if (bytes.fuse) add(devices::DecodeTiny26LowFuse(*bytes.fuse));
            if (bytes.fuseHigh) add(devices::DecodeTiny26HighFuse(*bytes.fuseHigh));
            lock(LockLayout::Tiny26);
            break;
        case FuseLayout::At90s4433:
            if (bytes.fuse) add(devices::Decode4433Fuse(*bytes.fuse));
            lock(LockLayout::Bits21);
            break;
        case FuseLayout::CombinedFstrt:
        case FuseLayout::CombinedRcen:
            if (bytes.lock) {
                fields.push_back(devices::DecodeCombinedFuse(
                    *bytes.lock, layout == FuseLayout::CombinedRcen ? PanelControl::RCEN : PanelControl::FSTRT));
                lock(LockLayout::Combined);
            }
            break;
        case FuseLayout::LockOnly:
        case FuseLayout::None:
            break;
    }
    return fields;
}

QList<FieldChange> CheckLockFuseChange(const devices::Device* device, const KnownChoices& before,
                                       const PanelIndexes& after) {
    const devices::PanelDefaults setup = devices::PanelFor(device);
    QList<FieldChange> changes;
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        const auto control = PanelControl(i);
        const bool used = control == PanelControl::LockBit ? setup.lockVisible : setup.controls[i].enabled;
        if (!used || before[i] == after[i]) continue;
        changes.append({control, before[i], after[i], devices::ClassifyChoice(device, control, before[i], after[i])});
    }
    return changes;
}

bool HoldsLockOut(const QList<FieldChange>& changes) {
    return std::ranges::any_of(changes, [](const FieldChange& c) { return c.change == ChangeClass::LockOut; });
}

QString ChangedFieldNames(const QList<FieldChange>& changes, ChangeClass only) {
    QStringList names;
    for (const FieldChange& c : changes)
        if (c.change == only) names << devices::ControlName(c.control);
    return names.join(QStringLiteral(", "));
}

QString ChoiceName(const devices::Device* device, PanelControl control, std::optional<int> index) {
    if (!index) return QStringLiteral("?");
    const auto choices = devices::ActiveChoices(control, device ? device->fuseLayout : FuseLayout::None);
    return choices && *index >= 0 && *index < choices->entries.size() ? choices->entries.at(*index)
                                                                      : QString::number(*index);
}

namespace {

QString ChangeExplanation(ChangeClass change) {
    switch (change) {
        case ChangeClass::LockOut:
            return texts::kLockOutExplained;
        case ChangeClass::ReadProtect:
            return texts::kReadProtectExplained;
        case ChangeClass::WriteProtect:
            return texts::kWriteProtectExplained;
        case ChangeClass::Ordinary:
            break;
    }
    return {};
}

}  // namespace

bool ConfirmLockFuseChange(Environment& env, const devices::Device* device, const QList<FieldChange>& changes) {
    QList<core::ChangeRow> rows;
    for (const FieldChange& c : changes)
        rows.append({devices::ControlName(c.control), ChoiceName(device, c.control, c.before),
                     ChoiceName(device, c.control, c.after), ChangeExplanation(c.change),
                     c.change != ChangeClass::Ordinary});
    return env.prompts.ConfirmLockFuseWrite(rows);
}

namespace {

// After the device check: reads what the chip holds (nothing on screen moves), lets `choose` settle the
// choices from it, checks the change and, as `policy` says, writes it or leaves the chip alone.
Report GuardedWrite(Environment& env, const Target& target, WritePolicy policy,
                    const std::function<PanelIndexes(const KnownChoices&)>& choose) {
    Run run(env, target);
    if (!CheckCommunication(run)) return run.Finish();
    run.Phase(texts::kFuseWriteProgress);
    run.Settle(Run::Standing::Good);
    if (!CheckDevice(run)) {
        // A mismatch has left its own notice; a failed exchange only wrote the status line, so that text
        // becomes the notice rather than leaving a progress window without a button.
        run.EndOnFailure();
        return run.Finish();
    }
    const devices::Device* device = run.Device();
    Report& report = run.Result();
    report.lockFuseBefore = ReadBytes(run);
    if (run.Failed()) {
        // Without the chip's state the change cannot be judged: nothing is written.
        Conclude(run, PhaseKind::LockFuseWrite, texts::kFuseWriteFailed, texts::kFuseWriteDone);
        return run.Finish();
    }
    KnownChoices before{};
    for (const devices::FieldIndex& field : DecodeLockFuseBytes(device, report.lockFuseBefore))
        before[int(field.control)] = field.index;
    const PanelIndexes choices = choose(before);
    report.changes = CheckLockFuseChange(device, before, choices);
    const bool guarded = std::ranges::any_of(report.changes, [](const FieldChange& c) {
        return c.change != ChangeClass::Ordinary;
    });
    bool write = policy != WritePolicy::DryRun;
    if (policy == WritePolicy::Ask && guarded) write = ConfirmLockFuseChange(env, device, report.changes);
    if (policy == WritePolicy::RefuseLockOut && HoldsLockOut(report.changes)) {
        run.RefuseChip();
        write = false;
        run.Status(core::JoinTexts(
            {texts::kLockOutRefused, ChangedFieldNames(report.changes, ChangeClass::LockOut)}));
    }
    if (!write) {
        if (!run.ChipRefused()) run.Status(policy == WritePolicy::DryRun ? texts::kFuseDryRun : texts::kFuseWriteCancelled);
        run.CloseMessage();
        return run.Finish();
    }
    for (ChangeClass kind : {ChangeClass::LockOut, ChangeClass::ReadProtect, ChangeClass::WriteProtect})
        if (const QString names = ChangedFieldNames(report.changes, kind); !names.isEmpty())
            report.warnings << core::Compose(QStringLiteral("%1: %2"), {names, ChangeExplanation(kind)});
    RunWriteSequence(run, choices);
    Conclude(run, PhaseKind::LockFuseWrite, texts::kFuseWriteFailed, texts::kFuseWriteDone);
    return run.Finish();
}

// The choices the chip held where they were read, the device's defaults elsewhere.
PanelIndexes KnownOrDefault(const devices::Device* device, const KnownChoices& known) {
    PanelIndexes choices = devices::DefaultChoices(device);
    for (int i = 0; i < core::kPanelControlCount; ++i)
        if (known[i]) choices[i] = *known[i];
    return choices;
}

void WarnOfResetDisable(Report& report, const devices::Device* device, const KnownChoices& before) {
    const int reset = int(PanelControl::RSTDISABL);
    if (report.panel && (*report.panel)[reset] != before[reset] &&
        devices::ResetWarningApplies(device, (*report.panel)[reset]))
        report.warnings << texts::kResetDisableWarning;
}

}  // namespace

Report WriteLockFuseCommand(Environment& env, const Target& target, const PanelIndexes& choices,
                            WritePolicy policy) {
    return GuardedWrite(env, target, policy, [&](const KnownChoices&) { return choices; });
}

Report ChangeLockFuseCommand(Environment& env, const Target& target, const QList<ChoiceChange>& changes,
                             WritePolicy policy) {
    KnownChoices before{};
    PanelIndexes written{};
    Report report = GuardedWrite(env, target, policy, [&](const KnownChoices& known) {
        before = known;
        written = KnownOrDefault(target.device, known);
        for (const ChoiceChange& change : changes) written[int(change.control)] = change.index;
        return written;
    });
    if (!report.Succeeded() || report.lockFuseWritten.Empty()) return report;
    report.panel = written;
    WarnOfResetDisable(report, target.device, before);
    return report;
}

Report RestoreLockFuseCommand(Environment& env, const Target& target, const LockFuseBytes& bytes,
                              WritePolicy policy) {
    PanelIndexes written{};
    Report report = GuardedWrite(env, target, policy, [&](const KnownChoices& known) {
        written = KnownOrDefault(target.device, known);
        for (const devices::FieldIndex& field : DecodeLockFuseBytes(target.device, bytes))
            written[int(field.control)] = field.index;
        return written;
    });
    if (report.Succeeded() && !report.lockFuseWritten.Empty()) report.panel = written;
    return report;
}

}  // namespace zendra::operations
