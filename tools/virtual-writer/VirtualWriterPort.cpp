#include "VirtualWriterPort.h"

#include <algorithm>

namespace zendra::virtualwriter {

VirtualWriterPort::VirtualWriterPort(WriterModel& model, core::Timing& timing)
    : TimedPort(timing), m_model(model) {}

void VirtualWriterPort::Receive(const QByteArray& bytes) {
    const auto due = m_timing.Now() + m_model.Options().replyDelay;
    for (char b : bytes) {
        const QByteArray reply = m_model.FeedByte(static_cast<quint8>(b));
        if (reply.isEmpty()) continue;
        // A later reply never overtakes an earlier one.
        Send(reply, std::max(due, LastDue().value_or(due)));
    }
}

}  // namespace zendra::virtualwriter
