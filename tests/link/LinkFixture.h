#pragma once
// A writer link on the fake clock that traces every write ("3B | p5:AC | w100:3F": hex, after a blocking
// pause p or a responsive wait w in ms).

#include <QtTest>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "link/Commands.h"
#include "link/Texts.h"

Q_DECLARE_METATYPE(zendra::link::Outcome)

namespace zendra::test {

using namespace std::chrono_literals;
using link::Outcome;
namespace texts = link::texts;

inline long long Ms(core::Duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

// Scripts like "c1=0D C1=0D": 'c' answers 0D after one more write, then 'C' too; "A0=" is silence. Every
// reply comes `late` after the last byte, less its last `chop` bytes.
class LinkFixture {
public:
    explicit LinkFixture(const QString& script = {}, core::Duration late = 0ms, int chop = 0) {
        ports.Assign(1, QStringLiteral("/dev/ttyWRITER"));
        port.Open(QStringLiteral("/dev/ttyWRITER"));
        state.ProgramMemoryWords = 1024;
        ui.deviceText = QStringLiteral("ATtiny26L");
        LetterScript letters;
        for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            LetterScript::Entry& e = letters.entries[token.at(0).toLatin1()];
            e.parameterWrites = token.mid(1, 1).toInt();
            e.reply = QByteArray::fromHex(token.mid(3).toLatin1());
            e.reply.chop(chop);
            e.delay = late;
        }
        respond = letters.Responder();
        port.responder = [this](ScriptedPort& p, const QByteArray& bytes) {
            trace << Gaps() + QString::fromLatin1(bytes.toHex(' ').toUpper());
            m_slept = timing.SleptTotal();
            m_waited = timing.WaitedTotal();
            trace.size() == vanishAt ? p.Vanish() : respond(p, bytes);
        };
    }
    // The writes, then the gaps after the last one ("4C | w100").
    QString Frame() const {
        return (Gaps().isEmpty() ? trace : trace + QStringList(Gaps().chopped(1))).join(" | ");
    }

    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>(); }};
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
    std::function<void(ScriptedPort&, const QByteArray&)> respond;
    int vanishAt = -1;  // the port fails right after this write (1-based)
    QStringList trace;

private:
    QString Gaps() const {
        QString text;
        if (const auto ms = Ms(timing.SleptTotal() - m_slept)) text += QStringLiteral("p%1:").arg(ms);
        if (const auto ms = Ms(timing.WaitedTotal() - m_waited)) text += QStringLiteral("w%1:").arg(ms);
        return text;
    }
    core::Duration m_slept{0}, m_waited{0};
};

}  // namespace zendra::test
