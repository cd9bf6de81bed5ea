// Command exchanges per second over a pseudo-terminal against kxwrt-sim, beside the raw round trip of the
// same pseudo-terminal measured in the same run; and the CPU the program spends while a silent writer
// keeps it waiting for a whole time-out.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <cstdio>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "SimProcess.h"
#include "core/SharedState.h"
#include "link/Commands.h"
#include "link/SystemPort.h"

using namespace zendra;

namespace {

constexpr int kRounds = 3000;

// Plain QSerialPort, blocking calls: the floor any exchange on this pseudo-terminal can reach.
double RawRoundTripsPerSecond(const QString& path) {
    QSerialPort port(path);
    port.setBaudRate(57600);
    if (!port.open(QIODevice::ReadWrite)) return 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        port.write("A", 1);
        port.waitForBytesWritten(1000);
        while (port.bytesAvailable() < 1)
            if (!port.waitForReadyRead(1000)) return 0;
        port.readAll();
    }
    return kRounds / (timer.nsecsElapsed() / 1e9);
}

struct LinkRig {
    std::unique_ptr<link::SerialPort> owned = link::MakeSystemSerialPort();  // the port the programs use
    link::SerialPort& port = *owned;
    core::SystemTiming timing;
    link::Session session{port, timing};
};

double ExchangesPerSecond(const QString& path) {
    LinkRig rig;
    rig.port.SetLineSettings(QStringLiteral("57600,n,8,1"));
    if (!rig.port.Open(path)) return 0;
    QElapsedTimer timer;
    timer.start();
    bool allDone = true;
    for (int i = 0; i < kRounds; ++i) allDone = link::EnterAvrCommandSet(rig.session).Ok() && allDone;
    const double rate = kRounds / (timer.nsecsElapsed() / 1e9);
    return allDone ? rate : 0;
}

// One 'A' to a writer that never answers: a 1 s time-out. Returns CPU seconds / wall seconds.
double SilentWaitCpuShare(const QString& path) {
    LinkRig rig;
    rig.port.SetLineSettings(QStringLiteral("57600,n,8,1"));
    if (!rig.port.Open(path)) return -1;
    const double cpuStart = bench::ProcessCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const bool timedOut = link::EnterAvrCommandSet(rig.session).outcome == link::Outcome::TimedOut;
    const double wall = timer.nsecsElapsed() / 1e9;
    const double cpu = bench::ProcessCpuSeconds() - cpuStart;
    std::printf("silent writer: time-out after %.3f s wall, %.4f s CPU\n", wall, cpu);
    return timedOut ? cpu / wall : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    double raw = 0, ours = 0;
    {
        bench::SimProcess sim({});
        if (sim.PtyPath().isEmpty()) {
            std::fprintf(stderr, "kxwrt-sim did not start\n");
            return 1;
        }
        raw = RawRoundTripsPerSecond(sim.PtyPath());
        ours = ExchangesPerSecond(sim.PtyPath());
    }
    std::printf("raw pseudo-terminal round trips: %.0f /s (%.1f us each)\n", raw, 1e6 / raw);
    std::printf("command exchanges ('A'):         %.0f /s (%.1f us each)\n", ours, 1e6 / ours);
    std::printf("exchange cost / raw round trip:  %.2f (target <= 2)\n", raw / ours);

    bench::SimProcess silent({QStringLiteral("--silent-after"), QStringLiteral("0")});
    const double share = SilentWaitCpuShare(silent.PtyPath());
    std::printf("CPU share while waiting:         %.2f %% (target < 2 %%)\n", share * 100);
    return (raw > 0 && ours > 0 && share >= 0) ? 0 : 1;
}
