#pragma once
// One run of a chip operation: the session on the wire, the running account it gives, and the report it
// builds. Every command's result passes through Do(), where a failure becomes the error flag and the
// status line; Settle() is the one place the error flag is set. The run knows what it has put into the message window because it put it
// there, so it can end a failure on a notice with OK rather than on a progress text.

#include "operations/Report.h"

namespace zendra::operations {

class Run {
public:
    Run(Environment& env, const Target& target);
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    link::Session& Link() { return m_session; }
    core::Prompts& Prompts() { return m_env.prompts; }
    const Target& Subject() const { return m_target; }
    const devices::Device* Device() const { return m_target.device; }
    // The selected device's code and sizes; 0 when the selection names no device.
    quint8 DeviceCode() const { return Device() ? Device()->code : 0; }
    qint32 FlashWords() const;
    qint32 EepromBytes() const;

    // A failure settles the run as failed and shows the command's text on the status line.
    link::CommandResult Do(link::CommandResult result);
    // How the steps that count stand, as the error flag says it (0, 1, 2): good when a flow starts a
    // fresh account, failed for a failed command or a refused reply or chip, refused firmware.
    enum class Standing : qint16 { Good = 0, Failed = 1, FirmwareRefused = 2 };
    void Settle(Standing standing);
    bool Failed() const { return m_report.errorFlag != 0; }

    void Status(const QString& text);
    void Show(core::StatusField field, const QString& text);
    void Phase(const QString& text);
    void Step(int value, int maximum);
    void Notice(const QString& text);
    void CloseMessage();

    // A phase ended on a failure: the text on the status line and as a notice with OK.
    void ReportPhaseFailure(const QString& text);
    // The run ends on a failure a command has already reported: unless a notice is showing, the
    // message window becomes a notice with the status line, so no progress text is left without OK.
    void EndOnFailure();
    // A phase succeeded: close the message window, unless an earlier phase failed, whose notice then
    // stays in front of the user.
    void ClosePhase();

    void BeginPhase(PhaseKind phase);
    void AddPhase(PhaseKind phase, bool ok, const QString& text = {});
    // The signature rules refused the chip in the socket.
    void RefuseChip() { m_chipRefused = true; }
    // Whatever the signature said, the chip is worked on (an erase makes any chip usable).
    void AcceptChip() { m_chipRefused = false; }
    bool ChipRefused() const { return m_chipRefused; }
    void NothingToDo() { m_nothingToDo = true; }
    // The communication check ended before the writer answered (no port, a port that does not open): the
    // error flag stays as the windows expect it, and the verdict is still a failed link.
    void WriterUnreached() { m_writerUnreached = true; }
    void NoteVerify(bool flashNg, bool eepromNg) { m_verifyNg = flashNg || eepromNg; }

    Report& Result() { return m_report; }
    core::Clock::time_point Started() const { return m_started; }
    // The verdict and the figures; the run is over.
    Report Finish();

private:
    Environment& m_env;
    Target m_target;
    link::Session m_session;
    Report m_report;
    core::Clock::time_point m_started;
    bool m_messageOpen = false;
    bool m_noticeShowing = false;
    QString m_messageText;
    QString m_failureNotice;
    bool m_cancelSeen = false;
    bool m_chipRefused = false;
    bool m_writerUnreached = false;
    bool m_nothingToDo = false;
    bool m_verifyNg = false;
};

// The one place a report's error flag is set: by its run, and by a job that ends a report after its run
// (a refusal, the lock/fuse write's outcome taken over).
void SettleReport(Report& report, Run::Standing standing);

}  // namespace zendra::operations
