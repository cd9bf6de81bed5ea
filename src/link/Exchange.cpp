#include "link/Exchange.h"

#include <algorithm>

#include "core/Language.h"
#include "link/Commands.h"
#include "link/LinkTexts.h"

namespace zendra::link {

bool IsPortUsable(const SerialPort& port) { return port.IsOpen() && !port.HasFailed(); }

void Wait(Session& session, double seconds) {
    if (!(seconds > 0)) return;  // zero, negative or not a number: nothing to wait for
    const auto span = std::chrono::duration_cast<core::Duration>(std::chrono::duration<double>(seconds));
    const auto end = session.timing.Now() + span;
    for (auto now = session.timing.Now(); now < end; now = session.timing.Now())
        session.timing.RunEventsFor(end - now);
}

Arrival AwaitBytes(SerialPort& port, core::Timing& timing, int count, core::Duration timeOut) {
    const auto deadline = timing.Now() + timeOut;
    for (;;) {
        // Bytes that made it before a failure still count.
        if (port.BytesWaiting() >= count) return Arrival::Arrived;
        if (!IsPortUsable(port)) return Arrival::PortFailed;
        const auto now = timing.Now();
        if (now > deadline) return Arrival::TimedOut;
        // Up to the deadline, then the smallest step past it, so "strictly greater" is met exactly.
        port.WaitForMoreBytes(std::max(deadline - now, core::Duration(1)));
    }
}

bool Send(Session& session, const QByteArray& bytes) {
    if (!IsPortUsable(session.port) || !session.port.Write(bytes)) return false;
    session.counts.bytesOut += bytes.size();
    return true;
}

namespace {

void RunGap(Session& session, const Gap& gap) {
    switch (gap.kind) {
        case Gap::Kind::None:
            break;
        case Gap::Kind::Pause:
            session.timing.Sleep(gap.length);
            break;
        case Gap::Kind::Wait:
            Wait(session, std::chrono::duration<double>(gap.length).count());
            break;
    }
}

quint8 ParameterByte(const Parameter& p, std::initializer_list<quint8> arguments) {
    if (p.argument < 0) return p.fixed;
    return static_cast<size_t>(p.argument) < arguments.size() ? *(arguments.begin() + p.argument) : 0;
}

}  // namespace

CommandResult RunExchange(Session& session, const CommandRow& command,
                          std::initializer_list<quint8> arguments) {
    if (session.Cancelled()) return {Outcome::Cancelled, texts::kCancelled, {}};
    const CommandResult portFailed{Outcome::PortFailed, command.timeOutMessage, {}};
    // A failed port is reported at once rather than after the whole time-out.
    if (!IsPortUsable(session.port)) return portFailed;
    ++session.counts.exchanges;
    session.port.DiscardInput();

    // Bytes with nothing between them leave in one write (on the line it is the same signal); a pause or
    // a wait before a byte first sends what has gathered, so the pause still falls between the same bytes.
    QByteArray burst(1, command.letter);
    for (const Parameter& p : command.parameters) {
        if (p.before.kind != Gap::Kind::None) {
            if (!Send(session, burst)) return portFailed;
            burst.clear();
            RunGap(session, p.before);
        }
        burst.append(static_cast<char>(ParameterByte(p, arguments)));
    }
    if (!Send(session, burst)) return portFailed;
    // A command the writer does not answer (the update's entry and end mark) ends with its last byte.
    if (command.replyLength == 0) return {Outcome::Done, {}, {}};

    switch (AwaitBytes(session, command.replyLength, command.timeOut)) {
        case Arrival::Arrived:
            break;
        case Arrival::TimedOut:
            return {Outcome::TimedOut, command.timeOutMessage, {}};
        case Arrival::PortFailed:
            return portFailed;
    }

    // Only the first N bytes mean anything; the rest is dropped with this read or by the next discard.
    const QByteArray reply = session.port.ReadAll().left(command.replyLength);
    session.counts.bytesIn += reply.size();
    if (command.checkCr && static_cast<quint8>(reply.at(0)) != 0x0D) {
        QString message = command.wrongReplyMessage;
        if (command.appendReceivedByte)
            message = core::JoinTexts({message, QString(QChar::fromLatin1(reply.at(0)))});
        return {Outcome::WrongReply, message, reply};
    }
    return {Outcome::Done, {}, reply};
}

}  // namespace zendra::link
