#pragma once
// The firmware-update side of a scripted writer, and the update files it is fed: shared by the tests of the
// update protocol and of the update dialog.

#include <QByteArray>
#include <QFile>
#include <QMap>

#include "ScriptedPort.h"
#include "TestEnvironment.h"
#include "update/UpdateProtocol.h"

namespace zendra::test {

using Words = QMap<quint32, quint16>;  // word address -> high << 8 | low

// One record with a correct checksum and upper-case digits; `hex` is its data.
inline QByteArray Rec(quint16 address, const QByteArray& hex, quint8 type = 0) {
    const QByteArray data = QByteArray::fromHex(hex);
    QByteArray b = char(data.size()) + QByteArray(1, char(address >> 8)) + char(address) + char(type) + data;
    quint8 sum = 0;
    for (char c : b) sum = quint8(sum - quint8(c));
    return ':' + (b + char(sum)).toHex().toUpper();
}
// Each word as a data record (low byte first), then the end record.
inline QByteArray WordsFile(const Words& words) {
    QByteArray text;
    for (auto [w, v] : words.asKeyValueRange())
        text += Rec(quint16(w * 2), (QByteArray(1, char(v)) + char(v >> 8)).toHex()) + "\r\n";
    return text + ":00000001FF\r\n";
}
inline Words Firmware(quint32 first, quint32 last) {
    Words words;
    for (quint32 w = first; w <= last; ++w) words.insert(w, quint16(w * 0x9E37u ^ w >> 3));
    return words;
}
// The words that reach the writer: 0x0000-0x1EFF and 0x1FE0-0x1FFE.
inline Words Sent(const Words& words) {
    Words sent;
    for (auto [w, v] : words.asKeyValueRange())
        if (w <= 0x1EFF || (w >= 0x1FE0 && w <= 0x1FFE)) sent.insert(w, v);
    return sent;
}

// '?' answers the identification, 'U' enters update mode, a four-byte write is a word answered by its sum
// (from packet `wrongFrom` on by `wrongEcho`), FF FF FF FF ends update mode. `vanish` pulls the cable.
struct UpdateWriter {
    QByteArray versionReply = "KX-WRT540 V6.35\r\n";
    core::Duration versionDelay{0}, echoDelay{0};
    bool silent = false, vanish = false, updating = false, ended = false;
    int wrongFrom = -1, packets = 0;
    quint8 wrongEcho = 0xA7;
    Words words;
    void Attach(ScriptedPort& port) {
        port.responder = [this](ScriptedPort& p, const QByteArray& bytes) {
            const auto b = [&](int i) { return quint8(bytes[i]); };
            if (bytes == "?") p.QueueReply(versionReply, versionDelay);
            if (bytes.size() == 1) updating = bytes == "U";
            if (bytes.size() != 4 || !updating) return;
            if (vanish) return p.Vanish();
            if ((ended = bytes == update::kEndMark)) return void(updating = false);
            words.insert(b(0) << 8 | b(1), quint16(b(2) << 8 | b(3)));
            const quint8 echo =
                packets++ >= wrongFrom && wrongFrom >= 0 ? wrongEcho : b(0) + b(1) + b(2) + b(3);
            if (!silent) p.QueueReply(QByteArray(1, char(echo)), echoDelay);
        };
    }
};

}  // namespace zendra::test
