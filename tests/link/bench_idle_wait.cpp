// Process CPU time while the link waits for a writer that never answers: the reply wait must sleep in the
// event loop, not spin. Prints CPU time against wall time for three one-second time-outs.
//   build/tests/link_idle_bench

#include <sys/resource.h>
#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "MemorySettings.h"
#include "Pty.h"
#include "RecordingUi.h"
#include "link/Commands.h"
#include "link/QtSerialPortAdapter.h"

using namespace zendra;

namespace {
double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    test::Pty pty;  // the far side stays silent
    link::QtSerialPortAdapter port;
    core::SystemTiming timing;
    test::RecordingUi ui;
    test::MemorySettings settings;
    core::SharedState state;
    link::PortMap ports(settings, [] { return QList<link::DetectedPort>(); });
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
    if (!pty.IsValid() || !port.Open(pty.Path())) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }

    constexpr int kWaits = 3;
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    for (int i = 0; i < kWaits; ++i) {
        qint16 error = 0;
        link::EnterAvrCommandSet(ctx, error);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("silent writer, %d one-second time-outs: wall %.3f s, process CPU %.4f s, CPU/wall %.4f\n",
                kWaits, wall, cpu, cpu / wall);
    return 0;
}
