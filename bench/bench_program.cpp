// Program plus verify of a full AT90S8515 image (4096 words, 512 EEPROM bytes) against kxwrt-sim over a
// pseudo-terminal: once without delays (exchanges per second beside the raw round trip), once with the
// writer emulating the line time of 57600 baud (total time against the time the bytes need on the line
// plus the pauses the flows contain, and the program's CPU share).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTemporaryDir>
#include <cstdio>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "SimProcess.h"
#include "core/SharedState.h"
#include "devices/Catalogue.h"
#include "image/MemoryImages.h"
#include "link/Commands.h"
#include "link/QtSerialPortAdapter.h"
#include "operations/Flows.h"

using namespace zendra;

namespace {

constexpr int kDevice = 11;  // AT90S8515
constexpr double kBaud = 57600;

// Counts what crosses the wire, to know what the line alone needs.
class CountingPort final : public link::SerialPort {
public:
    explicit CountingPort(link::SerialPort& inner) : m_inner(inner) {}
    long long bytesOut = 0, bytesIn = 0, writes = 0, reads = 0;
    bool Open(const QString& path) override { return m_inner.Open(path); }
    void Close() override { m_inner.Close(); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    QString PortPath() const override { return m_inner.PortPath(); }
    bool SetLineSettings(const QString& s) override { return m_inner.SetLineSettings(s); }
    void SetNoHandshaking() override { m_inner.SetNoHandshaking(); }
    bool SetRts(bool on) override { return m_inner.SetRts(on); }
    void DiscardInput() override { m_inner.DiscardInput(); }
    int BytesWaiting() override { return m_inner.BytesWaiting(); }
    bool Write(const QByteArray& b) override {
        bytesOut += b.size();
        ++writes;
        return m_inner.Write(b);
    }
    QByteArray ReadAll() override {
        QByteArray b = m_inner.ReadAll();
        ++reads;
        bytesIn += b.size();
        return b;
    }
    void WaitForMoreBytes(core::Duration d) override { m_inner.WaitForMoreBytes(d); }
    bool HasFailed() const override { return m_inner.HasFailed(); }

private:
    link::SerialPort& m_inner;
};

// Adds up the fixed pauses and responsive waits the flows ask for.
class CountingTiming final : public core::Timing {
public:
    core::Duration paused{0};
    core::Clock::time_point Now() const override { return m_real.Now(); }
    void Sleep(core::milliseconds p) override {
        paused += p;
        m_real.Sleep(p);
    }
    void RunEventsFor(core::Duration d) override {
        paused += d;
        m_real.RunEventsFor(d);
    }

private:
    core::SystemTiming m_real;
};

struct Result {
    double seconds = 0, cpu = 0, lineSeconds = 0;
    long long bytesOut = 0, bytesIn = 0, writes = 0, exchanges = 0;
    bool ok = false;
    QString verdict;
};

Result ProgramAndVerify(const QString& pty) {
    link::QtSerialPortAdapter adapter;
    CountingPort port(adapter);
    CountingTiming timing;
    test::RecordingUi ui;
    const auto& device = devices::DeviceTable()[kDevice];
    operations::Environment env{port, timing, ui, ui};
    const operations::Target target{.device = &device, .port = {.number = 1, .path = pty, .saved = true}};

    image::MemoryImages images;
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 2 * device.flashWords; ++i) images.ProgramImage[i] = quint8(random->bounded(256));
    for (int i = 0; i < device.eepromBytes; ++i) images.EepromImage[i] = quint8(random->bounded(255));  // never 0xFF

    Result r;
    const double cpu0 = bench::ProcessCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const operations::Report report = operations::ProgramCommand(env, target, images);
    r.seconds = timer.nsecsElapsed() / 1e9;
    r.cpu = bench::ProcessCpuSeconds() - cpu0;
    r.bytesOut = port.bytesOut;
    r.bytesIn = port.bytesIn;
    r.writes = port.writes;
    r.exchanges = port.reads;  // every completed exchange reads its reply once
    // 10 bit times per byte (start, 8 data, stop), in both directions, one after the other.
    r.lineSeconds = double(port.bytesOut + port.bytesIn) * 10.0 / kBaud +
                    std::chrono::duration<double>(timing.paused).count();
    r.verdict = report.status;
    r.ok = report.Succeeded();
    return r;
}

double RawRoundTrip(const QString& path) {
    QSerialPort port(path);
    if (!port.open(QIODevice::ReadWrite)) return 0;
    const int rounds = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        port.write("A", 1);
        port.waitForBytesWritten(1000);
        while (port.bytesAvailable() < 1)
            if (!port.waitForReadyRead(1000)) return 0;
        port.readAll();
    }
    return timer.nsecsElapsed() / 1e9 / rounds;
}

void Print(const char* title, const Result& r) {
    std::printf("%s\n", title);
    std::printf("  result: %s\n", qPrintable(r.verdict));
    std::printf("  total %.3f s, CPU %.3f s (%.1f %% of wall)\n", r.seconds, r.cpu, 100 * r.cpu / r.seconds);
    std::printf("  %lld bytes out in %lld writes, %lld bytes in\n", r.bytesOut, r.writes, r.bytesIn);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList chip{QStringLiteral("--chip"), QStringLiteral("AT90S8515")};
    Result fast;
    double raw = 0;
    {
        bench::SimProcess sim(chip);
        if (sim.PtyPath().isEmpty()) return 1;
        raw = RawRoundTrip(sim.PtyPath());
        fast = ProgramAndVerify(sim.PtyPath());
    }
    Print("AT90S8515 program + verify, writer without delays:", fast);
    std::printf("  %lld exchanges, %.0f exchanges/s (%.1f us each); raw pseudo-terminal round trip %.1f us\n",
                fast.exchanges, fast.exchanges / fast.seconds, 1e6 * fast.seconds / fast.exchanges, raw * 1e6);

    Result line;
    {
        bench::SimProcess sim(chip + QStringList{QStringLiteral("--baud"), QStringLiteral("57600")});
        if (sim.PtyPath().isEmpty()) return 1;
        line = ProgramAndVerify(sim.PtyPath());
    }
    Print("AT90S8515 program + verify, writer emulating 57600 baud line time:", line);
    std::printf("  line time of the bytes + fixed pauses: %.3f s; measured / line: %.3f (target <= 1.05)\n",
                line.lineSeconds, line.seconds / line.lineSeconds);
    std::printf("  CPU share: %.2f %% (target < 5 %%)\n", 100 * line.cpu / line.seconds);
    return fast.ok && line.ok ? 0 : 1;
}
