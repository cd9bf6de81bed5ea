#include "StateJson.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include "devices/Catalogue.h"

namespace zendra::virtualwriter {

namespace {

bool IsHexText(QStringView text);

QString Hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// Hex text of at most `digits` digits ("0x" allowed), or a JSON number; nullopt when it is neither.
std::optional<unsigned> ParseValue(const QJsonValue& value, int digits) {
    const unsigned limit = (1u << (4 * digits)) - 1;
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d < 0 || d > limit || d != static_cast<unsigned>(d)) return std::nullopt;
        return static_cast<unsigned>(d);
    }
    if (!value.isString()) return std::nullopt;
    QString text = value.toString().trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) text = text.mid(2);
    if (text.isEmpty() || text.size() > digits || !IsHexText(text)) return std::nullopt;
    bool ok = false;
    const unsigned parsed = text.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return parsed;
}

// Splits hex text into values of `digits` digits each; nullopt on a bad digit, a ragged end or too many.
std::optional<QList<unsigned>> ParseHexRun(const QString& text, int digits, qsizetype maxCount) {
    if (text.size() % digits != 0 || text.size() / digits > maxCount || !IsHexText(text)) return std::nullopt;
    QList<unsigned> values;
    values.reserve(text.size() / digits);
    for (qsizetype i = 0; i < text.size(); i += digits) {
        bool ok = false;
        const unsigned v = QStringView(text).mid(i, digits).toUInt(&ok, 16);
        if (!ok) return std::nullopt;
        values.append(v);
    }
    return values;
}

bool IsHexText(QStringView text) {
    for (QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) return false;
    }
    return true;
}

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

QJsonObject ChipStateToJson(const ChipState& chip) {
    QJsonObject json;
    json.insert(QStringLiteral("chip"), devices::DeviceTable()[chip.deviceIndex].Name());
    QString flash;
    flash.reserve(chip.flash.size() * 4);
    for (quint16 word : chip.flash) flash += Hex(word, 4);
    json.insert(QStringLiteral("flash"), flash);
    json.insert(QStringLiteral("eeprom"), QString::fromLatin1(chip.eeprom.toHex().toUpper()));
    json.insert(QStringLiteral("fuseLow"), Hex(chip.fuseLow, 2));
    json.insert(QStringLiteral("fuseHigh"), Hex(chip.fuseHigh, 2));
    json.insert(QStringLiteral("lock"), Hex(chip.lock, 2));
    json.insert(QStringLiteral("calibration"), Hex(chip.calibration, 2));
    QJsonObject firmware;
    for (auto it = chip.firmware.cbegin(); it != chip.firmware.cend(); ++it) {
        firmware.insert(Hex(it.key(), 4), Hex(it.value(), 4));
    }
    json.insert(QStringLiteral("firmware"), firmware);
    return json;
}

std::optional<ChipState> ChipStateFromJson(const QJsonObject& json, int defaultDevice, QString* error) {
    int device = defaultDevice;
    if (json.contains(QStringLiteral("chip"))) {
        const auto found = ParseChipChoice(json.value(QStringLiteral("chip")).toString());
        if (!found) {
            Fail(error, QStringLiteral("unknown chip"));
            return std::nullopt;
        }
        device = *found;
    }
    if (!LayoutForDevice(device)) {
        Fail(error, QStringLiteral("unknown chip"));
        return std::nullopt;
    }
    ChipState chip = ChipState::Fresh(device);

    if (json.contains(QStringLiteral("flash"))) {
        const auto words = ParseHexRun(json.value(QStringLiteral("flash")).toString(), 4, chip.flash.size());
        if (!json.value(QStringLiteral("flash")).isString() || !words) {
            Fail(error,
                 QStringLiteral("flash: hex text of at most %1 words expected").arg(chip.flash.size()));
            return std::nullopt;
        }
        for (qsizetype i = 0; i < words->size(); ++i) chip.flash[i] = static_cast<quint16>(words->at(i));
    }
    if (json.contains(QStringLiteral("eeprom"))) {
        const auto bytes =
            ParseHexRun(json.value(QStringLiteral("eeprom")).toString(), 2, chip.eeprom.size());
        if (!json.value(QStringLiteral("eeprom")).isString() || !bytes) {
            Fail(error,
                 QStringLiteral("eeprom: hex text of at most %1 bytes expected").arg(chip.eeprom.size()));
            return std::nullopt;
        }
        for (qsizetype i = 0; i < bytes->size(); ++i) chip.eeprom[i] = static_cast<char>(bytes->at(i));
    }

    const std::pair<const char*, quint8*> byteFields[] = {{"fuseLow", &chip.fuseLow},
                                                          {"fuseHigh", &chip.fuseHigh},
                                                          {"lock", &chip.lock},
                                                          {"calibration", &chip.calibration}};
    for (const auto& [name, target] : byteFields) {
        const QString key = QLatin1String(name);
        if (!json.contains(key)) continue;
        const auto value = ParseValue(json.value(key), 2);
        if (!value) {
            Fail(error, key + QStringLiteral(": a byte expected"));
            return std::nullopt;
        }
        *target = static_cast<quint8>(*value);
    }

    if (json.contains(QStringLiteral("firmware"))) {
        const QJsonValue firmware = json.value(QStringLiteral("firmware"));
        if (!firmware.isObject()) {
            Fail(error, QStringLiteral("firmware: an object expected"));
            return std::nullopt;
        }
        const QJsonObject words = firmware.toObject();
        for (auto it = words.begin(); it != words.end(); ++it) {
            const auto address = ParseValue(QJsonValue(it.key()), 4);
            const auto word = ParseValue(it.value(), 4);
            if (!address || !word) {
                Fail(error, QStringLiteral("firmware: bad entry ") + it.key());
                return std::nullopt;
            }
            chip.firmware.insert(static_cast<quint16>(*address), static_cast<quint16>(*word));
        }
    }
    return chip;
}

bool WriteChipStateFile(const ChipState& chip, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return Fail(error, file.errorString());
    file.write(QJsonDocument(ChipStateToJson(chip)).toJson(QJsonDocument::Indented));
    if (!file.commit()) return Fail(error, file.errorString());
    return true;
}

std::optional<ChipState> ReadChipStateFile(const QString& path, int defaultDevice, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(error, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull() || !doc.isObject()) {
        Fail(error, parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                 : QStringLiteral("a JSON object expected"));
        return std::nullopt;
    }
    return ChipStateFromJson(doc.object(), defaultDevice, error);
}

}  // namespace zendra::virtualwriter
