#pragma once
// A serial port whose far end is a script: every byte written is recorded with the fake time at which it
// left, and a responder decides what comes back and after how long. Replies arrive on the fake clock,
// so a reply 1.5 s late on a 1 s time-out is checked without waiting.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QThread>
#include <functional>

#include "FakeTiming.h"
#include "TimedPort.h"

namespace zendra::test {

class ScriptedPort final : public virtualwriter::TimedPort {
public:
    struct Sent {
        QByteArray bytes;             // one Write call
        core::Clock::time_point at;   // fake time when it left
        QThread* thread = nullptr;    // the thread that wrote it
    };

    explicit ScriptedPort(FakeTiming& timing);

    // Called after every Write with the bytes of that write; may call QueueReply.
    std::function<void(ScriptedPort&, const QByteArray&)> responder;

    // `bytes` become readable `delay` after the last write so far.
    void QueueReply(const QByteArray& bytes, core::Duration delay = core::Duration(0));
    void Vanish() { Unplug(); }  // the scripts' name for pulling the cable

    // What went over the wire.
    const QList<Sent>& Writes() const { return m_writes; }
    QByteArray AllWritten() const;
    void ClearWrites() { m_writes.clear(); }

protected:
    void Receive(const QByteArray& bytes) override;

private:
    QList<Sent> m_writes;
};

// A responder built from a table: the reply to each command letter (first byte of a frame), sent after
// the entry's `parameterBytes` further bytes. Letters without an entry get no reply.
struct LetterScript {
    struct Entry {
        int parameterBytes = 0;       // bytes that follow the letter before the reply is due
        QByteArray reply;
        core::Duration delay{0};
    };
    QHash<char, Entry> entries;
    std::function<void(ScriptedPort&, const QByteArray&)> Responder();
};

}  // namespace zendra::test
