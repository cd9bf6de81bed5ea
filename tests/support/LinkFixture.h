#pragma once
// A writer link on the fake clock that traces every write ("3B | p5:AC | w100:3F": hex, after a blocking
// pause p or a responsive wait w in ms).

#include <QtTest>
#include <optional>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "link/Commands.h"
#include "link/LinkTexts.h"
#include "operations/Run.h"

Q_DECLARE_METATYPE(zendra::link::Outcome)

namespace zendra::test {

using namespace std::chrono_literals;
using link::Outcome;
namespace texts = link::texts;

inline long long Ms(core::Duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

// Scripts like "c1=0D C1=0D": 'c' answers 0D after one more byte, then 'C' too; "A0=" is silence. Every
// reply comes `late` after the last byte, less its last `chop` bytes.
class LinkFixture {
public:
    explicit LinkFixture(const QString& script = {}, core::Duration late = 0ms, int chop = 0) {
        port.Open(kWriterPath);
        LetterScript letters;
        for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            LetterScript::Entry& e = letters.entries[token.at(0).toLatin1()];
            e.parameterBytes = token.mid(1, 1).toInt();
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

    // A run of the operations on this port for `device`, the port saved or not.
    operations::Run& Start(const QString& device = QStringLiteral("ATtiny26L"), bool saved = true) {
        target = {.device = devices::DeviceAt(devices::FindDevice(device).value_or(-1)),
                  .port = {.number = 1, .path = kWriterPath, .saved = saved}};
        run.emplace(env, target);
        return *run;
    }

    inline static const QString kWriterPath = QStringLiteral("/dev/ttyWRITER");
    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    link::Session session{port, timing};
    operations::Environment env{port, timing, ui, ui};
    operations::Target target;
    std::optional<operations::Run> run;
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
