#pragma once
// Where production puts its own bytes into a copy of the images: a serial number in one of a few
// encodings, or the chip's calibration byte. Addresses are the chip's byte addresses, as a HEX file has
// them (flash byte 2w is the low byte of word w).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "devices/Catalogue.h"
#include "image/MemoryImages.h"

namespace zendra::production {

enum class Area { Flash, Eeprom };

struct Place {
    Area area = Area::Eeprom;
    qint32 address = 0;
};

enum class SerialFormat { U8, Le16, Be16, Le32, Be32, Decimal };

struct SerialLayout {
    SerialFormat format = SerialFormat::Le16;
    int digits = 0;  // Decimal only: the ASCII digits, zero-padded
};

// A run of cells a stamp or a copy covers.
struct Cells {
    Area area;
    qint32 first;
    qint32 count;
    bool Covers(Area a, qint32 address) const {
        return a == area && address >= first && address < first + count;
    }
};

// "eeprom:16", "flash:0x1FE"; nullopt for anything else.
std::optional<Place> ParsePlace(const QString& text);
// A whole number as a person types it, decimal or hexadecimal after "0x" (as a place's address), at least
// `least`; nullopt for anything else.
std::optional<qint64> ParseNumber(const QString& text, qint64 least);
// "u8", "le16", "be16", "le32", "be32", "decN" (N from 1 to 18).
std::optional<SerialLayout> ParseSerialLayout(const QString& text);
QString PlaceText(const Place& place);

int Width(const SerialLayout& layout);
// The largest number the layout can hold.
quint64 Largest(const SerialLayout& layout);
// The bytes of `number` (at most Largest) in the chip's address order.
QByteArray Encode(const SerialLayout& layout, quint64 number);

// The bytes of the area: the device's, or the images' whole capacity when no device is known yet.
qint32 AreaSize(Area area, const devices::Device* device);
// Whether `width` bytes from the place lie inside the area.
bool Fits(const Place& place, int width, const devices::Device* device);
// Puts the bytes at the place of the images (which must fit them).
void Put(image::MemoryImages& images, const Place& place, const QByteArray& bytes);
// The `width` bytes at the place of the images, in the chip's address order (Put's reverse).
QByteArray Taken(const image::MemoryImages& images, const Place& place, int width);
// What a chip's stamp cells hold: nothing (erased), a number of the layout, or bytes no stamp of the layout
// writes (another layout's, or noise).
enum class StampContent { Blank, Number, Foreign };
StampContent ReadStamp(const SerialLayout& layout, const QByteArray& bytes, quint64& number);
// The cells a program run fills from the series and from the chip, which a verify leaves out.
QList<Cells> AddedCells(const std::optional<Place>& stampAt, const SerialLayout& layout,
                        const std::optional<Place>& calibrationAt);
// Whether a cell of the list covers the byte.
bool AnyCovers(const QList<Cells>& cells, Area area, qint32 address);

}  // namespace zendra::production
