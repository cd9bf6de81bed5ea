#pragma once
// The doors from the logic to whoever shows it: the windows, the command line, or a test's recorder.
// Progress is the running account of a command (status bar and message window); Prompts is what needs
// the user's answer in the middle of one; UserInterface adds the dump views that the file commands fill.

#include <QList>
#include <QString>
#include <atomic>
#include <optional>

namespace zendra::core {

// The lock/fuse panel's drop-down choices.
enum class PanelControl {
    CKSEL,
    SUT,
    BODEN,
    BODLEVEL,
    RSTDISABL,
    EESAVE,
    CKOPT,
    PLLCK,
    FSTRT,
    RCEN,
    LockBit
};
inline constexpr int kPanelControlCount = 11;

enum class DumpWindow { Program, Eeprom, Verify };

// The panels of the main window's status bar that the logic writes, by what they hold (the windows add
// panel 6, the images' CRC-32, and panel 7, the series' next number, themselves).
enum class StatusField { Result = 1, Signature = 2, Writer = 3, Port = 4, Elapsed = 5 };

enum class MessageIcon { Critical, Information };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

struct FileDialogRequest {
    QString title;
    QString filter;          // Qt form: "Hex File (*.hex *.rom);;All Files (*)"
    QString defaultSuffix;   // "hex", or empty
    QString presetName;      // file name shown in the name box, or empty
    QString startDirectory;  // empty: the chooser's own default
};

// Set from another thread or a signal handler; a running operation looks at it between exchanges.
class CancelToken {
public:
    void Cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    void Reset() { m_cancelled.store(false, std::memory_order_relaxed); }
    bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
};

class Progress {
public:
    virtual ~Progress() = default;
    virtual void Status(StatusField field, const QString& text) = 0;
    // The message window: a phase's text (no button), its bar, a notice with OK, or closed.
    virtual void Phase(const QString& text) = 0;
    virtual void Step(int value, int maximum) = 0;
    virtual void Notice(const QString& text) = 0;
    virtual void CloseMessage() = 0;
    // A phase of the report begins and ends, by the report's name of it ("program-flash"): for a front
    // end that follows the run as it happens. A phase that fails before its work starts only ends.
    virtual void PhaseBegun(const QString& name) { (void)name; }
    virtual void PhaseEnded(const QString& name, bool ok) {
        (void)name;
        (void)ok;
    }
    // The chip took this number of its series, before it is written.
    virtual void SerialTaken(const QString& series, qint64 number) {
        (void)series;
        (void)number;
    }
};

// One changed lock/fuse field as a confirmation lists it: the field, the choice the chip holds and the
// one to write, and for a risky change the sentence that says what it does.
struct ChangeRow {
    QString field, before, after, explanation;
    bool marked = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Whether to write a lock/fuse change that holds a lock-out or a protection. Whoever cannot ask
    // writes nothing.
    virtual bool ConfirmLockFuseWrite(const QList<ChangeRow>& rows) {
        (void)rows;
        return false;
    }
    // A modal box; Ok for a box without Cancel.
    virtual MessageAnswer Ask(MessageIcon icon, const QString& title, const QString& text,
                              MessageButtons buttons) = 0;
    // File choosers; nullopt when the user cancelled.
    virtual std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) = 0;
};

// Shows nothing and asks no one, for the looks at a chip that are no operation of their own (a socket
// watched for a chip change, a device found from the signature): every question takes `answer`.
class SilentAccount final : public Progress, public Prompts {
public:
    explicit SilentAccount(MessageAnswer answer = MessageAnswer::Ok) : m_answer(answer) {}
    void Status(StatusField, const QString&) override {}
    void Phase(const QString&) override {}
    void Step(int, int) override {}
    void Notice(const QString&) override {}
    void CloseMessage() override {}
    MessageAnswer Ask(MessageIcon, const QString&, const QString&, MessageButtons) override { return m_answer; }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }

private:
    MessageAnswer m_answer;
};

class UserInterface : public Progress, public Prompts {
public:
    // Load a text file into a dump window as plain text; retitle it; bring the verify window up.
    virtual void LoadDumpView(DumpWindow window, const QString& filePath) = 0;
    virtual void SetDumpWindowTitle(DumpWindow window, const QString& title) = 0;
    virtual void ShowVerifyWindow() = 0;
};

}  // namespace zendra::core
