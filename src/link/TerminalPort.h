#pragma once
// The writer's serial port on the terminal device's own file descriptor (POSIX). An exchange costs what the
// line needs: one ioctl for the discard (a tcflush only when bytes wait), one write per burst, one poll with
// the time-out and one read per arrival. Received bytes gather in a buffer of the port's own, so counting and taking them costs nothing.
//
// A wait on the windows' own thread (the update dialog, the port dialog) runs their events while it lasts;
// anywhere else (the windows' operation thread, the command line, its writer threads) it is one poll.

#include <QByteArray>
#include <QString>

#include "link/SerialPort.h"

namespace zendra::link {

class TerminalPort final : public SerialPort {
public:
    TerminalPort();
    ~TerminalPort() override;
    TerminalPort(const TerminalPort&) = delete;
    TerminalPort& operator=(const TerminalPort&) = delete;

    bool Open(const QString& path) override;
    QString OpenFailureReason() const override { return m_openFailure; }
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    QString PortPath() const override { return IsOpen() ? m_path : QString(); }
    // Rates of the system's table only (50 .. 4000000), parity n/e/o/m/s, 5..8 data bits, 1 or 2 stop bits.
    bool SetLineSettings(const QString& settings) override;
    void SetNoHandshaking() override;
    bool SetRts(bool on) override;
    void DiscardInput() override;
    int BytesWaiting() override { return static_cast<int>(m_received.size()); }
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    void WaitForMoreBytes(core::Duration maxWait) override;
    bool HasFailed() const override { return m_failed; }

    // Whether the driver took the low-latency request when the port was opened.
    bool LowLatency() const { return m_lowLatency; }
    // The system's error number of the last failed Open; 0 when it did not fail.
    int OpenError() const { return m_openError; }

private:
    bool ApplyLineSettings();
    // Takes what the driver holds; marks the port failed when the device is gone.
    void ReadAvailable();
    void WaitOnWindowsThread(core::Duration maxWait);

    int m_fd = -1;
    QString m_path;
    QString m_openFailure;
    int m_openError = 0;  // the errno of the last failed Open
    QByteArray m_received;
    struct Line {
        int baud = 57600;
        char parity = 'n';
        int dataBits = 8;
        int stopBits = 1;
    } m_line;
    bool m_rts = true;
    bool m_failed = false;
    bool m_lowLatency = false;
};

}  // namespace zendra::link
