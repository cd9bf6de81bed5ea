// The writer commands on the scripted port: exact frames and time-outs, wrong and missing replies, late and
// surplus bytes, a vanished port, the signature rules, the device check and the communication check.

#include <cmath>

#include "LinkFixture.h"
#include "link/Exchange.h"
#include "operations/Checks.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A routine with the row's argument `a`.
using Call = link::CommandResult (*)(link::Session& c, int a);
using devices::WordWrite;
#define CALL(expr) +[](link::Session& c, [[maybe_unused]] int a) { return link::expr; }
const QByteArray kId635 = "KX-WRT540 V6.35\r\n";

// `script` replies exactly as many bytes as the command reads; `timeOut` in seconds.
struct Frame {
    Call call;
    int arg = 0;
    QString script, frame;
    QByteArray read = {};
    int timeOut = 5;
};
// `vanish`: the port fails after this many writes (-1: never); it fails at once, without a time-out.
struct Failure {
    Call call;
    int arg = 0;
    QString script = {};
    int vanish = -1;
    Outcome outcome = Outcome::WrongReply;
    QString frame, message;
};
// `replies`: one per try, the last repeats, "" is silence.
// `refused`: the signature rules turned the chip away (an error, a failed exchange aside).
struct Signature {
    QString selected;
    QStringList replies;
    int tries = 1;
    bool error = false, refused = false;
    QStringList notices = {};
    QString panel2;
};
struct Check {
    QString script, frame;
    bool mismatch = false;
    int error = 0;
};
// The writer answers '?' with `id`, the frame of 'T' with `t` after `tMs`, 'A' with CR after `aMs` (never
// when negative), and vanishes after write `vanish`. `message` is empty when the message window is closed;
// `advisory` is the version the advisory shows.
struct Comm {
    bool saved = true, openable = true;
    QByteArray id = kId635, t = "\r";
    bool result = false;
    QString frame = {}, message = {};
    bool open = false;
    int error = 0;
    QString advisory = {}, panel3 = "KX-WRT540 V6.35";
    int aMs = 0, tMs = 0, vanish = -1;
};

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
        const auto row = [](const char* tag, const Frame& f) { QTest::newRow(tag) << f; };
        // clang-format off
        row("EnterAvrCommandSet",
            {.call = CALL(EnterAvrCommandSet(c)), .script = "A0=0D", .frame = "41", .timeOut = 1});
        row("EnterProgrammingMode",
            {.call = CALL(EnterProgrammingMode(c)), .script = "P0=0D", .frame = "50", .timeOut = 1});
        row("LeaveProgrammingMode",
            {.call = CALL(LeaveProgrammingMode(c)), .script = "L0=0D", .frame = "4C | w100", .timeOut = 1});
        row("SelectDevice T, code and 0x00 in one write",
            {.call = CALL(SelectDevice(c, a)), .arg = 0x48, .script = "T2=0D", .frame = "54 48 00",
             .timeOut = 2});
        row("ReadSignature",
            {.call = CALL(ReadSignature(c)), .script = "s0=09911E", .frame = "73", .read = "\x09\x91\x1E",
             .timeOut = 1});
        row("ChipErase", {.call = CALL(ChipErase(c)), .script = "e0=0D", .frame = "65", .timeOut = 1});
        row("SelectAddress 0x0123",
            {.call = CALL(SelectAddress(c, a)), .arg = 0x0123, .script = "a2=0D", .frame = "61 01 23"});
        row("WriteProgramWord 0x1234: c low, C high",
            {.call = CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a)), .arg = 0x1234,
             .script = "c1=0D C1=0D", .frame = "63 34 | 43 12"});
        row("WriteProgramWordTiny26 0x1234",
            {.call = CALL(WriteProgramWord(c, WordWrite::Tiny26, a >> 8, a)), .arg = 0x1234,
             .script = "W2=0D", .frame = "57 | p1:34 12"});
        row("ReadProgramWord high then low",
            {.call = CALL(ReadProgramWord(c)), .script = "R0=ABCD", .frame = "52", .read = "\xAB\xCD"});
        row("ReadDataByte",
            {.call = CALL(ReadDataByte(c)), .script = "d0=5A", .frame = "64", .read = "\x5A"});
        row("WriteDataByte",
            {.call = CALL(WriteDataByte(c, a)), .arg = 0xA5, .script = "D1=0D", .frame = "44 A5"});
        row("WriteFuse",
            {.call = CALL(WriteFuse(c, a)), .arg = 0x3F, .script = "f1=0D", .frame = "66 | w100:3F",
             .timeOut = 1});
        row("WriteFuseLow",
            {.call = CALL(WriteFuseLow(c, a)), .arg = 0xE1, .script = "u1=0D", .frame = "75 | w100:E1",
             .timeOut = 1});
        row("WriteFuseHigh 0xF7",
            {.call = CALL(WriteFuseHigh(c, a)), .arg = 0xF7, .script = ";4=0D",
             .frame = "3B | p5:AC | p5:A8 | p5:00 | p5:F7", .timeOut = 1});
        row("WriteLock",
            {.call = CALL(WriteLock(c, a)), .arg = 0xF9, .script = "l1=0D", .frame = "6C | w100:F9"});
        row("WriteLockTiny26 0xFC",
            {.call = CALL(WriteLockTiny26(c, a)), .arg = 0xFC, .script = ";4=0D",
             .frame = "3B | p5:AC | p5:E0 | p5:00 | p5:FC"});
        row("ReadLockFuse",
            {.call = CALL(ReadLockFuse(c)), .script = "F0=9F", .frame = "46", .read = "\x9F"});
        row("ReadFuse",
            {.call = CALL(ReadFuse(c)), .script = "r0=DF", .frame = "72", .read = "\xDF", .timeOut = 2});
        row("ReadFuseHigh",
            {.call = CALL(ReadFuseHigh(c)), .script = ":3=F7", .frame = "3A | p5:58 | p5:08 | p5:00",
             .read = "\xF7", .timeOut = 2});
        row("ReadCalibration",
            {.call = CALL(ReadCalibration(c)), .script = "o0=A3", .frame = "6F", .read = "\xA3",
             .timeOut = 2});
        row("ReadFuse answered CR reads 0x0D",
            {.call = CALL(ReadFuse(c)), .script = "r0=0D", .frame = "72", .read = "\x0D", .timeOut = 2});
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
        QTest::addColumn<Failure>("row");
        const auto row = [](const char* tag, const Failure& f) { QTest::newRow(tag) << f; };
        const auto silent = Outcome::TimedOut, gone = Outcome::PortFailed;
        const Call word = CALL(WriteProgramWord(c, WordWrite::LowHigh, a >> 8, a));
        // clang-format off
        row("EnterAvrCommandSet ? then CR",
            {.call = CALL(EnterAvrCommandSet(c)), .script = "A0=3F0D", .frame = "41",
             .message = texts::kFailEnterAvr});
        row("EnterProgrammingMode names the byte",
            {.call = CALL(EnterProgrammingMode(c)), .script = "P0=58", .frame = "50",
             .message = texts::kWrongEnterProgramming + "X"});
        row("LeaveProgrammingMode wrong, still waits",
            {.call = CALL(LeaveProgrammingMode(c)), .script = "L0=3F", .frame = "4C | w100",
             .message = texts::kFailLeaveProgramming});
        row("LeaveProgrammingMode silent: no wait after",
            {.call = CALL(LeaveProgrammingMode(c)), .outcome = silent, .frame = "4C | w1000",
             .message = texts::kFailLeaveProgramming});
        row("SelectDevice rejected",
            {.call = CALL(SelectDevice(c, a)), .arg = 0x48, .script = "T2=3F", .frame = "54 48 00",
             .message = texts::kRejectedSelectDevice});
        row("WriteProgramWord c wrong, C still sent",
            {.call = word, .arg = 0x1234, .script = "c1=3F C1=0D", .frame = "63 34 | 43 12",
             .message = texts::kWrongWriteLow});
        row("WriteProgramWord c silent, C never sent",
            {.call = word, .arg = 0x1234, .script = "C1=0D", .outcome = silent, .frame = "63 34 | w5000",
             .message = texts::kFailWriteLow});
        row("SelectAddress below 0 is not sent",
            {.call = CALL(SelectAddress(c, a)), .arg = -1, .script = "a2=0D", .frame = "",
             .message = texts::kFailSelectAddress});
        row("WriteLock on a vanished port",
            {.call = CALL(WriteLock(c, a)), .arg = 0xF9, .script = "l1=0D", .vanish = 0, .outcome = gone,
             .frame = "", .message = texts::kFailWriteLock});
        row("WriteLockTiny26 port gone mid-frame",
            {.call = CALL(WriteLockTiny26(c, a)), .arg = 0xFC, .script = ";4=0D", .vanish = 1,
             .outcome = gone, .frame = "3B | p5", .message = texts::kFailWriteLockTiny26});
        row("WriteLock port gone awaiting the reply",
            {.call = CALL(WriteLock(c, a)), .arg = 0xF9, .script = "l1=0D", .vanish = 2, .outcome = gone,
             .frame = "6C | w100:F9", .message = texts::kFailWriteLock});
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
        const auto row = [](const char* tag, const Signature& s) { QTest::newRow(tag) << s; };
        const QString m = QStringLiteral("message 1 "), locked = m + texts::kChipProtectedOrNotSeated;
        const QString empty = m + texts::kChipNotSeated;
        // The mismatch names what the signature read is.
        const auto other = [&](const QString& found) { return m + texts::kDeviceMismatch + "\r\n" + found; };
        // clang-format off
        row("ATtiny26L in its socket",
            {.selected = "ATtiny26L", .replies = {"09911E"}, .panel2 = "1E:91:09"});
        row("locked chip",
            {.selected = "ATtiny26L", .replies = {"020100"}, .tries = 5, .error = true, .refused = true,
             .notices = {locked}, .panel2 = "00:01:02"});
        row("empty socket",
            {.selected = "ATtiny12L", .replies = {"FFFFFF"}, .tries = 5, .error = true, .refused = true,
             .notices = {empty}, .panel2 = "FF:FF:FF"});
        row("family 0x97 counts 1024 words",
            {.selected = "ATtiny26L", .replies = {"09971E"}, .error = true, .refused = true,
             .notices = {other(texts::kUnknownSignature + "1E:97:09")}, .panel2 = "1E:97:09"});
        row("AT90S8515 for AT90S2313: size and name",
            {.selected = "AT90S2313", .replies = {"01931E"}, .error = true, .refused = true,
             .notices = {other(texts::kSocketDeviceIs + "AT90S8515")}, .panel2 = "1E:93:01"});
        row("90 04 never accepted",
            {.selected = "ATtiny12L", .replies = {"04901E"}, .error = true, .refused = true,
             .notices = {other(texts::kSocketDeviceIs + "ATtiny11L")}, .panel2 = "1E:90:04"});
        row("unknown family, then a good answer",
            {.selected = "AT90S2313", .replies = {"01551E", "01911E"}, .tries = 2, .panel2 = "1E:91:01"});
        row("silent on the third try",
            {.selected = "AT90S2313", .replies = {"01551E", "01551E", ""}, .tries = 3, .error = true,
             .panel2 = "1E:55:01"});
        row("no device selected",
            {.selected = "", .replies = {"09911E"}, .error = true, .refused = true, .notices = {other(texts::kSocketDeviceIs + "ATtiny26L")},
             .panel2 = "1E:91:09"});
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
        const auto row = [](const char* tag, const Check& c) { QTest::newRow(tag) << c; };
        const QString full = QStringLiteral("41 | 50 | p50:73 | 4C | w100");
        // clang-format off
        row("all well", {.script = "A0=0D P0=0D s0=09911E L0=0D", .frame = full});
        row("silent A stops everything", {.script = "", .frame = "41 | w1000", .mismatch = true, .error = 1});
        row("other chip seated",
            {.script = "A0=0D P0=0D s0=01931E L0=0D", .frame = full, .mismatch = true, .error = 1});
        row("L fails after a good signature",
            {.script = "A0=0D P0=0D s0=09911E", .frame = "41 | 50 | p50:73 | 4C | w1000", .error = 1});
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
        const auto row = [](const char* tag, const Comm& c) { QTest::newRow(tag) << c; };
        const QString hs = QStringLiteral("1B | p100:3F | p100:3F"),
                      full = hs + QStringLiteral(" | 41 | 54 59 00 | 1B");
        const QString none = texts::kNoCommunicationNotice;
        // clang-format off
        row("no port saved sends nothing", {.saved = false, .message = none, .panel3 = "old"});
        row("port cannot be opened", {.openable = false, .message = none, .panel3 = "old"});
        row("no reply",
            {.id = "", .frame = hs + " | w1000", .message = texts::kWriterNotFound, .error = 1,
             .panel3 = ""});
        row("16 characters are no reply",
            {.id = kId635.left(16), .frame = hs + " | w1000", .message = texts::kWriterNotFound, .error = 1,
             .panel3 = ""});
        row("wrong prefix",
            {.id = "KX-WRT541 V6.35\r\n", .frame = hs, .message = texts::kVersionUnreadable, .error = 1,
             .panel3 = ""});
        row("6.29 refused",
            {.id = "KX-WRT540 V6.29\r\n", .frame = hs, .message = texts::kFirmwareRefused, .error = 2,
             .panel3 = "KX-WRT540 V6.29"});
        row("6.30 with the advisory",
            {.id = "KX-WRT540 V6.30\r\n", .result = true, .frame = full, .open = true, .advisory = "6.3",
             .panel3 = "KX-WRT540 V6.30"});
        row("6.35 silent", {.result = true, .frame = full, .open = true});
        row("T rejected",
            {.t = "?", .frame = full, .message = texts::kRejectedSelectDevice, .open = true, .error = 1});
        row("version not a number",
            {.id = "KX-WRT540 Vx.yz\r\n", .frame = hs, .message = none, .open = true, .error = 1,
             .panel3 = "KX-WRT540 Vx.yz"});
        // A CR of 'A' that came after 'T' had cleared the input would be taken for the writer's acceptance.
        row("CR of A after 2 ms, T rejected 5 ms later",
            {.t = "?", .frame = hs + " | 41 | w2:54 59 00 | w5:1B", .message = texts::kRejectedSelectDevice,
             .open = true, .error = 1, .aMs = 2, .tMs = 5});
        row("no CR of A: T after 1 s",
            {.result = true, .frame = hs + " | 41 | w1000:54 59 00 | w5:1B", .open = true, .aMs = -1,
             .tMs = 5});
        row("vanished after T: no time-out",
            {.frame = hs + " | 41 | 54 59 00", .message = texts::kFailSelectDevice, .open = true, .error = 1,
             .vanish = 5});
        // clang-format on
    }
    void checkCommunication() {
        QFETCH(Comm, row);
        LinkFixture f;
        operations::Run& run = f.Start(QStringLiteral("ATtiny26L"), row.saved);
        if (!row.openable) f.port.unopenablePaths << LinkFixture::kWriterPath;
        f.ui.panels[3] = QStringLiteral("old");
        f.vanishAt = row.vanish;
        f.respond = [&](ScriptedPort& p, const QByteArray& bytes) {
            if (bytes.startsWith('T')) p.QueueReply(row.t, row.tMs * 1ms);
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
