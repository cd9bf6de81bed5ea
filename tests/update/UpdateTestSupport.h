#pragma once
// Helpers of the update tests: Intel HEX records built from bytes, a writer in update mode on a scripted
// port, and a recorder of what the transfer shows.

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <optional>

#include "FakeTiming.h"
#include "ScriptedPort.h"
#include "update/UpdateProtocol.h"

namespace zendra::test {

// One record with a correct checksum, upper-case digits.
inline QByteArray Record(quint16 address, quint8 type, const QByteArray& data) {
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (char b : bytes) sum = quint8(sum + quint8(b));
    bytes.append(char(quint8(0x100 - sum)));
    return ':' + bytes.toHex().toUpper();
}

// Words (address -> high << 8 | low) as data records of up to eight words, low byte first, then the end
// record.
inline QByteArray WordsFile(const QMap<quint32, quint16>& words) {
    QByteArray text;
    QByteArray data;
    quint32 first = 0;
    quint32 next = 0;
    const auto flush = [&] {
        if (!data.isEmpty()) text += Record(quint16(first * 2), 0, data) + "\r\n";
        data.clear();
    };
    for (auto it = words.cbegin(); it != words.cend(); ++it) {
        if (data.isEmpty() || it.key() != next || data.size() == 16) {
            flush();
            first = it.key();
        }
        data.append(char(it.value() & 0xFF));
        data.append(char(it.value() >> 8));
        next = it.key() + 1;
    }
    flush();
    return text + ":00000001FF\r\n";
}

// The writer's side of the update: '?' answers the identification, 'U' enters update mode, every four
// bytes are a word answered by their sum, FF FF FF FF ends update mode.
struct UpdateWriterScript {
    QByteArray versionReply = QByteArrayLiteral("KX-WRT540 V6.35\r\n");
    core::Duration versionDelay{0};
    core::Duration echoDelay{0};
    bool silent = false;
    int wrongEchoFrom = -1;  // packet index from which the echo is `wrongEcho`
    quint8 wrongEcho = 0xA7;

    bool updating = false;
    bool ended = false;
    int packets = 0;
    int entries = 0;
    QByteArray pending;
    QMap<quint32, quint16> words;

    void Attach(ScriptedPort& port) {
        port.responder = [this](ScriptedPort& p, const QByteArray& bytes) { Receive(p, bytes); };
    }

    void Receive(ScriptedPort& port, const QByteArray& bytes) {
        for (const char c : bytes) {
            if (!updating) {
                if (c == '?') port.QueueReply(versionReply, versionDelay);
                if (c == 'U') {
                    updating = true;
                    ++entries;
                }
                continue;
            }
            pending.append(c);
            if (pending.size() < 4) continue;
            const auto b = [this](int i) { return quint8(pending[i]); };
            if (pending == QByteArray(4, char(0xFF))) {
                updating = false;
                ended = true;
            } else {
                const quint32 address = quint32(b(0)) << 8 | b(1);
                words.insert(address, quint16(b(2) << 8 | b(3)));
                const quint8 sum = quint8(b(0) + b(1) + b(2) + b(3));
                if (!silent) {
                    const quint8 echo = (wrongEchoFrom >= 0 && packets >= wrongEchoFrom) ? wrongEcho : sum;
                    port.QueueReply(QByteArray(1, char(echo)), echoDelay);
                }
                ++packets;
            }
            pending.clear();
        }
    }
};

// What the transfer showed, one line per call, with the fake time of each.
class RecordingDisplay final : public update::UpdateDisplay {
public:
    explicit RecordingDisplay(core::Timing& timing) : m_timing(timing) {}

    QStringList calls;
    QString status;
    QString failureText;
    QStringList boxes;  // "title|text"
    int resets = 0;
    int shows = 0;
    int lastShown = -1;
    int pumps = 0;
    core::Clock::time_point statusAt{};

    void msgCmt(const QString& text) override {
        status = text;
        statusAt = m_timing.Now();
        calls << QStringLiteral("status ") + text;
    }
    void ResetProgressBar() override {
        ++resets;
        calls << QStringLiteral("reset");
    }
    void ShowProgressBar(int minimum, int maximum, int value) override {
        ++shows;
        lastShown = value;
        calls << QStringLiteral("bar %1 %2 %3").arg(minimum).arg(maximum).arg(value);
    }
    void ShowFailureText(const QString& text) override {
        failureText = text;
        calls << QStringLiteral("failure");
    }
    void ShowInformationBox(const QString& title, const QString& text) override {
        boxes << title + QLatin1Char('|') + text;
        calls << QStringLiteral("box");
    }
    void PumpEvents() override {
        ++pumps;
        calls << QStringLiteral("pump");
    }

private:
    core::Timing& m_timing;
};

}  // namespace zendra::test
