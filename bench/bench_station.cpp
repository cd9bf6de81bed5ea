// The production station against one zendra-cli run of the same bench setup: a full AT90S8515 (4096
// random words, 512 EEPROM bytes) on virtual writers at the emulated line time of 57600 baud, first
// `zendra-cli run SETUP` on one writer, then the station on three at once, in the same run. While the
// station runs, a 10 ms timer on the windows' thread measures how long the windows may keep a user
// waiting (the longest gap between two of its ticks).
//
//   QT_QPA_PLATFORM=offscreen bench_station
#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "SimProcess.h"
#include "core/Settings.h"
#include "image/IntelHex.h"
#include "production/BenchSetup.h"
#include "shell/FrmStation.h"

using namespace zendra;

namespace {

QString WriteFullSetup(const QString& folder, const QStringList& ports) {
    image::MemoryImages images;
    QRandomGenerator random(8515);
    for (int i = 0; i < 8192; ++i) images.ProgramImage[i] = quint8(random.bounded(255));
    for (int i = 0; i < 512; ++i) images.EepromImage[i] = quint8(random.bounded(255));
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return production::PinnedFile{name, QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex())};
    };
    production::BenchSetup setup;
    setup.code = write(QStringLiteral("full.hex"), image::CodeHexText(images.ProgramImage, 4096));
    setup.eeprom = write(QStringLiteral("full.eep"), image::EepromHexText(images.EepromImage, 512));
    setup.device = QStringLiteral("AT90S8515");
    setup.store = QStringLiteral("chips.sqlite");
    setup.ports = ports;
    const QString path = folder + QStringLiteral("/bench.zendra");
    production::SaveSetup(setup, path);
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    const QStringList simOptions{QStringLiteral("--chip"), QStringLiteral("AT90S8515"), QStringLiteral("--baud"),
                                 QStringLiteral("57600")};
    bench::SimProcess a(simOptions), b(simOptions), c(simOptions);
    const QStringList ports{a.PtyPath(), b.PtyPath(), c.PtyPath()};
    const QString setup = WriteFullSetup(dir.path(), ports);

    QElapsedTimer clock;
    clock.start();
    QProcess cli;
    cli.start(QStringLiteral(ZENDRA_BUILD_DIR "/zendra-cli"), {QStringLiteral("--quiet"), QStringLiteral("-p"), ports.first(),
                                                               QStringLiteral("run"), setup});
    cli.waitForFinished(120000);
    const double one = clock.nsecsElapsed() / 1e9;
    if (cli.exitCode() != 0) {
        std::fprintf(stderr, "zendra-cli failed: %s\n", cli.readAllStandardError().constData());
        return 1;
    }

    core::IniSettingsStore settings;
    shell::FrmStation station(settings, {.setupPath = setup, .ports = ports});
    station.show();
    qint64 longest = 0, last = 0;
    QElapsedTimer windows;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, windows.elapsed() - last);
        last = windows.elapsed();
    });
    windows.start();
    tick.start();
    clock.restart();
    station.StartAll();
    while (std::ranges::any_of(station.Tiles(), [](const shell::StationTile* tile) { return tile->Busy(); }))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double three = clock.nsecsElapsed() / 1e9;
    tick.stop();
    int passed = 0;
    for (const shell::StationTile* tile : station.Tiles()) passed += tile->lblVerdict->text() == shell::texts::kVerdictPass;
    std::printf("zendra-cli run, one writer:  %.2f s\n", one);
    std::printf("station, three writers:      %.2f s (%d of 3 passed)\n", three, passed);
    std::printf("three / one:                 %.2f (target <= 1.3)\n", three / one);
    std::printf("longest wait of the windows: %lld ms (target <= 250)\n", longest);
    return passed == 3 ? 0 : 1;
}
