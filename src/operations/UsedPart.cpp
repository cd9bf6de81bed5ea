#include "operations/UsedPart.h"

#include <algorithm>

#include "image/Checksum.h"

namespace zendra::operations {

qint32 FlashWordsOf(qint32 programMemoryWords) {
    return std::clamp<qint32>(programMemoryWords, 0, image::kProgramImageSize / 2);
}

qint32 EepromBytesOf(qint32 eepromBytes) {
    return std::clamp<qint32>(eepromBytes, 0, image::kEepromImageSize);
}

qint32 LastUsedWord(const image::MemoryImages& images, qint32 words) {
    for (qint32 w = FlashWordsOf(words) - 1; w >= 0; --w) {
        if (images.ProgramImage[2 * w] != image::kErased || images.ProgramImage[2 * w + 1] != image::kErased)
            return w;
    }
    return -1;
}

qint32 LastUsedByte(const image::MemoryImages& images, qint32 bytes) {
    for (qint32 a = EepromBytesOf(bytes) - 1; a >= 0; --a) {
        if (images.EepromImage[a] != image::kErased) return a;
    }
    return -1;
}

quint32 UsedFlashCrc32(const image::MemoryImages& images, qint32 words) {
    return image::Crc32(images.ProgramImage.data(), 2 * (static_cast<qint64>(LastUsedWord(images, words)) + 1));
}

quint32 UsedEepromCrc32(const image::MemoryImages& images, qint32 bytes) {
    return image::Crc32(images.EepromImage.data(), static_cast<qint64>(LastUsedByte(images, bytes)) + 1);
}

qint32 RaiseZeroToOne(qint32 lastIndex) { return lastIndex == 0 ? 1 : lastIndex; }

qint32 CompareCount(qint32 lastIndex) { return std::max<qint32>(1, lastIndex + 1); }

}  // namespace zendra::operations
