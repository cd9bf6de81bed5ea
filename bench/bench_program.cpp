// Program plus verify of a full AT90S8515 image (4096 words, 512 EEPROM bytes) against kxwrt-sim over a
// pseudo-terminal: once without delays (exchanges per second beside the raw round trip), once with the
// writer emulating the line time of 57600 baud (total time against the time the bytes need on the line
// plus the pauses the flows contain, and the program's CPU share). The first run records its exchange
// sequence, which the minimal C host (bench/minimal_host.c) replays against a fresh writer in the same
// setting: CPU per exchange and wall time are printed as ratios to it.
//
//   bench_program [--adapter-latency-ms N]...   the runs above, and one per N behind an emulated USB adapter
//   bench_program --rounds N                   the 57600 baud pair N times: each wall ratio and the median
//                                              (one pair's ratio moves by a few per cent with the machine's load)
//   bench_program --write-files DIR            the images as DIR/code.hex and DIR/data.eep, and the sequence
//                                              as DIR/sequence.txt (for bench/syscalls.sh)
//   bench_program --pty PATH [--no-run]        one program+verify against a writer started outside;
//                                              --no-run: start and build the images only
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "SimProcess.h"
#include "core/SharedState.h"
#include "devices/Catalogue.h"
#include "image/IntelHex.h"
#include "image/MemoryImages.h"
#include "link/Commands.h"
#include "link/ForwardingPort.h"
#include "link/SystemPort.h"
#include "operations/Flows.h"

using namespace zendra;

namespace {

constexpr int kDevice = 11;  // AT90S8515
constexpr double kBaud = 57600;

// Adds up the fixed pauses and responsive waits the flows ask for; `sinceMark` is what passed since the
// recorder last looked.
class CountingTiming final : public core::Timing {
public:
    core::Duration paused{0}, sinceMark{0};
    core::Clock::time_point Now() const override { return m_real.Now(); }
    void Sleep(core::milliseconds p) override {
        paused += p;
        sinceMark += p;
        m_real.Sleep(p);
    }
    void RunEventsFor(core::Duration d) override {
        paused += d;
        sinceMark += d;
        m_real.RunEventsFor(d);
    }
    long long TakeMicroseconds() {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(sinceMark).count();
        sinceMark = core::Duration(0);
        return us;
    }

private:
    core::SystemTiming m_real;
};

// Counts what crosses the wire, to know what the line alone needs, and records the exchange sequence in
// the minimal host's notation (bench/minimal_host.c).
class CountingPort final : public link::ForwardingPort {
public:
    CountingPort(link::SerialPort& inner, CountingTiming& timing) : ForwardingPort(inner), m_timing(timing) {}
    QByteArray sequence;
    long long bytesOut = 0, bytesIn = 0, writes = 0, reads = 0;
    void DiscardInput() override {
        // Only a reply that was written for and not read matters to a host that does not discard.
        if (m_unread) sequence += "D " + QByteArray::number(m_timing.TakeMicroseconds()) + '\n';
        m_unread = false;
        m_inner.DiscardInput();
    }
    bool Write(const QByteArray& b) override {
        bytesOut += b.size();
        ++writes;
        sequence += "W " + QByteArray::number(m_timing.TakeMicroseconds()) + ' ' + b.toHex(' ') + '\n';
        m_unread = true;
        return m_inner.Write(b);
    }
    QByteArray ReadAll() override {
        QByteArray b = m_inner.ReadAll();
        ++reads;
        bytesIn += b.size();
        sequence += "R " + QByteArray::number(b.size()) + '\n';
        m_unread = false;
        return b;
    }

private:
    CountingTiming& m_timing;
    bool m_unread = false;
};

struct Result {
    double seconds = 0, cpu = 0, lineSeconds = 0;
    long long bytesOut = 0, bytesIn = 0, writes = 0, exchanges = 0;
    bool ok = false;
    QString verdict;
    QByteArray sequence;
};

// The same random images in every run (a fixed seed), so the files and the recorded sequence match.
image::MemoryImages BenchImages() {
    const auto& device = devices::DeviceTable()[kDevice];
    image::MemoryImages images;
    QRandomGenerator random(8515);
    for (int i = 0; i < 2 * device.flashWords; ++i) images.ProgramImage[i] = quint8(random.bounded(256));
    for (int i = 0; i < device.eepromBytes; ++i)
        images.EepromImage[i] = quint8(random.bounded(255));  // never 0xFF
    return images;
}

Result ProgramAndVerify(const QString& pty) {
    const std::unique_ptr<link::SerialPort> adapter = link::MakeSystemSerialPort();
    CountingTiming timing;
    CountingPort port(*adapter, timing);
    test::RecordingUi ui;
    const auto& device = devices::DeviceTable()[kDevice];
    operations::Environment env{port, timing, ui, ui};
    const operations::Target target{.device = &device, .port = {.number = 1, .path = pty, .saved = true}};
    const image::MemoryImages images = BenchImages();

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
    r.sequence = port.sequence;
    return r;
}

// What the minimal host measured over its replay.
struct HostResult {
    long long exchanges = 0;
    double seconds = 0, cpu = 0;
    bool ok = false;
};

HostResult RunMinimalHost(const QString& pty, const QString& sequencePath) {
    QProcess host;
    host.start(QStringLiteral(ZENDRA_BUILD_DIR "/bench/minimal_host"), {pty, sequencePath});
    HostResult h;
    if (!host.waitForFinished(-1) || host.exitCode() != 0) return h;
    const QStringList f = QString::fromLatin1(host.readAllStandardOutput()).split(QLatin1Char(' '));
    if (f.size() < 6) return h;
    h.exchanges = f[1].toLongLong();
    h.seconds = f[3].toDouble();
    h.cpu = f[5].toDouble();
    h.ok = true;
    return h;
}

// One program+verify and the minimal host's replay, each against a fresh writer started with `options`.
std::pair<Result, HostResult> BothAgainst(const QStringList& options, const QString& sequencePath) {
    Result r;
    HostResult h;
    {
        bench::SimProcess sim(options);
        if (!sim.PtyPath().isEmpty()) r = ProgramAndVerify(sim.PtyPath());
    }
    {
        bench::SimProcess sim(options);
        if (!sim.PtyPath().isEmpty()) h = RunMinimalHost(sim.PtyPath(), sequencePath);
    }
    return {r, h};
}

void PrintHost(const Result& r, const HostResult& h) {
    if (!h.ok) {
        std::printf("  minimal host: failed\n");
        return;
    }
    std::printf("  minimal host: %lld exchanges, total %.3f s, CPU %.3f s (%.1f us per exchange)\n",
                h.exchanges, h.seconds, h.cpu, 1e6 * h.cpu / h.exchanges);
    std::printf("  ratio to the minimal host: wall %.3f, CPU per exchange %.2f (%.1f us)\n",
                r.seconds / h.seconds, (r.cpu / r.exchanges) / (h.cpu / h.exchanges),
                1e6 * r.cpu / r.exchanges);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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
    QCommandLineParser parser;
    const QCommandLineOption adapterOption(QStringLiteral("adapter-latency-ms"),
                                           QStringLiteral("Also run behind an emulated USB adapter."),
                                           QStringLiteral("N"));
    const QCommandLineOption filesOption(QStringLiteral("write-files"),
                                         QStringLiteral("Write the images and the sequence, then stop."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption ptyOption(QStringLiteral("pty"), QStringLiteral("One run against this writer."),
                                       QStringLiteral("PATH"));
    const QCommandLineOption noRunOption(QStringLiteral("no-run"), QStringLiteral("With --pty: start only."));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Run the 57600 baud pair N times."), QStringLiteral("N"));
    parser.addOptions({adapterOption, filesOption, ptyOption, noRunOption, roundsOption});
    parser.process(app);
    const QStringList chip{QStringLiteral("--chip"), QStringLiteral("AT90S8515")};
    const QStringList line57600{QStringLiteral("--baud"), QStringLiteral("57600")};

    if (parser.isSet(ptyOption)) {
        [[maybe_unused]] const image::MemoryImages images = BenchImages();
        if (parser.isSet(noRunOption)) return 0;
        const Result r = ProgramAndVerify(parser.value(ptyOption));
        std::printf("exchanges %lld wall %.6f cpu %.6f\n", r.exchanges, r.seconds, r.cpu);
        return r.ok ? 0 : 1;
    }

    QTemporaryDir scratch;
    Result fast;
    double raw = 0;
    {
        bench::SimProcess sim(chip);
        if (sim.PtyPath().isEmpty()) return 1;
        raw = RawRoundTrip(sim.PtyPath());
        fast = ProgramAndVerify(sim.PtyPath());
    }
    const QString sequencePath = scratch.filePath(QStringLiteral("sequence.txt"));
    if (!WriteFile(sequencePath, fast.sequence)) return 1;
    if (parser.isSet(filesOption)) {
        const QDir dir(parser.value(filesOption));
        const image::MemoryImages images = BenchImages();
        const auto& device = devices::DeviceTable()[kDevice];
        const bool written = WriteFile(dir.filePath(QStringLiteral("sequence.txt")), fast.sequence) &&
                             WriteFile(dir.filePath(QStringLiteral("code.hex")),
                                       image::CodeHexText(images.ProgramImage, device.flashWords)) &&
                             WriteFile(dir.filePath(QStringLiteral("data.eep")),
                                       image::EepromHexText(images.EepromImage, device.eepromBytes));
        return written && fast.ok ? 0 : 1;
    }
    HostResult fastHost;
    {
        bench::SimProcess sim(chip);
        if (sim.PtyPath().isEmpty()) return 1;
        fastHost = RunMinimalHost(sim.PtyPath(), sequencePath);
    }
    Print("AT90S8515 program + verify, writer without delays:", fast);
    std::printf("  %lld exchanges, %.0f exchanges/s (%.1f us each); raw pseudo-terminal round trip %.1f us\n",
                fast.exchanges, fast.exchanges / fast.seconds, 1e6 * fast.seconds / fast.exchanges,
                raw * 1e6);
    PrintHost(fast, fastHost);

    const auto [line, lineHost] = BothAgainst(chip + line57600, sequencePath);
    Print("AT90S8515 program + verify, writer emulating 57600 baud line time:", line);
    std::printf("  line time of the bytes + fixed pauses: %.3f s; measured / line: %.3f\n", line.lineSeconds,
                line.seconds / line.lineSeconds);
    std::printf("  CPU share: %.2f %% (target < 5 %%)\n", 100 * line.cpu / line.seconds);
    PrintHost(line, lineHost);
    bool ok = fast.ok && line.ok && fastHost.ok && lineHost.ok;
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    if (rounds > 1) {
        QList<double> ratios{line.seconds / lineHost.seconds};
        for (int i = 1; i < rounds; ++i) {
            const auto [again, againHost] = BothAgainst(chip + line57600, sequencePath);
            ok = ok && again.ok && againHost.ok;
            ratios << again.seconds / againHost.seconds;
        }
        QStringList each;
        for (const double ratio : ratios) each << QString::number(ratio, 'f', 3);
        std::sort(ratios.begin(), ratios.end());
        std::printf("  wall ratio to the minimal host over %d pairs: %s; median %.3f\n", rounds,
                    qPrintable(each.join(QStringLiteral(", "))), ratios[ratios.size() / 2]);
    }

    for (const QString& latency : parser.values(adapterOption)) {
        const auto [behind, behindHost] = BothAgainst(
            chip + line57600 + QStringList{QStringLiteral("--adapter-latency-ms"), latency}, sequencePath);
        Print(qPrintable(
                  QStringLiteral("AT90S8515 program + verify, 57600 baud behind a USB adapter with a %1 ms "
                                 "latency timer:")
                      .arg(latency)),
              behind);
        PrintHost(behind, behindHost);
        ok = ok && behind.ok && behindHost.ok;
    }
    return ok ? 0 : 1;
}
