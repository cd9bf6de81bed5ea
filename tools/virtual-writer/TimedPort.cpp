#include "TimedPort.h"

#include <QRegularExpression>
#include <algorithm>

namespace zendra::virtualwriter {

TimedPort::TimedPort(core::Timing& timing) : m_timing(timing) {}

void TimedPort::Unplug() {
    m_failed = true;
    m_pending.clear();
}

bool TimedPort::Open(const QString& path) {
    m_openRefused = !m_open && unopenablePaths.contains(path);
    if (m_open || m_openRefused) return false;
    m_open = true;
    m_failed = false;
    m_path = path;
    m_input.clear();
    ++m_opens;
    return true;
}

void TimedPort::Close() {
    // Whatever was still on its way is lost with the line; the far end keeps its state.
    m_open = false;
    m_pending.clear();
    m_input.clear();
}

bool TimedPort::SetLineSettings(const QString& settings) {
    static const QRegularExpression kPattern(
        QStringLiteral("^\\s*\\d+\\s*,\\s*[neoms]\\s*,\\s*[5-8]\\s*,\\s*(1|1\\.5|2)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!kPattern.match(settings).hasMatch()) return false;
    m_lineSettings = settings;
    return true;
}

void TimedPort::Send(const QByteArray& bytes, core::Clock::time_point due) { m_pending.append({bytes, due}); }

std::optional<core::Clock::time_point> TimedPort::LastDue() const {
    if (m_pending.isEmpty()) return std::nullopt;
    return m_pending.last().due;
}

void TimedPort::DeliverDue() {
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

void TimedPort::DiscardInput() {
    DeliverDue();
    m_input.clear();
    ++m_discards;
}

int TimedPort::BytesWaiting() {
    if (!m_open) return 0;
    DeliverDue();
    return static_cast<int>(m_input.size());
}

bool TimedPort::Write(const QByteArray& bytes) {
    if (!m_open || m_failed) return false;
    Receive(bytes);
    return true;
}

QByteArray TimedPort::ReadAll() {
    if (!m_open) return {};
    DeliverDue();
    QByteArray out;
    out.swap(m_input);
    return out;
}

void TimedPort::WaitForMoreBytes(core::Duration maxWait) {
    if (m_failed || !m_open) return;
    // Sleep only until the next arrival is due, or the whole wait when nothing is on its way.
    auto until = m_timing.Now() + maxWait;
    for (const auto& p : m_pending) until = std::min(until, p.due);
    m_timing.RunEventsFor(std::max(core::Duration(0), until - m_timing.Now()));
    DeliverDue();
}

}  // namespace zendra::virtualwriter
