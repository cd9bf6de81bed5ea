// The QSerialPort adapter over a pseudo-terminal whose other side the test holds, and the COM-port map.

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "LinkFixture.h"
#include "Pty.h"
#include "link/Commands.h"
#include "link/QtSerialPortAdapter.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A link on the real clock over the adapter.
struct RealLink {
    link::QtSerialPortAdapter port;
    core::SystemTiming timing;
    RecordingUi ui;
    MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>(); }};
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
};

}  // namespace

class SerialAdapterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineSettings_data();
    void lineSettings();
    void opensATerminalAndPushesEveryWriteOut_data();
    void opensATerminalAndPushesEveryWriteOut();
    void waitReturnsWhenBytesArrive();
    void waitReturnsAfterItsTimeWhenSilent();
    void discardDropsWhatArrived();
    void openFailsForAMissingDevice();
    void hangupFailsTheExchangeAtOnce_data();
    void hangupFailsTheExchangeAtOnce();
    void exchangeOverTheTerminal();
    void portMapResolves_data();
    void portMapResolves();
    void portMapDescribes_data();
    void portMapDescribes();
};

void SerialAdapterTest::lineSettings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("writer") << "57600,n,8,1" << true << 57600 << int(QSerialPort::NoParity) << 8
                            << int(QSerialPort::OneStop);
    QTest::newRow("update 19200") << "19200,n,8,1" << true << 19200 << int(QSerialPort::NoParity) << 8
                                  << int(QSerialPort::OneStop);
    QTest::newRow("update 9600") << "9600,n,8,1" << true << 9600 << int(QSerialPort::NoParity) << 8
                                 << int(QSerialPort::OneStop);
    QTest::newRow("even, 7, 2, upper case")
        << "4800,E,7,2" << true << 4800 << int(QSerialPort::EvenParity) << 7 << int(QSerialPort::TwoStop);
    QTest::newRow("odd, 1.5 stop") << "1200,o,5,1.5" << true << 1200 << int(QSerialPort::OddParity) << 5
                                   << int(QSerialPort::OneAndHalfStop);
    QTest::newRow("spaces tolerated") << " 57600 , n , 8 , 1 " << true << 57600 << int(QSerialPort::NoParity)
                                      << 8 << int(QSerialPort::OneStop);
    QTest::newRow("missing field") << "57600,n,8" << false << 0 << 0 << 0 << 0;
    QTest::newRow("baud not a number") << "fast,n,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("zero baud") << "0,n,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("unknown parity") << "57600,x,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("9 data bits") << "57600,n,9,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("3 stop bits") << "57600,n,8,3" << false << 0 << 0 << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
}

void SerialAdapterTest::lineSettings() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);

    const auto parsed = link::ParseLineSettings(text);
    QCOMPARE(parsed.has_value(), valid);
    link::QtSerialPortAdapter adapter;
    QCOMPARE(adapter.SetLineSettings(text), valid);
    if (!valid) return;
    QCOMPARE(parsed->baudRate, baud);
    QCOMPARE(int(parsed->parity), parity);
    QCOMPARE(int(parsed->dataBits), dataBits);
    QCOMPARE(int(parsed->stopBits), stopBits);
}

void SerialAdapterTest::opensATerminalAndPushesEveryWriteOut_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("letter") << QByteArray("A");
    QTest::newRow("ESC") << QByteArray("\x1B");
    QTest::newRow("code and zero") << QByteArray("\x48\x00", 2);
    QTest::newRow("every byte value") << [] {
        QByteArray all;
        for (int i = 0; i < 256; ++i) all.append(static_cast<char>(i));
        return all;
    }();
}

void SerialAdapterTest::opensATerminalAndPushesEveryWriteOut() {
    QFETCH(QByteArray, bytes);
    Pty pty;
    QVERIFY(pty.IsValid());
    link::QtSerialPortAdapter port;
    QVERIFY(port.SetLineSettings(link::kWriterLineSettings));
    port.SetNoHandshaking();
    port.SetRts(true);
    QVERIFY2(port.Open(pty.Path()), qPrintable(pty.Path()));
    QVERIFY(port.IsOpen());
    QCOMPARE(port.PortPath(), pty.Path());
    QVERIFY(!port.HasFailed());  // the refused RTS line of a terminal is no failure
    QVERIFY(port.Write(bytes));
    // No event loop has run: the bytes must have left on their own. A blocking pause may follow a write.
    QByteArray sent;
    for (int i = 0; i < 50 && sent.size() < bytes.size(); ++i) {
        sent += pty.ReadSent();
        if (sent.size() < bytes.size()) ::usleep(1000);
    }
    QCOMPARE(sent, bytes);
    port.Close();
    QVERIFY(!port.IsOpen());
    QVERIFY(!port.Write("A"));
}

void SerialAdapterTest::waitReturnsWhenBytesArrive() {
    Pty pty;
    link::QtSerialPortAdapter port;
    QVERIFY(port.Open(pty.Path()));
    QTimer::singleShot(50, [&] { pty.Answer("\r"); });
    QElapsedTimer clock;
    clock.start();
    while (port.BytesWaiting() < 1 && clock.elapsed() < 5000) port.WaitForMoreBytes(std::chrono::seconds(5));
    QCOMPARE(port.BytesWaiting(), 1);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(port.ReadAll(), QByteArray("\r"));
    QCOMPARE(port.BytesWaiting(), 0);
}

void SerialAdapterTest::waitReturnsAfterItsTimeWhenSilent() {
    Pty pty;
    link::QtSerialPortAdapter port;
    QVERIFY(port.Open(pty.Path()));
    QElapsedTimer clock;
    clock.start();
    port.WaitForMoreBytes(std::chrono::milliseconds(150));
    QVERIFY2(clock.elapsed() >= 140, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(port.BytesWaiting(), 0);
    QVERIFY(!port.HasFailed());
}

void SerialAdapterTest::discardDropsWhatArrived() {
    Pty pty;
    link::QtSerialPortAdapter port;
    QVERIFY(port.Open(pty.Path()));
    pty.Answer("late bytes");
    QElapsedTimer clock;
    clock.start();
    while (port.BytesWaiting() < 10 && clock.elapsed() < 2000)
        port.WaitForMoreBytes(std::chrono::milliseconds(100));
    QCOMPARE(port.BytesWaiting(), 10);
    port.DiscardInput();
    QCOMPARE(port.BytesWaiting(), 0);
    QCOMPARE(port.ReadAll(), QByteArray());
}

void SerialAdapterTest::openFailsForAMissingDevice() {
    link::QtSerialPortAdapter port;
    QVERIFY(!port.Open(QStringLiteral("/dev/zendra-no-such-port")));
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.BytesWaiting(), 0);
    QVERIFY(!port.Write("A"));
}

void SerialAdapterTest::hangupFailsTheExchangeAtOnce_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("message");
    QTest::newRow("l, 5 s time-out") << "WriteLock"
                                     << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l";
    QTest::newRow("R, 5 s time-out") << "ReadProgramWord"
                                     << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R";
}

void SerialAdapterTest::hangupFailsTheExchangeAtOnce() {
    QFETCH(QString, routine);
    QFETCH(QString, message);

    Pty pty;
    RealLink l;
    QVERIFY(l.port.Open(pty.Path()));
    // The writer goes away while the host waits for its reply.
    QTimer::singleShot(100, [&] { pty.Hangup(); });
    QElapsedTimer clock;
    clock.start();
    qint16 error = 0;
    quint8 hi = 0, lo = 0;
    const link::Outcome outcome = routine == "WriteLock" ? link::WriteLock(l.ctx, 0xFC, error)
                                                         : link::ReadProgramWord(l.ctx, hi, lo, error);
    QCOMPARE(outcome, link::Outcome::TimedOut);
    QCOMPARE(error, qint16(1));
    QCOMPARE(l.ui.panels[1], message);
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(l.port.HasFailed());

    // Every later command fails at once too, without a crash or a hang.
    clock.restart();
    QCOMPARE(link::EnterAvrCommandSet(l.ctx, error), link::Outcome::TimedOut);
    QVERIFY(clock.elapsed() < 500);
}

void SerialAdapterTest::exchangeOverTheTerminal() {
    Pty pty;
    RealLink l;
    QVERIFY(l.port.Open(pty.Path()));
    // The far side answers the frame of 'R' once it has seen the letter.
    QTimer poll;
    QByteArray seen;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        seen += pty.ReadSent();
        if (seen == "R") {
            pty.Answer("\xAB\xCD");
            seen.clear();
        }
    });
    poll.start(5);
    qint16 error = 0;
    quint8 hi = 0, lo = 0;
    QCOMPARE(link::ReadProgramWord(l.ctx, hi, lo, error), link::Outcome::Ok);
    QCOMPARE(error, qint16(0));
    QCOMPARE(hi, quint8(0xAB));
    QCOMPARE(lo, quint8(0xCD));
}

void SerialAdapterTest::portMapResolves_data() {
    QTest::addColumn<QStringList>("assigned");  // "n=path"
    QTest::addColumn<QStringList>("detected");  // in the order the system lists them
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("path");

    const QStringList usb = {"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyUSB0"};
    QTest::newRow("first by path") << QStringList() << usb << 1 << "/dev/ttyACM0";
    QTest::newRow("third by path") << QStringList() << usb << 3 << "/dev/ttyUSB1";
    QTest::newRow("beyond the detected") << QStringList() << usb << 4 << "";
    QTest::newRow("stored wins") << QStringList{"1=/dev/pts/7"} << usb << 1 << "/dev/pts/7";
    QTest::newRow("stored for another number") << QStringList{"2=/dev/pts/7"} << usb << 1 << "/dev/ttyACM0";
    QTest::newRow("stored, nothing detected")
        << QStringList{"20=/tmp/kx-writer"} << QStringList() << 20 << "/tmp/kx-writer";
    QTest::newRow("COM0 is nothing") << QStringList() << usb << 0 << "";
}

void SerialAdapterTest::portMapResolves() {
    QFETCH(QStringList, assigned);
    QFETCH(QStringList, detected);
    QFETCH(int, number);
    QFETCH(QString, path);

    MemorySettings settings;
    QList<link::DetectedPort> ports;
    for (const QString& p : detected) ports.append({p, {}});
    link::PortMap map(settings, [&] { return ports; });
    for (const QString& a : assigned) map.Assign(a.section('=', 0, 0).toInt(), a.section('=', 1));
    QCOMPARE(map.Resolve(number), path);
    for (const QString& a : assigned)
        QCOMPARE(settings.values.value("Ports/COM" + a.section('=', 0, 0)), a.section('=', 1));
}

void SerialAdapterTest::portMapDescribes_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("with description") << 1 << "/dev/ttyUSB0 (FT232R USB UART)";
    QTest::newRow("without description") << 2 << "/dev/ttyUSB1";
    QTest::newRow("typed path") << 5 << "/tmp/kx-writer";
    QTest::newRow("nothing") << 6 << "未接続";
}

void SerialAdapterTest::portMapDescribes() {
    QFETCH(int, number);
    QFETCH(QString, text);
    MemorySettings settings;
    link::PortMap map(settings, [] {
        return QList<link::DetectedPort>{{"/dev/ttyUSB1", ""}, {"/dev/ttyUSB0", "FT232R USB UART"}};
    });
    map.Assign(5, QStringLiteral("/tmp/kx-writer"));
    QCOMPARE(map.Describe(number), text);
}

QTEST_GUILESS_MAIN(SerialAdapterTest)
#include "tst_serial_adapter.moc"
