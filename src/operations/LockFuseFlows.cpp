// The lock/fuse read and write: single-byte programming cycles composed from, or decoded into, the
// panel's choices as the device's fuse layout arranges them.

#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"

namespace zendra::operations {

namespace {

using core::PanelControl;
using devices::FuseLayout;
using devices::LockLayout;
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
    void ApplyLock(LockLayout layout, quint8 lock) {
        if (const auto index = devices::DecodeLock(layout, lock))
            m_panel[static_cast<int>(PanelControl::LockBit)] = *index;
    }
    const PanelIndexes& Panel() const { return m_panel; }
    bool Warned() const { return m_warned; }

private:
    const devices::Device* m_device;
    PanelIndexes m_panel;
    bool m_warned = false;
};

void ReadCalibrationInto(Run& run) {
    const link::CommandResult read = ReadCycle(run, link::ReadCalibration);
    if (read.Ok()) run.Result().calibration = devices::CalibrationText(read.Byte(0));
}

void RunReadSequence(Run& run, PanelUpdate& panel) {
    const FuseLayout layout = run.Device() ? run.Device()->fuseLayout : FuseLayout::None;
    switch (layout) {
        case FuseLayout::Tiny12:
        case FuseLayout::Tiny15:
            if (const auto fuse = ReadCycle(run, link::ReadFuse); fuse.Ok())
                panel.Apply(layout == FuseLayout::Tiny12 ? devices::DecodeTiny12Fuse(fuse.Byte(0))
                                                         : devices::DecodeTiny15Fuse(fuse.Byte(0)));
            if (const auto lock = ReadCycle(run, link::ReadLockFuse); lock.Ok())
                panel.ApplyLock(LockLayout::Bits21, lock.Byte(0));
            ReadCalibrationInto(run);
            break;
        case FuseLayout::Tiny26:
            if (const auto low = ReadCycle(run, link::ReadFuse); low.Ok())
                panel.Apply(devices::DecodeTiny26LowFuse(low.Byte(0)));
            if (const auto high = ReadCycle(run, link::ReadFuseHigh); high.Ok())
                panel.Apply(devices::DecodeTiny26HighFuse(high.Byte(0)));
            if (const auto lock = ReadCycle(run, link::ReadLockFuse); lock.Ok())
                panel.ApplyLock(LockLayout::Tiny26, lock.Byte(0));
            ReadCalibrationInto(run);
            break;
        case FuseLayout::At90s4433:
            if (const auto fuse = ReadCycle(run, link::ReadFuse); fuse.Ok())
                panel.Apply(devices::Decode4433Fuse(fuse.Byte(0)));
            if (const auto lock = ReadCycle(run, link::ReadLockFuse); lock.Ok())
                panel.ApplyLock(LockLayout::Bits21, lock.Byte(0));
            break;
        case FuseLayout::CombinedFstrt:
        case FuseLayout::CombinedRcen:
            if (const auto combined = ReadCycle(run, link::ReadLockFuse); combined.Ok()) {
                const PanelControl control =
                    layout == FuseLayout::CombinedRcen ? PanelControl::RCEN : PanelControl::FSTRT;
                panel.Apply({devices::DecodeCombinedFuse(combined.Byte(0), control)});
                panel.ApplyLock(LockLayout::Combined, combined.Byte(0));
            }
            break;
        case FuseLayout::LockOnly:
        case FuseLayout::None:
            break;
    }
}

void RunWriteSequence(Run& run, const PanelIndexes& choices) {
    const FuseLayout layout = run.Device() ? run.Device()->fuseLayout : FuseLayout::None;
    const int lockIndex = choices[static_cast<int>(PanelControl::LockBit)];
    switch (layout) {
        case FuseLayout::Tiny12:
            WriteCycle(run, link::WriteFuseLow, devices::ComposeTiny12Fuse(choices));
            break;
        case FuseLayout::Tiny15:
            WriteCycle(run, link::WriteFuseLow, devices::ComposeTiny15Fuse(choices));
            break;
        case FuseLayout::Tiny26:
            WriteCycle(run, link::WriteFuseLow, devices::ComposeTiny26LowFuse(choices));
            WriteCycle(run, link::WriteFuseHigh, devices::ComposeTiny26HighFuse(choices));
            WriteCycle(run, link::WriteLockTiny26, devices::ComposeLockTiny26(lockIndex));
            return;
        case FuseLayout::At90s4433:
            WriteCycle(run, link::WriteFuse, devices::Compose4433Fuse(choices));
            break;
        case FuseLayout::CombinedFstrt:
            WriteCycle(run, link::WriteFuse,
                       devices::ComposeCombinedFuse(choices[static_cast<int>(PanelControl::FSTRT)]));
            break;
        case FuseLayout::CombinedRcen:
            WriteCycle(run, link::WriteFuse,
                       devices::ComposeCombinedFuse(choices[static_cast<int>(PanelControl::RCEN)]));
            break;
        case FuseLayout::LockOnly:
            break;
        case FuseLayout::None:
            return;
    }
    // Fuses first: a failure part-way leaves the chip unlocked rather than locked with old fuses.
    WriteCycle(run, link::WriteLock, devices::ComposeLock(lockIndex));
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

Report WriteLockFuseCommand(Environment& env, const Target& target, const PanelIndexes& choices) {
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
    RunWriteSequence(run, choices);
    Conclude(run, PhaseKind::LockFuseWrite, texts::kFuseWriteFailed, texts::kFuseWriteDone);
    return run.Finish();
}

Report ChangeLockFuseCommand(Environment& env, const Target& target, const QList<ChoiceChange>& changes) {
    const Report read = ReadLockFuseCommand(env, target, devices::DefaultChoices(target.device));
    if (!read.Succeeded() || !read.panel) return read;
    PanelIndexes choices = *read.panel;
    for (const ChoiceChange& change : changes) choices[int(change.control)] = change.index;
    Report written = WriteLockFuseCommand(env, target, choices);
    const int reset = int(core::PanelControl::RSTDISABL);
    if (choices[reset] != (*read.panel)[reset] && devices::ResetWarningApplies(target.device, choices[reset]))
        written.warnings << texts::kResetDisableWarning;
    written.panel = choices;
    return written;
}

}  // namespace zendra::operations
