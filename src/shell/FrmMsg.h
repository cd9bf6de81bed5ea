#pragma once
// The one message-and-progress window: a progress text with a bar while an operation runs, or a notice
// with an OK button when it ends or fails. Never modal; stays above the main window.
// MessageWindowHost creates it on first use and forgets it when it closes, so nothing writes into a
// deleted window.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/Timing.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zendra::shell {

inline const QString kMessageCaption = QStringLiteral("Zendra");
inline const QString kMessageOkCaption = QStringLiteral("OK");
// ShowMessage kinds.
inline constexpr int kMessageProgress = 0;  // text, no button
inline constexpr int kMessageNotice = 1;    // text with OK, bar hidden, focus on OK
// The progress state that shows the bar; any other state only hides it.
inline const QString kProgressOn = QStringLiteral("ON");

class FrmMsg final : public QWidget {
    Q_OBJECT
public:
    // `owner`: the main window; the message window stays above it and goes with it.
    explicit FrmMsg(QWidget* owner);

    // Kind 0: progress (no button, bar as last set); kind 1: notice (OK with focus, no bar). Shows the
    // window.
    void ShowMessage(int kind, const QString& text);
    void ReportProgress(const QString& state, int minimum, int value, int maximum);
    void SetText(const QString& text);
    void SetOkVisible(bool visible);
    void SetBarVisible(bool visible);
    // Shows "中止" beside the bar while a progress text is shown; a click runs `onCancel`. Empty: no button.
    void SetCancel(std::function<void()> onCancel);
    // The percentage and the remaining time beside the bar; empty hides them.
    void SetFigures(const QString& text);
    // The critical icon beside the text, until the next message: a failure seen at a glance.
    void MarkCritical();

    // Left := owner left + 500 twips, top := owner top + a quarter of the owner's height (frame geometry).
    void PlaceRelativeTo(const QWidget* owner);

    QLabel* txtMsg = nullptr;
    QProgressBar* ProgBar = nullptr;
    QPushButton* Cmd_okm = nullptr;
    QPushButton* Cmd_cancel = nullptr;
    QLabel* lblFigures = nullptr;
    QLabel* imgIcon = nullptr;

Q_SIGNALS:
    // The window is closing (OK, the frame's close box or CloseMessage); it deletes itself afterwards.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateStrip();
    std::function<void()> m_onCancel;
};

// "45%  残り約 12 秒": the share of the steps done and the time the rest takes at the pace so far.
// `remaining` is empty until a pace is known.
QString ProgressFigures(int value, int maximum, std::optional<double> remainingSeconds);

class MessageWindowHost {
public:
    // `mainWindow` places and owns the window; `shown` runs after each change has been put on it.
    explicit MessageWindowHost(QWidget* mainWindow, std::function<void()> shown = {});
    ~MessageWindowHost();
    MessageWindowHost(const MessageWindowHost&) = delete;
    MessageWindowHost& operator=(const MessageWindowHost&) = delete;

    void ShowMessage(int kind, const QString& text);
    void ReportProgress(const QString& state, int minimum, int value, int maximum);
    void CloseMessage();
    void SetMessageText(const QString& text);
    void SetMessageOkVisible(bool visible);
    void SetMessageBarVisible(bool visible);
    // The notice on show, if one is, carries the critical icon.
    void MarkNoticeCritical();
    // While set, the progress presentation offers "中止", which runs `onCancel`; empty removes it.
    void SetCancel(std::function<void()> onCancel);
    // The clock that times a phase for its remaining time (default: the system's monotonic clock).
    void SetClock(std::function<core::Clock::time_point()> now) { m_now = std::move(now); }

    // The open window, or null when closed.
    FrmMsg* Window() const { return m_window.data(); }
    bool IsOpen() const { return !m_window.isNull(); }

private:
    // The window, created, placed and shown when it is not open.
    FrmMsg& Ensure();
    void Shown();

    QPointer<QWidget> m_mainWindow;
    std::function<void()> m_shown;
    QPointer<FrmMsg> m_window;
    std::function<void()> m_onCancel;
    std::function<core::Clock::time_point()> m_now = [] { return core::Clock::now(); };
    // The phase being timed: when its first step came and at which value.
    QString m_phaseText;
    std::optional<core::Clock::time_point> m_phaseStart;
    int m_phaseFirstValue = 0;
};

}  // namespace zendra::shell
