#pragma once
// The one exchange of a writer command, driven by the command's table row: discard what was received, send
// the letter, send the parameter bytes with the pauses and waits the row puts before them, then wait for the
// reply from the moment the last byte left, and check its first byte when the row asks for a CR.

#include <QByteArray>
#include <QString>
#include <array>
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

inline constexpr int kMaxParameters = 4;

struct CommandSpec {
    char letter = 0;
    std::array<Parameter, kMaxParameters> parameters{};
    int parameterCount = 0;
    bool parametersInOneWrite = false;  // 'T' alone sends its two bytes in one write
    int replyLength = 1;
    seconds timeOut{1};
    bool checkCr = true;
    QString timeOutMessage;
    QString wrongReplyMessage;
    bool appendReceivedByte = false;  // the wrong-reply message ends with the byte received, as a character
};

struct ExchangeResult {
    Outcome outcome = Outcome::TimedOut;
    QByteArray reply;  // exactly replyLength bytes when the reply arrived
};

// Performs the exchange. On a time-out or a wrong reply sets `error` to 1 and shows the row's message in
// status panel 1. A port that has failed or closed fails at once with the time-out message.
ExchangeResult RunExchange(LinkContext& ctx, const CommandSpec& command, std::initializer_list<quint8> arguments,
                           qint16& error);

enum class Arrival { Arrived, TimedOut, PortFailed };

// Waits until `count` bytes are waiting; the time-out is met only when the clock is strictly past
// now + `timeOut`. Returns at once when the port fails.
Arrival AwaitBytes(SerialPort& port, core::Timing& timing, int count, core::Duration timeOut);
Arrival AwaitBytes(LinkContext& ctx, int count, core::Duration timeOut);

// A port that can still carry an exchange.
bool IsPortUsable(const SerialPort& port);

}  // namespace zendra::link
