// The code and EEPROM HEX readers on any bytes. The first byte picks the device size; the rest is the file.
// Whatever parses must survive the writer: written out and read again it gives the very same image.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/IntelHex.h"

using namespace zendra::image;

namespace {

// Program words and EEPROM bytes of devices of every size, and the largest image the writers cover.
constexpr qint32 kCodeWords[] = {0, 512, 1024, 2048, 4096, (kProgramImageSize - 1) / 2};
constexpr qint32 kEepromBytes[] = {0, 64, 128, 256, 512, kEepromImageSize - 1};

template <typename Array>
void RequireSame(const Array& a, const Array& b, int count) {
    for (int i = 0; i < count; ++i)
        if (a[i] != b[i]) std::abort();
}

void CheckCode(const QByteArray& text, qint32 words) {
    auto image = std::make_unique<ProgramArray>();
    image->fill(kErased);
    const HexReadResult read = ParseCodeHex(text, *image, words);
    if (!read.Accepted()) return;
    // The in-use part survives a save at the device's size; data beyond it, a save at the largest size.
    const qint32 largest = kCodeWords[std::size(kCodeWords) - 1];
    for (const qint32 size : {words, read.bytesBeyondDevice > 0 ? largest : words}) {
        auto again = std::make_unique<ProgramArray>();
        again->fill(kErased);
        const HexReadResult reread = ParseCodeHex(CodeHexText(*image, size), *again, size);
        if (!reread.Accepted() || reread.bytesBeyondDevice != 0) std::abort();
        RequireSame(*image, *again, 2 * size);
    }
}

void CheckEeprom(const QByteArray& text, qint32 bytes) {
    auto image = std::make_unique<EepromArray>();
    image->fill(kErased);
    const HexReadResult read = ParseEepromHex(text, *image, bytes);
    if (!read.Accepted()) return;
    // The writer covers cells below the last one; the last cell lies beyond every device and is never saved.
    const qint32 largest = kEepromBytes[std::size(kEepromBytes) - 1];
    for (const qint32 size : {bytes, read.bytesBeyondDevice > 0 ? largest : bytes}) {
        auto again = std::make_unique<EepromArray>();
        again->fill(kErased);
        const HexReadResult reread = ParseEepromHex(EepromHexText(*image, size), *again, size);
        if (!reread.Accepted() || reread.bytesBeyondDevice != 0) std::abort();
        RequireSame(*image, *again, size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int pick = data[0];
    const QByteArray text(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    CheckCode(text, kCodeWords[pick % std::size(kCodeWords)]);
    CheckEeprom(text, kEepromBytes[pick % std::size(kEepromBytes)]);
    return 0;
}
