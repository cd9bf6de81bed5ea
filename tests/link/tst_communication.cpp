// The communication check against a scripted writer: every way it can end, the firmware advisory, the wait
// for the CR of 'A', and a writer that vanishes during the check.

#include <QtTest>

#include "LinkFixture.h"
#include "core/Product.h"
#include "core/Settings.h"
#include "link/Commands.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kSentA = QStringLiteral("ｺﾏﾝﾄﾞ送信 : Avr Extend command A");
const QString kRegistry = QStringLiteral("ライタと通信ができませんでした。(レジストリリード)");
const QString kNoCommunication = QStringLiteral(
    "ライタと通信ができませんでした。\r\nPCとライタの接続を確認後、メニューバーの\r\n[通信チェック] "
    "[COMポート選択]を実行して下さい。\r\n");
const QString kNotFound =
    QStringLiteral("ライターを検出できませんでした。使用可能な通信ポートを設定してください。");
const QString kUnreadable = QStringLiteral("ファームウエアバージョンを読み出せませんでした。");
const QString kRefused = QStringLiteral(
    "ファームウエアバージョン６．３０以降にアップデートしてください。\r\nこのソフトは使用できません。");
const QString kRejected = QStringLiteral(
    "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T \r\nプログラマは、選択したマイコンを認識できませんでした。");
const QString kHandshake = QStringLiteral("1B | p100:3F | p100:3F");

// A writer on the scripted port: answers '?' with `id`, 'A' with CR after `aDelay` (never when negative),
// and the two bytes after 'T' with `tReply`.
struct WriterScript {
    QByteArray id = "KX-WRT540 V6.35\r\n";
    int aDelayMs = 0;
    QByteArray tReply = "\r";
    int vanishAfterWrites = 0;  // 0: stays
    int tDelayMs = 0;

    void Install(LinkFixture& f) const {
        auto afterT = std::make_shared<bool>(false);
        auto writes = std::make_shared<int>(0);
        const WriterScript me = *this;
        f.Respond([me, afterT, writes](ScriptedPort& p, const QByteArray& bytes) {
            if (++*writes == me.vanishAfterWrites) {
                p.Vanish();
            } else if (*afterT) {
                *afterT = false;
                p.QueueReply(me.tReply, std::chrono::milliseconds(me.tDelayMs));
            } else if (bytes == "?") {
                p.QueueReply(me.id);
            } else if (bytes == "A" && me.aDelayMs >= 0) {
                p.QueueReply("\r", std::chrono::milliseconds(me.aDelayMs));
            } else if (bytes == "T") {
                *afterT = true;
            }
        });
    }
};

}  // namespace

class CommunicationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkCommunication_data();
    void checkCommunication();
    void advisory_data();
    void advisory();
    void waitsForTheCrOfABeforeSelectingTheDevice_data();
    void waitsForTheCrOfABeforeSelectingTheDevice();
    void writerVanishingDuringTheCheckFailsAtOnce_data();
    void writerVanishingDuringTheCheckFailsAtOnce();
    void openWriterPort_data();
    void openWriterPort();
    void reportCommError();
};

void CommunicationTest::checkCommunication_data() {
    QTest::addColumn<QString>("comNox");  // empty: never saved
    QTest::addColumn<bool>("openable");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("tReply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<QString>("message");  // empty: message window closed
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QString>("panel3");
    QTest::addColumn<QString>("panel4");

    const QByteArray v635 = "KX-WRT540 V6.35\r\n";
    const QString full = kHandshake + QStringLiteral(" | 41 | 54 | 48 00 | 1B");
    // clang-format off
    QTest::newRow("no port saved") << "" << true << v635 << QByteArray("\r") << false << "" << kRegistry << kNoCommunication << false << 0 << 0 << "" << "COM1";
    QTest::newRow("port 0 saved") << "0" << true << v635 << QByteArray("\r") << false << "" << kRegistry << kNoCommunication << false << 0 << 0 << "" << "";
    QTest::newRow("port cannot be opened") << "2" << false << v635 << QByteArray("\r") << false << "" << kRegistry << kNoCommunication << false << 0 << 0 << "" << "COM2";
    QTest::newRow("no port resolves") << "7" << true << v635 << QByteArray("\r") << false << "" << kRegistry << kNoCommunication << false << 0 << 0 << "" << "COM7";
    QTest::newRow("no reply") << "2" << true << QByteArray() << QByteArray("\r") << false << kHandshake << kSentA << kNotFound << false << 1 << 0 << "" << "COM2";
    QTest::newRow("16 characters are no reply") << "2" << true << QByteArray("KX-WRT540 V6.35\r") << QByteArray("\r") << false << kHandshake << kSentA << kNotFound << false << 1 << 0 << "" << "COM2";
    QTest::newRow("wrong prefix") << "2" << true << QByteArray("KX-WRT541 V6.35\r\n") << QByteArray("\r") << false << kHandshake << kSentA << kUnreadable << false << 1 << 0 << "" << "COM2";
    QTest::newRow("6.29 refused") << "2" << true << QByteArray("KX-WRT540 V6.29\r\n") << QByteArray("\r") << false << kHandshake << kSentA << kRefused << false << 2 << 0 << "KX-WRT540 V6.29" << "COM2";
    QTest::newRow("6.30 with the advisory") << "2" << true << QByteArray("KX-WRT540 V6.30\r\n") << QByteArray("\r") << true << full << kSentA << "" << true << 0 << 1 << "KX-WRT540 V6.30" << "COM2";
    QTest::newRow("6.34 with the advisory") << "2" << true << QByteArray("KX-WRT540 V6.34\r\n") << QByteArray("\r") << true << full << kSentA << "" << true << 0 << 1 << "KX-WRT540 V6.34" << "COM2";
    QTest::newRow("6.35 silent") << "2" << true << v635 << QByteArray("\r") << true << full << kSentA << "" << true << 0 << 0 << "KX-WRT540 V6.35" << "COM2";
    QTest::newRow("7.00 silent, surplus ignored") << "2" << true << QByteArray("KX-WRT540 V7.00\r\nxyz") << QByteArray("\r") << true << full << kSentA << "" << true << 0 << 0 << "KX-WRT540 V7.00" << "COM2";
    QTest::newRow("T rejected") << "2" << true << v635 << QByteArray("?") << false << full << kSentA << kRejected << true << 1 << 0 << "KX-WRT540 V6.35" << "COM2";
    QTest::newRow("T unanswered") << "2" << true << v635 << QByteArray() << false << full.left(full.size() - 2) + "w2000:1B" << kSentA << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T" << true << 1 << 0 << "KX-WRT540 V6.35" << "COM2";
    QTest::newRow("version not a number") << "2" << true << QByteArray("KX-WRT540 Vx.yz\r\n") << QByteArray("\r") << false << kHandshake << kRegistry << kNoCommunication << true << 1 << 0 << "KX-WRT540 Vx.yz" << "COM2";
    // clang-format on
}

void CommunicationTest::checkCommunication() {
    QFETCH(QString, comNox);
    QFETCH(bool, openable);
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, tReply);
    QFETCH(bool, result);
    QFETCH(QString, frame);
    QFETCH(QString, panel1);
    QFETCH(QString, message);
    QFETCH(bool, portOpen);
    QFETCH(int, error);
    QFETCH(int, boxes);
    QFETCH(QString, panel3);
    QFETCH(QString, panel4);

    LinkFixture f;
    if (!comNox.isEmpty()) f.settings.Write("Settings", "ComNox", comNox);
    if (!openable) f.port.unopenablePaths << QStringLiteral("/dev/ttyWRITER");
    f.state.DeviceCode = 0x48;
    f.state.FirmwareVersionText = QStringLiteral("old text");
    WriterScript{id, 0, tReply, 0}.Install(f);
    const int opensBefore = f.port.OpenCount();

    QCOMPARE(link::CheckCommunication(f.ctx), result);
    QCOMPARE(f.Frame(), frame);
    QCOMPARE(f.ui.panels[1], panel1);
    QCOMPARE(f.ui.messageOpen, !message.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.messageText, message);
        QVERIFY(f.ui.messageOkVisible);
    }
    QCOMPARE(f.port.IsOpen(), portOpen);
    QCOMPARE(int(f.state.ErrorFlag), error);
    QCOMPARE(f.ui.boxes.size(), boxes);
    QCOMPARE(f.ui.panels[4], panel4);
    QCOMPARE(f.ui.CallsStartingWith("status 1 ").value(0), QStringLiteral("status 1 ライタと通信中！"));
    if (frame.isEmpty()) {
        QCOMPARE(f.port.OpenCount(), opensBefore);  // nothing was opened, nothing sent
    } else {
        QCOMPARE(f.port.LastLineSettings(), QStringLiteral("57600,n,8,1"));
        QCOMPARE(f.ui.panels[3], panel3);
        QCOMPARE(f.state.FirmwareVersionText, panel3);
    }
    if (result) {
        QVERIFY(f.ui.calls.contains(QStringLiteral("status 1 ＺｅｎｄｒａＯＫ ！！")));
        QVERIFY(f.ui.calls.contains(QStringLiteral("text ライターを COM2に検出しました。")));
        QCOMPARE(f.ui.calls.filter(QStringLiteral("close")).size(), 1);
        QCOMPARE(f.state.FirmwareVersion, panel3.mid(11).toDouble());
    }
    if (panel3.isEmpty() && !frame.isEmpty()) QCOMPARE(f.state.FirmwareVersion, 0.0);
}

void CommunicationTest::advisory_data() {
    QTest::addColumn<double>("version");
    QTest::addColumn<QString>("shown");  // empty: no advisory

    QTest::newRow("6.30 shows 6.3") << 6.30 << "6.3";
    QTest::newRow("6.34") << 6.34 << "6.34";
    QTest::newRow("6.35 in single precision") << 6.35 << "";
    QTest::newRow("6.5") << 6.5 << "";
}

void CommunicationTest::advisory() {
    QFETCH(double, version);
    QFETCH(QString, shown);

    LinkFixture f;
    f.state.FirmwareVersion = version;
    link::ShowFirmwareAdvisory(f.ctx);
    if (shown.isEmpty()) {
        QVERIFY(f.ui.boxes.isEmpty());
        return;
    }
    QCOMPARE(f.ui.boxes.size(), 1);
    const auto& box = f.ui.boxes.first();
    QCOMPARE(box.icon, core::MessageIcon::Critical);
    QCOMPARE(box.buttons, core::MessageButtons::Ok);
    QCOMPARE(box.title, QString());
    const QString page = QStringLiteral("https://www.example.com/kx-wrt540/support/");
    const QString expected =
        QStringLiteral(
            "ファームウエアバージョンが古いのでアップデートを行なってください。　　　　\r\n"
            "　\r\n"
            "新しいファームウエアは、ご購入されたキットに添付されていたＣＤ－ＲＯＭ内、　　　　\r\n") +
        "または、" + page + "より入手できます。　　　\r\n" + "　\r\n" + "アップデート方法は、" + page +
        "をご覧ください。　　\r\n" + "　\r\n" + "現在のファームウエアバージョン　 ： KX-WRT540 V" + shown +
        " \r\n" + "推奨するファームウエアバージョン ： KX-WRT540 V6.35 、または、それ以降。　\r\n" +
        "　\r\n" + "（現在使用中のファームウエアバージョンは、メイン画面の右下に表示されます。）\r\n";
    QCOMPARE(box.text, expected);
}

void CommunicationTest::waitsForTheCrOfABeforeSelectingTheDevice_data() {
    QTest::addColumn<int>("aDelayMs");
    QTest::addColumn<QByteArray>("tReply");
    QTest::addColumn<int>("tDelayMs");
    QTest::addColumn<bool>("result");

    // A writer that rejects the device must never be reported ready because the CR of 'A' came after the
    // select-device command had cleared the input and before the writer's answer to it.
    QTest::newRow("CR of A after 2 ms, T rejected after 5 ms") << 2 << QByteArray("?") << 5 << false;
    QTest::newRow("CR of A after 0.9 s, T rejected at once") << 900 << QByteArray("?") << 0 << false;
    QTest::newRow("CR of A after 0.3 s, T accepted") << 300 << QByteArray("\r") << 5 << true;
    QTest::newRow("no CR of A, T accepted") << -1 << QByteArray("\r") << 5 << true;
}

void CommunicationTest::waitsForTheCrOfABeforeSelectingTheDevice() {
    QFETCH(int, aDelayMs);
    QFETCH(QByteArray, tReply);
    QFETCH(int, tDelayMs);
    QFETCH(bool, result);

    LinkFixture f;
    f.settings.Write("Settings", "ComNox", "2");
    f.state.DeviceCode = 0x59;
    WriterScript script;
    script.aDelayMs = aDelayMs;
    script.tReply = tReply;
    script.tDelayMs = tDelayMs;
    script.Install(f);

    QCOMPARE(link::CheckCommunication(f.ctx), result);
    // The bytes on the wire are the same whatever the writer's timing.
    QCOMPARE(f.Frame().remove(QRegularExpression("w\\d+:")),
             kHandshake + QStringLiteral(" | 41 | 54 | 59 00 | 1B"));
    // 'T' leaves once the CR has come, or after one second without it.
    const auto& writes = f.port.Writes();
    const auto aToT = writes.at(4).at - writes.at(3).at;
    const auto expected = std::chrono::milliseconds(aDelayMs < 0 ? 1000 : aDelayMs);
    QVERIFY(aToT >= expected && aToT <= expected + 1ms);
}

void CommunicationTest::writerVanishingDuringTheCheckFailsAtOnce_data() {
    QTest::addColumn<int>("vanishAfterWrites");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("portOpen");

    QTest::newRow("after ESC") << 1 << kNotFound << false;
    QTest::newRow("after the second ?") << 3 << kNotFound << false;
    QTest::newRow("after T") << 5 << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T" << true;
}

void CommunicationTest::writerVanishingDuringTheCheckFailsAtOnce() {
    QFETCH(int, vanishAfterWrites);
    QFETCH(QString, message);
    QFETCH(bool, portOpen);

    LinkFixture f;
    f.settings.Write("Settings", "ComNox", "2");
    WriterScript writer;
    writer.vanishAfterWrites = vanishAfterWrites;
    writer.Install(f);
    const auto start = f.timing.Now();
    QVERIFY(!link::CheckCommunication(f.ctx));
    QCOMPARE(f.ui.messageText, message);
    QCOMPARE(f.port.IsOpen(), portOpen);
    QCOMPARE(f.state.ErrorFlag, qint16(1));
    // Only the two 100 ms pauses of the identification pass, never a one- or two-second time-out.
    QVERIFY(f.timing.Now() - start <= 200ms);
}

void CommunicationTest::openWriterPort_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("openable");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("path");

    QTest::newRow("assigned COM2") << 2 << true << true << "/dev/ttyWRITER";
    QTest::newRow("first detected for COM1") << 1 << true << true << "/dev/ttyACM0";
    QTest::newRow("nothing for COM9") << 9 << true << false << "";
    QTest::newRow("assigned but busy") << 2 << false << false << "";
}

void CommunicationTest::openWriterPort() {
    QFETCH(int, number);
    QFETCH(bool, openable);
    QFETCH(bool, opened);
    QFETCH(QString, path);

    LinkFixture f;
    f.detected = {{QStringLiteral("/dev/ttyUSB0"), {}}, {QStringLiteral("/dev/ttyACM0"), {}}};
    if (!openable) f.port.unopenablePaths << QStringLiteral("/dev/ttyWRITER");
    QCOMPARE(link::OpenWriterPort(f.ctx, number), opened);
    QCOMPARE(f.port.IsOpen(), opened);
    if (opened) {
        QCOMPARE(f.port.PortPath(), path);
        QCOMPARE(f.port.LastLineSettings(), QStringLiteral("57600,n,8,1"));
    }
}

void CommunicationTest::reportCommError() {
    LinkFixture f;
    f.ui.ReportProgress(QStringLiteral("ON"), 0, 3, 10);
    link::ReportCommError(f.ctx);
    QVERIFY(f.ui.messageOpen);
    QCOMPARE(f.ui.messageText, QStringLiteral("通信エラーが発生しました。"));
    QVERIFY(f.ui.messageOkVisible);
    QVERIFY(!f.ui.messageBarVisible);
}

QTEST_GUILESS_MAIN(CommunicationTest)
#include "tst_communication.moc"
