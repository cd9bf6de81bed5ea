#include "ScriptedPort.h"

#include <memory>

namespace zendra::test {

ScriptedPort::ScriptedPort(FakeTiming& timing) : m_timing(timing) {}

void ScriptedPort::QueueReply(const QByteArray& bytes, core::Duration delay) {
    const auto base = m_writes.isEmpty() ? m_timing.Now() : m_writes.last().at;
    m_pending.append({bytes, base + delay});
}

void ScriptedPort::Vanish() {
    m_failed = true;
    m_pending.clear();
}

QByteArray ScriptedPort::AllWritten() const {
    QByteArray all;
    for (const auto& w : m_writes) all += w.bytes;
    return all;
}

bool ScriptedPort::Open(const QString& path) {
    m_openRefused = !m_open && unopenablePaths.contains(path);
    if (m_open || m_openRefused) return false;
    m_open = true;
    m_failed = false;
    m_path = path;
    ++m_opens;
    return true;
}

void ScriptedPort::Close() { m_open = false; }

bool ScriptedPort::SetLineSettings(const QString& settings) {
    m_lineSettings = settings;
    return true;
}

void ScriptedPort::DeliverDue() {
    const auto now = m_timing.Now();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->due <= now) {
            m_input += it->bytes;
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
}

void ScriptedPort::DiscardInput() {
    DeliverDue();
    m_input.clear();
    ++m_discards;
}

int ScriptedPort::BytesWaiting() {
    DeliverDue();
    return m_open ? static_cast<int>(m_input.size()) : 0;
}

bool ScriptedPort::Write(const QByteArray& bytes) {
    if (!m_open || m_failed) return false;
    m_writes.append({bytes, m_timing.Now()});
    if (responder) responder(*this, bytes);
    return true;
}

QByteArray ScriptedPort::ReadAll() {
    DeliverDue();
    QByteArray out;
    out.swap(m_input);
    return out;
}

void ScriptedPort::WaitForMoreBytes(core::Duration maxWait) {
    if (m_failed || !m_open) return;
    // Jump straight to the next reply when it is due within the wait.
    auto next = m_timing.Now() + maxWait;
    for (const auto& p : m_pending) next = std::min(next, p.due);
    const auto step = std::max(core::Duration(0), next - m_timing.Now());
    m_timing.RunEventsFor(step);
    DeliverDue();
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
