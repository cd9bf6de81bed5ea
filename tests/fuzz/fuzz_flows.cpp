// The program command fed arbitrary writer replies on the scripted port and the fake clock. Each command
// frame takes its reply from the input: a length byte (0xFF: no reply at all), then that many bytes, then
// a delay byte in tenths of a second. Whatever comes back, the command ends within its time-outs and never
// reports a success it cannot stand behind.

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

#include "LinkFixture.h"
#include "operations/Flows.h"

using namespace zendra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_flows";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    test::LinkFixture f;
    size_t at = 0;
    f.respond = [&](test::ScriptedPort& p, const QByteArray&) {
        if (at >= size) return;
        const uint8_t length = data[at++];
        if (length == 0xFF) return;
        const size_t n = std::min<size_t>(length % 24, size - at);
        const QByteArray reply(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n));
        at += n;
        const int tenths = at < size ? data[at++] % 30 : 0;
        p.QueueReply(reply, std::chrono::milliseconds(100 * tenths));
    };
    f.Start(QStringLiteral("ATtiny12L"));  // 512 words: a short run
    image::MemoryImages images;
    for (int i = 0; i < 16; ++i) images.ProgramImage[i] = static_cast<quint8>(i * 17);
    images.EepromImage[2] = 0x42;

    const auto started = f.timing.Now();
    const operations::Report report = operations::ProgramCommand(f.env, f.target, images);
    // Every exchange waits at most 5 s; a run that took longer than every exchange's time-out is stuck.
    const double seconds = std::chrono::duration<double>(f.timing.Now() - started).count();
    if (seconds > 5.5 * double(report.figures.exchanges + 4)) std::abort();
    // A success needs a clean error flag, a verify without differences and the verdict's status line.
    if (report.Succeeded() &&
        (report.errorFlag != 0 || !report.differences.isEmpty() || report.status.isEmpty()))
        std::abort();
    if (report.verdict == operations::Verdict::Mismatch && report.differences.isEmpty()) std::abort();
    return 0;
}
