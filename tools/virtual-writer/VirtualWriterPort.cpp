#include "VirtualWriterPort.h"

#include <QRegularExpression>

namespace zendra::virtualwriter {

VirtualWriterPort::VirtualWriterPort(WriterModel& model, core::Timing& timing)
    : m_model(model), m_timing(timing) {}

void VirtualWriterPort::Unplug() {
    m_failed = true;
    m_pending.clear();
}

bool VirtualWriterPort::Open(const QString& path) {
    if (m_open || unopenablePaths.contains(path)) return false;
    m_open = true;
    m_failed = false;
    m_path = path;
    m_input.clear();
    ++m_opens;
    return true;
}

void VirtualWriterPort::Close() {
    // Whatever was still on its way is lost with the line; the writer itself keeps its state.
    m_open = false;
    m_pending.clear();
    m_input.clear();
}

bool VirtualWriterPort::SetLineSettings(const QString& settings) {
    static const QRegularExpression kPattern(
        QStringLiteral("^\\s*\\d+\\s*,\\s*[neoms]\\s*,\\s*[5-8]\\s*,\\s*(1|1\\.5|2)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!kPattern.match(settings).hasMatch()) return false;
    m_lineSettings = settings;
    return true;
}

void VirtualWriterPort::DeliverDue() {
    const auto now = m_timing.Now();
    // Replies are queued in order with non-decreasing due times, so the front is always next.
    while (!m_pending.isEmpty() && m_pending.first().due <= now) {
        m_input += m_pending.takeFirst().bytes;
    }
}

void VirtualWriterPort::DiscardInput() {
    DeliverDue();
    m_input.clear();
}

int VirtualWriterPort::BytesWaiting() {
    if (!m_open) return 0;
    DeliverDue();
    return static_cast<int>(m_input.size());
}

bool VirtualWriterPort::Write(const QByteArray& bytes) {
    if (!m_open || m_failed) return false;
    const auto due = m_timing.Now() + m_model.Options().replyDelay;
    for (char b : bytes) {
        const QByteArray reply = m_model.FeedByte(static_cast<quint8>(b));
        if (reply.isEmpty()) continue;
        // A later reply never overtakes an earlier one.
        const auto at = m_pending.isEmpty() ? due : std::max(due, m_pending.last().due);
        m_pending.append({reply, at});
    }
    return true;
}

QByteArray VirtualWriterPort::ReadAll() {
    if (!m_open) return {};
    DeliverDue();
    QByteArray out;
    out.swap(m_input);
    return out;
}

void VirtualWriterPort::WaitForMoreBytes(core::Duration maxWait) {
    if (m_failed || !m_open) return;
    // Sleep only until the next reply is due, or the whole wait when none is on its way.
    auto until = m_timing.Now() + maxWait;
    if (!m_pending.isEmpty()) until = std::min(until, m_pending.first().due);
    m_timing.RunEventsFor(std::max(core::Duration(0), until - m_timing.Now()));
    DeliverDue();
}

}  // namespace zendra::virtualwriter
