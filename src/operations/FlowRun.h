#pragma once
// One run of a chip operation: the context its commands see, and how it finishes the message window.
// The commands report through a watching decorator of the windows, so the flow knows the last status
// line and whether the message window already shows a notice with OK when it has to end on a failure.

#include "core/UserInterface.h"
#include "link/Link.h"
#include "operations/Flows.h"

namespace zendra::operations {

class WatchingUi final : public core::UserInterface {
public:
    explicit WatchingUi(core::UserInterface& inner) : m_inner(inner) {}

    const QString& StatusLine() const { return m_statusLine; }
    bool NoticeShowing() const { return m_open && m_okVisible; }

    void SetStatusPanel(int panel, const QString& text) override;
    void ShowMessage(int kind, const QString& text) override;
    void ReportProgress(const QString& state, int minimum, int value, int maximum) override;
    void CloseMessage() override;
    void SetMessageText(const QString& text) override;
    void SetMessageOkVisible(bool visible) override;
    void SetMessageBarVisible(bool visible) override;
    core::MessageAnswer ShowMessageBox(core::MessageIcon icon, const QString& title, const QString& text,
                                       core::MessageButtons buttons) override;
    void PumpEvents() override { m_inner.PumpEvents(); }
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override;
    QString DeviceSelectorText() const override { return m_inner.DeviceSelectorText(); }
    void FillPanelControl(core::PanelControl control, const QStringList& entries, int index,
                          bool enabled) override;
    int PanelIndex(core::PanelControl control) const override { return m_inner.PanelIndex(control); }
    void SetPanelIndex(core::PanelControl control, int index) override;
    void SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) override;
    void SetCalibrationText(const QString& text) override { m_inner.SetCalibrationText(text); }
    void SetFuseFrameVisible(bool visible) override { m_inner.SetFuseFrameVisible(visible); }
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override { m_inner.ShowVerifyWindow(); }

private:
    core::UserInterface& m_inner;
    QString m_statusLine;
    // The message window as last set through this run. Unknown at the start: taken as closed.
    bool m_open = false;
    bool m_okVisible = false;
};

class FlowRun {
public:
    explicit FlowRun(OperationContext& ctx);
    FlowRun(const FlowRun&) = delete;
    FlowRun& operator=(const FlowRun&) = delete;

    link::LinkContext& Link() { return m_link; }
    core::UserInterface& Ui() { return m_ui; }
    core::SharedState& State() { return m_link.state; }
    image::MemoryImages& Images() { return m_images; }
    qint16& Error() { return m_link.state.ErrorFlag; }
    bool Failed() const { return m_link.state.ErrorFlag != 0; }

    void Progress(int value, int maximum);
    // A phase ended on a failure: the text in status panel 1 and as a notice with OK.
    void ReportPhaseFailure(const QString& text);
    // The run ends on a failure a command has already reported: unless a notice is showing, the
    // message window becomes a notice with the status line, so no progress text is left without OK.
    void EndOnFailure();
    // A phase succeeded: close the message window, unless an earlier phase failed, whose notice then
    // stays in front of the user.
    void ClosePhase();
    bool AnyPhaseFailed() const { return !m_failureNotice.isEmpty(); }

private:
    WatchingUi m_ui;
    link::LinkContext m_link;
    image::MemoryImages& m_images;
    QString m_failureNotice;
};

}  // namespace zendra::operations
