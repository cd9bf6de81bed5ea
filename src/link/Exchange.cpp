#include "link/Exchange.h"

#include <algorithm>

#include "link/Commands.h"

namespace zendra::link {

bool IsPortUsable(const SerialPort& port) { return port.IsOpen() && !port.HasFailed(); }

void Wait(LinkContext& ctx, double seconds) {
    if (!(seconds > 0)) return;  // zero, negative or not a number: nothing to wait for
    const auto span = std::chrono::duration_cast<core::Duration>(std::chrono::duration<double>(seconds));
    const auto end = ctx.timing.Now() + span;
    for (auto now = ctx.timing.Now(); now < end; now = ctx.timing.Now()) ctx.timing.RunEventsFor(end - now);
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

Arrival AwaitBytes(LinkContext& ctx, int count, core::Duration timeOut) {
    return AwaitBytes(ctx.port, ctx.timing, count, timeOut);
}

namespace {

void RunGap(LinkContext& ctx, const Gap& gap) {
    switch (gap.kind) {
        case Gap::Kind::None:
            break;
        case Gap::Kind::Pause:
            ctx.timing.Sleep(gap.length);
            break;
        case Gap::Kind::Wait:
            Wait(ctx, std::chrono::duration<double>(gap.length).count());
            break;
    }
}

quint8 ParameterByte(const Parameter& p, std::initializer_list<quint8> arguments) {
    if (p.argument < 0) return p.fixed;
    return static_cast<size_t>(p.argument) < arguments.size() ? *(arguments.begin() + p.argument) : 0;
}

bool Send(LinkContext& ctx, const QByteArray& bytes) {
    return IsPortUsable(ctx.port) && ctx.port.Write(bytes);
}

}  // namespace

ExchangeResult RunExchange(LinkContext& ctx, const CommandSpec& command, std::initializer_list<quint8> arguments,
                           qint16& error) {
    const auto fail = [&](Outcome outcome, const QString& message, QByteArray reply = {}) {
        error = 1;
        ctx.ui.SetStatusPanel(1, message);
        return ExchangeResult{outcome, std::move(reply)};
    };

    // A failed port is reported at once rather than after the whole time-out.
    if (!IsPortUsable(ctx.port)) return fail(Outcome::TimedOut, command.timeOutMessage);
    ctx.port.DiscardInput();
    if (!Send(ctx, QByteArray(1, command.letter))) return fail(Outcome::TimedOut, command.timeOutMessage);

    if (command.parametersInOneWrite && command.parameterCount > 0) {
        QByteArray frame;
        for (int i = 0; i < command.parameterCount; ++i)
            frame.append(static_cast<char>(ParameterByte(command.parameters[i], arguments)));
        RunGap(ctx, command.parameters[0].before);
        if (!Send(ctx, frame)) return fail(Outcome::TimedOut, command.timeOutMessage);
    } else {
        for (int i = 0; i < command.parameterCount; ++i) {
            const Parameter& p = command.parameters[i];
            RunGap(ctx, p.before);
            if (!Send(ctx, QByteArray(1, static_cast<char>(ParameterByte(p, arguments)))))
                return fail(Outcome::TimedOut, command.timeOutMessage);
        }
    }

    if (AwaitBytes(ctx, command.replyLength, command.timeOut) != Arrival::Arrived)
        return fail(Outcome::TimedOut, command.timeOutMessage);

    // Only the first N bytes mean anything; the rest is dropped with this read or by the next discard.
    const QByteArray reply = ctx.port.ReadAll().left(command.replyLength);
    if (command.checkCr && static_cast<quint8>(reply.at(0)) != 0x0D) {
        QString message = command.wrongReplyMessage;
        if (command.appendReceivedByte) message += QChar::fromLatin1(reply.at(0));
        return fail(Outcome::WrongReply, message, reply);
    }
    return {Outcome::Ok, reply};
}

}  // namespace zendra::link
