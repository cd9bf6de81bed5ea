// The writer commands on the scripted port: exact frames and time-outs, wrong and missing replies, late and
// surplus bytes, a vanished port, the signature rules, the device check and the communication check.

#include <cmath>

#include "LinkFixture.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A routine with the row's argument `a`; reads leave their bytes in `v`.
using Call = Outcome (*)(link::LinkContext& c, int a, quint8* v, qint16& e);
// clang-format off
#define CALL(expr) +[](link::LinkContext& c, [[maybe_unused]] int a, [[maybe_unused]] quint8* v, qint16& e) { return link::expr; }
// `script` replies exactly as many bytes as the command reads.
struct Frame { Call call; int arg; QString script, frame; QByteArray read; int timeOut; };
struct Failure { Call call; int arg; QString script; int vanish; Outcome outcome; QString frame, message; };
// `replies`: one per try, the last repeats, "" is silence.
struct Signature { QString selected; int words; QStringList replies; int tries, flash; Outcome outcome; QStringList notices; QString panel2; };
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
        QTest::newRow("EnterAvrCommandSet") << Frame{CALL(EnterAvrCommandSet(c, e)), 0, "A0=0D", "41", {}, 1};
        QTest::newRow("EnterProgrammingMode") << Frame{CALL(EnterProgrammingMode(c, e)), 0, "P0=0D", "50", {}, 1};
        QTest::newRow("LeaveProgrammingMode") << Frame{CALL(LeaveProgrammingMode(c, e)), 0, "L0=0D", "4C | w100", {}, 1};
        QTest::newRow("SelectDevice T, then code and 0x00 in one write") << Frame{CALL(SelectDevice(c, a, e)), 0x48, "T1=0D", "54 | 48 00", {}, 2};
        QTest::newRow("ReadSignature") << Frame{CALL(ReadSignature(c, c.state.DetectedFlashWords, e)), 0, "s0=09911E", "73", {}, 1};
        QTest::newRow("ChipErase") << Frame{CALL(ChipErase(c, e)), 0, "e0=0D", "65", {}, 1};
        QTest::newRow("SelectAddress 0x0123") << Frame{CALL(SelectAddress(c, a, e)), 0x0123, "a2=0D", "61 | 01 | 23", {}, 5};
        QTest::newRow("WriteProgramWord 0x1234: c low, C high") << Frame{CALL(WriteProgramWord(c, a >> 8, a, e)), 0x1234, "c1=0D C1=0D", "63 | 34 | 43 | 12", {}, 5};
        QTest::newRow("WriteProgramWordTiny26 0x1234") << Frame{CALL(WriteProgramWordTiny26(c, a >> 8, a, e)), 0x1234, "W2=0D", "57 | p1:34 | 12", {}, 5};
        QTest::newRow("ReadProgramWord high then low") << Frame{CALL(ReadProgramWord(c, v[0], v[1], e)), 0, "R0=ABCD", "52", "\xAB\xCD", 5};
        QTest::newRow("ReadDataByte") << Frame{CALL(ReadDataByte(c, v[0], e)), 0, "d0=5A", "64", "\x5A", 5};
        QTest::newRow("WriteDataByte") << Frame{CALL(WriteDataByte(c, a, e)), 0xA5, "D1=0D", "44 | A5", {}, 5};
        QTest::newRow("WriteFuse") << Frame{CALL(WriteFuse(c, a, e)), 0x3F, "f1=0D", "66 | w100:3F", {}, 1};
        QTest::newRow("WriteFuseLow") << Frame{CALL(WriteFuseLow(c, a, e)), 0xE1, "u1=0D", "75 | w100:E1", {}, 1};
        QTest::newRow("WriteFuseHigh 0xF7") << Frame{CALL(WriteFuseHigh(c, a, e)), 0xF7, ";4=0D", "3B | p5:AC | p5:A8 | p5:00 | p5:F7", {}, 1};
        QTest::newRow("WriteLock") << Frame{CALL(WriteLock(c, a, e)), 0xF9, "l1=0D", "6C | w100:F9", {}, 5};
        QTest::newRow("WriteLockTiny26 0xFC") << Frame{CALL(WriteLockTiny26(c, a, e)), 0xFC, ";4=0D", "3B | p5:AC | p5:E0 | p5:00 | p5:FC", {}, 5};
        QTest::newRow("ReadLockFuse") << Frame{CALL(ReadLockFuse(c, v[0], e)), 0, "F0=9F", "46", "\x9F", 5};
        QTest::newRow("ReadFuse") << Frame{CALL(ReadFuse(c, v[0], e)), 0, "r0=DF", "72", "\xDF", 2};
        QTest::newRow("ReadFuseHigh") << Frame{CALL(ReadFuseHigh(c, v[0], e)), 0, ":3=F7", "3A | p5:58 | p5:08 | p5:00", "\xF7", 2};
        QTest::newRow("ReadCalibration") << Frame{CALL(ReadCalibration(c, v[0], e)), 0, "o0=A3", "6F", "\xA3", 2};
        QTest::newRow("ReadFuse answered CR reads 0x0D") << Frame{CALL(ReadFuse(c, v[0], e)), 0, "r0=0D", "72", "\x0D", 2};
        // clang-format on
    }
    void frames() {
        QFETCH(Frame, row);
        // Replies at once (after an earlier failure, whose flag stays), exactly at the time-out after the
        // last byte, 1 ms later, one byte short; a failed read keeps its old value. The fake clock crosses a
        // day boundary during these waits.
        const core::Duration limit = std::chrono::seconds(row.timeOut);
        const auto ok = Outcome::Ok, late = Outcome::TimedOut;
        // clang-format off
        const std::tuple<core::Duration, int, qint16, Outcome> runs[] = {{0ms, 0, 1, ok}, {limit, 0, 0, ok}, {limit + 1ms, 0, 0, late}, {0ms, 1, 0, late}};
        // clang-format on
        for (const auto& [delay, chop, flag, outcome] : runs) {
            LinkFixture f(row.script, delay, chop);
            f.state.ErrorFlag = flag;
            quint8 v[2] = {0x77, 0x77};
            QCOMPARE(row.call(f.ctx, row.arg, v, f.state.ErrorFlag), outcome);
            QCOMPARE(f.state.ErrorFlag, qint16(flag || outcome != ok));
            const QByteArray read(reinterpret_cast<char*>(v), row.read.size());
            QCOMPARE(read, outcome == ok ? row.read : QByteArray(row.read.size(), '\x77'));
            if (flag) QCOMPARE(f.Frame(), row.frame);
        }
    }

    void failures_data() {
        // vanish: the port fails after this many writes (-1: never); it fails at once, without a time-out.
        QTest::addColumn<Failure>("row");
        const auto wrong = Outcome::WrongReply, silent = Outcome::TimedOut;
        // clang-format off
        QTest::newRow("EnterAvrCommandSet ? then CR") << Failure{CALL(EnterAvrCommandSet(c, e)), 0, "A0=3F0D", -1, wrong, "41", texts::kFailEnterAvr};
        QTest::newRow("EnterProgrammingMode names the byte") << Failure{CALL(EnterProgrammingMode(c, e)), 0, "P0=58", -1, wrong, "50", texts::kWrongEnterProgramming + "X"};
        QTest::newRow("LeaveProgrammingMode wrong, still waits") << Failure{CALL(LeaveProgrammingMode(c, e)), 0, "L0=3F", -1, wrong, "4C | w100", texts::kFailLeaveProgramming};
        QTest::newRow("LeaveProgrammingMode silent: no wait after") << Failure{CALL(LeaveProgrammingMode(c, e)), 0, "", -1, silent, "4C | w1000", texts::kFailLeaveProgramming};
        QTest::newRow("SelectDevice rejected") << Failure{CALL(SelectDevice(c, a, e)), 0x48, "T1=3F", -1, wrong, "54 | 48 00", texts::kRejectedSelectDevice};
        QTest::newRow("WriteProgramWord c wrong, C still sent") << Failure{CALL(WriteProgramWord(c, a >> 8, a, e)), 0x1234, "c1=3F C1=0D", -1, wrong, "63 | 34 | 43 | 12", texts::kWrongWriteLow};
        QTest::newRow("WriteProgramWord C wrong") << Failure{CALL(WriteProgramWord(c, a >> 8, a, e)), 0x1234, "c1=0D C1=3F", -1, wrong, "63 | 34 | 43 | 12", texts::kWrongWriteHigh};
        QTest::newRow("WriteProgramWord c silent, C never sent") << Failure{CALL(WriteProgramWord(c, a >> 8, a, e)), 0x1234, "C1=0D", -1, silent, "63 | 34 | w5000", texts::kFailWriteLow};
        QTest::newRow("SelectAddress below 0 is not sent") << Failure{CALL(SelectAddress(c, a, e)), -1, "a2=0D", -1, wrong, "", texts::kFailSelectAddress};
        QTest::newRow("SelectAddress past 0xFFFF is not sent") << Failure{CALL(SelectAddress(c, a, e)), 0x10000, "a2=0D", -1, wrong, "", texts::kFailSelectAddress};
        QTest::newRow("WriteLock on a vanished port") << Failure{CALL(WriteLock(c, a, e)), 0xF9, "l1=0D", 0, silent, "", texts::kFailWriteLock};
        QTest::newRow("WriteLockTiny26 port gone mid-frame") << Failure{CALL(WriteLockTiny26(c, a, e)), 0xFC, ";4=0D", 1, silent, "3B | p5", texts::kFailWriteLockTiny26};
        QTest::newRow("WriteLock port gone awaiting the reply") << Failure{CALL(WriteLock(c, a, e)), 0xF9, "l1=0D", 2, silent, "6C | w100:F9", texts::kFailWriteLock};
        // clang-format on
    }
    void failures() {
        QFETCH(Failure, row);
        LinkFixture f(row.script);
        f.vanishAt = row.vanish;
        if (row.vanish == 0) f.port.Vanish();
        quint8 v[2] = {};
        QCOMPARE(row.call(f.ctx, row.arg, v, f.state.ErrorFlag), row.outcome);
        QCOMPARE(f.state.ErrorFlag, qint16(1));
        QCOMPARE(f.Frame(), row.frame);
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
        QCOMPARE(link::EnterAvrCommandSet(f.ctx, f.state.ErrorFlag),
                 lateMs ? Outcome::TimedOut : Outcome::Ok);
        f.timing.Advance(3s);  // everything late is in before the next command
        quint8 data = 0;
        QCOMPARE(link::ReadDataByte(f.ctx, data, f.state.ErrorFlag), Outcome::Ok);
        QCOMPARE(data, quint8(0x42));
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
        link::Wait(f.ctx, seconds);
        QCOMPARE(Ms(f.timing.Now() - start), ms);
        QCOMPARE(f.timing.SleptTotal(), core::Duration(0));
    }

    void readSignature_data() {
        QTest::addColumn<Signature>("row");
        const QString m = QStringLiteral("message 1 "), locked = m + texts::kChipProtectedOrNotSeated;
        const QString empty = m + texts::kChipNotSeated, other = m + texts::kDeviceMismatch;
        const auto ok = Outcome::Ok, wrong = Outcome::WrongReply;
        // clang-format off
        QTest::newRow("ATtiny26L in its socket") << Signature{"ATtiny26L", 1024, {"09911E"}, 1, 1024, ok, {}, "1E:91:09"};
        QTest::newRow("locked chip") << Signature{"ATtiny26L", 1024, {"020100"}, 5, 512, wrong, {locked}, "00:01:02"};
        QTest::newRow("empty socket") << Signature{"ATtiny12L", 512, {"FFFFFF"}, 5, 512, wrong, {empty}, "FF:FF:FF"};
        QTest::newRow("family 0x97 counts 1024 words") << Signature{"ATtiny26L", 1024, {"09971E"}, 1, 1024, wrong, {other}, "1E:97:09"};
        QTest::newRow("AT90S2323 for AT90S2313: name") << Signature{"AT90S2313", 1024, {"02911E"}, 1, 1024, wrong, {other}, "1E:91:02"};
        QTest::newRow("AT90S8515 for AT90S2313: size and name") << Signature{"AT90S2313", 1024, {"01931E"}, 1, 4096, wrong, {other, other}, "1E:93:01"};
        QTest::newRow("90 04 never accepted") << Signature{"ATtiny12L", 512, {"04901E"}, 1, 512, wrong, {other}, "1E:90:04"};
        QTest::newRow("unknown family, then a good answer") << Signature{"AT90S2313", 1024, {"01551E", "01911E"}, 2, 1024, ok, {}, "1E:91:01"};
        QTest::newRow("silent on the third try") << Signature{"AT90S2313", 1024, {"01551E", "01551E", ""}, 3, 512, Outcome::TimedOut, {}, "1E:55:01"};
        // clang-format on
    }
    void readSignature() {
        QFETCH(Signature, row);
        LinkFixture f;
        f.ui.deviceText = row.selected;
        f.state.ProgramMemoryWords = row.words;
        f.ui.controls[core::PanelControl::LockBit].index = 0;
        int asked = 0;
        f.respond = [&](ScriptedPort& p, const QByteArray&) {
            const QString reply = row.replies.value(std::min<int>(asked++, row.replies.size() - 1));
            if (!reply.isEmpty()) p.QueueReply(QByteArray::fromHex(reply.toLatin1()));
        };
        qint16 flash = 0;
        QCOMPARE(link::ReadSignature(f.ctx, flash, f.state.ErrorFlag), row.outcome);
        QCOMPARE(asked, row.tries);
        QCOMPARE(int(flash), row.flash);
        QCOMPARE(f.state.ErrorFlag, qint16(row.outcome != Outcome::Ok));
        QCOMPARE(f.ui.CallsStartingWith(QStringLiteral("message 1 ")), row.notices);
        QCOMPARE(f.ui.panels[2], row.panel2);
        // A locked chip offers "protected" in the lock choice, so an erase is the next step.
        const bool locked = row.notices.contains("message 1 " + texts::kChipProtectedOrNotSeated);
        QCOMPARE(f.ui.PanelIndex(core::PanelControl::LockBit), locked ? 2 : 0);
    }

    void checkDevice_data() {
        QTest::addColumn<Check>("row");  // mismatch was true before
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
        f.state.DeviceMismatch = true;
        link::CheckDevice(f.ctx);
        QCOMPARE(f.Frame(), row.frame);
        QCOMPARE(f.state.DeviceMismatch, row.mismatch);
        QCOMPARE(int(f.state.ErrorFlag), row.error);
    }

    void checkCommunication_data() {
        QTest::addColumn<Comm>("row");
        const QString hs = QStringLiteral("1B | p100:3F | p100:3F"),
                      full = hs + QStringLiteral(" | 41 | 54 | 0C 00 | 1B");
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
        QTest::newRow("CR of A after 2 ms, T rejected 5 ms later") << Comm{true, true, id, "?", false, hs + " | 41 | w2:54 | 0C 00 | w5:1B", texts::kRejectedSelectDevice, true, 1, "", v, 2, 5};
        QTest::newRow("no CR of A: T after 1 s") << Comm{true, true, id, cr, true, hs + " | 41 | w1000:54 | 0C 00 | w5:1B", "", true, 0, "", v, -1, 5};
        QTest::newRow("vanished after ESC: no time-out") << Comm{true, true, id, cr, false, "1B | p200", texts::kWriterNotFound, false, 1, "", "", 0, 0, 1};
        QTest::newRow("vanished after T: no time-out") << Comm{true, true, id, cr, false, hs + " | 41 | 54", texts::kFailSelectDevice, true, 1, "", v, 0, 0, 5};
        // clang-format on
    }
    void checkCommunication() {
        QFETCH(Comm, row);
        LinkFixture f;
        if (row.saved) f.settings.values[QStringLiteral("Settings/ComNox")] = QStringLiteral("1");
        if (!row.openable) f.port.unopenablePaths << QStringLiteral("/dev/ttyWRITER");
        f.state.DeviceCode = 0x0C;
        f.ui.panels[3] = QStringLiteral("old");
        f.vanishAt = row.vanish;
        bool afterT = false;
        f.respond = [&](ScriptedPort& p, const QByteArray& bytes) {
            if (std::exchange(afterT, bytes == "T")) p.QueueReply(row.t, row.tMs * 1ms);
            if (bytes == "?") p.QueueReply(row.id);
            if (bytes == "A" && row.aMs >= 0) p.QueueReply("\r", row.aMs * 1ms);
        };

        QCOMPARE(link::CheckCommunication(f.ctx), row.result);
        QCOMPARE(f.Frame(), row.frame);
        QCOMPARE(f.ui.messageOpen, !row.message.isEmpty());
        if (!row.message.isEmpty()) QCOMPARE(f.ui.messageText, row.message);
        QCOMPARE(f.port.IsOpen(), row.open);
        QCOMPARE(int(f.state.ErrorFlag), row.error);
        QCOMPARE(f.ui.panels[1], row.message == texts::kNoCommunicationNotice
                                     ? texts::kNoCommunicationStatus
                                     : "ｺﾏﾝﾄﾞ送信 : Avr Extend command A");
        QCOMPARE(f.ui.panels[3], row.panel3);
        QCOMPARE(f.ui.panels[4], QStringLiteral("COM1"));
        QCOMPARE(f.state.FirmwareVersion, row.panel3.mid(11).toDouble());
        QCOMPARE(f.ui.boxes.size(), int(!row.advisory.isEmpty()));
        if (!row.advisory.isEmpty())
            QVERIFY(f.ui.boxes[0].text.contains("： KX-WRT540 V" + row.advisory + " \r\n"));
        if (!row.result) return;
        QVERIFY(f.ui.calls.contains(QStringLiteral("status 1 ｺﾏﾝﾄﾞ送信 : Select device command T , 0xC")));
        QVERIFY(f.ui.calls.contains(QStringLiteral("text ライターを COM1に検出しました。")));
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
