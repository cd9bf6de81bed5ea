#pragma once
// What every writer command runs on, and what it gives back. A command never shows anything: it returns
// how its exchange ended, with its own failure text and the bytes it read, and the operation decides.

#include <QByteArray>
#include <QString>

#include "core/Timing.h"
#include "core/UserInterface.h"
#include "link/SerialPort.h"

namespace zendra::link {

// The writer's line: 57600 baud, no parity, 8 data bits, 1 stop bit.
inline const QString kWriterLineSettings = QStringLiteral("57600,n,8,1");

enum class Outcome {
    Done,
    TimedOut,    // no full reply within the command's time-out
    WrongReply,  // a reply came, but not the acknowledgment
    PortFailed,  // the port is closed, unplugged or refused the bytes
    Cancelled,   // the operation was cancelled before this exchange
};

struct CommandResult {
    Outcome outcome = Outcome::Done;
    QString message;  // the command's text for a failure; empty when done
    QByteArray data;  // the reply's bytes when one came

    bool Ok() const { return outcome == Outcome::Done; }
    // Nothing more will come back: a loop over many exchanges stops here instead of paying a time-out
    // per exchange.
    bool Ends() const {
        return outcome == Outcome::TimedOut || outcome == Outcome::PortFailed ||
               outcome == Outcome::Cancelled;
    }
    quint8 Byte(int index) const { return index < data.size() ? static_cast<quint8>(data.at(index)) : 0; }
};

// What went over the wire in one session, for an operation's figures.
struct WireCounts {
    qint64 exchanges = 0;
    qint64 bytesOut = 0;
    qint64 bytesIn = 0;
};

// The port and the clock a run of commands uses, and the token that stops it between exchanges.
struct Session {
    SerialPort& port;
    core::Timing& timing;
    const core::CancelToken* cancel = nullptr;
    WireCounts counts{};

    bool Cancelled() const { return cancel != nullptr && cancel->IsCancelled(); }
};

}  // namespace zendra::link
