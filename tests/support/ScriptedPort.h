#pragma once
// A serial port whose far end is a script: every byte written is recorded with the fake time at which it
// left, and a responder decides what comes back and after how long. Replies arrive on the fake clock,
// so a reply 1.5 s late on a 1 s time-out is checked without waiting.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

#include "FakeTiming.h"
#include "link/SerialPort.h"

namespace zendra::test {

class ScriptedPort final : public link::SerialPort {
public:
    struct Sent {
        QByteArray bytes;             // one Write call
        core::Clock::time_point at;   // fake time when it left
    };

    explicit ScriptedPort(FakeTiming& timing);

    // Called after every Write with the bytes of that write; may call QueueReply.
    std::function<void(ScriptedPort&, const QByteArray&)> responder;

    // `bytes` become readable `delay` after the last write so far.
    void QueueReply(const QByteArray& bytes, core::Duration delay = core::Duration(0));
    // Makes the port fail as an unplugged cable does (every later write fails, nothing arrives).
    void Vanish();
    // Open fails for these paths, and says this.
    QList<QString> unopenablePaths;
    QString openFailureReason;

    // What went over the wire.
    const QList<Sent>& Writes() const { return m_writes; }
    QByteArray AllWritten() const;
    void ClearWrites() { m_writes.clear(); }
    int DiscardCount() const { return m_discards; }
    int OpenCount() const { return m_opens; }
    QString LastLineSettings() const { return m_lineSettings; }

    bool Open(const QString& path) override;
    void Close() override;
    QString OpenFailureReason() const override { return m_openRefused ? openFailureReason : QString(); }
    bool IsOpen() const override { return m_open; }
    QString PortPath() const override { return m_path; }
    bool SetLineSettings(const QString& settings) override;
    void SetNoHandshaking() override {}
    bool SetRts(bool) override { return true; }
    void DiscardInput() override;
    int BytesWaiting() override;
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    void WaitForMoreBytes(core::Duration maxWait) override;
    bool HasFailed() const override { return m_failed; }

private:
    struct Pending {
        QByteArray bytes;
        core::Clock::time_point due;
    };
    void DeliverDue();

    FakeTiming& m_timing;
    QList<Sent> m_writes;
    QList<Pending> m_pending;
    QByteArray m_input;
    QString m_path;
    QString m_lineSettings;
    bool m_openRefused = false;
    bool m_open = false;
    bool m_failed = false;
    int m_discards = 0;
    int m_opens = 0;
};

// A responder built from a table: the reply to each command letter (first byte of a frame), sent after
// the frame's `parameterBytes[letter]` further writes. Letters without an entry get no reply.
struct LetterScript {
    struct Entry {
        int parameterWrites = 0;      // writes that follow the letter before the reply is due
        QByteArray reply;
        core::Duration delay{0};
    };
    QHash<char, Entry> entries;
    std::function<void(ScriptedPort&, const QByteArray&)> Responder();
};

}  // namespace zendra::test
