#include "production/Stamp.h"

#include <QRegularExpression>
#include <algorithm>

namespace zendra::production {

namespace {

// A flash word's high byte comes first in the program image.
qint32 ImageIndex(Area area, qint32 address) { return area == Area::Flash ? address ^ 1 : address; }

}  // namespace

std::optional<Place> ParsePlace(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(eeprom|flash):(0[xX][0-9a-fA-F]+|[0-9]+)$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    const auto address = ParseNumber(match.captured(2), 0);
    if (!address || *address > image::kProgramImageSize) return std::nullopt;
    return Place{.area = match.captured(1) == QLatin1String("flash") ? Area::Flash : Area::Eeprom,
                 .address = qint32(*address)};
}

std::optional<qint64> ParseNumber(const QString& text, qint64 least) {
    bool ok = false;
    const QString t = text.trimmed();
    const qint64 value = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                                                : t.toLongLong(&ok, 10);
    return ok && value >= least ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<SerialLayout> ParseSerialLayout(const QString& text) {
    static const QList<QPair<QString, SerialFormat>> fixed{{QStringLiteral("u8"), SerialFormat::U8},
                                                           {QStringLiteral("le16"), SerialFormat::Le16},
                                                           {QStringLiteral("be16"), SerialFormat::Be16},
                                                           {QStringLiteral("le32"), SerialFormat::Le32},
                                                           {QStringLiteral("be32"), SerialFormat::Be32}};
    for (const auto& [name, format] : fixed)
        if (text == name) return SerialLayout{.format = format};
    static const QRegularExpression decimal(QStringLiteral("^dec([0-9]{1,2})$"));
    const auto match = decimal.match(text);
    // 18 digits still fit the 64-bit numbers the store keeps.
    const int digits = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (digits < 1 || digits > 18) return std::nullopt;
    return SerialLayout{.format = SerialFormat::Decimal, .digits = digits};
}

QString PlaceText(const Place& place) {
    return (place.area == Area::Flash ? QStringLiteral("flash:0x") : QStringLiteral("eeprom:0x")) +
           QString::number(place.address, 16).toUpper();
}

int Width(const SerialLayout& layout) {
    switch (layout.format) {
        case SerialFormat::U8:
            return 1;
        case SerialFormat::Le16:
        case SerialFormat::Be16:
            return 2;
        case SerialFormat::Le32:
        case SerialFormat::Be32:
            return 4;
        case SerialFormat::Decimal:
            return layout.digits;
    }
    return 0;
}

quint64 Largest(const SerialLayout& layout) {
    if (layout.format != SerialFormat::Decimal) return (quint64(1) << (8 * Width(layout))) - 1;
    quint64 largest = 1;
    for (int i = 0; i < layout.digits; ++i) largest *= 10;
    return largest - 1;
}

QByteArray Encode(const SerialLayout& layout, quint64 number) {
    if (layout.format == SerialFormat::Decimal)
        return QByteArray::number(number).rightJustified(layout.digits, '0');
    const int width = Width(layout);
    QByteArray bytes(width, '\0');
    const bool bigEndian = layout.format == SerialFormat::Be16 || layout.format == SerialFormat::Be32;
    for (int i = 0; i < width; ++i) bytes[bigEndian ? width - 1 - i : i] = char((number >> (8 * i)) & 0xFF);
    return bytes;
}

qint32 AreaSize(Area area, const devices::Device* device) {
    if (area == Area::Flash) return device ? device->flashWords * 2 : image::kProgramImageSize - 1;
    return device ? device->eepromBytes : image::kEepromImageSize - 1;
}

bool Fits(const Place& place, int width, const devices::Device* device) {
    return place.address >= 0 && qint64(place.address) + width <= AreaSize(place.area, device);
}

void Put(image::MemoryImages& images, const Place& place, const QByteArray& bytes) {
    for (int i = 0; i < bytes.size(); ++i) {
        const qint32 index = ImageIndex(place.area, place.address + i);
        if (place.area == Area::Flash)
            images.ProgramImage[size_t(index)] = quint8(bytes[i]);
        else
            images.EepromImage[size_t(index)] = quint8(bytes[i]);
    }
}

QByteArray Taken(const image::MemoryImages& images, const Place& place, int width) {
    QByteArray bytes(width, '\0');
    for (int i = 0; i < width; ++i) {
        const auto index = size_t(ImageIndex(place.area, place.address + i));
        bytes[i] = char(place.area == Area::Flash ? images.ProgramImage[index] : images.EepromImage[index]);
    }
    return bytes;
}

StampContent ReadStamp(const SerialLayout& layout, const QByteArray& bytes, quint64& number) {
    number = 0;
    if (bytes.size() != Width(layout)) return StampContent::Foreign;
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return quint8(b) == image::kErased; }))
        return StampContent::Blank;
    if (layout.format == SerialFormat::Decimal) {
        for (const char c : bytes) {
            if (c < '0' || c > '9') return StampContent::Foreign;
            number = number * 10 + quint64(c - '0');
        }
        return StampContent::Number;
    }
    const bool bigEndian = layout.format == SerialFormat::Be16 || layout.format == SerialFormat::Be32;
    const int width = int(bytes.size());
    for (int i = 0; i < width; ++i) number |= quint64(quint8(bytes[bigEndian ? width - 1 - i : i])) << (8 * i);
    return StampContent::Number;
}

bool AnyCovers(const QList<Cells>& cells, Area area, qint32 address) {
    return std::any_of(cells.begin(), cells.end(), [&](const Cells& c) { return c.Covers(area, address); });
}

QList<Cells> AddedCells(const std::optional<Place>& stampAt, const SerialLayout& layout,
                        const std::optional<Place>& calibrationAt) {
    QList<Cells> cells;
    if (stampAt) cells.append({stampAt->area, stampAt->address, Width(layout)});
    if (calibrationAt) cells.append({calibrationAt->area, calibrationAt->address, 1});
    return cells;
}

}  // namespace zendra::production
