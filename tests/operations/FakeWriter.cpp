#include "FakeWriter.h"

namespace zendra::test {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kCr = 0x0D;

int ParameterCount(char letter) {
    switch (letter) {
        case 'T':
        case 'a':
        case 'W':
            return 2;
        case 'c':
        case 'C':
        case 'D':
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

}  // namespace

FakeWriter::FakeWriter(int flashWords, int eepromBytes, quint8 family_, quint8 part_)
    : flash(flashWords, 0xFFFF), eeprom(eepromBytes, char(0xFF)), family(family_), part(part_) {}

void FakeWriter::Attach(ScriptedPort& port) {
    port.responder = [this](ScriptedPort& p, const QByteArray& bytes) {
        for (char b : bytes) Receive(p, static_cast<quint8>(b));
    };
}

QByteArray FakeWriter::Phase(int n) const {
    int seen = 0;
    QByteArray out;
    for (char c : letters) {
        if (c == 'A') ++seen;
        if (seen == n) out += c;
        if (seen > n) break;
    }
    return out;
}

void FakeWriter::Receive(ScriptedPort& port, quint8 byte) {
    if (m_frame.isEmpty()) {
        const char letter = static_cast<char>(byte);
        letters += letter;
        const int occurrence = ++m_seen[letter];
        for (const auto& f : faults)
            if (f.kind == FaultKind::Silent && f.letter == letter && f.occurrence == occurrence)
                m_silent = true;
        m_needed = ParameterCount(letter);
    }
    m_frame += static_cast<char>(byte);
    if (m_frame.size() <= m_needed) return;

    const char letter = m_frame[0];
    const QByteArray params = m_frame.mid(1);
    m_frame.clear();
    if (m_silent) return;
    for (const auto& f : faults) {
        if (f.letter != letter || f.occurrence != m_seen[letter]) continue;
        if (f.kind == FaultKind::WrongReply) Execute(letter, params);
        if (f.kind != FaultKind::Silent) {
            port.QueueReply("?");
            return;
        }
    }
    const QByteArray reply = Execute(letter, params);
    if (!reply.isEmpty()) port.QueueReply(reply);
}

QByteArray FakeWriter::Execute(char letter, const QByteArray& p) {
    const auto u = [&](int i) { return static_cast<quint8>(p[i]); };
    const int word = m_address % flash.size();
    switch (letter) {
        case kEsc:
            return {};
        case '?':
            return "KX-WRT540 V6.35\r\n";
        case 'A':
        case 'P':
        case 'L':
        case 'T':
        case 'f':
        case 'u':
        case 'l':
        case ';':
            return QByteArray(1, kCr);
        case 'e':
            flash.fill(0xFFFF);
            eeprom.fill(char(0xFF));
            return QByteArray(1, kCr);
        case 's':
            return QByteArray() + char(part) + char(family) + char(0x1E);
        case 'a':
            m_address = static_cast<quint16>(u(0) << 8 | u(1));
            return QByteArray(1, kCr);
        case 'c':
            m_lowLatch = u(0);
            return QByteArray(1, kCr);
        case 'C':
        case 'W': {
            const quint16 value = letter == 'C' ? quint16(u(0) << 8 | m_lowLatch) : quint16(u(1) << 8 | u(0));
            flash[word] &= value;  // flash bits only clear until the next erase
            ++m_address;
            return QByteArray(1, kCr);
        }
        case 'R':
            ++m_address;
            return QByteArray() + char(flash[word] >> 8) + char(flash[word] & 0xFF);
        case 'd':
            return QByteArray(1, eeprom[m_address % eeprom.size()]);
        case 'D':
            eeprom[m_address % eeprom.size()] = p[0];
            return QByteArray(1, kCr);
        case 'r':
        case 'F':
        case 'o':
        case ':':
            return QByteArray(1, char(0xFF));
        default:
            return "?";
    }
}

}  // namespace zendra::test
