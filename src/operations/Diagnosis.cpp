#include "operations/Diagnosis.h"

#include <algorithm>
#include <functional>

#include "core/Language.h"
#include "operations/ConnectionTexts.h"

namespace zendra::operations {

namespace {

constexpr int kScatteredMostCells = 8;
constexpr quint8 kErased = 0xFF;
// The images' address spaces: 32 K flash words, 2 K EEPROM bytes, both powers of two, so a flipped
// address bit stays inside.
constexpr int kFlashAddressBits = 15;
constexpr int kEepromAddressBits = 11;

// One differing byte: flash words are taken as their two bytes (`low` tells which).
struct Cell {
    Memory memory;
    qint32 address;  // word for flash, byte for EEPROM
    bool low;
    quint8 expected;
    quint8 actual;
};

QList<Cell> CellsOf(const QList<Difference>& differences) {
    QList<Cell> cells;
    for (const Difference& d : differences) {
        if (d.memory == Memory::Eeprom) {
            cells.append({d.memory, d.address, false, quint8(d.expected), quint8(d.actual)});
            continue;
        }
        if ((d.expected ^ d.actual) & 0xFF00)
            cells.append({d.memory, d.address, false, quint8(d.expected >> 8), quint8(d.actual >> 8)});
        if ((d.expected ^ d.actual) & 0x00FF)
            cells.append({d.memory, d.address, true, quint8(d.expected), quint8(d.actual)});
    }
    return cells;
}

// The file's byte of the cell at `address` in `cell`'s memory and half.
quint8 FileByte(const image::MemoryImages& images, const Cell& cell, qint32 address) {
    if (cell.memory == Memory::Eeprom) return images.EepromImage[size_t(address)];
    // The image holds each word high byte first.
    return images.ProgramImage[size_t(2 * address + (cell.low ? 1 : 0))];
}

bool AllCells(const QList<Cell>& cells, const std::function<bool(const Cell&)>& test) {
    return std::all_of(cells.begin(), cells.end(), test);
}

// The address bit whose fault explains every cell: each reads the file's value at its address with that
// bit flipped, or the AND of both (flash written twice into one place only clears bits).
std::optional<int> AddressLine(const image::MemoryImages& images, const QList<Cell>& cells) {
    const bool flash = std::any_of(cells.begin(), cells.end(), [](const Cell& c) { return c.memory == Memory::Flash; });
    const bool eeprom = std::any_of(cells.begin(), cells.end(), [](const Cell& c) { return c.memory == Memory::Eeprom; });
    const int bits = flash && !eeprom ? kFlashAddressBits : kEepromAddressBits;
    for (int line = 0; line < bits; ++line) {
        const bool fits = AllCells(cells, [&](const Cell& c) {
            const quint8 partner = FileByte(images, c, c.address ^ (1 << line));
            return c.actual == partner || c.actual == quint8(c.expected & partner);
        });
        if (fits) return line;
    }
    return std::nullopt;
}

// The data bit every compared cell with it set reads wrong, with no other bit wrong.
std::optional<int> DataLine(const image::MemoryImages& images, const QList<Cell>& cells, ComparedRange compared) {
    for (int bit = 0; bit < 8; ++bit) {
        const quint8 mask = quint8(1u << bit);
        if (!AllCells(cells, [&](const Cell& c) { return (c.expected ^ c.actual) == mask && (c.expected & mask); }))
            continue;
        qint64 set = 0;
        for (qint32 i = 0; i < 2 * compared.flashWords; ++i) set += (images.ProgramImage[size_t(i)] & mask) != 0;
        for (qint32 i = 0; i < compared.eepromBytes; ++i) set += (images.EepromImage[size_t(i)] & mask) != 0;
        if (set == cells.size()) return bit;
    }
    return std::nullopt;
}

Diagnosis Of(DiagnosisKind kind, const QString& message) { return {.kind = kind, .message = message}; }

}  // namespace

std::optional<Diagnosis> DiagnoseVerify(const image::MemoryImages& images, const QList<Difference>& differences,
                                        ComparedRange compared, const QByteArray& signature) {
    // A read-protected chip answers 0x02, 0x01, 0x00 (its family byte at most 0x02) and reads all ones.
    if (signature.size() == 3 && quint8(signature[1]) <= 0x02) return Of(DiagnosisKind::Locked, texts::kDiagnosisLocked);
    const QList<Cell> cells = CellsOf(differences);
    if (cells.isEmpty()) return std::nullopt;

    if (AllCells(cells, [](const Cell& c) { return c.actual == kErased; }))
        return Of(DiagnosisKind::NotProgrammed, texts::kDiagnosisNotProgrammed);
    if (const auto line = AddressLine(images, cells)) {
        Diagnosis d = Of(DiagnosisKind::AddressLine, core::Compose(texts::kDiagnosisAddressLine, {QString::number(*line)}));
        d.line = line;
        return d;
    }
    if (const auto bit = DataLine(images, cells, compared)) {
        Diagnosis d = Of(DiagnosisKind::DataLine, core::Compose(texts::kDiagnosisDataLine, {QString::number(*bit)}));
        d.bit = bit;
        return d;
    }
    if (cells.size() <= kScatteredMostCells)
        return Of(DiagnosisKind::Scattered, core::Compose(texts::kDiagnosisScattered, {QString::number(cells.size())}));
    // Each written EEPROM byte erases itself: only a cell the file leaves erased can show a failed erase.
    if (AllCells(cells, [](const Cell& c) {
            return (c.actual & ~c.expected) == 0 && (c.memory == Memory::Flash || c.expected == kErased);
        }))
        return Of(DiagnosisKind::NotErased, texts::kDiagnosisNotErased);
    if (AllCells(cells, [](const Cell& c) { return (c.expected & ~c.actual) == 0; }))
        return Of(DiagnosisKind::BitsNotProgrammed, texts::kDiagnosisBitsNotProgrammed);
    return Of(DiagnosisKind::Unexplained, texts::kDiagnosisUnexplained);
}

QString DiagnosisKindName(DiagnosisKind kind) {
    switch (kind) {
        case DiagnosisKind::Locked: return QStringLiteral("locked");
        case DiagnosisKind::NotProgrammed: return QStringLiteral("not-programmed");
        case DiagnosisKind::AddressLine: return QStringLiteral("address-line");
        case DiagnosisKind::DataLine: return QStringLiteral("data-line");
        case DiagnosisKind::Scattered: return QStringLiteral("scattered");
        case DiagnosisKind::NotErased: return QStringLiteral("not-erased");
        case DiagnosisKind::BitsNotProgrammed: return QStringLiteral("bits-not-programmed");
        case DiagnosisKind::Unexplained: return QStringLiteral("unexplained");
    }
    return {};
}

}  // namespace zendra::operations
