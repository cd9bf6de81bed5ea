// Loading a HEX file that fills the whole 64 KiB image, rendering the AT90S8515 dumps and reloading
// both dump windows (offscreen), timed over repeated runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "RecordingUi.h"
#include "core/SharedState.h"
#include "image/Dumps.h"
#include "image/IntelHex.h"
#include "shell/FrmDump.h"

using namespace zendra;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    core::SharedState state;
    state.AppDir = state.ScratchDir = dir.path() + QLatin1Char('/');
    state.ProgramMemoryWords = 4096;  // AT90S8515
    state.EepromBytes = 512;

    // A file covering every byte of the 64 KiB image.
    image::MemoryImages source;
    for (int i = 0; i < 65536; ++i) source.ProgramImage[i] = quint8(i * 7 + (i >> 8));
    const QByteArray hexText = image::CodeHexText(source.ProgramImage, 32768);
    state.CodeFileName = dir.filePath(QStringLiteral("full.hex"));
    QFile file(state.CodeFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(hexText) != hexText.size()) return 1;
    file.close();

    test::RecordingUi ui;
    shell::FrmDump program(core::DumpWindow::Program), eeprom(core::DumpWindow::Eeprom);
    program.resize(600, 400);
    eeprom.resize(600, 200);
    program.show();
    eeprom.show();

    std::vector<double> loads, renders, reloads, totals;
    for (int run = 0; run < 20; ++run) {
        image::MemoryImages images;
        QElapsedTimer t;
        t.start();
        const auto result = image::ReadCodeHexFile(ui, state, images);
        const double load = t.nsecsElapsed() / 1e6;
        image::DumpProgramImage(state, images);
        image::DumpEepromImage(state, images);
        const double render = t.nsecsElapsed() / 1e6 - load;
        program.LoadFile(image::ScratchPath(state, image::kProgramDumpFile));
        eeprom.LoadFile(image::ScratchPath(state, image::kEepromDumpFile));
        QCoreApplication::processEvents();
        const double total = t.nsecsElapsed() / 1e6;
        if (!result.Accepted() || images.ProgramImage[1234] != source.ProgramImage[1234]) return 1;
        loads.push_back(load);
        renders.push_back(render);
        reloads.push_back(total - load - render);
        totals.push_back(total);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("64 KiB HEX file (%lld bytes, 4097 records), AT90S8515 dumps, median of 20 runs:\n",
                static_cast<long long>(hexText.size()));
    std::printf("  load %.2f ms, render dumps %.2f ms, reload both windows %.2f ms\n", median(loads),
                median(renders), median(reloads));
    std::printf("  together %.2f ms (target < 50 ms)\n", median(totals));
    return 0;
}
