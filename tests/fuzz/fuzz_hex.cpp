// The code and EEPROM readers of every kind (Intel HEX, ELF, S-records, binary) on any bytes. The first byte picks the device size; the rest is the file.
// Whatever parses must survive the writer: written out and read again it gives the very same image.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "image/CodeFormats.h"
#include "image/IntelHex.h"

using namespace zendra::image;

namespace {

// Program words and EEPROM bytes of devices of every size, and the largest image the writers cover.
constexpr qint32 kCodeWords[] = {0, 512, 1024, 2048, 4096, (kProgramImageSize - 1) / 2};
constexpr qint32 kEepromBytes[] = {0, 64, 128, 256, 512, kEepromImageSize - 1};

// Parses `text` at `size`; what is accepted is written at that size and read again, and, when it held data
// beyond the device, at the largest size the writer covers too. Any difference aborts.
template <typename Array, typename Parse, typename Write>
void CheckRoundTrip(const QByteArray& text, qint32 size, qint32 largest, Parse parse, Write write) {
    auto image = std::make_unique<Array>();
    image->fill(kErased);
    const CodeReadResult read = parse(text, *image, size);
    if (!read.Accepted()) return;
    for (const qint32 written : {size, read.bytesBeyondDevice > 0 ? largest : size}) {
        auto again = std::make_unique<Array>();
        again->fill(kErased);
        const CodeReadResult reread = parse(write(*image, written), *again, written);
        if (!reread.Accepted() || reread.bytesBeyondDevice != 0) std::abort();
        // The size counts program words (two cells each) or EEPROM cells.
        const int cells = std::is_same_v<Array, ProgramArray> ? 2 * written : written;
        for (int i = 0; i < cells; ++i)
            if ((*image)[i] != (*again)[i]) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int pick = data[0];
    const QByteArray text(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    CheckRoundTrip<ProgramArray>(text, kCodeWords[pick % std::size(kCodeWords)],
                                 kCodeWords[std::size(kCodeWords) - 1], ParseCodeHex, CodeHexText);
    // The last EEPROM cell lies beyond every device and beyond what the writer covers; it is never saved.
    CheckRoundTrip<EepromArray>(text, kEepromBytes[pick % std::size(kEepromBytes)],
                                kEepromBytes[std::size(kEepromBytes) - 1], ParseEepromHex, EepromHexText);
    // The other kinds: an ELF file only has to be read safely; S-records and binary images must survive
    // their own writer.
    MemoryImages scratch;
    ParseCode(CodeFormat::Elf, text, scratch.ProgramImage, kCodeWords[pick % std::size(kCodeWords)]);
    ParseEeprom(CodeFormat::Elf, text, scratch.EepromImage, kEepromBytes[pick % std::size(kEepromBytes)]);
    for (const CodeFormat format : {CodeFormat::SRecord, CodeFormat::Binary}) {
        CheckRoundTrip<ProgramArray>(
            text, kCodeWords[pick % std::size(kCodeWords)], kCodeWords[std::size(kCodeWords) - 1],
            [format](const QByteArray& t, ProgramArray& a, qint32 n) { return ParseCode(format, t, a, n); },
            [format](const ProgramArray& a, qint32 n) { return CodeText(format, a, n); });
        CheckRoundTrip<EepromArray>(
            text, kEepromBytes[pick % std::size(kEepromBytes)], kEepromBytes[std::size(kEepromBytes) - 1],
            [format](const QByteArray& t, EepromArray& a, qint32 n) { return ParseEeprom(format, t, a, n); },
            [format](const EepromArray& a, qint32 n) { return EepromText(format, a, n); });
    }
    return 0;
}
