// The writer commands on the scripted port: exact frames and time-outs, wrong and missing replies, late and
// surplus bytes, a vanished port, the signature rules, the device check and the communication check.

#include <cmath>

#include "LinkFixture.h"
#include "operations/Checks.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A routine with the row's argument `a`.
using Call = link::CommandResult (*)(link::Session& c, int a);
using devices::WordWrite;
// clang-format off
#define CALL(expr) +[](link::Session& c, [[maybe_unused]] int a) { return link::expr; }
// `script` replies exactly as many bytes as the command reads.
struct Frame { Call call; int arg; QString script, frame; QByteArray read; int timeOut; };
struct Failure { Call call; int arg; QString script; int vanish; Outcome outcome; QString frame, message; };
// `replies`: one per try, the last repeats, "" is silence.
// `refused`: the signature rules turned the chip away (an error, a failed exchange aside).
struct Signature { QString selected; QStringList replies; int tries; bool error, refused; QStringList notices; QString panel2; };
struct Check { QString script, frame; bool mismatch; int error; };
// The writer answers '?' with `id`, the frame of 'T' with `t` after `tMs`, 'A' with CR after `aMs` (never
// when negative), and vanishes after write `vanish`. `message` is empty when the message window is closed;
// `advisory` is the version the advisory shows.
struct Comm { bool saved, openable; QByteArray id, t; bool result; QString frame, message; bool open; int error; QString advisory, panel3; int aMs = 0, tMs = 0, vanish = -1; };
// clang-format on

}  // namespace

Q_DECLARE_METATYPE(Frame)
Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(Signature)
Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(Comm)

class CommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void frames_data() {
        QTest::addColumn<Frame>("row");
        // clang-format off
        QTest::newRow("EnterAvrCommandSet") << Frame{CALL(EnterAvrCommandSet(c)), 0, "A0=0D", "41", {}, 1};
        QTest::newRow("EnterProgrammingMode") << Frame{CALL(EnterProgrammingMode(c)), 0, "P0=0D", "50", {}, 1};
        QTest::newRow("LeaveProgrammingMode") << Frame{CALL(LeaveProgrammingMode(c)), 0, "L0=0D", "4C | w100", {}, 1};
        QTest::newRow("SelectDevice T, then code and 0x00 in one write") << Frame{CALL(SelectDevice(c, a)), 0x48, "T1=0D", "54 | 48 00", {}, 2};
        QTest::newRow("ReadSignature") << Frame{CALL(ReadSignature(c)), 0, "s0=09911E", "73", "\x09\x91\x1E", 1};
        QTest::newRow("ChipErase") << Frame{CALL(ChipErase(c)), 0, "e0=0D", "65", {}, 1};
        QTest::newRow("SelectAddress 0x0123") << Frame{CALL(SelectAddress(c, a)), 0x0123, "a2=0D", "61 | 01 | 23", {}, 5};
        QTest::newRow("WriteProgramWord 0x1234: c low, C high") << Frame{CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a)), 0x1234, "c1=0D C1=0D", "63 | 34 | 43 | 12", {}, 5};
        QTest::newRow("WriteProgramWordTiny26 0x1234") << Frame{CALL(WriteProgramWord(c, WordWrite::Tiny26, a >> 8, a)), 0x1234, "W2=0D", "57 | p1:34 | 12", {}, 5};
        QTest::newRow("ReadProgramWord high then low") << Frame{CALL(ReadProgramWord(c)), 0, "R0=ABCD", "52", "\xAB\xCD", 5};
        QTest::newRow("ReadDataByte") << Frame{CALL(ReadDataByte(c)), 0, "d0=5A", "64", "\x5A", 5};
        QTest::newRow("WriteDataByte") << Frame{CALL(WriteDataByte(c, a)), 0xA5, "D1=0D", "44 | A5", {}, 5};
        QTest::newRow("WriteFuse") << Frame{CALL(WriteFuse(c, a)), 0x3F, "f1=0D", "66 | w100:3F", {}, 1};
        QTest::newRow("WriteFuseLow") << Frame{CALL(WriteFuseLow(c, a)), 0xE1, "u1=0D", "75 | w100:E1", {}, 1};
        QTest::newRow("WriteFuseHigh 0xF7") << Frame{CALL(WriteFuseHigh(c, a)), 0xF7, ";4=0D", "3B | p5:AC | p5:A8 | p5:00 | p5:F7", {}, 1};
        QTest::newRow("WriteLock") << Frame{CALL(WriteLock(c, a)), 0xF9, "l1=0D", "6C | w100:F9", {}, 5};
        QTest::newRow("WriteLockTiny26 0xFC") << Frame{CALL(WriteLockTiny26(c, a)), 0xFC, ";4=0D", "3B | p5:AC | p5:E0 | p5:00 | p5:FC", {}, 5};
        QTest::newRow("ReadLockFuse") << Frame{CALL(ReadLockFuse(c)), 0, "F0=9F", "46", "\x9F", 5};
        QTest::newRow("ReadFuse") << Frame{CALL(ReadFuse(c)), 0, "r0=DF", "72", "\xDF", 2};
        QTest::newRow("ReadFuseHigh") << Frame{CALL(ReadFuseHigh(c)), 0, ":3=F7", "3A | p5:58 | p5:08 | p5:00", "\xF7", 2};
        QTest::newRow("ReadCalibration") << Frame{CALL(ReadCalibration(c)), 0, "o0=A3", "6F", "\xA3", 2};
        QTest::newRow("ReadFuse answered CR reads 0x0D") << Frame{CALL(ReadFuse(c)), 0, "r0=0D", "72", "\x0D", 2};
        // clang-format on
    }
    void frames() {
        QFETCH(Frame, row);
        // Replies at once, exactly at the time-out after the last byte, 1 ms later, one byte short; a
        // time-out reads nothing and carries the command's text. The fake clock crosses a day boundary during
        // these waits.
        const core::Duration limit = std::chrono::seconds(row.timeOut);
        const auto ok = Outcome::Done, late = Outcome::TimedOut;
        const std::tuple<core::Duration, int, Outcome> runs[] = {
            {0ms, 0, ok}, {limit, 0, ok}, {limit + 1ms, 0, late}, {0ms, 1, late}};
        for (const auto& [delay, chop, outcome] : runs) {
            LinkFixture f(row.script, delay, chop);
            const link::CommandResult result = row.call(f.session, row.arg);
            QCOMPARE(result.outcome, outcome);
            QCOMPARE(result.message.isEmpty(), outcome == ok);
            if (!row.read.isEmpty()) QCOMPARE(result.data, outcome == ok ? row.read : QByteArray());
            if (delay == 0ms && chop == 0) QCOMPARE(f.Frame(), row.frame);
        }
    }

    void failures_data() {
        // vanish: the port fails after this many writes (-1: never); it fails at once, without a time-out.
        QTest::addColumn<Failure>("row");
        const auto wrong = Outcome::WrongReply, silent = Outcome::TimedOut, gone = Outcome::PortFailed;
        // clang-format off
        QTest::newRow("EnterAvrCommandSet ? then CR") << Failure{CALL(EnterAvrCommandSet(c)), 0, "A0=3F0D", -1, wrong, "41", texts::kFailEnterAvr};
        QTest::newRow("EnterProgrammingMode names the byte") << Failure{CALL(EnterProgrammingMode(c)), 0, "P0=58", -1, wrong, "50", texts::kWrongEnterProgramming + "X"};
        QTest::newRow("LeaveProgrammingMode wrong, still waits") << Failure{CALL(LeaveProgrammingMode(c)), 0, "L0=3F", -1, wrong, "4C | w100", texts::kFailLeaveProgramming};
        QTest::newRow("LeaveProgrammingMode silent: no wait after") << Failure{CALL(LeaveProgrammingMode(c)), 0, "", -1, silent, "4C | w1000", texts::kFailLeaveProgramming};
        QTest::newRow("SelectDevice rejected") << Failure{CALL(SelectDevice(c, a)), 0x48, "T1=3F", -1, wrong, "54 | 48 00", texts::kRejectedSelectDevice};
        QTest::newRow("WriteProgramWord c wrong, C still sent") << Failure{CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a)), 0x1234, "c1=3F C1=0D", -1, wrong, "63 | 34 | 43 | 12", texts::kWrongWriteLow};
        QTest::newRow("WriteProgramWord C wrong") << Failure{CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a)), 0x1234, "c1=0D C1=3F", -1, wrong, "63 | 34 | 43 | 12", texts::kWrongWriteHigh};
        QTest::newRow("WriteProgramWord c silent, C never sent") << Failure{CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a)), 0x1234, "C1=0D", -1, silent, "63 | 34 | w5000", texts::kFailWriteLow};
        QTest::newRow("SelectAddress below 0 is not sent") << Failure{CALL(SelectAddress(c, a)), -1, "a2=0D", -1, wrong, "", texts::kFailSelectAddress};
        QTest::newRow("SelectAddress past 0xFFFF is not sent") << Failure{CALL(SelectAddress(c, a)), 0x10000, "a2=0D", -1, wrong, "", texts::kFailSelectAddress};
        QTest::newRow("WriteLock on a vanished port") << Failure{CALL(WriteLock(c, a)), 0xF9, "l1=0D", 0, gone, "", texts::kFailWriteLock};
        QTest::newRow("WriteLockTiny26 port gone mid-frame") << Failure{CALL(WriteLockTiny26(c, a)), 0xFC, ";4=0D", 1, gone, "3B | p5", texts::kFailWriteLockTiny26};
        QTest::newRow("WriteLock port gone awaiting the reply") << Failure{CALL(WriteLock(c, a)), 0xF9, "l1=0D", 2, gone, "6C | w100:F9", texts::kFailWriteLock};
        // clang-format on
    }
    void failures() {
        QFETCH(Failure, row);
        LinkFixture f(row.script);
        f.vanishAt = row.vanish;
        if (row.vanish == 0) f.port.Vanish();
        const link::CommandResult result = row.call(f.session, row.arg);
        QCOMPARE(result.outcome, row.outcome);
        QCOMPARE(f.Frame(), row.frame);
        QCOMPARE(result.message, row.message);
        // Through an operation, the failure is the error flag and the status line.
        operations::Run& run = f.Start();
        run.Do(result);
        QCOMPARE(run.Result().errorFlag, qint16(1));
        QCOMPARE(f.ui.panels[1], row.message);
    }

    void lateAndSurplusBytesAreDropped_data() {
        QTest::addColumn<int>("lateMs");
        QTest::newRow("CR, extra bytes 10 ms later") << 0;
        QTest::newRow("CR 1.5 s late on a 1 s time-out") << 1500;
    }
    void lateAndSurplusBytesAreDropped() {
        QFETCH(int, lateMs);
        LinkFixture f;
        f.respond = [&](ScriptedPort& p, const QByteArray& bytes) {
            if (bytes == "d") return p.QueueReply("\x42", 5ms);
            p.QueueReply("\r", lateMs * 1ms);
            p.QueueReply("XYZ", lateMs * 1ms + 10ms);
        };
        QCOMPARE(link::EnterAvrCommandSet(f.session).outcome, lateMs ? Outcome::TimedOut : Outcome::Done);
        f.timing.Advance(3s);  // everything late is in before the next command
        const link::CommandResult read = link::ReadDataByte(f.session);
        QCOMPARE(read.outcome, Outcome::Done);
        QCOMPARE(read.data, QByteArray("\x42"));
    }

    void waitEndsOnTimeAcrossTheDayBoundary_data() {
        QTest::addColumn<double>("seconds");  // the fake clock starts 0.5 s before a day boundary
        QTest::addColumn<int>("ms");
        QTest::newRow("0.7 s across it") << 0.7 << 700;
        QTest::newRow("2.5 s across it") << 2.5 << 2500;
        QTest::newRow("negative") << -1.0 << 0;
        QTest::newRow("not a number") << std::nan("") << 0;
    }
    void waitEndsOnTimeAcrossTheDayBoundary() {
        QFETCH(double, seconds);
        QFETCH(int, ms);
        LinkFixture f;
        const auto start = f.timing.Now();
        link::Wait(f.session, seconds);
        QCOMPARE(Ms(f.timing.Now() - start), ms);
        QCOMPARE(f.timing.SleptTotal(), core::Duration(0));
    }

    void readSignature_data() {
        QTest::addColumn<Signature>("row");
        const QString m = QStringLiteral("message 1 "), locked = m + texts::kChipProtectedOrNotSeated;
        const QString empty = m + texts::kChipNotSeated, other = m + texts::kDeviceMismatch;
        // clang-format off
        QTest::newRow("ATtiny26L in its socket") << Signature{"ATtiny26L", {"09911E"}, 1, false, false, {}, "1E:91:09"};
        QTest::newRow("locked chip") << Signature{"ATtiny26L", {"020100"}, 5, true, true, {locked}, "00:01:02"};
        QTest::newRow("empty socket") << Signature{"ATtiny12L", {"FFFFFF"}, 5, true, true, {empty}, "FF:FF:FF"};
        QTest::newRow("family 0x97 counts 1024 words") << Signature{"ATtiny26L", {"09971E"}, 1, true, true, {other}, "1E:97:09"};
        QTest::newRow("AT90S2323 for AT90S2313: name") << Signature{"AT90S2313", {"02911E"}, 1, true, true, {other}, "1E:91:02"};
        QTest::newRow("AT90S8515 for AT90S2313: size and name") << Signature{"AT90S2313", {"01931E"}, 1, true, true, {other, other}, "1E:93:01"};
        QTest::newRow("90 04 never accepted") << Signature{"ATtiny12L", {"04901E"}, 1, true, true, {other}, "1E:90:04"};
        QTest::newRow("unknown family, then a good answer") << Signature{"AT90S2313", {"01551E", "01911E"}, 2, false, false, {}, "1E:91:01"};
        QTest::newRow("silent on the third try") << Signature{"AT90S2313", {"01551E", "01551E", ""}, 3, true, false, {}, "1E:55:01"};
        QTest::newRow("no device selected") << Signature{"", {"09911E"}, 1, true, true, {other, other}, "1E:91:09"};
        // clang-format on
    }
    void readSignature() {
        QFETCH(Signature, row);
        LinkFixture f;
        operations::Run& run = f.Start(row.selected);
        int asked = 0;
        f.respond = [&](ScriptedPort& p, const QByteArray&) {
            const QString reply = row.replies.value(std::min<int>(asked++, row.replies.size() - 1));
            if (!reply.isEmpty()) p.QueueReply(QByteArray::fromHex(reply.toLatin1()));
        };
        operations::ReadSignatureAndJudge(run);
        QCOMPARE(asked, row.tries);
        QCOMPARE(run.Result().errorFlag, qint16(row.error));
        QCOMPARE(run.ChipRefused(), row.refused);
        QCOMPARE(f.ui.CallsStartingWith(QStringLiteral("message 1 ")), row.notices);
        QCOMPARE(f.ui.panels[2], row.panel2);
        QCOMPARE(run.Finish().signature, row.panel2);
        // A locked chip offers "protected" in the lock choice, so an erase is the next step.
        const bool locked = row.notices.contains("message 1 " + texts::kChipProtectedOrNotSeated);
        QCOMPARE(run.Result().lockChoice.value_or(-1), locked ? 2 : -1);
    }

    void checkDevice_data() {
        QTest::addColumn<Check>("row");
        const QString full = QStringLiteral("41 | 50 | p50:73 | 4C | w100");
        // clang-format off
        QTest::newRow("all well") << Check{"A0=0D P0=0D s0=09911E L0=0D", full, false, 0};
        QTest::newRow("silent A stops everything") << Check{"", "41 | w1000", true, 1};
        QTest::newRow("other chip seated") << Check{"A0=0D P0=0D s0=01931E L0=0D", full, true, 1};
        QTest::newRow("L fails after a good signature") << Check{"A0=0D P0=0D s0=09911E", "41 | 50 | p50:73 | 4C | w1000", false, 1};
        // clang-format on
    }
    void checkDevice() {
        QFETCH(Check, row);
        LinkFixture f(row.script);
        operations::Run& run = f.Start();
        QCOMPARE(operations::CheckDevice(run), !row.mismatch);
        QCOMPARE(f.Frame(), row.frame);
        QCOMPARE(int(run.Result().errorFlag), row.error);
    }

    void checkCommunication_data() {
        QTest::addColumn<Comm>("row");
        const QString hs = QStringLiteral("1B | p100:3F | p100:3F"),
                      full = hs + QStringLiteral(" | 41 | 54 | 59 00 | 1B");
        const QString none = texts::kNoCommunicationNotice, v = QStringLiteral("KX-WRT540 V6.35");
        const QByteArray id = "KX-WRT540 V6.35\r\n", cr = "\r";
        // clang-format off
        QTest::newRow("no port saved sends nothing") << Comm{false, true, id, cr, false, "", none, false, 0, "", "old"};
        QTest::newRow("port cannot be opened") << Comm{true, false, id, cr, false, "", none, false, 0, "", "old"};
        QTest::newRow("no reply") << Comm{true, true, "", cr, false, hs + " | w1000", texts::kWriterNotFound, false, 1, "", ""};
        QTest::newRow("16 characters are no reply") << Comm{true, true, id.left(16), cr, false, hs + " | w1000", texts::kWriterNotFound, false, 1, "", ""};
        QTest::newRow("wrong prefix") << Comm{true, true, "KX-WRT541 V6.35\r\n", cr, false, hs, texts::kVersionUnreadable, false, 1, "", ""};
        QTest::newRow("6.29 refused") << Comm{true, true, "KX-WRT540 V6.29\r\n", cr, false, hs, texts::kFirmwareRefused, false, 2, "", "KX-WRT540 V6.29"};
        QTest::newRow("6.30 with the advisory") << Comm{true, true, "KX-WRT540 V6.30\r\n", cr, true, full, "", true, 0, "6.3", "KX-WRT540 V6.30"};
        QTest::newRow("6.35 silent") << Comm{true, true, id, cr, true, full, "", true, 0, "", v};
        QTest::newRow("T rejected") << Comm{true, true, id, "?", false, full, texts::kRejectedSelectDevice, true, 1, "", v};
        QTest::newRow("version not a number") << Comm{true, true, "KX-WRT540 Vx.yz\r\n", cr, false, hs, none, true, 1, "", "KX-WRT540 Vx.yz"};
        // A CR of 'A' that came after 'T' had cleared the input would be taken for the writer's acceptance.
        QTest::newRow("CR of A after 2 ms, T rejected 5 ms later") << Comm{true, true, id, "?", false, hs + " | 41 | w2:54 | 59 00 | w5:1B", texts::kRejectedSelectDevice, true, 1, "", v, 2, 5};
        QTest::newRow("no CR of A: T after 1 s") << Comm{true, true, id, cr, true, hs + " | 41 | w1000:54 | 59 00 | w5:1B", "", true, 0, "", v, -1, 5};
        QTest::newRow("vanished after ESC: no time-out") << Comm{true, true, id, cr, false, "1B | p200", texts::kWriterNotFound, false, 1, "", "", 0, 0, 1};
        QTest::newRow("vanished after T: no time-out") << Comm{true, true, id, cr, false, hs + " | 41 | 54", texts::kFailSelectDevice, true, 1, "", v, 0, 0, 5};
        // clang-format on
    }
    void checkCommunication() {
        QFETCH(Comm, row);
        LinkFixture f;
        operations::Run& run = f.Start(QStringLiteral("ATtiny26L"), row.saved);
        if (!row.openable) f.port.unopenablePaths << LinkFixture::kWriterPath;
        f.ui.panels[3] = QStringLiteral("old");
        f.vanishAt = row.vanish;
        bool afterT = false;
        f.respond = [&](ScriptedPort& p, const QByteArray& bytes) {
            if (std::exchange(afterT, bytes == "T")) p.QueueReply(row.t, row.tMs * 1ms);
            if (bytes == "?") p.QueueReply(row.id);
            if (bytes == "A" && row.aMs >= 0) p.QueueReply("\r", row.aMs * 1ms);
        };

        QCOMPARE(operations::CheckCommunication(run), row.result);
        QCOMPARE(f.Frame(), row.frame);
        QCOMPARE(f.ui.messageOpen, !row.message.isEmpty());
        if (!row.message.isEmpty()) QCOMPARE(f.ui.messageText, row.message);
        QCOMPARE(f.port.IsOpen(), row.open);
        QCOMPARE(int(run.Result().errorFlag), row.error);
        QCOMPARE(f.ui.panels[1], row.message == texts::kNoCommunicationNotice
                                     ? texts::kNoCommunicationStatus
                                     : "ｺﾏﾝﾄﾞ送信 : Avr Extend command A");
        QCOMPARE(f.ui.panels[3], row.panel3);
        QCOMPARE(f.ui.panels[4], QStringLiteral("COM1"));
        QCOMPARE(run.Result().firmwareVersion, row.panel3.mid(11).toDouble());
        QCOMPARE(f.ui.boxes.size(), int(!row.advisory.isEmpty()));
        if (!row.advisory.isEmpty())
            QVERIFY(f.ui.boxes[0].text.contains("： KX-WRT540 V" + row.advisory + " \r\n"));
        if (!row.result) return;
        QVERIFY(f.ui.calls.contains(QStringLiteral("status 1 ｺﾏﾝﾄﾞ送信 : Select device command T , 0x59")));
        QVERIFY(f.ui.calls.contains(QStringLiteral("message 0 ライターを COM1に検出しました。")));
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
