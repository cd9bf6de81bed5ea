#pragma once
// What zendra-cli prints, and in which language: result lines on stdout, progress and notices on stderr
// (a bar with the phase, percentage and remaining time on a terminal, one line per phase otherwise).

#include <QElapsedTimer>
#include <QString>

#include "cli/CliTexts.h"
#include "core/UserInterface.h"
#include "link/ForwardingPort.h"
#include "update/UpdateDisplay.h"

namespace zendra::cli {

// The language of everything printed; English unless chosen otherwise.
void UseEnglish(bool english);
// A text of the command line's own (a texts:: name), and a text an operation produced, in the chosen
// language.
QString T(const char* source);
QString Tr(const QString& text);

// Qt's own warnings (a runtime folder that cron or sudo does not set, ...) are for developers: shown with
// --verbose only. The filter is installed first thing; the switch follows the options.
void InstallQtMessageFilter();
void ShowQtMessages(bool show);

// Whole lines, each written at once (several writers print at the same time).
void PrintOut(const QString& line);
// Standard output for the event stream alone: what PrintOut prints goes to standard error from now on,
// or nowhere when `quiet`. StreamLine writes one line of the stream and flushes it; false once standard
// output could not take it (nothing more is written there then).
void ReserveStdout(bool quiet);
bool StreamLine(const QByteArray& line);
void PrintErr(const QString& line);
// The exit code, or kExitLink with a line on stderr when anything written to stdout was lost.
int CheckedExit(int code);

struct ConsoleStyle {
    QString label;         // "COM1" or the path, before every line when several writers run
    bool bar = false;      // draw a progress bar (stderr is a terminal, one writer)
    bool quiet = false;    // no progress at all
    bool verbose = false;  // every status line too
};

// The operations' running account on the console; the firmware advisory is printed and goes on.
class ConsoleProgress final : public core::Progress, public core::Prompts {
public:
    explicit ConsoleProgress(ConsoleStyle style) : m_style(std::move(style)) {}
    ~ConsoleProgress() override { EndBar(); }

    void Status(core::StatusField field, const QString& text) override;
    void Phase(const QString& text) override;
    void Step(int value, int maximum) override;
    void Notice(const QString& text) override;
    void CloseMessage() override { EndBar(); }
    core::MessageAnswer Ask(core::MessageIcon icon, const QString& title, const QString& text,
                            core::MessageButtons buttons) override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest&) override { return std::nullopt; }

    void Line(const QString& text);

private:
    void EndBar();

    ConsoleStyle m_style;
    QString m_phase;
    QElapsedTimer m_phaseClock;
    QElapsedTimer m_drawClock;
    bool m_barShown = false;
    QString m_lastLine;
};

using SilentProgress = core::SilentAccount;  // prints nothing, and a question is answered OK

// The firmware update's display on the console.
class ConsoleUpdateDisplay final : public update::UpdateDisplay {
public:
    explicit ConsoleUpdateDisplay(ConsoleProgress& progress) : m_progress(progress) {}
    void msgCmt(const QString& text) override { m_last = text; }
    void ResetProgressBar() override {}
    void ShowProgressBar(int minimum, int maximum, int value) override {
        m_progress.Step(value - minimum, maximum - minimum);
    }
    void ShowFailureText(const QString& text) override { m_progress.Line(Tr(text)); }
    void ShowInformationBox(const QString&, const QString& text) override { m_progress.Line(Tr(text)); }
    const QString& LastText() const { return m_last; }

private:
    ConsoleProgress& m_progress;
    QString m_last;
};

// With --verbose: every byte to and from the writer, as hex lines on stderr.
class WireTrace final : public link::ForwardingPort {
public:
    WireTrace(link::SerialPort& inner, QString label) : ForwardingPort(inner), m_label(std::move(label)) {}
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;

private:
    QString m_label;
};

}  // namespace zendra::cli
