#pragma once
// The chip and firmware state as JSON, for preloading a virtual writer and dumping what a host did to it.
// Memories are hex text (four digits per flash word, high byte first; two per EEPROM byte), bytes are
// two hex digits, the firmware is an object from four-digit word address to four-digit word.

#include <QJsonObject>
#include <QString>
#include <optional>

#include "WriterModel.h"

namespace zendra::virtualwriter {

QJsonObject ChipStateToJson(const ChipState& chip);
// Fields that are missing keep the values of a fresh chip; "chip" missing means `defaultDevice`.
// Memory text shorter than the chip leaves the rest erased; anything malformed or too long is refused.
std::optional<ChipState> ChipStateFromJson(const QJsonObject& json, int defaultDevice, QString* error);

// Written through QSaveFile: a failed dump never leaves half a file.
bool WriteChipStateFile(const ChipState& chip, const QString& path, QString* error);
std::optional<ChipState> ReadChipStateFile(const QString& path, int defaultDevice, QString* error);

}  // namespace zendra::virtualwriter
