#pragma once
// One writer link on the fake clock: scripted port, recording windows, settings in memory, and a trace of
// every write with the pauses and waits that stood before it.

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <chrono>
#include <functional>

#include "FakeTiming.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "core/SharedState.h"
#include "link/Link.h"
#include "link/PortMap.h"

namespace zendra::test {

using namespace std::chrono_literals;

struct TracedWrite {
    QByteArray bytes;
    core::Duration sleptBefore{0};   // blocking pauses since the previous write
    core::Duration waitedBefore{0};  // responsive waits since the previous write
};

class LinkFixture {
public:
    LinkFixture() {
        ports.Assign(2, QStringLiteral("/dev/ttyWRITER"));
        port.Open(QStringLiteral("/dev/ttyWRITER"));
        state.ProgramMemoryWords = 1024;
        ui.deviceText = QStringLiteral("ATtiny26L");
        port.responder = [this](ScriptedPort& p, const QByteArray& bytes) { Record(p, bytes); };
    }

    // Replies per letter; the script sees every write.
    void Script(LetterScript script) { m_letters = script.Responder(); }
    // A reply decided by the test from the bytes of each write.
    void Respond(std::function<void(ScriptedPort&, const QByteArray&)> respond) {
        m_letters = std::move(respond);
    }

    // "3B | p5:AC | w100:3F": each write in hex, with a blocking pause (p) or responsive wait (w) in ms
    // before it.
    QString Frame() const {
        QStringList parts;
        for (const TracedWrite& w : trace) {
            QString text;
            const auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(w.sleptBefore).count();
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(w.waitedBefore).count();
            if (slept) text += QStringLiteral("p%1:").arg(slept);
            if (waited) text += QStringLiteral("w%1:").arg(waited);
            text += QString::fromLatin1(w.bytes.toHex(' ').toUpper());
            parts << text;
        }
        return parts.join(QStringLiteral(" | "));
    }

    core::Clock::time_point LastWriteAt() const {
        return port.Writes().isEmpty() ? timing.Now() : port.Writes().last().at;
    }

    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [this] { return detected; }};
    QList<link::DetectedPort> detected;
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
    QList<TracedWrite> trace;

private:
    void Record(ScriptedPort& p, const QByteArray& bytes) {
        trace.append({bytes, timing.SleptTotal() - m_slept, timing.WaitedTotal() - m_waited});
        m_slept = timing.SleptTotal();
        m_waited = timing.WaitedTotal();
        if (m_letters) m_letters(p, bytes);
    }

    std::function<void(ScriptedPort&, const QByteArray&)> m_letters;
    core::Duration m_slept{0};
    core::Duration m_waited{0};
};

inline LetterScript::Entry Reply(const QByteArray& reply, int parameterWrites = 0,
                                 core::Duration delay = 0ms) {
    LetterScript::Entry e;
    e.parameterWrites = parameterWrites;
    e.reply = reply;
    e.delay = delay;
    return e;
}

}  // namespace zendra::test
