#pragma once
// The logic's door to the real windows: status panels, the message window, modal boxes, file choosers,
// the device selector and the lock/fuse panel of frmMain, and the dump windows.
// Modal boxes and file choosers can be answered by a hook instead (tests, scripted runs).

#include <functional>
#include <memory>

#include "core/UserInterface.h"

namespace zendra::shell {

class frmMain;
class MessageWindowHost;

class WidgetUi final : public core::UserInterface {
public:
    explicit WidgetUi(frmMain& window);
    ~WidgetUi() override;

    // When set, answer instead of the real box or chooser.
    std::function<core::MessageAnswer(core::MessageIcon, const QString& title, const QString& text,
                                      core::MessageButtons)>
        boxHook;
    std::function<std::optional<QString>(const core::FileDialogRequest&, bool save)> fileHook;
    // Runs inside every PumpEvents after the window events.
    std::function<void()> onPump;

    MessageWindowHost& Messages() { return *m_messages; }

    void SetStatusPanel(int panel, const QString& text) override;
    void ShowMessage(int kind, const QString& text) override;
    void ReportProgress(const QString& state, int minimum, int value, int maximum) override;
    void CloseMessage() override;
    void SetMessageText(const QString& text) override;
    void SetMessageOkVisible(bool visible) override;
    void SetMessageBarVisible(bool visible) override;
    core::MessageAnswer ShowMessageBox(core::MessageIcon icon, const QString& title, const QString& text,
                                       core::MessageButtons buttons) override;
    void PumpEvents() override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override;
    QString DeviceSelectorText() const override;
    void FillPanelControl(core::PanelControl control, const QStringList& entries, int index,
                          bool enabled) override;
    int PanelIndex(core::PanelControl control) const override;
    void SetPanelIndex(core::PanelControl control, int index) override;
    void SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) override;
    void SetCalibrationText(const QString& text) override;
    void SetFuseFrameVisible(bool visible) override;
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override;

    // The index each lock/fuse choice held when the code last set it or the user's pick was accepted;
    // a refused pick returns to it.
    int AcceptedPanelIndex(core::PanelControl control) const;
    void AcceptPanelIndex(core::PanelControl control);

private:
    std::optional<QString> ChooseFile(const core::FileDialogRequest& request, bool save);

    frmMain& m_window;
    std::unique_ptr<MessageWindowHost> m_messages;
    bool m_verifyPlaced = false;
    int m_accepted[core::kPanelControlCount];
};

}  // namespace zendra::shell
