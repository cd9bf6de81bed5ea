// The in-process port: replies arrive on the injected clock after the reply delay, the chip survives a
// close and reopen, and a closed or unplugged port behaves as a real one does.

#include <QtTest>

#include "FakeTiming.h"
#include "VirtualWriterPort.h"
#include "WireNotation.h"

using namespace zendra::virtualwriter;
using namespace std::chrono_literals;
using zendra::test::FakeTiming;
using zendra::test::Wire;

class TestVirtualWriterPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replyDelay_data();
    void replyDelay();
    void repliesKeepTheirOrder();
    void chipSurvivesReopen();
    void closeDropsRepliesInFlight();
    void closedAndUnplugged();
    void lineSettings_data();
    void lineSettings();
};

void TestVirtualWriterPort::replyDelay_data() {
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<int>("expectedBytes");
    QTest::addColumn<int>("expectedElapsedMs");
    QTest::newRow("prompt") << 0 << 1000 << 1 << 0;
    QTest::newRow("late within the wait") << 300 << 1000 << 1 << 300;
    QTest::newRow("later than the wait") << 1500 << 1000 << 0 << 1000;
    QTest::newRow("exactly at the end") << 1000 << 1000 << 1 << 1000;
}

void TestVirtualWriterPort::replyDelay() {
    QFETCH(int, delayMs);
    QFETCH(int, waitMs);
    QFETCH(int, expectedBytes);
    QFETCH(int, expectedElapsedMs);
    WriterOptions options;
    options.replyDelay = std::chrono::milliseconds(delayMs);
    WriterModel model(options);
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    QVERIFY(port.Open("/dev/virtual"));
    const auto start = timing.Now();
    QVERIFY(port.Write("A"));
    if (delayMs > 0) QCOMPARE(port.BytesWaiting(), 0);
    if (port.BytesWaiting() == 0) port.WaitForMoreBytes(std::chrono::milliseconds(waitMs));
    QCOMPARE(port.BytesWaiting(), expectedBytes);
    QCOMPARE(std::chrono::duration_cast<std::chrono::milliseconds>(timing.Now() - start).count(),
             expectedElapsedMs);
}

void TestVirtualWriterPort::repliesKeepTheirOrder() {
    WriterOptions options;
    options.replyDelay = 100ms;
    WriterModel model(options);
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    QVERIFY(port.Open("/dev/virtual"));
    QVERIFY(port.Write("A"));
    timing.Advance(50ms);
    QVERIFY(port.Write("?"));
    port.WaitForMoreBytes(1s);
    QCOMPARE(port.ReadAll(), QByteArray("\r"));
    port.WaitForMoreBytes(1s);
    QCOMPARE(port.ReadAll(), QByteArray("KX-WRT540 V6.35\r\n"));
}

void TestVirtualWriterPort::chipSurvivesReopen() {
    WriterModel model;
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    QVERIFY(port.Open("/dev/virtual"));
    // Parameter bytes go out one write each, as the host sends them.
    for (const char* part : {"A", "P", "a", "\x00", "\x07", "D", "\x5A"}) port.Write(QByteArray(part, 1));
    port.Close();
    QVERIFY(port.Open("/dev/virtual"));
    QCOMPARE(port.BytesWaiting(), 0);
    QVERIFY(port.Write(Wire("'a 00 07 'd")));
    QCOMPARE(port.ReadAll(), Wire("0D 5A"));
    QCOMPARE(port.OpenCount(), 2);
}

void TestVirtualWriterPort::closeDropsRepliesInFlight() {
    WriterOptions options;
    options.replyDelay = 200ms;
    WriterModel model(options);
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    QVERIFY(port.Open("/dev/virtual"));
    QVERIFY(port.Write("?"));
    port.Close();
    timing.Advance(1s);
    QVERIFY(port.Open("/dev/virtual"));
    QCOMPARE(port.BytesWaiting(), 0);
}

void TestVirtualWriterPort::closedAndUnplugged() {
    WriterModel model;
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    port.unopenablePaths << "/dev/busy";
    QVERIFY(!port.Open("/dev/busy"));
    QVERIFY(!port.Write("A"));
    QCOMPARE(model.CommandCount(), 0);
    QVERIFY(port.Open("/dev/virtual"));
    QVERIFY(!port.Open("/dev/virtual"));  // already open
    port.Unplug();
    QVERIFY(port.HasFailed());
    QVERIFY(!port.Write("A"));
    QCOMPARE(model.CommandCount(), 0);
    const auto before = timing.Now();
    port.WaitForMoreBytes(1s);  // returns at once: nothing will ever come
    QCOMPARE(timing.Now(), before);
    port.Close();
    QVERIFY(port.Open("/dev/virtual"));
    QVERIFY(!port.HasFailed());
}

void TestVirtualWriterPort::lineSettings_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("writer") << "57600,n,8,1" << true;
    QTest::newRow("update 9600") << "9600,n,8,1" << true;
    QTest::newRow("upper case") << "19200,N,8,1" << true;
    QTest::newRow("no baud") << ",n,8,1" << false;
    QTest::newRow("parity unknown") << "57600,x,8,1" << false;
    QTest::newRow("nonsense") << "fast" << false;
}

void TestVirtualWriterPort::lineSettings() {
    QFETCH(QString, settings);
    QFETCH(bool, accepted);
    WriterModel model;
    FakeTiming timing;
    VirtualWriterPort port(model, timing);
    QCOMPARE(port.SetLineSettings(settings), accepted);
    QCOMPARE(port.LastLineSettings(), accepted ? settings : QString());
}

QTEST_GUILESS_MAIN(TestVirtualWriterPort)
#include "tst_virtualwriterport.moc"
