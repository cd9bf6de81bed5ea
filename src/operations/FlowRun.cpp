#include "operations/FlowRun.h"

#include "operations/Texts.h"

namespace zendra::operations {

void WatchingUi::SetStatusPanel(int panel, const QString& text) {
    if (panel == 1) m_statusLine = text;
    m_inner.SetStatusPanel(panel, text);
}

void WatchingUi::ShowMessage(int kind, const QString& text) {
    m_open = true;
    m_okVisible = kind == core::kMessageNotice;
    m_inner.ShowMessage(kind, text);
}

void WatchingUi::ReportProgress(const QString& state, int minimum, int value, int maximum) {
    // A progress call on a closed window opens a fresh one, which shows no OK button.
    if (!m_open) m_okVisible = false;
    m_open = true;
    m_inner.ReportProgress(state, minimum, value, maximum);
}

void WatchingUi::CloseMessage() {
    m_open = false;
    m_okVisible = false;
    m_inner.CloseMessage();
}

void WatchingUi::SetMessageText(const QString& text) {
    if (!m_open) m_okVisible = false;
    m_open = true;
    m_inner.SetMessageText(text);
}

void WatchingUi::SetMessageOkVisible(bool visible) {
    m_open = true;
    m_okVisible = visible;
    m_inner.SetMessageOkVisible(visible);
}

void WatchingUi::SetMessageBarVisible(bool visible) {
    if (!m_open) m_okVisible = false;
    m_open = true;
    m_inner.SetMessageBarVisible(visible);
}

core::MessageAnswer WatchingUi::ShowMessageBox(core::MessageIcon icon, const QString& title,
                                               const QString& text, core::MessageButtons buttons) {
    return m_inner.ShowMessageBox(icon, title, text, buttons);
}

std::optional<QString> WatchingUi::ChooseOpenFile(const core::FileDialogRequest& request) {
    return m_inner.ChooseOpenFile(request);
}

std::optional<QString> WatchingUi::ChooseSaveFile(const core::FileDialogRequest& request) {
    return m_inner.ChooseSaveFile(request);
}

void WatchingUi::FillPanelControl(core::PanelControl control, const QStringList& entries, int index,
                                  bool enabled) {
    m_inner.FillPanelControl(control, entries, index, enabled);
}

void WatchingUi::SetPanelIndex(core::PanelControl control, int index) {
    m_inner.SetPanelIndex(control, index);
}

void WatchingUi::SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) {
    m_inner.SetLockChoiceState(visible, readEnabled, writeEnabled);
}

void WatchingUi::LoadDumpView(core::DumpWindow window, const QString& filePath) {
    m_inner.LoadDumpView(window, filePath);
}

void WatchingUi::SetDumpWindowTitle(core::DumpWindow window, const QString& title) {
    m_inner.SetDumpWindowTitle(window, title);
}

FlowRun::FlowRun(OperationContext& ctx)
    : m_ui(ctx.link.ui),
      m_link{ctx.link.port, ctx.link.timing, m_ui, ctx.link.state, ctx.link.settings, ctx.link.ports},
      m_images(ctx.images) {}

void FlowRun::Progress(int value, int maximum) { m_ui.ReportProgress(text::kProgressOn, 0, value, maximum); }

void FlowRun::ReportPhaseFailure(const QString& text) {
    m_failureNotice = text;
    m_ui.SetStatusPanel(1, text);
    m_ui.ShowMessage(core::kMessageNotice, text);
}

void FlowRun::EndOnFailure() {
    if (m_ui.NoticeShowing() || m_ui.StatusLine().isEmpty()) return;
    m_ui.ShowMessage(core::kMessageNotice, m_ui.StatusLine());
}

void FlowRun::ClosePhase() {
    if (m_failureNotice.isEmpty()) {
        m_ui.CloseMessage();
    } else {
        m_ui.ShowMessage(core::kMessageNotice, m_failureNotice);
    }
}

}  // namespace zendra::operations
