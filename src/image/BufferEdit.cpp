#include "image/BufferEdit.h"

#include "image/Dumps.h"
#include "image/HexText.h"
#include "image/ImageTexts.h"

#include <algorithm>

namespace zendra::image {

namespace {

// The panel's notice; the routine ends after showing one.
void Refuse(core::UserInterface& ui, const QString& text) { ui.Notice(text); }

// A value of the panel: at most four hex digits. Longer text is refused rather than cut to four digits,
// so "12345" never becomes 0x1234.
std::optional<quint32> PanelValue(const QString& text, core::SharedState& state) {
    if (text.size() > kBufferEditMaxChars) return std::nullopt;
    qint16 conversion = 0;
    const quint32 value = HexTextToValue(text, conversion);
    core::TakeErrorFlag(state, conversion);
    if (conversion != 0) return std::nullopt;
    return value;
}

bool FlashAddressInRange(quint32 wordAddress, const core::SharedState& state) {
    const qint64 i = 2 * static_cast<qint64>(wordAddress);
    return i <= 2 * static_cast<qint64>(state.ProgramMemoryWords) - 1 && i + 1 < kProgramImageSize;
}

bool EepromAddressInRange(quint32 address, const core::SharedState& state) {
    return static_cast<qint64>(address) <= static_cast<qint64>(state.EepromBytes) - 1 &&
           address < static_cast<quint32>(kEepromImageSize);
}

QByteArray CellBytes(const quint8* cell, int count) {
    return QByteArray(reinterpret_cast<const char*>(cell), count);
}

}  // namespace

std::optional<QString> ReadBufferCell(core::UserInterface& ui, core::SharedState& state, const MemoryImages& images,
                                      const BufferEditInput& input, bool showData) {
    if (input.address.isEmpty()) return std::nullopt;
    const auto address = PanelValue(input.address, state);
    if (!address) {
        Refuse(ui, texts::kInputWrong);
        return std::nullopt;
    }
    if (input.program) {
        if (!FlashAddressInRange(*address, state)) {
            Refuse(ui, texts::kFlashAddressRange);
            return std::nullopt;
        }
        if (!showData) return std::nullopt;
        const int i = static_cast<int>(2 * *address);
        return ByteToHex(images.ProgramImage[i]) + ByteToHex(images.ProgramImage[i + 1]);
    }
    if (!EepromAddressInRange(*address, state)) {
        Refuse(ui, texts::kEepromAddressRange);
        return std::nullopt;
    }
    if (!showData) return std::nullopt;
    return ByteToHex(images.EepromImage[*address]);
}

std::optional<CellChange> WriteBufferCell(core::UserInterface& ui, core::SharedState& state,
                                          MemoryImages& images, const BufferEditInput& input) {
    const auto address = PanelValue(input.address, state);
    if (!address) {
        Refuse(ui, texts::kInputWrong);
        return std::nullopt;
    }
    const auto data = PanelValue(input.data, state);
    if (!data) {
        Refuse(ui, texts::kInputWrong);
        return std::nullopt;
    }
    const auto low = static_cast<quint8>(*data % 256);
    const auto high = static_cast<quint8>(*data / 256);
    if (input.program) {
        if (!FlashAddressInRange(*address, state)) {
            Refuse(ui, texts::kFlashAddressRange);
            return std::nullopt;
        }
        const int i = static_cast<int>(2 * *address);
        CellChange change{true, i, CellBytes(images.ProgramImage.data() + i, 2), QByteArray()};
        change.after = QByteArray{} + char(high) + char(low);
        ApplyCellChange(ui, state, images, change, false);
        return change;
    }
    if (!EepromAddressInRange(*address, state)) {
        Refuse(ui, texts::kEepromAddressRange);
        return std::nullopt;
    }
    // A value above FF keeps its low byte.
    const int i = static_cast<int>(*address);
    CellChange change{false, i, CellBytes(images.EepromImage.data() + i, 1), QByteArray(1, char(low))};
    ApplyCellChange(ui, state, images, change, false);
    return change;
}

void ApplyCellChange(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images,
                     const CellChange& change, bool undo) {
    const QByteArray& bytes = undo ? change.before : change.after;
    quint8* image = change.program ? images.ProgramImage.data() : images.EepromImage.data();
    std::copy(bytes.begin(), bytes.end(), image + change.offset);
    if (change.program)
        RedrawProgramDump(ui, state, images);
    else
        RedrawEepromDump(ui, state, images);
}

}  // namespace zendra::image
