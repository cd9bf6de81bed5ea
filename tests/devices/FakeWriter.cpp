#include "FakeWriter.h"

namespace zendra::test {

namespace {

// Writes that follow each letter before its frame is complete.
int ParameterWrites(char letter) {
    switch (letter) {
        case 'T':
        case 'f':
        case 'u':
        case 'l':
            return 1;
        case ';':
            return 4;
        case ':':
            return 3;
        default:
            return 0;
    }
}

const QByteArray kCr(1, '\r');

}  // namespace

void FakeWriter::Attach(ScriptedPort& port) {
    port.responder = [this](ScriptedPort& p, const QByteArray& bytes) { OnWrite(p, bytes); };
}

void FakeWriter::OnWrite(ScriptedPort& port, const QByteArray& bytes) {
    if (m_remaining > 0) {
        m_parameters += bytes;
        if (--m_remaining == 0) Finish(port);
        return;
    }
    for (char byte : bytes) {
        m_letter = byte;
        m_parameters.clear();
        m_remaining = ParameterWrites(byte);
        if (m_remaining == 0) Finish(port);
    }
}

void FakeWriter::Finish(ScriptedPort& port) {
    QString frame = m_letter == '\x1B' ? QStringLiteral("ESC") : QString(QLatin1Char(m_letter));
    for (char p : m_parameters)
        frame += QStringLiteral(" %1").arg(quint8(p), 2, 16, QLatin1Char('0')).toUpper();
    frames << frame;

    if (silentAfterLeave >= 0 && m_leaves >= silentAfterLeave) return;
    if (unanswered.contains(m_letter)) return;
    const QByteArray reply = Answer(m_letter, m_parameters);
    if (!reply.isEmpty()) port.QueueReply(reply);
    if (m_letter == 'L') ++m_leaves;
}

QByteArray FakeWriter::Answer(char letter, const QByteArray& parameters) {
    const auto value = [&](int i) { return quint8(parameters.at(i)); };
    switch (letter) {
        case '\x1B':
            return {};
        case '?':
            return QByteArrayLiteral("KX-WRT540 V6.35\r\n");
        case 'A':
        case 'P':
        case 'L':
        case 'T':
            return kCr;
        case 's':
            return QByteArray() + char(part) + char(family) + char(0x1E);
        case 'r':
            return QByteArray(1, char(fuseLow));
        case ':':
            return QByteArray(1, char(fuseHigh));
        case 'F':
            return QByteArray(1, char(lock));
        case 'o':
            return QByteArray(1, char(calibration));
        case 'f':
        case 'u':
            fuseLow = value(0);
            return kCr;
        case 'l':
            lock = value(0);
            return kCr;
        case ';':
            if (value(1) == 0xA8) fuseHigh = value(3);
            if (value(1) == 0xE0) lock = value(3);
            return kCr;
        default:
            return QByteArray(1, '?');
    }
}

}  // namespace zendra::test
