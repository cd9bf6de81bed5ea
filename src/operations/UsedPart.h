#pragma once
// How much of each image is in use: the scans that decide how many words and bytes a flow moves.

#include <QtGlobal>

#include "image/MemoryImages.h"

namespace zendra::operations {

// The flash words and EEPROM bytes of the selected device, bounded by the images' capacity.
qint32 FlashWordsOf(qint32 programMemoryWords);
qint32 EepromBytesOf(qint32 eepromBytes);

// Index of the last flash word among the first `words` that is not 0xFF 0xFF; -1 when all are blank.
qint32 LastUsedWord(const image::MemoryImages& images, qint32 words);
// Index of the last EEPROM byte among the first `bytes` that is not 0xFF; -1 when all are blank.
qint32 LastUsedByte(const image::MemoryImages& images, qint32 bytes);

// The CRC-32 of the used part: flash from word 0 to the last word that is not 0xFFFF, EEPROM likewise
// (nothing in use gives the CRC of no bytes, 0).
quint32 UsedFlashCrc32(const image::MemoryImages& images, qint32 words);
quint32 UsedEepromCrc32(const image::MemoryImages& images, qint32 bytes);

// The program flow's rule: a last index of 0 counts as 1, so a lone word 0 goes out with word 1.
qint32 RaiseZeroToOne(qint32 lastIndex);

// The verify flow's rule: one past the last used entry, at least 1.
qint32 CompareCount(qint32 lastIndex);

}  // namespace zendra::operations
