// Loading a HEX file that fills the whole 64 KiB image, rendering the AT90S8515 dumps and reloading
// both dump windows (offscreen), timed over repeated runs; then the same image loaded from each other kind
// of code file, against the HEX load.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <elf.h>
#include <vector>

#include "RecordingUi.h"
#include "core/SharedState.h"
#include "image/CodeFormats.h"
#include "image/Dumps.h"
#include "image/IntelHex.h"
#include "shell/FrmDump.h"

using namespace zendra;

namespace {

// An AVR executable as avr-ld lays it out, reduced to what the reader takes: the header and one loadable
// segment holding `flash` at address 0.
QByteArray ElfWithFlash(const QByteArray& flash) {
    Elf32_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS32;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_machine = EM_AVR;
    header.e_version = EV_CURRENT;
    header.e_phoff = sizeof(Elf32_Ehdr);
    header.e_ehsize = sizeof(Elf32_Ehdr);
    header.e_phentsize = sizeof(Elf32_Phdr);
    header.e_phnum = 1;
    Elf32_Phdr segment{};
    segment.p_type = PT_LOAD;
    segment.p_offset = sizeof(Elf32_Ehdr) + sizeof(Elf32_Phdr);
    segment.p_filesz = segment.p_memsz = static_cast<Elf32_Word>(flash.size());
    segment.p_flags = PF_R | PF_X;
    return QByteArray(reinterpret_cast<const char*>(&header), sizeof header) +
           QByteArray(reinterpret_cast<const char*>(&segment), sizeof segment) + flash;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

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
    const auto median = Median;
    std::printf("64 KiB HEX file (%lld bytes, 4097 records), AT90S8515 dumps, median of 20 runs:\n",
                static_cast<long long>(hexText.size()));
    std::printf("  load %.2f ms, render dumps %.2f ms, reload both windows %.2f ms\n", median(loads),
                median(renders), median(reloads));
    std::printf("  together %.2f ms (target < 50 ms)\n", median(totals));

    // Each kind through the same file reader as the windows' open; the ratio is to the HEX load.
    const QByteArray binary = image::CodeText(image::CodeFormat::Binary, source.ProgramImage, 32768);
    const QList<QPair<QString, QByteArray>> kinds{
        {QStringLiteral("full.hex"), hexText},
        {QStringLiteral("full.elf"), ElfWithFlash(binary)},
        {QStringLiteral("full.srec"), image::CodeText(image::CodeFormat::SRecord, source.ProgramImage, 32768)},
        {QStringLiteral("full.bin"), binary}};
    std::printf("the same image from each kind of file, load only, median of 20 runs (target < 20 ms):\n");
    double hexLoad = 0;
    for (const auto& [name, bytes] : kinds) {
        state.CodeFileName = dir.filePath(name);
        QFile out(state.CodeFileName);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return 1;
        out.close();
        std::vector<double> times;
        for (int run = 0; run < 20; ++run) {
            image::MemoryImages images;
            QElapsedTimer t;
            t.start();
            const auto result = image::ReadCodeHexFile(ui, state, images);
            times.push_back(t.nsecsElapsed() / 1e6);
            if (!result.Accepted() || images.ProgramImage[1234] != source.ProgramImage[1234]) return 1;
        }
        const double load = Median(times);
        if (hexLoad == 0) hexLoad = load;
        std::printf("  %-10s %8lld bytes  %.2f ms  ratio to HEX %.2f\n", qPrintable(name),
                    static_cast<long long>(bytes.size()), load, load / hexLoad);
    }
    return 0;
}
