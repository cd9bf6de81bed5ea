#pragma once
// Exactly what the logic needs of a serial port. Four implementations: the terminal device's descriptor
// (TerminalPort), the QSerialPort adapter, the virtual writer's in-process port, and the tests' scripted port.

#include <QByteArray>
#include <QString>

#include "core/Timing.h"

namespace zendra::link {

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the device at `path` (a resolved "COMn"; a pseudo-terminal path is valid).
    // Line settings, handshaking and RTS set before Open apply when it opens.
    virtual bool Open(const QString& path) = 0;
    // Why the last Open failed, in words for the user; empty when it did not fail or the port cannot say.
    virtual QString OpenFailureReason() const { return {}; }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual QString PortPath() const = 0;

    // "57600,n,8,1" and the like; false when the text is not understood.
    virtual bool SetLineSettings(const QString& settings) = 0;
    virtual void SetNoHandshaking() = 0;
    // Fails on a pseudo-terminal; callers ignore the result.
    virtual bool SetRts(bool on) = 0;

    virtual void DiscardInput() = 0;
    virtual int BytesWaiting() = 0;
    // Pushes the bytes out before returning (a blocking pause may follow); false when the port failed.
    virtual bool Write(const QByteArray& bytes) = 0;
    virtual QByteArray ReadAll() = 0;

    // Waits, with the CPU idle (and window events running when called on the windows' thread), until more
    // bytes have arrived, the port failed, or `maxWait` has passed. The caller owns the deadline and
    // re-checks its clock.
    virtual void WaitForMoreBytes(core::Duration maxWait) = 0;

    // True once the port reported a failure (device gone, write error); stays true until the next Open.
    virtual bool HasFailed() const = 0;
};

}  // namespace zendra::link
