// The writer commands on the wire: exact frames with their pauses and waits, time-outs measured from the
// last byte, wrong acknowledgments, late and surplus bytes, and a port that vanishes mid-command.

#include <QtTest>
#include <cmath>

#include "LinkFixture.h"
#include "ScriptText.h"
#include "link/Commands.h"

using namespace zendra;
using namespace zendra::test;
using link::Outcome;

Q_DECLARE_METATYPE(link::Outcome)

namespace {

// Runs one routine by name; read routines leave what they read in `out` (high byte first for 'R').
Outcome Invoke(const QString& routine, link::LinkContext& ctx, int argument, QByteArray& out, qint16& error) {
    const auto arg = static_cast<quint8>(argument);
    const auto hi = static_cast<quint8>(argument >> 8);
    const auto read = [&](auto fn) {
        auto value = static_cast<quint8>(out.isEmpty() ? 0 : out.at(0));
        const Outcome o = fn(ctx, value, error);
        out = QByteArray(1, static_cast<char>(value));
        return o;
    };
    if (routine == "EnterAvrCommandSet") return link::EnterAvrCommandSet(ctx, error);
    if (routine == "EnterProgrammingMode") return link::EnterProgrammingMode(ctx, error);
    if (routine == "LeaveProgrammingMode") return link::LeaveProgrammingMode(ctx, error);
    if (routine == "SelectDevice") return link::SelectDevice(ctx, arg, error);
    if (routine == "ReadSignature") return link::ReadSignature(ctx, ctx.state.DetectedFlashWords, error);
    if (routine == "ChipErase") return link::ChipErase(ctx, error);
    if (routine == "SelectAddress") return link::SelectAddress(ctx, argument, error);
    if (routine == "WriteProgramWord") return link::WriteProgramWord(ctx, hi, arg, error);
    if (routine == "WriteProgramWordTiny26") return link::WriteProgramWordTiny26(ctx, hi, arg, error);
    if (routine == "ReadProgramWord") {
        quint8 h = out.size() > 1 ? static_cast<quint8>(out.at(0)) : 0;
        quint8 l = out.size() > 1 ? static_cast<quint8>(out.at(1)) : 0;
        const Outcome o = link::ReadProgramWord(ctx, h, l, error);
        out = QByteArray(1, static_cast<char>(h)) + static_cast<char>(l);
        return o;
    }
    if (routine == "ReadDataByte") return read(link::ReadDataByte);
    if (routine == "WriteDataByte") return link::WriteDataByte(ctx, arg, error);
    if (routine == "WriteFuse") return link::WriteFuse(ctx, arg, error);
    if (routine == "WriteFuseLow") return link::WriteFuseLow(ctx, arg, error);
    if (routine == "WriteFuseHigh") return link::WriteFuseHigh(ctx, arg, error);
    if (routine == "WriteLock") return link::WriteLock(ctx, arg, error);
    if (routine == "WriteLockTiny26") return link::WriteLockTiny26(ctx, arg, error);
    if (routine == "ReadLockFuse") return read(link::ReadLockFuse);
    if (routine == "ReadFuse") return read(link::ReadFuse);
    if (routine == "ReadFuseHigh") return read(link::ReadFuseHigh);
    if (routine == "ReadCalibration") return read(link::ReadCalibration);
    qFatal("unknown routine %s", qPrintable(routine));
}

long long Ms(core::Duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void frames_data();
    void frames();
    void timeOuts_data();
    void timeOuts();
    void replyAtTheDeadline_data();
    void replyAtTheDeadline();
    void wrongReplies_data();
    void wrongReplies();
    void readsKeepTheirValueAfterATimeOut_data();
    void readsKeepTheirValueAfterATimeOut();
    void surplusBytesAreDroppedBeforeTheNextCommand_data();
    void surplusBytesAreDroppedBeforeTheNextCommand();
    void errorFlagStaysSetAfterALaterSuccess();
    void leaveProgrammingModeWaitsOnlyAfterAReply_data();
    void leaveProgrammingModeWaitsOnlyAfterAReply();
    void vanishedPortFailsAtOnce_data();
    void vanishedPortFailsAtOnce();
    void addressOutOfRangeIsNotSent_data();
    void addressOutOfRangeIsNotSent();
    void waitEndsOnTimeAcrossTheDayBoundary_data();
    void waitEndsOnTimeAcrossTheDayBoundary();
};

void CommandsTest::frames_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QByteArray>("read");

    const QByteArray none;
    QTest::newRow("A") << "EnterAvrCommandSet" << 0 << "A0=0D"
                       << "41" << none;
    QTest::newRow("P") << "EnterProgrammingMode" << 0 << "P0=0D"
                       << "50" << none;
    QTest::newRow("L") << "LeaveProgrammingMode" << 0 << "L0=0D"
                       << "4C" << none;
    QTest::newRow("T is three bytes in two writes") << "SelectDevice" << 0x48 << "T1=0D"
                                                    << "54 | 48 00" << none;
    QTest::newRow("s") << "ReadSignature" << 0 << "s0=09911E"
                       << "73" << none;
    QTest::newRow("e") << "ChipErase" << 0 << "e0=0D"
                       << "65" << none;
    QTest::newRow("a 0x0123") << "SelectAddress" << 0x0123 << "a2=0D"
                              << "61 | 01 | 23" << none;
    QTest::newRow("a 0xFFFF") << "SelectAddress" << 0xFFFF << "a2=0D"
                              << "61 | FF | FF" << none;
    QTest::newRow("c then C, 0x1234") << "WriteProgramWord" << 0x1234 << "c1=0D C1=0D"
                                      << "63 | 34 | 43 | 12" << none;
    QTest::newRow("W, 0x1234") << "WriteProgramWordTiny26" << 0x1234 << "W2=0D"
                               << "57 | p1:34 | 12" << none;
    QTest::newRow("R high then low") << "ReadProgramWord" << 0 << "R0=ABCD"
                                     << "52" << QByteArray("\xAB\xCD");
    QTest::newRow("d") << "ReadDataByte" << 0 << "d0=5A"
                       << "64" << QByteArray("\x5A");
    QTest::newRow("D") << "WriteDataByte" << 0xA5 << "D1=0D"
                       << "44 | A5" << none;
    QTest::newRow("f waits 0.1 s") << "WriteFuse" << 0x3F << "f1=0D"
                                   << "66 | w100:3F" << none;
    QTest::newRow("u waits 0.1 s") << "WriteFuseLow" << 0xE1 << "u1=0D"
                                   << "75 | w100:E1" << none;
    QTest::newRow("; fuse high 0xF7") << "WriteFuseHigh" << 0xF7 << ";4=0D"
                                      << "3B | p5:AC | p5:A8 | p5:00 | p5:F7" << none;
    QTest::newRow("l waits 0.1 s") << "WriteLock" << 0xF9 << "l1=0D"
                                   << "6C | w100:F9" << none;
    QTest::newRow("; lock tiny26 0xFC") << "WriteLockTiny26" << 0xFC << ";4=0D"
                                        << "3B | p5:AC | p5:E0 | p5:00 | p5:FC" << none;
    QTest::newRow("F") << "ReadLockFuse" << 0 << "F0=9F"
                       << "46" << QByteArray("\x9F");
    QTest::newRow("r") << "ReadFuse" << 0 << "r0=DF"
                       << "72" << QByteArray("\xDF");
    QTest::newRow(": fuse high") << "ReadFuseHigh" << 0 << ":3=F7"
                                 << "3A | p5:58 | p5:08 | p5:00" << QByteArray("\xF7");
    QTest::newRow("o") << "ReadCalibration" << 0 << "o0=A3"
                       << "6F" << QByteArray("\xA3");
    QTest::newRow("read answered CR gives 0x0D") << "ReadFuse" << 0 << "r0=0D"
                                                 << "72" << QByteArray("\x0D");
    QTest::newRow("first two of a longer reply") << "ReadProgramWord" << 0 << "R0=1234FF"
                                                 << "52" << QByteArray("\x12\x34");
}

void CommandsTest::frames() {
    QFETCH(QString, routine);
    QFETCH(int, argument);
    QFETCH(QString, script);
    QFETCH(QString, frame);
    QFETCH(QByteArray, read);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    QByteArray out;
    const int discards = f.port.DiscardCount();
    QCOMPARE(Invoke(routine, f.ctx, argument, out, error), Outcome::Ok);
    QCOMPARE(error, qint16(0));
    QCOMPARE(f.Frame(), frame);
    if (!read.isEmpty()) QCOMPARE(out, read);
    // The receive buffer is cleared once per letter, before it.
    QCOMPARE(f.port.DiscardCount() - discards, routine == "WriteProgramWord" ? 2 : 1);
}

void CommandsTest::timeOuts_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("message");

    QTest::newRow("A") << "EnterAvrCommandSet" << 0 << "" << 1 << "41"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A";
    QTest::newRow("P") << "EnterProgrammingMode" << 0 << "" << 1 << "50"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Enter programming Mode P";
    QTest::newRow("L") << "LeaveProgrammingMode" << 0 << "" << 1 << "4C"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Leave programming Mode L";
    QTest::newRow("T") << "SelectDevice" << 0x20 << "" << 2 << "54 | 20 00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T";
    QTest::newRow("s") << "ReadSignature" << 0 << "" << 1 << "73"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s";
    QTest::newRow("e") << "ChipErase" << 0 << "" << 1 << "65"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e";
    QTest::newRow("a") << "SelectAddress" << 0x10 << "" << 5 << "61 | 00 | 10"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A";
    QTest::newRow("c silent: C never sent") << "WriteProgramWord" << 0xBEEF << "C1=0D" << 5 << "63 | EF"
                                            << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Program Memory c";
    QTest::newRow("C silent") << "WriteProgramWord" << 0xBEEF << "c1=0D" << 5 << "63 | EF | 43 | BE"
                              << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Program Memory C";
    QTest::newRow("W") << "WriteProgramWordTiny26" << 0xBEEF << "" << 5 << "57 | p1:EF | BE"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Program Memory Tiny26 W";
    QTest::newRow("R") << "ReadProgramWord" << 0 << "" << 5 << "52"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R";
    QTest::newRow("R with one byte only") << "ReadProgramWord" << 0 << "R0=AB" << 5 << "52"
                                          << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R";
    QTest::newRow("d") << "ReadDataByte" << 0 << "" << 5 << "64"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Data Memory d";
    QTest::newRow("D") << "WriteDataByte" << 1 << "" << 5 << "44 | 01"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory D";
    QTest::newRow("f") << "WriteFuse" << 1 << "" << 1 << "66 | w100:01"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit f";
    QTest::newRow("u") << "WriteFuseLow" << 1 << "" << 1 << "75 | w100:01"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit u";
    QTest::newRow("; fuse high") << "WriteFuseHigh" << 1 << "" << 1 << "3B | p5:AC | p5:A8 | p5:00 | p5:01"
                                 << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse Hi bit ;";
    QTest::newRow("l") << "WriteLock" << 1 << "" << 5 << "6C | w100:01"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l";
    QTest::newRow("; lock tiny26") << "WriteLockTiny26" << 1 << "" << 5
                                   << "3B | p5:AC | p5:E0 | p5:00 | p5:01"
                                   << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26 ;";
    QTest::newRow("F") << "ReadLockFuse" << 0 << "" << 5 << "46"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Lock & Fuse bit F";
    QTest::newRow("r") << "ReadFuse" << 0 << "" << 2 << "72"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse bit r";
    QTest::newRow(":") << "ReadFuseHigh" << 0 << "" << 2 << "3A | p5:58 | p5:08 | p5:00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse Hi bit :";
    QTest::newRow("o") << "ReadCalibration" << 0 << "" << 2 << "6F"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Calibration Byte o";
}

void CommandsTest::timeOuts() {
    QFETCH(QString, routine);
    QFETCH(int, argument);
    QFETCH(QString, script);
    QFETCH(int, seconds);
    QFETCH(QString, frame);
    QFETCH(QString, message);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    QByteArray out;
    QCOMPARE(Invoke(routine, f.ctx, argument, out, error), Outcome::TimedOut);
    QCOMPARE(error, qint16(1));
    QCOMPARE(f.Frame(), frame);
    QCOMPARE(f.ui.panels[1], message);
    // Strictly more than the time-out, measured from the last byte that left, and not a moment longer.
    const auto waited = f.timing.Now() - f.LastWriteAt();
    QVERIFY2(waited > std::chrono::seconds(seconds), qPrintable(QString::number(Ms(waited))));
    QVERIFY2(waited < std::chrono::seconds(seconds) + 1ms, qPrintable(QString::number(Ms(waited))));
}

void CommandsTest::replyAtTheDeadline_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("A at 0.999 s") << "EnterAvrCommandSet"
                                  << "A0=0D@999" << Outcome::Ok;
    QTest::newRow("A at exactly 1 s") << "EnterAvrCommandSet"
                                      << "A0=0D@1000" << Outcome::Ok;
    QTest::newRow("A at 1.001 s") << "EnterAvrCommandSet"
                                  << "A0=0D@1001" << Outcome::TimedOut;
    QTest::newRow("A at 1.5 s") << "EnterAvrCommandSet"
                                << "A0=0D@1500" << Outcome::TimedOut;
    QTest::newRow("T at 1.9 s") << "SelectDevice"
                                << "T1=0D@1900" << Outcome::Ok;
    QTest::newRow("T at 2.1 s") << "SelectDevice"
                                << "T1=0D@2100" << Outcome::TimedOut;
    QTest::newRow("l keeps waiting 5 s") << "WriteLock"
                                         << "l1=0D@4900" << Outcome::Ok;
    QTest::newRow("l gives up after 5 s") << "WriteLock"
                                          << "l1=0D@5001" << Outcome::TimedOut;
    QTest::newRow("f gives up after 1 s") << "WriteFuse"
                                          << "f1=0D@1500" << Outcome::TimedOut;
    QTest::newRow("; lock tiny26 keeps waiting") << "WriteLockTiny26"
                                                 << ";4=0D@4000" << Outcome::Ok;
    QTest::newRow("; fuse high gives up") << "WriteFuseHigh"
                                          << ";4=0D@1200" << Outcome::TimedOut;
    QTest::newRow("r at 1.9 s") << "ReadFuse"
                                << "r0=42@1900" << Outcome::Ok;
    QTest::newRow("F at 4.5 s") << "ReadLockFuse"
                                << "F0=42@4500" << Outcome::Ok;
    QTest::newRow("o at 2.5 s") << "ReadCalibration"
                                << "o0=42@2500" << Outcome::TimedOut;
    QTest::newRow("R at 4.9 s") << "ReadProgramWord"
                                << "R0=4242@4900" << Outcome::Ok;
}

void CommandsTest::replyAtTheDeadline() {
    QFETCH(QString, routine);
    QFETCH(QString, script);
    QFETCH(Outcome, outcome);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    QByteArray out;
    QCOMPARE(Invoke(routine, f.ctx, 0, out, error), outcome);
    QCOMPARE(error, qint16(outcome == Outcome::Ok ? 0 : 1));
}

void CommandsTest::wrongReplies_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("message");

    QTest::newRow("A answered ?") << "EnterAvrCommandSet"
                                  << "A0=3F"
                                  << "41"
                                  << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A";
    QTest::newRow("A answered ? then CR") << "EnterAvrCommandSet"
                                          << "A0=3F0D"
                                          << "41"
                                          << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A";
    QTest::newRow("P names the byte") << "EnterProgrammingMode"
                                      << "P0=58"
                                      << "50"
                                      << "返答ﾃﾞｰﾀﾐｽ : Enter programming Mode P X";
    QTest::newRow("L") << "LeaveProgrammingMode"
                       << "L0=00"
                       << "4C"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Leave programming Mode L";
    QTest::newRow("T rejected") << "SelectDevice"
                                << "T1=3F"
                                << "54 | 00 00"
                                << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T "
                                   "\r\nプログラマは、選択したマイコンを認識できませんでした。";
    QTest::newRow("e") << "ChipErase"
                       << "e0=65"
                       << "65"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e";
    QTest::newRow("a") << "SelectAddress"
                       << "a2=3F"
                       << "61 | 00 | 00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A";
    QTest::newRow("c wrong: C still sent") << "WriteProgramWord"
                                           << "c1=3F C1=0D"
                                           << "63 | 00 | 43 | 00"
                                           << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Data Memory c";
    QTest::newRow("C wrong") << "WriteProgramWord"
                             << "c1=0D C1=3F"
                             << "63 | 00 | 43 | 00"
                             << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Data Memory C";
    QTest::newRow("W") << "WriteProgramWordTiny26"
                       << "W2=3F"
                       << "57 | p1:00 | 00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory Tiny26";
    QTest::newRow("D") << "WriteDataByte"
                       << "D1=3F"
                       << "44 | 00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory D";
    QTest::newRow("f") << "WriteFuse"
                       << "f1=3F"
                       << "66 | w100:00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit f";
    QTest::newRow("u") << "WriteFuseLow"
                       << "u1=3F"
                       << "75 | w100:00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit u";
    QTest::newRow("; fuse high") << "WriteFuseHigh"
                                 << ";4=3F"
                                 << "3B | p5:AC | p5:A8 | p5:00 | p5:00"
                                 << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse Hi bit ;";
    QTest::newRow("l") << "WriteLock"
                       << "l1=3F"
                       << "6C | w100:00"
                       << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l";
    QTest::newRow("; lock tiny26 without ;") << "WriteLockTiny26"
                                             << ";4=3F"
                                             << "3B | p5:AC | p5:E0 | p5:00 | p5:00"
                                             << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26";
}

void CommandsTest::wrongReplies() {
    QFETCH(QString, routine);
    QFETCH(QString, script);
    QFETCH(QString, frame);
    QFETCH(QString, message);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    QByteArray out;
    QCOMPARE(Invoke(routine, f.ctx, 0, out, error), Outcome::WrongReply);
    QCOMPARE(error, qint16(1));
    QCOMPARE(f.Frame(), frame);
    QCOMPARE(f.ui.panels[1], message);
}

void CommandsTest::readsKeepTheirValueAfterATimeOut_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QByteArray>("before");

    QTest::newRow("R") << "ReadProgramWord" << QByteArray("\x11\x22");
    QTest::newRow("d") << "ReadDataByte" << QByteArray("\x33");
    QTest::newRow("F") << "ReadLockFuse" << QByteArray("\x44");
    QTest::newRow("r") << "ReadFuse" << QByteArray("\x55");
    QTest::newRow(":") << "ReadFuseHigh" << QByteArray("\x66");
    QTest::newRow("o") << "ReadCalibration" << QByteArray("\x77");
}

void CommandsTest::readsKeepTheirValueAfterATimeOut() {
    QFETCH(QString, routine);
    QFETCH(QByteArray, before);

    LinkFixture f;
    qint16 error = 0;
    QByteArray out = before;
    QCOMPARE(Invoke(routine, f.ctx, 0, out, error), Outcome::TimedOut);
    QCOMPARE(out, before);
}

void CommandsTest::surplusBytesAreDroppedBeforeTheNextCommand_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("lateMs");
    QTest::addColumn<Outcome>("firstOutcome");

    // CR followed by more bytes that trickle in after the read.
    QTest::newRow("CR plus extra bytes") << "EnterAvrCommandSet" << QByteArray("\rXYZ") << 0 << Outcome::Ok;
    // A reply 1.5 s late on a 1 s time-out, arriving before the next command is sent.
    QTest::newRow("late CR") << "EnterAvrCommandSet" << QByteArray("\r") << 1500 << Outcome::TimedOut;
    QTest::newRow("late data on a 2 s read") << "ReadFuse" << QByteArray("\x99") << 2500 << Outcome::TimedOut;
}

void CommandsTest::surplusBytesAreDroppedBeforeTheNextCommand() {
    QFETCH(QString, first);
    QFETCH(QByteArray, reply);
    QFETCH(int, lateMs);
    QFETCH(Outcome, firstOutcome);

    LinkFixture f;
    f.Respond([&](ScriptedPort& p, const QByteArray& bytes) {
        if (bytes == "A" || bytes == "r") {
            p.QueueReply(reply.left(1), std::chrono::milliseconds(lateMs));
            p.QueueReply(reply.mid(1), std::chrono::milliseconds(lateMs) + 10ms);
        }
        if (bytes == "d") p.QueueReply("\x42", 5ms);
    });
    qint16 error = 0;
    QByteArray out;
    QCOMPARE(Invoke(first, f.ctx, 0, out, error), firstOutcome);
    f.timing.Advance(3s);  // everything late has arrived before the next command
    quint8 data = 0;
    QCOMPARE(link::ReadDataByte(f.ctx, data, error), Outcome::Ok);
    QCOMPARE(data, quint8(0x42));
}

void CommandsTest::errorFlagStaysSetAfterALaterSuccess() {
    LinkFixture f;
    f.Script(ParseScript("e0=0D"));
    qint16 error = 0;
    QCOMPARE(link::EnterAvrCommandSet(f.ctx, error), Outcome::TimedOut);
    QCOMPARE(link::ChipErase(f.ctx, error), Outcome::Ok);
    QCOMPARE(error, qint16(1));
    // The earlier failure's message stays too: a success writes nothing.
    QCOMPARE(f.ui.panels[1], QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A"));
}

void CommandsTest::leaveProgrammingModeWaitsOnlyAfterAReply_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("waitAfterMs");

    QTest::newRow("CR") << "L0=0D" << 100;
    QTest::newRow("wrong byte") << "L0=3F" << 100;
    QTest::newRow("time-out") << "" << 0;
}

void CommandsTest::leaveProgrammingModeWaitsOnlyAfterAReply() {
    QFETCH(QString, script);
    QFETCH(int, waitAfterMs);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    const auto waitedBefore = f.timing.WaitedTotal();
    link::LeaveProgrammingMode(f.ctx, error);
    const auto total = f.timing.WaitedTotal() - waitedBefore;
    if (waitAfterMs == 0) {
        QVERIFY(total > 1s && total < 1s + 1ms);  // only the reply wait itself
    } else {
        QCOMPARE(Ms(total), waitAfterMs);
        QCOMPARE(f.timing.SleptTotal(), core::Duration(0));  // responsive, not a blocking pause
    }
}

void CommandsTest::vanishedPortFailsAtOnce_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("bytesSent");

    QTest::newRow("l, gone before") << "WriteLock"
                                    << "before"
                                    << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l" << 0;
    QTest::newRow("l, closed before") << "WriteLock"
                                      << "closed"
                                      << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l" << 0;
    QTest::newRow("l, gone after the letter") << "WriteLock"
                                              << "letter"
                                              << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l" << 1;
    QTest::newRow("l, gone while awaiting") << "WriteLock"
                                            << "last"
                                            << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l" << 2;
    QTest::newRow("a, gone between bytes") << "SelectAddress"
                                           << "letter"
                                           << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A" << 1;
    QTest::newRow("R, gone while awaiting") << "ReadProgramWord"
                                            << "last"
                                            << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R" << 1;
    QTest::newRow("c, gone: C not sent") << "WriteProgramWord"
                                         << "last"
                                         << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Program Memory c" << 2;
    QTest::newRow("; lock tiny26, gone mid-instruction") << "WriteLockTiny26"
                                                         << "letter"
                                                         << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26 ;" << 1;
}

void CommandsTest::vanishedPortFailsAtOnce() {
    QFETCH(QString, routine);
    QFETCH(QString, when);
    QFETCH(QString, message);
    QFETCH(int, bytesSent);

    LinkFixture f;
    if (when == "before") f.port.Vanish();
    if (when == "closed") f.port.Close();
    int writes = 0;
    f.Respond([&](ScriptedPort& p, const QByteArray&) {
        ++writes;
        if ((when == "letter" && writes == 1) || (when == "last" && writes == bytesSent)) p.Vanish();
    });
    const auto start = f.timing.Now();
    qint16 error = 0;
    QByteArray out;
    QCOMPARE(Invoke(routine, f.ctx, 0x1234, out, error), Outcome::TimedOut);
    QCOMPARE(error, qint16(1));
    QCOMPARE(f.ui.panels[1], message);
    QCOMPARE(f.port.Writes().size(), bytesSent);
    // Only the gaps before the bytes passed, never the time-out.
    QVERIFY2(f.timing.Now() - start <= 100ms, qPrintable(QString::number(Ms(f.timing.Now() - start))));
}

void CommandsTest::addressOutOfRangeIsNotSent_data() {
    QTest::addColumn<int>("address");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past 0xFFFF") << 0x10000;
}

void CommandsTest::addressOutOfRangeIsNotSent() {
    QFETCH(int, address);
    LinkFixture f;
    f.Script(ParseScript("a2=0D"));
    qint16 error = 0;
    QVERIFY(link::SelectAddress(f.ctx, address, error) != Outcome::Ok);
    QCOMPARE(error, qint16(1));
    QCOMPARE(f.port.Writes().size(), 0);
    QCOMPARE(f.ui.panels[1], QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A"));
}

void CommandsTest::waitEndsOnTimeAcrossTheDayBoundary_data() {
    // The fake clock starts half a second before a day boundary.
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("expectedMs");
    QTest::newRow("0.1 s before it") << 0.1 << 100;
    QTest::newRow("0.7 s across it") << 0.7 << 700;
    QTest::newRow("2.5 s across it") << 2.5 << 2500;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -1.0 << 0;
    QTest::newRow("not a number") << std::nan("") << 0;
}

void CommandsTest::waitEndsOnTimeAcrossTheDayBoundary() {
    QFETCH(double, seconds);
    QFETCH(int, expectedMs);

    LinkFixture f;
    const auto start = f.timing.Now();
    link::Wait(f.ctx, seconds);
    QCOMPARE(Ms(f.timing.Now() - start), expectedMs);
    QCOMPARE(f.timing.SleptTotal(), core::Duration(0));

    // And a 1 s time-out that starts before the boundary ends one second after the last byte.
    qint16 error = 0;
    const auto sentAt = f.timing.Now();
    QCOMPARE(link::EnterAvrCommandSet(f.ctx, error), Outcome::TimedOut);
    QCOMPARE(Ms(f.timing.Now() - sentAt), 1000);
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
