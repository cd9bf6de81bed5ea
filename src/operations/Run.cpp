#include "operations/Run.h"

#include "operations/UsedPart.h"

namespace zendra::operations {

Run::Run(Environment& env, const Target& target)
    : m_env(env),
      m_target(target),
      m_session{env.port, env.timing, env.cancel},
      m_started(env.timing.Now()) {}

qint32 Run::FlashWords() const { return FlashWordsOf(Device() ? Device()->flashWords : 0); }

qint32 Run::EepromBytes() const { return EepromBytesOf(Device() ? Device()->eepromBytes : 0); }

link::CommandResult Run::Do(link::CommandResult result) {
    if (!result.Ok()) {
        Settle(Standing::Failed);
        if (result.outcome == link::Outcome::Cancelled) m_cancelSeen = true;
        Status(result.message);
    }
    return result;
}

void Run::Status(const QString& text) {
    m_report.status = text;
    m_env.progress.Status(core::StatusField::Result, text);
}

void Run::Show(core::StatusField field, const QString& text) {
    switch (field) {
        case core::StatusField::Result:
            Status(text);
            return;
        case core::StatusField::Signature:
            m_report.signature = text;
            break;
        case core::StatusField::Writer:
            m_report.firmware = text;
            break;
        case core::StatusField::Elapsed:
            m_report.elapsed = text;
            break;
        case core::StatusField::Port:
            break;
    }
    m_env.progress.Status(field, text);
}

void Run::Phase(const QString& text) {
    m_messageOpen = true;
    m_noticeShowing = false;
    m_messageText = text;
    m_env.progress.Phase(text);
}

void Run::Step(int value, int maximum) {
    // A bar on a closed window opens a fresh one, which shows no OK button.
    if (!m_messageOpen) m_noticeShowing = false;
    m_messageOpen = true;
    m_env.progress.Step(value, maximum);
}

void Run::Notice(const QString& text) {
    m_messageOpen = true;
    m_noticeShowing = true;
    m_messageText = text;
    m_env.progress.Notice(text);
}

void Run::CloseMessage() {
    m_messageOpen = false;
    m_noticeShowing = false;
    m_env.progress.CloseMessage();
}

void Run::ReportPhaseFailure(const QString& text) {
    m_failureNotice = text;
    Status(text);
    Notice(text);
}

void Run::EndOnFailure() {
    if (m_noticeShowing || m_report.status.isEmpty()) return;
    Notice(m_report.status);
}

void Run::ClosePhase() {
    if (m_failureNotice.isEmpty()) {
        CloseMessage();
    } else {
        Notice(m_failureNotice);
    }
}

void Run::BeginPhase(PhaseKind phase) { m_env.progress.PhaseBegun(PhaseName(phase)); }

void Run::AddPhase(PhaseKind phase, bool ok, const QString& text) {
    m_report.phases.append({phase, ok, ok ? QString() : text});
    m_env.progress.PhaseEnded(PhaseName(phase), ok);
}

Report Run::Finish() {
    Report& r = m_report;
    if (m_cancelSeen)
        r.verdict = Verdict::Cancelled;
    else if (m_nothingToDo)
        r.verdict = Verdict::NothingToDo;
    else if (m_chipRefused)
        r.verdict = Verdict::ChipRefused;
    else if (r.errorFlag != 0 || m_writerUnreached)
        r.verdict = Verdict::LinkFailed;
    else if (m_verifyNg)
        r.verdict = Verdict::Mismatch;
    else
        r.verdict = Verdict::Succeeded;
    r.notice = m_messageOpen && m_noticeShowing ? m_messageText : QString();
    r.figures.exchanges = m_session.counts.exchanges;
    r.figures.bytesOut = m_session.counts.bytesOut;
    r.figures.bytesIn = m_session.counts.bytesIn;
    r.figures.seconds = std::chrono::duration<double>(m_env.timing.Now() - m_started).count();
    return r;
}

QString LockFuseBytesText(const LockFuseBytes& bytes) {
    QStringList parts;
    const auto add = [&](const char* name, std::optional<quint8> value) {
        if (value)
            parts << QLatin1String(name) + QLatin1Char('=') +
                         QStringLiteral("%1").arg(*value, 2, 16, QLatin1Char('0')).toUpper();
    };
    add("fuse", bytes.fuse);
    add("fuseHigh", bytes.fuseHigh);
    add("lock", bytes.lock);
    return parts.join(QLatin1Char(' '));
}

QString VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Succeeded:
            return QStringLiteral("succeeded");
        case Verdict::NothingToDo:
            return QStringLiteral("nothing-to-do");
        case Verdict::Mismatch:
            return QStringLiteral("mismatch");
        case Verdict::LinkFailed:
            return QStringLiteral("link-failed");
        case Verdict::ChipRefused:
            return QStringLiteral("chip-refused");
        case Verdict::Cancelled:
            return QStringLiteral("cancelled");
    }
    return {};
}

QString PhaseName(PhaseKind phase) {
    switch (phase) {
        case PhaseKind::Communication:
            return QStringLiteral("communication");
        case PhaseKind::DeviceCheck:
            return QStringLiteral("device-check");
        case PhaseKind::Erase:
            return QStringLiteral("erase");
        case PhaseKind::ProgramFlash:
            return QStringLiteral("program-flash");
        case PhaseKind::ProgramEeprom:
            return QStringLiteral("program-eeprom");
        case PhaseKind::VerifyFlash:
            return QStringLiteral("verify-flash");
        case PhaseKind::VerifyEeprom:
            return QStringLiteral("verify-eeprom");
        case PhaseKind::ReadFlash:
            return QStringLiteral("read-flash");
        case PhaseKind::ReadEeprom:
            return QStringLiteral("read-eeprom");
        case PhaseKind::LockFuseRead:
            return QStringLiteral("lockfuse-read");
        case PhaseKind::LockFuseWrite:
            return QStringLiteral("lockfuse-write");
    }
    return {};
}

void Run::Settle(Standing standing) { SettleReport(m_report, standing); }

void SettleReport(Report& report, Run::Standing standing) { report.errorFlag = qint16(standing); }

}  // namespace zendra::operations
