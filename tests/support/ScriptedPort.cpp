#include "ScriptedPort.h"

#include <memory>

namespace zendra::test {

ScriptedPort::ScriptedPort(FakeTiming& timing) : TimedPort(timing) {}

void ScriptedPort::QueueReply(const QByteArray& bytes, core::Duration delay) {
    const auto base = m_writes.isEmpty() ? m_timing.Now() : m_writes.last().at;
    Send(bytes, base + delay);
}

QByteArray ScriptedPort::AllWritten() const {
    QByteArray all;
    for (const auto& w : m_writes) all += w.bytes;
    return all;
}

void ScriptedPort::Receive(const QByteArray& bytes) {
    m_writes.append({bytes, m_timing.Now()});
    if (responder) responder(*this, bytes);
}

std::function<void(ScriptedPort&, const QByteArray&)> LetterScript::Responder() {
    struct Frame {
        char letter = 0;
        int remaining = -1;
    };
    auto frame = std::make_shared<Frame>();
    auto table = entries;
    return [frame, table](ScriptedPort& port, const QByteArray& bytes) {
        if (frame->remaining > 0) {
            if (--frame->remaining == 0) {
                const auto& e = table.value(frame->letter);
                port.QueueReply(e.reply, e.delay);
                frame->remaining = -1;
            }
            return;
        }
        if (bytes.size() != 1 || !table.contains(bytes[0])) return;
        const auto& e = table.value(bytes[0]);
        if (e.parameterWrites == 0) {
            port.QueueReply(e.reply, e.delay);
        } else {
            frame->letter = bytes[0];
            frame->remaining = e.parameterWrites;
        }
    };
}

}  // namespace zendra::test
