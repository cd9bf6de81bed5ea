// Both serial ports (the terminal's own descriptor, the QSerialPort adapter) on the real clock, over a
// pseudo-terminal whose far side the test holds and against kxwrt-sim, and the COM-port map.

#include <fcntl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <functional>
#include <cstring>
#include <thread>

#include "LinkFixture.h"
#include "link/Exchange.h"
#include "link/PortMap.h"
#include "link/QtSerialPortAdapter.h"
#include "link/TerminalPort.h"
#include "operations/Checks.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// The far (master) side of a pseudo-terminal; the adapter opens `path`. Closing it pulls the cable.
struct Pty {
    Pty() {
        fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) return;
        path = QString::fromLocal8Bit(::ptsname(fd));
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { Hangup(); }
    void Hangup() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int fd = -1;
    QString path;
};

// "terminal": the descriptor port the program uses; "qt": the QSerialPort adapter kept for other systems.
std::unique_ptr<link::SerialPort> MakePort(const QString& kind) {
    if (kind == "qt") return std::make_unique<link::QtSerialPortAdapter>();
    return std::make_unique<link::TerminalPort>();
}

bool LowLatency(const link::SerialPort& port) {
    if (const auto* qt = dynamic_cast<const link::QtSerialPortAdapter*>(&port)) return qt->LowLatency();
    return dynamic_cast<const link::TerminalPort&>(port).LowLatency();
}

// Runs `act` on a thread of its own after `delayMs`: the far side acts while the port waits, whether or not
// the wait runs this thread's events. Joined when it goes.
struct Later {
    Later(int delayMs, std::function<void()> act)
        : thread([delayMs, act = std::move(act)] { std::this_thread::sleep_for(std::chrono::milliseconds(delayMs)), act(); }) {}
    ~Later() { thread.join(); }
    std::thread thread;
};

// The program's link on the real clock, COM1 on a pseudo-terminal: the test's own (no options) or the one
// kxwrt-sim started with `options` prints.
struct Writer {
    explicit Writer(const QStringList& options = {}, const QString& kind = "terminal") : owned(MakePort(kind)) {
        if (!options.isEmpty()) sim.start(QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim"), options);
        while (!options.isEmpty() && !sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        path = options.isEmpty() ? pty.path : QString::fromLocal8Bit(sim.readLine()).trimmed();
        target = {.device = devices::DeviceAt(*devices::FindDevice(QStringLiteral("ATtiny26L"))),
                  .port = {.number = 1, .path = path, .saved = true}};
    }
    ~Writer() { Hangup(); }
    void Hangup() {
        pty.Hangup();
        sim.kill();
        sim.waitForFinished(5000);
    }
    Pty pty;
    QProcess sim;
    QString path;
    std::unique_ptr<link::SerialPort> owned;
    link::SerialPort& port = *owned;
    core::SystemTiming timing;
    RecordingUi ui;
    link::Session session{port, timing};
    operations::Environment env{port, timing, ui, ui};
    operations::Target target;
};


}  // namespace

class SerialAdapterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void terminalCarriesBytesBothWays_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("terminal descriptor") << "terminal";
        QTest::newRow("QSerialPort") << "qt";
    }
    void terminalCarriesBytesBothWays() {
        QFETCH(QString, kind);
        const auto line = link::ParseLineSettings(QStringLiteral(" 57600 , N , 8 , 1 "));
        QVERIFY(line && line->baudRate == 57600 && line->parity == QSerialPort::NoParity);
        QVERIFY(line->dataBits == QSerialPort::Data8 && line->stopBits == QSerialPort::OneStop);
        Writer w({}, kind);
        link::SerialPort& port = w.port;
        // A port not open returns from a wait at once, also off the windows' thread.
        QElapsedTimer clock;
        clock.start();
        std::thread([&port] { port.WaitForMoreBytes(500ms); }).join();
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!port.SetLineSettings(QStringLiteral("57600,n,9,1")));
        if (kind == "terminal") {
            // A rate or stop bits the terminal cannot take are refused, not silently changed.
            QVERIFY(!port.SetLineSettings(QStringLiteral("57601,n,8,1")));
            QVERIFY(!port.SetLineSettings(QStringLiteral("57600,n,8,1.5")));
            QVERIFY(port.SetLineSettings(QStringLiteral("9600,e,7,2")));
            QVERIFY(port.SetLineSettings(QStringLiteral("1152000,n,8,1")));  // the highest rate
            QVERIFY(port.SetLineSettings(link::kWriterLineSettings));
        }
        QVERIFY(!port.Open(QStringLiteral("/dev/zendra-no-such-port")));
        port.SetRts(true);
        QVERIFY(port.Open(w.path));
        QVERIFY(!port.HasFailed());  // a terminal refuses RTS; that is no failure
        // Nor is its refusal of low latency: the port opened, nothing is recorded against it.
        QVERIFY(!LowLatency(port));
        QVERIFY(port.OpenFailureReason().isEmpty());
        QVERIFY(!link::RequestLowLatency(w.pty.fd));
        QVERIFY(!link::RequestLowLatency(-1));
        QByteArray all;
        for (int i = 0; i < 256; ++i) all.append(char(i));
        QVERIFY(port.Write(all));
        // No event loop runs here: the bytes leave on their own, as a blocking pause may follow a write.
        QByteArray sent;
        char buffer[512];
        for (int i = 0; i < 50 && sent.size() < all.size(); ++i, ::usleep(1000))
            for (ssize_t n; (n = ::read(w.pty.fd, buffer, sizeof buffer)) > 0;) sent.append(buffer, n);
        QCOMPARE(sent, all);

        // A reply that never comes times out strictly after its time-out, the port still usable.
        clock.restart();
        QCOMPARE(link::AwaitBytes(port, w.timing, 1, 100ms), link::Arrival::TimedOut);
        QVERIFY(clock.elapsed() >= 100 && clock.elapsed() < 1000);
        QVERIFY(link::IsPortUsable(port));

        // An answer ends the wait early, in as many pieces as it comes; what arrived can be dropped.
        {
            const Later answer(50, [&] {
                [[maybe_unused]] auto n = ::write(w.pty.fd, "\rla", 3);
                ::usleep(20000);
                n = ::write(w.pty.fd, "te", 2);
            });
            clock.restart();
            QCOMPARE(link::AwaitBytes(port, w.timing, 5, 5s), link::Arrival::Arrived);
            QVERIFY(clock.elapsed() < 2000);
        }
        port.DiscardInput();
        QCOMPARE(port.BytesWaiting(), 0);
        // The discard also drops what the driver holds but nobody read yet: a stale reply never answers the
        // next command.
        [[maybe_unused]] auto stale = ::write(w.pty.fd, "old", 3);
        ::usleep(20000);
        port.DiscardInput();
        [[maybe_unused]] auto fresh = ::write(w.pty.fd, "\r", 1);
        QCOMPARE(link::AwaitBytes(port, w.timing, 1, 2s), link::Arrival::Arrived);
        QCOMPARE(port.ReadAll(), QByteArray("\r"));
        if (kind == "terminal") {
            // Nobody reads: once the driver's buffer stays full past the write limit the port has failed, and
            // it stays failed when room comes back, until it is opened again.
            QVERIFY(!port.Write(QByteArray(1 << 20, 'x')) && port.HasFailed());
            while (::read(w.pty.fd, buffer, sizeof buffer) > 0) {
            }
            QVERIFY(!port.Write("A"));
        }
        port.Close();
        QVERIFY(!port.Write("A"));
    }

    // The writer goes away while the host awaits the reply to 'l': the command fails well before its 5 s
    // time-out, and the next check promptly too.
    void writerGoneFailsAtOnce_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"terminal", "qt"}) {
            QTest::addRow("pseudo-terminal hung up, %s", kind) << QStringList() << kind;
            // answers ESC ? ? A T ESC
            QTest::addRow("kxwrt-sim killed, %s", kind) << QStringList{"--silent-after", "6"} << kind;
        }
    }
    void writerGoneFailsAtOnce() {
        QFETCH(QStringList, options);
        QFETCH(QString, kind);
        Writer w(options, kind);
        const auto check = [&] {
            operations::Run run(w.env, w.target);
            return operations::CheckCommunication(run);
        };
        QVERIFY(options.isEmpty() ? w.port.Open(w.path) : check());
        QElapsedTimer clock;
        clock.start();
        link::CommandResult lock;
        {
            const qint64 sim = w.sim.processId();
            const int fd = sim > 0 ? -1 : std::exchange(w.pty.fd, -1);
            const Later pull(200, [sim, fd] { sim > 0 ? ::kill(pid_t(sim), SIGKILL) : ::close(fd); });
            lock = link::WriteLock(w.session, 0xFC);
        }
        w.Hangup();
        QCOMPARE(lock.outcome, link::Outcome::PortFailed);
        QCOMPARE(lock.message, texts::kFailWriteLock);
        QVERIFY(clock.elapsed() < 2500);
        clock.restart();
        QVERIFY(!check());
        QVERIFY(clock.elapsed() < 3000);
    }

    // Why a port did not open reaches the user: the system's words, and what to do where something can be done.
    // `path`: "held" a pseudo-terminal another adapter has open, "folder" a folder, else the path itself.
    void openFailureReason_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");  // the errno whose text comes first
        QTest::addColumn<QString>("advice");
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"terminal", "qt"}) {
            QTest::addRow("inside a missing folder, %s", kind) << "/zendra-no-such-folder/ttyUSB0" << ENOENT << texts::kPortNoSuchDevice << kind;
            QTest::addRow("a folder, %s", kind) << "folder" << EISDIR << QString() << kind;
            QTest::addRow("held by another program, %s", kind) << "held" << EBUSY << texts::kPortInUse << kind;
        }
        QTest::newRow("not a terminal, terminal") << "file" << ENOTTY << QString() << "terminal";
    }
    void openFailureReason() {
        QFETCH(QString, path);
        QFETCH(int, error);
        QFETCH(QString, advice);
        QFETCH(QString, kind);
        Pty pty;
        QTemporaryDir dir;
        const auto holder = MakePort(kind), opener = MakePort(kind);
        link::SerialPort& port = *opener;
        if (path == "held") QVERIFY(holder->Open(path = pty.path));
        if (path == "folder") path = dir.path();
        if (path == "file") {
            QFile file(path = dir.filePath("plain"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(!port.Open(path));
        QCOMPARE(port.OpenFailureReason(), link::DescribeOpenFailure(error));
        const QString system = texts::kPortSystemReason.arg(QString::fromLocal8Bit(std::strerror(error)));
        QCOMPARE(port.OpenFailureReason(), advice.isEmpty() ? system : system + '\r' + advice);
        holder->Close();
        QVERIFY(port.Open(pty.path));
        QVERIFY(port.OpenFailureReason().isEmpty());  // a later success clears it
    }

    // A USB adapter's ids, four hex digits each with their leading zeros, as the port rows show them.
    void usbIdText() {
        QCOMPARE(link::UsbIdText(0x0403, 0x6001), QStringLiteral("0403:6001"));
        QCOMPARE(link::UsbIdText(0x10C4, 0xEA60), QStringLiteral("10c4:ea60"));
    }

    // Tests run as root, whom no permission stops: the permission advice is checked on the errno alone.
    void openFailureAdvice_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("advice");
        QTest::newRow("EACCES") << EACCES << texts::kPortNoPermission;
        QTest::newRow("EPERM") << EPERM << texts::kPortNoPermission;
        QTest::newRow("EIO: the system's words only") << EIO << QString();
    }
    void openFailureAdvice() {
        QFETCH(int, error);
        QFETCH(QString, advice);
        const QStringList lines = link::DescribeOpenFailure(error).split('\r');
        QCOMPARE(lines.first(), texts::kPortSystemReason.arg(QString::fromLocal8Bit(std::strerror(error))));
        QCOMPARE(lines.value(1), advice);
        if (error == EACCES) QVERIFY(advice.contains("dialout") && advice.contains("sudo usermod -aG dialout $USER"));
    }

    // A fake sysfs folder: `timer` is the adapter's latency_timer file ("" : none); the hint appears above
    // 2 ms, naming the port, the value, the udev rule that lowers it for good and the command that applies it.
    void latencyTimer_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("timer");
        QTest::addColumn<int>("ms");  // -1: none read
        QTest::addColumn<bool>("hint");
        QTest::newRow("FTDI default 16 ms") << "/dev/ttyUSB0" << "16\n" << 16 << true;
        QTest::newRow("lowered to 1 ms") << "/dev/ttyUSB0" << "1\n" << 1 << false;
        QTest::newRow("2 ms is within the limit") << "/dev/ttyUSB0" << "2" << 2 << false;
        QTest::newRow("3 ms is not") << "/dev/ttyUSB0" << "3" << 3 << true;
        QTest::newRow("no adapter behind the port") << "/dev/ttyS0" << "" << -1 << false;
        QTest::newRow("unreadable value") << "/dev/ttyUSB0" << "fast" << -1 << false;
    }
    void latencyTimer() {
        QFETCH(QString, port);
        QFETCH(QString, timer);
        QFETCH(int, ms);
        QFETCH(bool, hint);
        QTemporaryDir sysfs;
        const QString folder = sysfs.path() + "/bus/usb-serial/devices/ttyUSB0";
        QVERIFY(QDir().mkpath(folder));
        if (!timer.isEmpty()) {
            QFile file(folder + "/latency_timer");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(timer.toLatin1());
        }
        const std::optional<int> read = link::ReadLatencyTimer(port, sysfs.path());
        QCOMPARE(read.value_or(-1), ms);
        const QString text = link::LatencyTimerHint(port, read);
        QCOMPARE(!text.isEmpty(), hint);
        if (!hint) return;
        // The advice outlives a replug: the installed rule, then the command that applies it now.
        QCOMPARE(text.split(QStringLiteral("\r\n")),
                 QStringList({texts::kSlowAdapterPort + port, texts::kSlowAdapterCost.arg(ms),
                              texts::kSlowAdapterRule + "/usr/lib/udev/rules.d/60-zendra-latency.rules",
                              texts::kSlowAdapterCommand + "sudo udevadm trigger --action=add --subsystem-match=usb-serial"}));
    }

};

QTEST_GUILESS_MAIN(SerialAdapterTest)
#include "tst_serial_adapter.moc"
