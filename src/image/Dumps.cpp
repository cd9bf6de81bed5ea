#include "image/Dumps.h"

#include <QFile>
#include <algorithm>

namespace zendra::image {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
// "･" (U+FF65) in UTF-8: the marker for bytes that are not printable ASCII.
constexpr char kMarker[] = "\xEF\xBD\xA5";
constexpr int kMarkerBytes = 3;
constexpr int kBytesPerLine = 16;

inline char* PutByte(char* out, quint8 value) {
    *out++ = kDigits[value >> 4];
    *out++ = kDigits[value & 0x0F];
    return out;
}

inline char* PutAddress(char* out, int address) {
    out = PutByte(out, static_cast<quint8>((address >> 8) & 0xFF));
    out = PutByte(out, static_cast<quint8>(address & 0xFF));
    *out++ = ':';
    *out++ = ' ';
    return out;
}

inline char* PutCharacters(char* out, const quint8* bytes) {
    for (int i = 0; i < kBytesPerLine; ++i) {
        const quint8 b = bytes[i];
        if (b >= 0x20 && b <= 0x7E) {
            *out++ = static_cast<char>(b);
        } else {
            std::copy_n(kMarker, kMarkerBytes, out);
            out += kMarkerBytes;
        }
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// Widest line: address, groups, 16 markers, CR LF.
constexpr int kMaxLineBytes = 6 + 3 * kBytesPerLine + kMarkerBytes * kBytesPerLine + 2;

// `lineAddress(i)` is the address printed on line i; `wordGroups` puts a blank after every word rather
// than after every byte.
template <typename Address>
QByteArray RenderDump(const quint8* bytes, int lines, bool wordGroups, Address lineAddress) {
    QByteArray out;
    out.resize(static_cast<qsizetype>(lines) * kMaxLineBytes);
    char* p = out.data();
    for (int line = 0; line < lines; ++line) {
        const quint8* row = bytes + line * kBytesPerLine;
        p = PutAddress(p, lineAddress(line));
        for (int i = 0; i < kBytesPerLine; ++i) {
            p = PutByte(p, row[i]);
            if (!wordGroups || i % 2 == 1) *p++ = ' ';
        }
        p = PutCharacters(p, row);
    }
    out.truncate(p - out.data());
    return out;
}

bool WriteScratch(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

}  // namespace

// The address and ": " before the groups.
constexpr int kAddressColumns = 6;

DumpCell ProgramDumpCell(qint32 word) {
    return {word / 8, kAddressColumns + (word % 8) * 5, 4};
}

DumpCell EepromDumpCell(qint32 address) {
    return {address / kBytesPerLine, kAddressColumns + (address % kBytesPerLine) * 3, 2};
}

QByteArray ProgramDumpText(const MemoryImages& images, qint32 programMemoryWords) {
    const int words = std::clamp<qint32>(programMemoryWords, 0, (kProgramImageSize - 1) / 2);
    return RenderDump(images.ProgramImage.data(), words / 8, true, [](int line) { return line * 8; });
}

QByteArray EepromDumpText(const MemoryImages& images, qint32 eepromBytes) {
    const int count = std::clamp<qint32>(eepromBytes, 0, kEepromImageSize - 1);
    return RenderDump(images.EepromImage.data(), count / kBytesPerLine, false,
                      [](int line) { return line * kBytesPerLine; });
}

QString ScratchPath(const core::SharedState& state, const QString& name) {
    return (state.ScratchDir.isEmpty() ? state.AppDir : state.ScratchDir) + name;
}

bool DumpProgramImage(const core::SharedState& state, const MemoryImages& images) {
    return WriteScratch(ScratchPath(state, kProgramDumpFile), ProgramDumpText(images, state.ProgramMemoryWords));
}

bool DumpEepromImage(const core::SharedState& state, const MemoryImages& images) {
    return WriteScratch(ScratchPath(state, kEepromDumpFile), EepromDumpText(images, state.EepromBytes));
}

void ShowProgramDump(core::UserInterface& ui, const core::SharedState& state) {
    ui.LoadDumpView(core::DumpWindow::Program, ScratchPath(state, kProgramDumpFile));
}

void ShowEepromDump(core::UserInterface& ui, const core::SharedState& state) {
    ui.LoadDumpView(core::DumpWindow::Eeprom, ScratchPath(state, kEepromDumpFile));
}

void RedrawProgramDump(core::UserInterface& ui, const core::SharedState& state, const MemoryImages& images) {
    DumpProgramImage(state, images);
    ShowProgramDump(ui, state);
}

void RedrawEepromDump(core::UserInterface& ui, const core::SharedState& state, const MemoryImages& images) {
    DumpEepromImage(state, images);
    ShowEepromDump(ui, state);
}

}  // namespace zendra::image
