#pragma once
// A writer operation on a thread of its own, which owns the port with blocking waits while the windows'
// thread keeps painting and taking clicks. The operation reaches the windows through OperationUi: every
// call is carried over to the windows' thread and waits there until it is done (so a box's answer comes
// back, and what the windows show is never behind what the operation did); the bar's steps are paced on
// the operation's side, so at most about 30 a second cross at all.

#include <QObject>
#include <functional>
#include <optional>
#include <utility>

#include "core/StepPacer.h"
#include "core/UserInterface.h"

namespace zendra::shell {

class WidgetUi;

class OperationUi final : public core::UserInterface {
public:
    // `windows`: an object of the windows' thread that carries the calls.
    OperationUi(WidgetUi& ui, QObject& windows);

    void Status(core::StatusField field, const QString& text) override;
    void Phase(const QString& text) override;
    void Step(int value, int maximum) override;
    void Notice(const QString& text) override;
    void CloseMessage() override;
    core::MessageAnswer Ask(core::MessageIcon icon, const QString& title, const QString& text,
                            core::MessageButtons buttons) override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override;
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override;

private:
    // Runs `call` on the windows' thread and returns when it has run.
    void OnWindows(const std::function<void()>& call);

    WidgetUi& m_ui;
    QObject& m_windows;
    core::StepPacer m_pacer;
    std::optional<std::pair<int, int>> m_heldStep;  // a step the pacer held back: value, maximum
};

// Runs `work` on a new thread and returns once it has ended; meanwhile this thread runs its events.
void RunOffWindowsThread(const std::function<void()>& work);

}  // namespace zendra::shell
