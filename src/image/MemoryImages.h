#pragma once
// The two PC-side images of the chip's memories. They never change capacity: the selected device's
// sizes only say how much is in use. Word w of flash is bytes 2w (high) and 2w + 1 (low).

#include <QtGlobal>
#include <array>

namespace zendra::image {

inline constexpr int kProgramImageSize = 65537;
inline constexpr int kEepromImageSize = 2049;
inline constexpr quint8 kErased = 0xFF;

struct MemoryImages {
    std::array<quint8, kProgramImageSize> ProgramImage;
    std::array<quint8, kEepromImageSize> EepromImage;
    MemoryImages() {
        ProgramImage.fill(kErased);
        EepromImage.fill(kErased);
    }
};

inline void ClearProgramImage(MemoryImages& images) { images.ProgramImage.fill(kErased); }
inline void ClearEepromImage(MemoryImages& images) { images.EepromImage.fill(kErased); }

}  // namespace zendra::image
