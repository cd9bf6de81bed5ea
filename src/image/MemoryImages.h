#pragma once
// The two PC-side images of the chip's memories. They never change capacity: the selected device's
// sizes only say how much is in use. Word w of flash is bytes 2w (high) and 2w + 1 (low).

#include <QtGlobal>
#include <array>

namespace zendra::image {

inline constexpr int kProgramImageSize = 65537;
inline constexpr int kEepromImageSize = 2049;
inline constexpr quint8 kErased = 0xFF;

using ProgramArray = std::array<quint8, kProgramImageSize>;
using EepromArray = std::array<quint8, kEepromImageSize>;

struct MemoryImages {
    ProgramArray ProgramImage;
    EepromArray EepromImage;
    // True while saving an image over the file it was loaded from could drop data that file holds:
    // the image was cleared since (device change, buffer clear), or the file had bytes beyond the device.
    // The overwrite save asks before it replaces such a file.
    bool ProgramFileAtRisk = true;
    bool EepromFileAtRisk = true;
    MemoryImages() {
        ProgramImage.fill(kErased);
        EepromImage.fill(kErased);
    }
};

inline void ClearProgramImage(MemoryImages& images) {
    images.ProgramImage.fill(kErased);
    images.ProgramFileAtRisk = true;
}
inline void ClearEepromImage(MemoryImages& images) {
    images.EepromImage.fill(kErased);
    images.EepromFileAtRisk = true;
}

}  // namespace zendra::image
