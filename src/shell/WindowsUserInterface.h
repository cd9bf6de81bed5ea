#pragma once
// The windows' side of core::UserInterface: the status bar, the message window, modal boxes, file
// choosers and the dump windows. It may be called on the windows' thread or on an operation's thread;
// a call from elsewhere is carried over to the windows' thread and waits there until it has run, so a
// box's answer comes back and the windows are never behind what the operation did. The bar's steps are
// paced on the calling side, at most about 30 redraws a second, so few calls cross at all. Modal boxes
// and file choosers can be answered by a hook instead (tests, scripted runs).

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "core/StepPacer.h"
#include "core/UserInterface.h"

class QDialog;

namespace zendra::shell {

class FrmMain;
class MessageWindowHost;

class WindowsUserInterface final : public core::UserInterface {
public:
    explicit WindowsUserInterface(FrmMain& window);
    ~WindowsUserInterface() override;

    // When set, answer instead of the real box or chooser.
    std::function<core::MessageAnswer(core::MessageIcon, const QString& title, const QString& text,
                                      core::MessageButtons)>
        boxHook;
    std::function<std::optional<QString>(const core::FileDialogRequest&, bool save)> fileHook;
    // Runs on the windows' thread each time a change of the account has been put on them.
    std::function<void()> onShown;
    // Runs a modal dialog the operations ask for (the lock/fuse confirmation); unset: exec().
    std::function<int(QDialog&)> runModal;
    // The time of day the operations log shows beside each text.
    std::function<QString()> logTime;

    // The next open chooser is answered with `path` without showing (a dropped or recent file).
    void AnswerNextOpenChooser(const QString& path) { m_nextOpenAnswer = path; }
    void ForgetNextOpenAnswer() { m_nextOpenAnswer.reset(); }

    MessageWindowHost& Messages() { return *m_messages; }
    // How often the bar may be redrawn; zero redraws every step.
    void SetStepInterval(core::Duration interval) { m_stepPacer.SetInterval(interval); }
    // How often status panel 1 was written, and its last text.

    void Status(core::StatusField field, const QString& text) override;
    void Phase(const QString& text) override;
    void Step(int value, int maximum) override;
    void Notice(const QString& text) override;
    void CloseMessage() override;
    core::MessageAnswer Ask(core::MessageIcon icon, const QString& title, const QString& text,
                            core::MessageButtons buttons) override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override;
    bool ConfirmLockFuseWrite(const QList<core::ChangeRow>& rows) override;
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override;

    // A line of the operations log, with its time (on the windows' thread).
    void Log(const QString& text);

private:
    // Runs `call` on the windows' thread and returns once it has run.
    void OnWindows(const std::function<void()>& call);
    void Shown();
    void PlaceVerifyWindow();
    std::optional<QString> ChooseFile(const core::FileDialogRequest& request, bool save);

    FrmMain& m_window;
    std::unique_ptr<MessageWindowHost> m_messages;
    bool m_verifyPlaced = false;
    std::optional<QString> m_nextOpenAnswer;
    // On the calling side: the pacer and a step it held back (value, maximum).
    core::StepPacer m_stepPacer;
    std::optional<std::pair<int, int>> m_heldStep;
};

}  // namespace zendra::shell
