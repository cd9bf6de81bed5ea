// kxwrt-sim as a process: a real QSerialPort on the pseudo-terminal it prints, its options, its state
// surviving a host close and reopen, the dump and the link on exit.

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "WireNotation.h"

using zendra::test::Trace;
using zendra::test::Wire;

namespace {

const QString kSimulator = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");

// A running kxwrt-sim; stopped with SIGTERM when the test ends.
class Simulator {
public:
    explicit Simulator(const QStringList& args) {
        m_process.start(kSimulator, args);
        if (!m_process.waitForStarted(5000)) return;
        QElapsedTimer started;
        started.start();
        // A simulator that never prints its path must fail the test, not hang it.
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running &&
               started.elapsed() < 10000)
            m_process.waitForReadyRead(500);
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() { Stop(); }
    QString Path() const { return m_path; }
    QProcess& Process() { return m_process; }
    // SIGTERM; true when it ended on its own with status 0.
    bool Stop() {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    QString m_path;
};

bool OpenPort(QSerialPort& port, const QString& path) {
    port.setPortName(path);
    port.setBaudRate(57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    return port.open(QIODevice::ReadWrite);
}

// Sends `bytes` and collects what comes back until `count` bytes arrived or `timeoutMs` passed.
QByteArray Exchange(QSerialPort& port, const QByteArray& bytes, int count, int timeoutMs = 2000) {
    if (!bytes.isEmpty()) {
        port.write(bytes);
        port.waitForBytesWritten(1000);
    }
    QByteArray reply;
    QElapsedTimer timer;
    timer.start();
    while (reply.size() < count && timer.elapsed() < timeoutMs) {
        port.waitForReadyRead(50);
        reply += port.readAll();
    }
    return reply;
}

}  // namespace

class TestKxwrtSim : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void options_data();
    void options();
    void refusedOptions_data();
    void refusedOptions();
    void stateSurvivesReopenAndIsDumped();
    void preloadIsServed();
    void completedUpdateIsDumpedAtOnce();
};

void TestKxwrtSim::options_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("minimumMs");
    QTest::newRow("identification") << QStringList{} << "'?"
                                    << "'KX-WRT540 20 'V6.35 0D 0A" << 0;
    QTest::newRow("old firmware") << QStringList{"--firmware", "6.29"} << "'?"
                                  << "'KX-WRT540 20 'V6.29 0D 0A" << 0;
    QTest::newRow("chip by name") << QStringList{"--chip", "AT90S8535"} << "'APs"
                                  << "0D 0D 03 93 1E" << 0;
    QTest::newRow("chip by index") << QStringList{"--chip", "2"} << "'APs"
                                   << "0D 0D 09 91 1E" << 0;
    QTest::newRow("locked") << QStringList{"--locked"} << "'APs"
                            << "0D 0D 02 01 00" << 0;
    QTest::newRow("empty socket") << QStringList{"--empty"} << "'APs"
                                  << "0D 0D FF FF FF" << 0;
    QTest::newRow("wrong from two") << QStringList{"--wrong-from", "2"} << "'AP"
                                    << "0D 3F" << 0;
    QTest::newRow("silent after one") << QStringList{"--silent-after", "1"} << "'AP"
                                      << "0D" << 0;
    QTest::newRow("reply delay") << QStringList{"--delay-ms", "300"} << "'A"
                                 << "0D" << 300;
    // 18 bytes at 1200 baud take 150 ms on the line.
    QTest::newRow("line time") << QStringList{"--baud", "1200"} << "'?"
                               << "'KX-WRT540 20 'V6.35 0D 0A" << 140;
}

void TestKxwrtSim::options() {
    QFETCH(QStringList, args);
    QFETCH(QString, sent);
    QFETCH(QString, expected);
    QFETCH(int, minimumMs);
    Simulator sim(args);
    QVERIFY2(!sim.Path().isEmpty(), "kxwrt-sim printed no terminal path");
    QSerialPort port;
    QVERIFY2(OpenPort(port, sim.Path()), qPrintable(port.errorString()));
    const QByteArray want = Wire(expected);
    QElapsedTimer timer;
    timer.start();
    QByteArray reply = Exchange(port, Wire(sent), want.size(), minimumMs + 2000);
    const qint64 elapsed = timer.elapsed();
    // Anything after the expected answer is a fault too.
    reply += Exchange(port, QByteArray(), 1, 100);
    QCOMPARE(Trace(reply), Trace(want));
    QVERIFY2(elapsed >= minimumMs, qPrintable(QString::number(elapsed)));
    port.close();
    QVERIFY(sim.Stop());
}

void TestKxwrtSim::refusedOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown chip") << QStringList{"--chip", "ATmega8"};
    QTest::newRow("chip index past the end") << QStringList{"--chip", "13"};
    QTest::newRow("negative delay") << QStringList{"--delay-ms", "-5"};
    QTest::newRow("baud zero") << QStringList{"--baud", "0"};
    QTest::newRow("wrong from zero") << QStringList{"--wrong-from", "0"};
    QTest::newRow("silent not a number") << QStringList{"--silent-after", "many"};
    QTest::newRow("firmware control characters") << QStringList{"--firmware", "6.35\r\n"};
    QTest::newRow("missing preload") << QStringList{"--preload", "/nonexistent/state.json"};
    QTest::newRow("stray argument") << QStringList{"COM1"};
}

void TestKxwrtSim::refusedOptions() {
    QFETCH(QStringList, args);
    QProcess process;
    process.start(kSimulator, args);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestKxwrtSim::stateSurvivesReopenAndIsDumped() {
    QTemporaryDir dir;
    const QString dump = dir.filePath("state.json");
    const QString link = dir.filePath("writer");
    const QString wireLog = dir.filePath("wire.log");
    Simulator sim({"--chip", "ATtiny26L", "--dump", dump, "--link", link, "--wire-log", wireLog});
    QVERIFY(!sim.Path().isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.Path());

    QSerialPort port;
    QVERIFY2(OpenPort(port, link), qPrintable(port.errorString()));
    QCOMPARE(Exchange(port, "?", 17), QByteArray("KX-WRT540 V6.35\r\n"));
    QCOMPARE(Trace(Exchange(port, "APs", 5)), Trace(Wire("0D 0D 09 91 1E")));
    QCOMPARE(Trace(Exchange(port, Wire("'a 00 21 'W 34 12 'a 00 05 'D A7"), 4)), Trace(Wire("0D 0D 0D 0D")));
    port.close();

    // A new host session: the writer is still in programming mode with the chip as it was left.
    QVERIFY2(OpenPort(port, sim.Path()), qPrintable(port.errorString()));
    QCOMPARE(Trace(Exchange(port, Wire("'a 00 21 'R 'a 00 05 'd"), 5)), Trace(Wire("0D 12 34 0D A7")));
    port.close();

    QVERIFY(sim.Stop());
    QVERIFY(!QFileInfo(link).isSymLink());
    QFile log(wireLog);
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString trace = QString::fromLatin1(log.readAll());
    QVERIFY2(trace.contains("> 3F\n") && trace.contains("< 4B 58 2D") && trace.contains("> 52\n") &&
                 trace.contains("< 12 34\n"),
             qPrintable(trace));
    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(state.value("chip").toString(), QString("ATtiny26L"));
    QCOMPARE(state.value("flash").toString().mid(0x21 * 4, 4), QString("1234"));
    QCOMPARE(state.value("eeprom").toString().mid(5 * 2, 2), QString("A7"));
}

void TestKxwrtSim::preloadIsServed() {
    QTemporaryDir dir;
    const QString preload = dir.filePath("preload.json");
    QFile file(preload);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"chip": "AT90S2323", "flash": "0000BEEF", "fuseLow": "DE", "calibration": "77"})");
    file.close();
    Simulator sim({"--preload", preload});
    QVERIFY(!sim.Path().isEmpty());
    QSerialPort port;
    QVERIFY2(OpenPort(port, sim.Path()), qPrintable(port.errorString()));
    QCOMPARE(Trace(Exchange(port, Wire("'AP 's 'a 00 01 'R 'F"), 9)),
             Trace(Wire("0D 0D 02 91 1E 0D BE EF DE")));
}

void TestKxwrtSim::completedUpdateIsDumpedAtOnce() {
    QTemporaryDir dir;
    const QString dump = dir.filePath("state.json");
    Simulator sim({"--dump", dump});
    QVERIFY(!sim.Path().isEmpty());
    QSerialPort port;
    QVERIFY2(OpenPort(port, sim.Path()), qPrintable(port.errorString()));
    QCOMPARE(Trace(Exchange(port, Wire("'U 00 10 3F FF"), 1)), Trace(Wire("4E")));
    QCOMPARE(Exchange(port, Wire("FF FF FF FF"), 1, 300), QByteArray());
    // Written while the writer still runs: a host that dies after an update still leaves the image.
    QTRY_VERIFY(QFile::exists(dump));
    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject firmware =
        QJsonDocument::fromJson(file.readAll()).object().value("firmware").toObject();
    QCOMPARE(firmware.value("0010").toString(), QString("3FFF"));
    QCOMPARE(firmware.size(), 1);
}

QTEST_GUILESS_MAIN(TestKxwrtSim)
#include "tst_kxwrtsim.moc"
