// Telling the writer the device, reading the chip's signature with its retries and device-match rules, and
// the pre-operation sequence 'A', 'P', signature, 'L'.

#include <QtTest>

#include "LinkFixture.h"
#include "ScriptText.h"
#include "link/Commands.h"

using namespace zendra;
using namespace zendra::test;
using link::Outcome;

Q_DECLARE_METATYPE(link::Outcome)

namespace {

const QString kProtected = QStringLiteral(
    "デバイスがソケットに正しくセットされていないか、プロテクトされています。プロテクトのときは、チップイレー"
    "ス([イレース]ボタン)を押してください。");
const QString kNotSeated = QStringLiteral("デバイスがソケットに正しくセットされていません。");
const QString kMismatch = QStringLiteral(
    "デバイス選択と、ソケット上のデバイスが一致しません。\r\n購入直後のデバイスを使用する場合は、チップイレー"
    "ス(<イレース>ボタン)を実行してください。");

QStringList Notices(const RecordingUi& ui) {
    QStringList out;
    for (const QString& call : ui.CallsStartingWith(QStringLiteral("message 1 "))) out << call.mid(10);
    return out;
}

}  // namespace

class IdentificationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void selectDevice_data();
    void selectDevice();
    void readSignature_data();
    void readSignature();
    void checkDevice_data();
    void checkDevice();
    void exitAvrCommandSetSendsEscapeWithoutWaiting_data();
    void exitAvrCommandSetSendsEscapeWithoutWaiting();
};

void IdentificationTest::selectDevice_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("script");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("announced");
    QTest::addColumn<QString>("failure");

    const QString timeOut = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T");
    const QString rejected = QStringLiteral(
        "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T \r\nプログラマは、選択したマイコンを認識できませんでした。");
    QTest::newRow("0x48 accepted") << 0x48 << "T1=0D" << Outcome::Ok
                                   << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x48" << QString();
    QTest::newRow("0x6C in upper case")
        << 0x6C << "T1=0D" << Outcome::Ok << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x6C" << QString();
    QTest::newRow("no leading zero") << 0x05 << "T1=0D" << Outcome::Ok
                                     << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x5" << QString();
    QTest::newRow("code 0") << 0 << "T1=3F" << Outcome::WrongReply
                            << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x0" << rejected;
    QTest::newRow("silent writer") << 0x20 << "" << Outcome::TimedOut
                                   << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x20" << timeOut;
    QTest::newRow("CR after a wrong byte") << 0x20 << "T1=3F0D" << Outcome::WrongReply
                                           << "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x20" << rejected;
}

void IdentificationTest::selectDevice() {
    QFETCH(int, code);
    QFETCH(QString, script);
    QFETCH(Outcome, outcome);
    QFETCH(QString, announced);
    QFETCH(QString, failure);

    LinkFixture f;
    f.Script(ParseScript(script));
    qint16 error = 0;
    QCOMPARE(link::SelectDevice(f.ctx, static_cast<quint8>(code), error), outcome);
    QCOMPARE(f.ui.CallsStartingWith("status 1 ").value(0), "status 1 " + announced);
    QCOMPARE(f.Frame(), QStringLiteral("54 | %1 00").arg(code, 2, 16, QLatin1Char('0')).toUpper());
    if (failure.isEmpty()) {
        QCOMPARE(error, qint16(0));
        QCOMPARE(f.ui.panels[1], announced);
        QVERIFY(!f.ui.messageOpen);
    } else {
        QCOMPARE(error, qint16(1));
        QCOMPARE(f.ui.panels[1], failure);
        QCOMPARE(f.state.StatusText, failure);
        // The failure turns the message window into a notice.
        QVERIFY(f.ui.messageOpen);
        QCOMPARE(f.ui.messageText, failure);
        QVERIFY(f.ui.messageOkVisible);
    }
}

void IdentificationTest::readSignature_data() {
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("words");
    QTest::addColumn<QStringList>("replies");  // one per try, the last repeats; "" is silence
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("flashWords");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<QString>("signature");

    const QStringList none;
    QTest::newRow("ATtiny26L in its socket")
        << "ATtiny26L" << 1024 << QStringList{"09911E"} << 1 << 1024 << Outcome::Ok << none << "1E:91:09";
    QTest::newRow("locked chip, five tries") << "ATtiny26L" << 1024 << QStringList{"020100"} << 5 << 512
                                             << Outcome::WrongReply << QStringList{kProtected} << "00:01:02";
    QTest::newRow("family 0x00 is locked too")
        << "AT90S8515" << 4096 << QStringList{"000000"} << 5 << 512 << Outcome::WrongReply
        << QStringList{kProtected} << "00:00:00";
    QTest::newRow("empty socket, five tries") << "ATtiny12L" << 512 << QStringList{"FFFFFF"} << 5 << 512
                                              << Outcome::WrongReply << QStringList{kNotSeated} << "FF:FF:FF";
    QTest::newRow("family 0x97 counts 1024 words")
        << "ATtiny26L" << 1024 << QStringList{"09971E"} << 1 << 1024 << Outcome::WrongReply
        << QStringList{kMismatch} << "1E:97:09";
    QTest::newRow("AT90S2313 selected, AT90S2323 seated: name only")
        << "AT90S2313" << 1024 << QStringList{"02911E"} << 1 << 1024 << Outcome::WrongReply
        << QStringList{kMismatch} << "1E:91:02";
    QTest::newRow("AT90S2313 selected, AT90S8515 seated: size and name")
        << "AT90S2313" << 1024 << QStringList{"01931E"} << 1 << 4096 << Outcome::WrongReply
        << QStringList{kMismatch, kMismatch} << "1E:93:01";
    QTest::newRow("unknown family, then a good answer")
        << "AT90S2313" << 1024 << QStringList{"01551E", "01911E"} << 2 << 1024 << Outcome::Ok << none
        << "1E:91:01";
    QTest::newRow("unknown family five times") << "ATtiny12L" << 512 << QStringList{"05551E"} << 5 << 512
                                               << Outcome::WrongReply << QStringList{kMismatch} << "1E:55:05";
    QTest::newRow("silent on the third try ends at once")
        << "AT90S2313" << 1024 << QStringList{"01551E", "01551E", ""} << 3 << 512 << Outcome::TimedOut << none
        << "1E:55:01";
    QTest::newRow("silent at once") << "AT90S2313" << 1024 << QStringList{""} << 1 << 512 << Outcome::TimedOut
                                    << none << "--:--:--";
    QTest::newRow("both AT90S1200 entries accept 90 01")
        << "AT90S1200A(内部RCｸﾛｯｸ1MHz)" << 512 << QStringList{"01901E"} << 1 << 512 << Outcome::Ok << none
        << "1E:90:01";
    QTest::newRow("ATtiny11L is known but never accepted")
        << "ATtiny12L" << 512 << QStringList{"04901E"} << 1 << 512 << Outcome::WrongReply
        << QStringList{kMismatch} << "1E:90:04";
}

void IdentificationTest::readSignature() {
    QFETCH(QString, selected);
    QFETCH(int, words);
    QFETCH(QStringList, replies);
    QFETCH(int, tries);
    QFETCH(int, flashWords);
    QFETCH(Outcome, outcome);
    QFETCH(QStringList, notices);
    QFETCH(QString, signature);

    LinkFixture f;
    f.ui.deviceText = selected;
    f.state.ProgramMemoryWords = words;
    f.ui.controls[core::PanelControl::LockBit].index = 0;
    int asked = 0;
    f.Respond([&](ScriptedPort& p, const QByteArray& bytes) {
        if (bytes != "s") return;
        const QString reply = replies.value(std::min<int>(asked++, replies.size() - 1));
        if (!reply.isEmpty()) p.QueueReply(QByteArray::fromHex(reply.toLatin1()));
    });
    qint16 detected = 0;
    qint16 error = 0;
    QCOMPARE(link::ReadSignature(f.ctx, detected, error), outcome);
    QCOMPARE(asked, tries);
    QCOMPARE(int(detected), flashWords);
    QCOMPARE(error, qint16(outcome == Outcome::Ok ? 0 : 1));
    QCOMPARE(Notices(f.ui), notices);
    QCOMPARE(f.ui.panels[2], signature);
    const bool locked = notices.contains(kProtected);
    QCOMPARE(f.ui.PanelIndex(core::PanelControl::LockBit), locked ? 2 : 0);
    if (outcome == Outcome::TimedOut)
        QCOMPARE(f.ui.panels[1], QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s"));
}

void IdentificationTest::checkDevice_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("mismatchBefore");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<bool>("mismatch");
    QTest::addColumn<int>("error");

    const QString full = QStringLiteral("41 | 50 | p50:73 | 4C");
    QTest::newRow("all well") << "A0=0D P0=0D s0=09911E L0=0D" << true << full << false << 0;
    QTest::newRow("silent A stops everything") << "" << true << "41" << true << 1;
    QTest::newRow("wrong A stops everything") << "A0=3F" << false << "41" << false << 1;
    QTest::newRow("failed P still reads the signature")
        << "A0=0D P0=3F s0=09911E L0=0D" << false << full << true << 1;
    QTest::newRow("other chip seated") << "A0=0D P0=0D s0=01931E L0=0D" << false << full << true << 1;
    QTest::newRow("L fails after a good signature") << "A0=0D P0=0D s0=09911E" << true << full << false << 1;
}

void IdentificationTest::checkDevice() {
    QFETCH(QString, script);
    QFETCH(bool, mismatchBefore);
    QFETCH(QString, frame);
    QFETCH(bool, mismatch);
    QFETCH(int, error);

    LinkFixture f;
    f.Script(ParseScript(script));
    f.state.DeviceMismatch = mismatchBefore;
    f.state.ErrorFlag = 0;
    link::CheckDevice(f.ctx);
    QCOMPARE(f.Frame(), frame);
    QCOMPARE(f.state.DeviceMismatch, mismatch);
    QCOMPARE(int(f.state.ErrorFlag), error);
}

void IdentificationTest::exitAvrCommandSetSendsEscapeWithoutWaiting_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("frame");
    QTest::newRow("open") << "open"
                          << "1B";
    QTest::newRow("closed") << "closed"
                            << "";
    QTest::newRow("vanished") << "vanished"
                              << "";
}

void IdentificationTest::exitAvrCommandSetSendsEscapeWithoutWaiting() {
    QFETCH(QString, port);
    QFETCH(QString, frame);

    LinkFixture f;
    if (port == "closed") f.port.Close();
    if (port == "vanished") f.port.Vanish();
    const auto start = f.timing.Now();
    link::ExitAvrCommandSet(f.ctx);
    QCOMPARE(f.Frame(), frame);
    QCOMPARE(f.timing.Now(), start);
    QCOMPARE(f.ui.panels[1], QStringLiteral("ｺﾏﾝﾄﾞ送信 : Avr Extend command A"));
    QCOMPARE(f.state.ErrorFlag, qint16(0));
}

QTEST_GUILESS_MAIN(IdentificationTest)
#include "tst_identification.moc"
