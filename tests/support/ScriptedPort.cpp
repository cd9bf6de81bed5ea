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
    m_writes.append({bytes, m_timing.Now(), QThread::currentThread()});
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
        // Counted per byte, so a frame answers the same whether its bytes came in one write or several.
        for (const char byte : bytes) {
            if (frame->remaining > 0) {
                if (--frame->remaining == 0) {
                    const auto& e = table.value(frame->letter);
                    port.QueueReply(e.reply, e.delay);
                    frame->remaining = -1;
                }
                continue;
            }
            if (!table.contains(byte)) continue;
            const auto& e = table.value(byte);
            if (e.parameterBytes == 0) {
                port.QueueReply(e.reply, e.delay);
            } else {
                frame->letter = byte;
                frame->remaining = e.parameterBytes;
            }
        }
    };
}

}  // namespace zendra::test
