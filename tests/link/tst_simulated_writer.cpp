// The communication check and the device check through the real QSerialPort adapter over a pseudo-terminal,
// against the virtual writer and its fault options, and a writer that goes away in the middle of a command.

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "SimulatedWriter.h"
#include "link/Commands.h"
#include "link/QtSerialPortAdapter.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kNotFound =
    QStringLiteral("ライターを検出できませんでした。使用可能な通信ポートを設定してください。");
const QString kUnreadable = QStringLiteral("ファームウエアバージョンを読み出せませんでした。");
const QString kRefused = QStringLiteral(
    "ファームウエアバージョン６．３０以降にアップデートしてください。\r\nこのソフトは使用できません。");
const QString kRejected = QStringLiteral(
    "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T \r\nプログラマは、選択したマイコンを認識できませんでした。");
const QString kProtected = QStringLiteral(
    "デバイスがソケットに正しくセットされていないか、プロテクトされています。プロテクトのときは、チップイレー"
    "ス([イレース]ボタン)を押してください。");
const QString kNotSeated = QStringLiteral("デバイスがソケットに正しくセットされていません。");
const QString kMismatch = QStringLiteral(
    "デバイス選択と、ソケット上のデバイスが一致しません。\r\n購入直後のデバイスを使用する場合は、チップイレー"
    "ス(<イレース>ボタン)を実行してください。");

// The program's link on the real clock, with COM1 mapped to the simulator's terminal.
struct HostLink {
    explicit HostLink(const QString& path) {
        settings.Write(QStringLiteral("Settings"), QStringLiteral("ComNox"), QStringLiteral("1"));
        ports.Assign(1, path);
    }
    ~HostLink() { port.Close(); }
    link::QtSerialPortAdapter port;
    core::SystemTiming timing;
    RecordingUi ui;
    MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>(); }};
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
};

}  // namespace

class SimulatedWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void communicationCheck_data();
    void communicationCheck();
    void deviceCheck_data();
    void deviceCheck();
    void writerVanishingMidCommandFailsAtOnce();
};

void SimulatedWriterTest::communicationCheck_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("deviceCode");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("message");  // empty: window closed
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("portOpen");

    QTest::newRow("6.35 ready") << QStringList{"--chip", "ATtiny26L"} << 0x59 << true << "" << 0 << 0 << true;
    QTest::newRow("6.30 with the advisory")
        << QStringList{"--firmware", "6.30"} << 0x55 << true << "" << 0 << 1 << true;
    QTest::newRow("6.29 refused") << QStringList{"--firmware", "6.29"} << 0x55 << false << kRefused << 2 << 0
                                  << false;
    QTest::newRow("no reply") << QStringList{"--silent-after", "0"} << 0x55 << false << kNotFound << 1 << 0
                              << false;
    QTest::newRow("wrong prefix") << QStringList{"--wrong-from", "1"} << 0x55 << false << kUnreadable << 1
                                  << 0 << false;
    QTest::newRow("T rejected by a wrong answer")
        << QStringList{"--wrong-from", "5"} << 0x55 << false << kRejected << 1 << 0 << true;
    QTest::newRow("T rejected: unknown code")
        << QStringList() << 0x77 << false << kRejected << 1 << 0 << true;
    QTest::newRow("slow line still ready")
        << QStringList{"--baud", "57600", "--delay-ms", "20"} << 0x55 << true << "" << 0 << 0 << true;
}

void SimulatedWriterTest::communicationCheck() {
    QFETCH(QStringList, options);
    QFETCH(int, deviceCode);
    QFETCH(bool, result);
    QFETCH(QString, message);
    QFETCH(int, error);
    QFETCH(int, boxes);
    QFETCH(bool, portOpen);

    SimulatedWriter writer(options);
    QVERIFY2(!writer.Path().isEmpty(), qPrintable(writer.Errors()));
    HostLink host(writer.Path());
    host.state.DeviceCode = static_cast<quint8>(deviceCode);

    QCOMPARE(link::CheckCommunication(host.ctx), result);
    QCOMPARE(int(host.state.ErrorFlag), error);
    QCOMPARE(host.ui.boxes.size(), boxes);
    QCOMPARE(host.port.IsOpen(), portOpen);
    QCOMPARE(host.ui.messageOpen, !message.isEmpty());
    if (!message.isEmpty()) QCOMPARE(host.ui.messageText, message);
    QCOMPARE(host.ui.panels[1], QStringLiteral("ｺﾏﾝﾄﾞ送信 : Avr Extend command A"));
    QCOMPARE(host.ui.panels[4], QStringLiteral("COM1"));
    if (result) QVERIFY(host.ui.panels[3].startsWith(QStringLiteral("KX-WRT540 V")));
}

void SimulatedWriterTest::deviceCheck_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("mismatch");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<QString>("signature");

    QTest::newRow("ATtiny26L in its socket")
        << QStringList{"--chip", "ATtiny26L"} << "ATtiny26L" << false << QStringList() << "1E:91:09";
    QTest::newRow("locked chip") << QStringList{"--chip", "ATtiny26L", "--locked"} << "ATtiny26L" << true
                                 << QStringList{kProtected} << "00:01:02";
    QTest::newRow("empty socket") << QStringList{"--empty"} << "ATtiny12L" << true << QStringList{kNotSeated}
                                  << "FF:FF:FF";
    QTest::newRow("AT90S8515 for AT90S2313") << QStringList{"--chip", "AT90S8515"} << "AT90S2313" << true
                                             << QStringList{kMismatch, kMismatch} << "1E:93:01";
}

void SimulatedWriterTest::deviceCheck() {
    QFETCH(QStringList, options);
    QFETCH(QString, selected);
    QFETCH(bool, mismatch);
    QFETCH(QStringList, notices);
    QFETCH(QString, signature);

    SimulatedWriter writer(options);
    QVERIFY2(!writer.Path().isEmpty(), qPrintable(writer.Errors()));
    HostLink host(writer.Path());
    const bool twentySix = selected == QLatin1String("ATtiny26L");
    host.state.DeviceCode = twentySix ? 0x59 : selected == QLatin1String("ATtiny12L") ? 0x55 : 0x20;
    host.state.ProgramMemoryWords = selected == QLatin1String("ATtiny12L") ? 512 : 1024;
    host.ui.deviceText = selected;

    QVERIFY(link::CheckCommunication(host.ctx));
    host.state.ErrorFlag = 0;
    link::CheckDevice(host.ctx);
    QCOMPARE(host.state.DeviceMismatch, mismatch);
    QCOMPARE(int(host.state.ErrorFlag), mismatch ? 1 : 0);
    QCOMPARE(host.ui.panels[2], signature);
    QStringList shown;
    for (const QString& call : host.ui.CallsStartingWith(QStringLiteral("message 1 "))) shown << call.mid(10);
    QCOMPARE(shown, notices);
}

void SimulatedWriterTest::writerVanishingMidCommandFailsAtOnce() {
    // Hangs after the check (ESC ? ? A T ESC), so 'l' is never answered.
    SimulatedWriter writer({"--silent-after", "6"});
    QVERIFY2(!writer.Path().isEmpty(), qPrintable(writer.Errors()));
    HostLink host(writer.Path());
    host.state.DeviceCode = 0x55;
    QVERIFY(link::CheckCommunication(host.ctx));

    QTimer::singleShot(200, [&] { writer.Kill(); });
    QElapsedTimer clock;
    clock.start();
    qint16 error = 0;
    QCOMPARE(link::WriteLock(host.ctx, 0xFC, error), link::Outcome::TimedOut);
    QCOMPARE(host.ui.panels[1], QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l"));
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));  // not the 5 s time-out

    // The next check finds no writer, promptly and without a crash.
    clock.restart();
    QVERIFY(!link::CheckCommunication(host.ctx));
    QVERIFY(clock.elapsed() < 3000);
}

QTEST_GUILESS_MAIN(SimulatedWriterTest)
#include "tst_simulated_writer.moc"
