#pragma once
// The logic's door to the real windows: the status bar, the message window, modal boxes, file choosers
// and the dump windows. Every change of the account repaints at once, so the windows stay current while
// an operation waits for the writer; the bar alone is paced to about 30 redraws a second. Modal boxes and file choosers can be answered by a hook instead
// (tests, scripted runs).

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "core/StepPacer.h"
#include "core/UserInterface.h"

namespace zendra::shell {

class FrmMain;
class MessageWindowHost;

class WidgetUi final : public core::UserInterface {
public:
    explicit WidgetUi(FrmMain& window);
    ~WidgetUi() override;

    // When set, answer instead of the real box or chooser.
    std::function<core::MessageAnswer(core::MessageIcon, const QString& title, const QString& text,
                                      core::MessageButtons)>
        boxHook;
    std::function<std::optional<QString>(const core::FileDialogRequest&, bool save)> fileHook;
    // Runs after the window events each time the windows repaint.
    std::function<void()> onPump;
    // The time of day the operations log shows beside each text.
    std::function<QString()> logTime;

    // The next open chooser is answered with `path` without showing (a dropped or recent file).
    void AnswerNextOpenChooser(const QString& path) { m_nextOpenAnswer = path; }
    void ForgetNextOpenAnswer() { m_nextOpenAnswer.reset(); }

    MessageWindowHost& Messages() { return *m_messages; }
    // How often the bar may be redrawn; zero redraws every step.
    void SetStepInterval(core::Duration interval) {
        m_stepInterval = interval;
        m_stepPacer.SetInterval(interval);
    }
    core::Duration StepInterval() const { return m_stepInterval; }
    // Draws the bar at this step now, past the pacer (an operation's thread paces its steps itself).
    void DrawStep(int value, int maximum);
    // How often status panel 1 was written, and its last text.
    int ResultWrites() const { return m_resultWrites; }
    const QString& LastResult() const { return m_lastResult; }
    // Processes pending window events once.
    void PumpEvents();

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
    void Log(const QString& text);
    std::optional<QString> ChooseFile(const core::FileDialogRequest& request, bool save);

    FrmMain& m_window;
    std::unique_ptr<MessageWindowHost> m_messages;
    bool m_verifyPlaced = false;
    std::optional<QString> m_nextOpenAnswer;
    int m_resultWrites = 0;
    QString m_lastResult;
    core::Duration m_stepInterval = core::StepPacer::kInterval;
    core::StepPacer m_stepPacer;
    std::optional<std::pair<int, int>> m_heldStep;  // a step the pacer held back: value, maximum
};

}  // namespace zendra::shell
