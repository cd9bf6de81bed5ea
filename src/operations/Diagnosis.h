#pragma once
// What the differences of a verify mean: one diagnosis from the images, the differing cells and the
// chip's signature, shown above the list of differences (which it never replaces).

#include "operations/Report.h"

namespace zendra::operations {

// How much of each memory the verify compared: flash words and EEPROM bytes from address 0.
struct ComparedRange {
    qint32 flashWords = 0;
    qint32 eepromBytes = 0;
};

// The kinds are tried in the order of `DiagnosisKind` over the differing cells, flash compared byte by
// byte. nullopt when nothing differs and the signature is not a locked chip's. `signature`: part, family,
// vendor as the chip answered them, empty when none came.
std::optional<Diagnosis> DiagnoseVerify(const image::MemoryImages& images, const QList<Difference>& differences,
                                        ComparedRange compared, const QByteArray& signature);

}  // namespace zendra::operations
