#pragma once
// The serial port of the writer on QSerialPort. Every QSerialPort detail stays here: writes are pushed out
// before returning (on the GUI thread write() only queues), waits run a local event loop on readyRead and a
// timer so the windows repaint and the CPU idles, and port errors are recorded, never shown.

#include <QSerialPort>

#include "link/SerialPort.h"

namespace zendra::link {

struct LineSettings {
    qint32 baudRate = 57600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "57600,n,8,1" and the like: baud, parity n/e/o/m/s, data bits 5..8, stop bits 1, 1.5 or 2.
// nullopt when the text is not understood.
std::optional<LineSettings> ParseLineSettings(const QString& text);

// The user's words for an open that failed with `errorNumber` (an errno value): the system's text, and for
// a refused permission or a busy port what to do about it.
QString DescribeOpenFailure(int errorNumber);

// Puts the serial port open on `descriptor` into low-latency mode (Linux); false when the driver has no such
// setting (a pseudo-terminal) or refuses it, which is no failure of the port.
bool RequestLowLatency(int descriptor);

class QtSerialPortAdapter final : public SerialPort {
public:
    QtSerialPortAdapter();
    ~QtSerialPortAdapter() override;

    bool Open(const QString& path) override;
    QString OpenFailureReason() const override { return m_openFailure; }
    void Close() override;
    bool IsOpen() const override;
    QString PortPath() const override;
    bool SetLineSettings(const QString& settings) override;
    void SetNoHandshaking() override;
    bool SetRts(bool on) override;
    void DiscardInput() override;
    int BytesWaiting() override;
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    void WaitForMoreBytes(core::Duration maxWait) override;
    bool HasFailed() const override { return m_failed; }

    QSerialPort::SerialPortError LastError() const { return m_lastError; }
    // Whether the driver took the low-latency request when the port was opened.
    bool LowLatency() const { return m_lowLatency; }

private:
    void OnError(QSerialPort::SerialPortError error);
    void ApplyLineSettings();
    QString LearnOpenFailure(const QString& path) const;

    QSerialPort m_port;
    QString m_path;
    QString m_openFailure;
    LineSettings m_settings;
    bool m_rts = true;
    bool m_failed = false;
    bool m_lowLatency = false;
    QSerialPort::SerialPortError m_lastError = QSerialPort::NoError;
};

}  // namespace zendra::link
