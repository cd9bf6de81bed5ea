#include "devices/LockFuse.h"

#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "link/Commands.h"

namespace zendra::devices {

namespace {

using link::LinkContext;
using link::Outcome;

// Passes every call through and notes whether a notice reached the message window and what status
// panel 1 said last, so a failed device check can be finished with the right notice.
class NoticeWatch final : public core::UserInterface {
public:
    explicit NoticeWatch(core::UserInterface& inner) : m_inner(inner) {}
    bool noticeShown = false;
    QString lastStatus;

    void SetStatusPanel(int panel, const QString& text) override {
        if (panel == 1) lastStatus = text;
        m_inner.SetStatusPanel(panel, text);
    }
    void ShowMessage(int kind, const QString& text) override {
        noticeShown = noticeShown || kind == core::kMessageNotice;
        m_inner.ShowMessage(kind, text);
    }
    void ReportProgress(const QString& state, int minimum, int value, int maximum) override {
        m_inner.ReportProgress(state, minimum, value, maximum);
    }
    void CloseMessage() override {
        noticeShown = false;
        m_inner.CloseMessage();
    }
    void SetMessageText(const QString& text) override { m_inner.SetMessageText(text); }
    void SetMessageOkVisible(bool visible) override {
        noticeShown = noticeShown || visible;
        m_inner.SetMessageOkVisible(visible);
    }
    void SetMessageBarVisible(bool visible) override { m_inner.SetMessageBarVisible(visible); }
    core::MessageAnswer ShowMessageBox(core::MessageIcon icon, const QString& title, const QString& text,
                                       core::MessageButtons buttons) override {
        return m_inner.ShowMessageBox(icon, title, text, buttons);
    }
    void PumpEvents() override { m_inner.PumpEvents(); }
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override {
        return m_inner.ChooseOpenFile(request);
    }
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override {
        return m_inner.ChooseSaveFile(request);
    }
    QString DeviceSelectorText() const override { return m_inner.DeviceSelectorText(); }
    void FillPanelControl(PanelControl control, const QStringList& entries, int index,
                          bool enabled) override {
        m_inner.FillPanelControl(control, entries, index, enabled);
    }
    int PanelIndex(PanelControl control) const override { return m_inner.PanelIndex(control); }
    void SetPanelIndex(PanelControl control, int index) override { m_inner.SetPanelIndex(control, index); }
    void SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) override {
        m_inner.SetLockChoiceState(visible, readEnabled, writeEnabled);
    }
    void SetCalibrationText(const QString& text) override { m_inner.SetCalibrationText(text); }
    void SetFuseFrameVisible(bool visible) override { m_inner.SetFuseFrameVisible(visible); }
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override {
        m_inner.LoadDumpView(window, filePath);
    }
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override {
        m_inner.SetDumpWindowTitle(window, title);
    }
    void ShowVerifyWindow() override { m_inner.ShowVerifyWindow(); }

private:
    core::UserInterface& m_inner;
};

template <typename Command>
bool RunCycle(LinkContext& ctx, Command command) {
    qint16& error = ctx.state.ErrorFlag;
    link::EnterAvrCommandSet(ctx, error);
    if (error != 0) return false;
    link::EnterProgrammingMode(ctx, error);
    const bool moved = command(error) == Outcome::Ok && error == 0;
    link::LeaveProgrammingMode(ctx, error);
    return moved;
}

bool IsResetWarningDevice(const QString& text) {
    return text == QLatin1String("ATtiny12L") || text == QLatin1String("ATtiny15L") ||
           text == QLatin1String("ATtiny26L");
}

bool ResetWarningApplies(const core::UserInterface& ui) {
    return ui.PanelIndex(PanelControl::RSTDISABL) == 0 && IsResetWarningDevice(ui.DeviceSelectorText());
}

// Moves the panel to a decoded byte. A move of Combo_RSTDISABL runs its change handler, as a user's
// pick would; returns whether that raised the reset-disable warning.
bool ApplyFields(core::UserInterface& ui, const FieldIndexes& fields) {
    bool resetMoved = false;
    ui.SetFuseFrameVisible(false);
    for (const FieldIndex& field : fields) {
        if (field.control == PanelControl::RSTDISABL && ui.PanelIndex(field.control) != field.index)
            resetMoved = true;
        ui.SetPanelIndex(field.control, field.index);
    }
    ui.SetFuseFrameVisible(true);
    if (!resetMoved) return false;
    frmMain_Combo_RSTDISABL_Click(ui);
    return ResetWarningApplies(ui);
}

void ApplyLock(core::UserInterface& ui, LockLayout layout, quint8 lock) {
    if (const auto index = DecodeLock(layout, lock)) ui.SetPanelIndex(PanelControl::LockBit, *index);
}

void ReadCalibrationInto(LinkContext& ctx) {
    if (CycleReadCalibration(ctx)) ctx.ui.SetCalibrationText(CalibrationText(ctx.state.CalibrationByte));
}

// Returns whether a decode raised the reset-disable warning.
bool RunReadSequence(LinkContext& ctx, FuseLayout layout) {
    core::UserInterface& ui = ctx.ui;
    core::SharedState& s = ctx.state;
    bool warned = false;
    switch (layout) {
        case FuseLayout::Tiny12:
        case FuseLayout::Tiny15:
            if (CycleReadFuse(ctx))
                warned = ApplyFields(ui, layout == FuseLayout::Tiny12 ? DecodeTiny12Fuse(s.FuseByte)
                                                                      : DecodeTiny15Fuse(s.FuseByte));
            if (CycleReadLock(ctx)) ApplyLock(ui, LockLayout::Bits21, s.LockByte);
            ReadCalibrationInto(ctx);
            break;
        case FuseLayout::Tiny26:
            if (CycleReadFuse(ctx)) ApplyFields(ui, DecodeTiny26LowFuse(s.FuseByte));
            if (CycleReadFuseHigh(ctx)) warned = ApplyFields(ui, DecodeTiny26HighFuse(s.FuseByte));
            if (CycleReadLock(ctx)) ApplyLock(ui, LockLayout::Tiny26, s.LockByte);
            ReadCalibrationInto(ctx);
            break;
        case FuseLayout::At90s4433:
            if (CycleReadFuse(ctx)) ApplyFields(ui, Decode4433Fuse(s.FuseByte));
            if (CycleReadLock(ctx)) ApplyLock(ui, LockLayout::Bits21, s.LockByte);
            break;
        case FuseLayout::CombinedFstrt:
        case FuseLayout::CombinedRcen:
            if (CycleReadLockFuse(ctx)) {
                const PanelControl control =
                    layout == FuseLayout::CombinedRcen ? PanelControl::RCEN : PanelControl::FSTRT;
                ApplyFields(ui, {DecodeCombinedFuse(s.LockFuseByte, control)});
                ApplyLock(ui, LockLayout::Combined, s.LockFuseByte);
            }
            break;
        case FuseLayout::LockOnly:
        case FuseLayout::None:
            break;
    }
    return warned;
}

void RunWriteSequence(LinkContext& ctx, FuseLayout layout) {
    core::SharedState& s = ctx.state;
    // Each byte is composed from the panel as it stands just before its own cycle.
    auto panel = [&ctx] { return ReadPanelIndexes(ctx.ui); };
    auto lockIndex = [&ctx] { return ctx.ui.PanelIndex(PanelControl::LockBit); };
    switch (layout) {
        case FuseLayout::Tiny12:
        case FuseLayout::Tiny15:
            s.FuseByte =
                layout == FuseLayout::Tiny12 ? ComposeTiny12Fuse(panel()) : ComposeTiny15Fuse(panel());
            CycleWriteFuseLow(ctx);
            break;
        case FuseLayout::Tiny26:
            s.FuseByte = ComposeTiny26LowFuse(panel());
            CycleWriteFuseLow(ctx);
            s.FuseByte = ComposeTiny26HighFuse(panel());
            CycleWriteFuseHigh(ctx);
            s.LockByte = ComposeLockTiny26(lockIndex());
            CycleWriteLockTiny26(ctx);
            return;
        case FuseLayout::At90s4433:
            s.FuseByte = Compose4433Fuse(panel());
            CycleWriteFuse(ctx);
            break;
        case FuseLayout::CombinedFstrt:
            s.FuseByte = ComposeCombinedFuse(ctx.ui.PanelIndex(PanelControl::FSTRT));
            CycleWriteFuse(ctx);
            break;
        case FuseLayout::CombinedRcen:
            s.FuseByte = ComposeCombinedFuse(ctx.ui.PanelIndex(PanelControl::RCEN));
            CycleWriteFuse(ctx);
            break;
        case FuseLayout::LockOnly:
            break;
        case FuseLayout::None:
            return;
    }
    // Fuses first: a failure part-way leaves the chip unlocked rather than locked with old fuses.
    s.LockByte = ComposeLock(lockIndex());
    CycleWriteLock(ctx);
}

// `keepNotice`: a notice raised during the operation stays up after a success instead of vanishing
// the moment it appeared.
void Report(LinkContext& ctx, const QString& failed, const QString& done, bool keepNotice = false) {
    const QString& text = ctx.state.ErrorFlag != 0 ? failed : done;
    ctx.ui.SetStatusPanel(1, text);
    if (ctx.state.ErrorFlag != 0)
        ctx.ui.ShowMessage(core::kMessageNotice, text);
    else if (!keepNotice)
        ctx.ui.CloseMessage();
}

}  // namespace

void SetDeviceParameters(core::UserInterface& ui, core::SharedState& state) {
    const QString text = ui.DeviceSelectorText();
    if (text.isEmpty()) return;
    ui.SetFuseFrameVisible(false);

    state.DeviceCode = 0;
    state.ProgramMemoryWords = 0;
    state.EepromBytes = 0;
    PanelProfile profile = NoMatchProfile();
    if (const auto row = FindDevice(text)) {
        const Device& device = DeviceTable()[*row];
        state.DeviceCode = device.code;
        state.ProgramMemoryWords = device.flashWords;
        state.EepromBytes = device.eepromBytes;
        profile = device.profile;
    }

    for (const FillerStep& step : FillerOrder()) {
        switch (step.kind) {
            case FillerStep::Kind::Control: {
                const auto choices =
                    IsActive(profile, step.control) ? ActiveChoices(step.control, text) : std::nullopt;
                if (choices)
                    ui.FillPanelControl(step.control, choices->entries, choices->defaultIndex, true);
                else
                    ui.FillPanelControl(step.control, {kInactiveEntry}, 0, false);
                break;
            }
            case FillerStep::Kind::Calibration:
                ui.SetCalibrationText(profile.calibration ? kCalibrationUnread : kCalibrationNone);
                break;
            case FillerStep::Kind::Lock: {
                const auto choices = ActiveChoices(PanelControl::LockBit, text);
                ui.FillPanelControl(PanelControl::LockBit, choices->entries, choices->defaultIndex, true);
                ui.SetLockChoiceState(profile.lockVisible, profile.readEnabled, profile.writeEnabled);
                break;
            }
        }
    }
    ui.SetFuseFrameVisible(true);
}

void frmMain_Combo_RSTDISABL_Click(core::UserInterface& ui) {
    if (ResetWarningApplies(ui)) ui.ShowMessage(core::kMessageNotice, kResetDisableWarning);
}

bool CycleWriteFuse(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::WriteFuse(ctx, ctx.state.FuseByte, e); });
}
bool CycleWriteFuseLow(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::WriteFuseLow(ctx, ctx.state.FuseByte, e); });
}
bool CycleWriteFuseHigh(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::WriteFuseHigh(ctx, ctx.state.FuseByte, e); });
}
bool CycleWriteLock(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::WriteLock(ctx, ctx.state.LockByte, e); });
}
bool CycleWriteLockTiny26(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::WriteLockTiny26(ctx, ctx.state.LockByte, e); });
}
bool CycleReadFuse(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::ReadFuse(ctx, ctx.state.FuseByte, e); });
}
bool CycleReadFuseHigh(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::ReadFuseHigh(ctx, ctx.state.FuseByte, e); });
}
bool CycleReadCalibration(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::ReadCalibration(ctx, ctx.state.CalibrationByte, e); });
}
bool CycleReadLock(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::ReadLockFuse(ctx, ctx.state.LockByte, e); });
}
bool CycleReadLockFuse(LinkContext& ctx) {
    return RunCycle(ctx, [&](qint16& e) { return link::ReadLockFuse(ctx, ctx.state.LockFuseByte, e); });
}

void FuseRead(LinkContext& ctx) {
    if (!link::CheckCommunication(ctx)) return;
    ctx.ui.ShowMessage(core::kMessageProgress, kFuseReadProgress);
    ctx.state.ErrorFlag = 0;
    link::CheckDevice(ctx);
    if (ctx.state.ErrorFlag != 0) {
        ctx.ui.ShowMessage(core::kMessageNotice, kFuseReadMismatch);
        return;
    }
    ctx.state.ErrorFlag = 0;
    const QString text = ctx.ui.DeviceSelectorText();
    const bool warned = !text.isEmpty() && RunReadSequence(ctx, FuseLayoutOf(text));
    Report(ctx, kFuseReadFailed, kFuseReadDone, warned);
}

void FuseWrite(LinkContext& ctx) {
    if (!link::CheckCommunication(ctx)) return;
    ctx.ui.ShowMessage(core::kMessageProgress, kFuseWriteProgress);
    ctx.state.ErrorFlag = 0;

    NoticeWatch watch(ctx.ui);
    LinkContext checkCtx{ctx.port, ctx.timing, watch, ctx.state, ctx.settings, ctx.ports};
    link::CheckDevice(checkCtx);
    if (ctx.state.ErrorFlag != 0) {
        // A mismatch has left its own notice; a failed exchange only wrote status panel 1, so that
        // text becomes the notice rather than leaving a progress window without a button.
        if (!watch.noticeShown)
            ctx.ui.ShowMessage(core::kMessageNotice,
                               watch.lastStatus.isEmpty() ? kFuseWriteFailed : watch.lastStatus);
        return;
    }

    const QString text = ctx.ui.DeviceSelectorText();
    if (!text.isEmpty()) RunWriteSequence(ctx, FuseLayoutOf(text));
    Report(ctx, kFuseWriteFailed, kFuseWriteDone);
}

}  // namespace zendra::devices
