#pragma once
// A serial port held in memory: what the far end sends becomes readable at its due time on the injected
// clock, so a late reply costs no real time under a fake clock. What the far end does with the bytes
// written is left to the subclass (the writer model, or a test's script).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "link/SerialPort.h"

namespace zendra::virtualwriter {

class TimedPort : public link::SerialPort {
public:
    explicit TimedPort(core::Timing& timing);

    // Makes the port fail as an unplugged cable does: writes fail and nothing more arrives.
    void Unplug();
    // Open fails for these paths (a port that does not exist or is busy).
    QList<QString> unopenablePaths;
    // What OpenFailureReason says after such a refused open.
    QString openFailureReason;

    QString LastLineSettings() const { return m_lineSettings; }
    int OpenCount() const { return m_opens; }
    int DiscardCount() const { return m_discards; }

    bool Open(const QString& path) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    QString OpenFailureReason() const override { return m_openRefused ? openFailureReason : QString(); }
    QString PortPath() const override { return m_path; }
    bool SetLineSettings(const QString& settings) override;
    void SetNoHandshaking() override {}
    bool SetRts(bool) override { return true; }
    void DiscardInput() override;
    int BytesWaiting() override;
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    void WaitForMoreBytes(core::Duration maxWait) override;
    bool HasFailed() const override { return m_failed; }

protected:
    // The far end takes the bytes of one write that went out.
    virtual void Receive(const QByteArray& bytes) = 0;
    // `bytes` become readable at `due`.
    void Send(const QByteArray& bytes, core::Clock::time_point due);
    // When the last of what is on its way becomes readable; nullopt when nothing is.
    std::optional<core::Clock::time_point> LastDue() const;
    core::Timing& m_timing;

private:
    struct Pending {
        QByteArray bytes;
        core::Clock::time_point due;
    };
    void DeliverDue();

    QList<Pending> m_pending;
    QByteArray m_input;
    QString m_path;
    QString m_lineSettings;
    bool m_open = false;
    bool m_openRefused = false;
    bool m_failed = false;
    int m_opens = 0;
    int m_discards = 0;
};

}  // namespace zendra::virtualwriter
