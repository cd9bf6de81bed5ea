// What the chip store adds to each chip of a production run: a record begun with the series' next
// number (one transaction) and finished with the verdict, against a full AT90S8515 program with that
// number stamped, at the emulated line time of 57600 baud, in the same run.
//
//   bench_store [--chips N]   N chips' store work on a fresh SQLite file (default 200)
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

#include "RecordingUi.h"
#include "SimProcess.h"
#include "devices/Catalogue.h"
#include "link/SystemPort.h"
#include "operations/Flows.h"
#include "production/ChipStore.h"

using namespace zendra;

namespace {

constexpr int kDevice = 11;  // AT90S8515

double ProgramSeconds(const QString& pty, quint64 number) {
    const auto& device = devices::DeviceTable()[kDevice];
    image::MemoryImages images;
    QRandomGenerator random(8515);
    for (int i = 0; i < 2 * device.flashWords; ++i) images.ProgramImage[i] = quint8(random.bounded(256));
    for (int i = 4; i < device.eepromBytes; ++i) images.EepromImage[i] = quint8(random.bounded(255));
    const std::unique_ptr<link::SerialPort> port = link::MakeSystemSerialPort();
    core::SystemTiming timing;
    test::RecordingUi ui;
    operations::Environment env{*port, timing, ui, ui};
    const operations::Target target{.device = &device, .port = {.number = 1, .path = pty, .saved = true}};
    const production::SerialLayout layout{.format = production::SerialFormat::Le32};
    const operations::ImageAdditions stamp{
        .stampAt = production::Place{.area = production::Area::Eeprom, .address = 0},
        .stamp = production::Encode(layout, number)};
    QElapsedTimer timer;
    timer.start();
    const operations::Report report = operations::ProgramCommand(env, target, images, stamp);
    const double seconds = timer.nsecsElapsed() / 1e9;
    return report.Succeeded() ? seconds : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption chipsOption(QStringLiteral("chips"), QStringLiteral("Chips of store work."),
                                         QStringLiteral("N"), QStringLiteral("200"));
    parser.addOption(chipsOption);
    parser.process(app);
    const int chips = std::max(1, parser.value(chipsOption).toInt());

    QTemporaryDir dir;
    production::ChipStore store(dir.filePath(QStringLiteral("bench.sqlite")));
    QElapsedTimer timer;
    timer.start();
    if (!store.Open().Ok()) return std::fprintf(stderr, "the store does not open\n"), 1;
    production::SeriesState state;
    store.CheckSeries(QStringLiteral("bench"), 1, 1, state);
    const double openMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    for (int i = 0; i < chips; ++i) {
        production::ChipRecord record{.command = QStringLiteral("program"),
                                      .files = {{QStringLiteral("code"), QStringLiteral("/bench/code.hex"),
                                                 QString(64, QLatin1Char('a'))}},
                                      .series = QStringLiteral("bench"),
                                      .pid = 1};
        if (!store.Begin(record, 0xFFFFFFFF).Ok()) return std::fprintf(stderr, "no number\n"), 1;
        record.verdict = QStringLiteral("succeeded");
        if (!store.Finish(record).Ok()) return std::fprintf(stderr, "no record\n"), 1;
    }
    const double perChipMs = timer.nsecsElapsed() / 1e6 / chips;

    bench::SimProcess sim({QStringLiteral("--chip"), QStringLiteral("AT90S8515"), QStringLiteral("--baud"),
                           QStringLiteral("57600")});
    const double program = ProgramSeconds(sim.PtyPath(), quint64(chips) + 1);
    if (program <= 0) return std::fprintf(stderr, "the program run failed\n"), 1;
    std::printf("store opened and series checked: %.2f ms (once per run)\n", openMs);
    std::printf("number and record per chip: %.2f ms (mean of %d)\n", perChipMs, chips);
    std::printf("full AT90S8515 program+verify with the stamp at 57600 baud: %.2f s\n", program);
    std::printf("store share per chip: %.4f %%\n", perChipMs / 10.0 / program);
    return 0;
}
