#pragma once
// The one exchange of a writer command, driven by the command's table row: discard what was received, send
// the letter and the parameter bytes with the pauses and waits the row puts before them (bytes with nothing
// between them in one write), then wait for the reply from the moment the last byte left, and check its
// first byte when the row asks for a CR.

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <initializer_list>

#include "link/Link.h"

namespace zendra::link {

using std::chrono::milliseconds;
using std::chrono::seconds;

// What stands before a parameter byte: nothing, a blocking pause, or the responsive Wait.
struct Gap {
    enum class Kind { None, Pause, Wait };
    Kind kind = Kind::None;
    milliseconds length{0};
};

constexpr Gap PauseOf(milliseconds length) { return {Gap::Kind::Pause, length}; }
constexpr Gap WaitOf(milliseconds length) { return {Gap::Kind::Wait, length}; }

// One parameter byte: either a fixed byte of the command (the chip instruction of ';' and ':') or one of
// the call's arguments.
struct Parameter {
    Gap before;
    int argument = -1;  // index into the call's arguments; -1: `fixed`
    quint8 fixed = 0;
};

constexpr Parameter Argument(int index, Gap before = {}) { return {before, index, 0}; }
constexpr Parameter Fixed(quint8 value, Gap before = {}) { return {before, -1, value}; }

// One command of the writer as data.
struct CommandRow {
    char letter = 0;
    QList<Parameter> parameters;
    int replyLength = 1;
    seconds timeOut{1};
    bool checkCr = true;
    QString timeOutMessage;
    QString wrongReplyMessage;
    bool appendReceivedByte = false;  // the wrong-reply message ends with the byte received, as a character
};

// Every row of the writer's command table, for checks that hold for all of them.
QList<CommandRow> CommandTable();

// Performs the exchange and says how it ended; a failure carries the row's message. A port that has
// failed or closed fails at once, with the time-out message.
CommandResult RunExchange(Session& session, const CommandRow& command,
                          std::initializer_list<quint8> arguments);

enum class Arrival { Arrived, TimedOut, PortFailed };

// Waits until `count` bytes are waiting; the time-out is met only when the clock is strictly past
// now + `timeOut`. Returns at once when the port fails.
Arrival AwaitBytes(SerialPort& port, core::Timing& timing, int count, core::Duration timeOut);
inline Arrival AwaitBytes(Session& session, int count, core::Duration timeOut) {
    return AwaitBytes(session.port, session.timing, count, timeOut);
}

// A port that can still carry an exchange.
bool IsPortUsable(const SerialPort& port);

// Writes `bytes` when the port can carry them, counting them for the session's figures.
bool Send(Session& session, const QByteArray& bytes);

}  // namespace zendra::link
