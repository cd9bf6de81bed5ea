#pragma once
// A serial port that passes every call to another one: the base of ports that only watch the traffic
// (the command line's wire trace, the benchmarks' byte counter) and override what they watch.

#include "link/SerialPort.h"

namespace zendra::link {

class ForwardingPort : public SerialPort {
public:
    explicit ForwardingPort(SerialPort& inner) : m_inner(inner) {}

    bool Open(const QString& path) override { return m_inner.Open(path); }
    void Close() override { m_inner.Close(); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    QString PortPath() const override { return m_inner.PortPath(); }
    QString OpenFailureReason() const override { return m_inner.OpenFailureReason(); }
    bool SetLineSettings(const QString& settings) override { return m_inner.SetLineSettings(settings); }
    void SetNoHandshaking() override { m_inner.SetNoHandshaking(); }
    bool SetRts(bool on) override { return m_inner.SetRts(on); }
    void DiscardInput() override { m_inner.DiscardInput(); }
    int BytesWaiting() override { return m_inner.BytesWaiting(); }
    bool Write(const QByteArray& bytes) override { return m_inner.Write(bytes); }
    QByteArray ReadAll() override { return m_inner.ReadAll(); }
    void WaitForMoreBytes(core::Duration maxWait) override { m_inner.WaitForMoreBytes(maxWait); }
    bool HasFailed() const override { return m_inner.HasFailed(); }

protected:
    SerialPort& m_inner;
};

}  // namespace zendra::link
