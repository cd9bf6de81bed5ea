#pragma once
// The per-user settings store and the one table of the keys the program keeps between runs.
// Values are decimal text; a stored value that is not a number, or is out of range, reads as the key's
// default.

#include <QString>
#include <memory>

#include "core/Product.h"

class QSettings;

namespace zendra::core {

inline const QString kApplicationTitle = QStringLiteral("New ZendraV6");
inline const QString kSectionMain = QStringLiteral("Settings");
inline const QString kSectionUpdate = QStringLiteral("Settings6");
inline const QString kSectionPorts = QStringLiteral("Ports");  // "COMn" -> device path

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is absent.
    virtual QString Read(const QString& section, const QString& key, const QString& fallback) const = 0;
    virtual void Write(const QString& section, const QString& key, const QString& value) = 0;
    virtual void Sync() {}
};

// QSettings in INI format, user scope, organisation and application "New ZendraV6":
// $XDG_CONFIG_HOME/New ZendraV6/New ZendraV6.ini.
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore();
    ~IniSettingsStore() override;
    QString Read(const QString& section, const QString& key, const QString& fallback) const override;
    void Write(const QString& section, const QString& key, const QString& value) override;
    void Sync() override;
    QString FilePath() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

struct IntKey {
    const char* section;
    const char* key;
    int defaultValue;
    int minimum;
    int maximum;
};

struct RealKey {
    const char* section;
    const char* key;
    double defaultValue;
};

struct TextKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace keys {
inline constexpr IntKey Device{"Settings", "device", 0, 0, 12};
inline constexpr IntKey IndexComFlag{"Settings", "Index_Com_Flag", 0, 0, 1};
// The port number; the communication check reads it with default 1, and tests with default 0
// whether a port was ever saved; the port dialog preselects with default 0.
inline constexpr IntKey ComNox{"Settings", "ComNox", 1, 0, kComPortCount};
inline constexpr RealKey IndLeft{"Settings", "IndLeft", 0};
inline constexpr RealKey IndTop{"Settings", "IndTop", 0};
inline constexpr RealKey MainLeft{"Settings", "MainLeft", 100};
inline constexpr RealKey MainTop{"Settings", "MainTop", 100};
inline constexpr RealKey MainWidth{"Settings", "MainWidth", 11300};
inline constexpr RealKey MainHeight{"Settings", "MainHeight", 7900};
inline constexpr RealKey PgmLeft{"Settings", "PgmLeft", 50};
inline constexpr RealKey PgmTop{"Settings", "PgmTop", 50};
inline constexpr RealKey PgmWidth{"Settings", "PgmWidth", 5400};
inline constexpr RealKey PgmHeight{"Settings", "PgmHeight", 4000};
inline constexpr RealKey EEpLeft{"Settings", "EEpLeft", 50};
inline constexpr RealKey EEpTop{"Settings", "EEpTop", 4100};
inline constexpr RealKey EEpWidth{"Settings", "EEpWidth", 5400};
inline constexpr RealKey EEpHeight{"Settings", "EEpHeight", 2000};
inline constexpr TextKey OpenDir{"Settings", "OPEN_DIR", ""};
inline constexpr TextKey SaveDir{"Settings", "SAVE_DIR", ""};
// The code files opened last, newest first, one path a line.
inline constexpr TextKey RecentFiles{"Settings", "RecentFiles", ""};
// "ja" or "en"; empty (or anything else) follows the locale.
inline constexpr TextKey Language{"Settings", "Language", ""};
// The windows' production run: the stamp's place ("eeprom:ADDR", "flash:ADDR"; empty: no stamp), format,
// series, start and step; the calibration copy's place (empty: none); the chip store (a file or a
// PostgreSQL URL; empty: the per-user file).
inline constexpr TextKey StampAt{"Production", "StampAt", ""};
inline constexpr TextKey StampFormat{"Production", "StampFormat", "le16"};
inline constexpr TextKey StampSeries{"Production", "StampSeries", "default"};
inline constexpr TextKey StampStart{"Production", "StampStart", "1"};
inline constexpr TextKey StampStep{"Production", "StampStep", "1"};
// Or the stamp's values from a list file, or from a program (run in StampCommandFolder; empty: the
// program's current folder); both empty: the counter.
inline constexpr TextKey StampList{"Production", "StampList", ""};
inline constexpr TextKey StampCommand{"Production", "StampCommand", ""};
inline constexpr TextKey StampCommandFolder{"Production", "StampCommandFolder", ""};
inline constexpr TextKey CalibrationAt{"Production", "CalibrationAt", ""};
inline constexpr TextKey ChipStore{"Production", "ChipStore", ""};
// What a stamped run does with the number a chip carries ("keep", "strict"; empty: the next number), and
// whether a number that never reached a chip goes out again ("1") before a new one.
inline constexpr TextKey StampKeep{"Production", "StampKeep", ""};
inline constexpr TextKey StampReuseFailed{"Production", "StampReuseFailed", ""};
// The production station's engineer password, only ever as libsodium's Argon2id string (salt and costs
// inside); empty: none set yet. Removing the line resets a forgotten password.
inline constexpr TextKey EngineerPassword{"Station", "EngineerPassword", ""};
inline constexpr TextKey OpenDir0{"Settings6", "OPEN_DIR0", ""};
inline constexpr TextKey Speed{"Settings6", "Speed", "?"};
inline constexpr TextKey Com{"Settings6", "Com", "?"};
}  // namespace keys

// Typed access through the table. ReadInt with `defaultOverride` serves keys read with another default.
int ReadInt(const SettingsStore& store, const IntKey& key);
int ReadInt(const SettingsStore& store, const IntKey& key, int defaultOverride);
void WriteInt(SettingsStore& store, const IntKey& key, int value);
double ReadReal(const SettingsStore& store, const RealKey& key);
void WriteReal(SettingsStore& store, const RealKey& key, double value);
QString ReadText(const SettingsStore& store, const TextKey& key);
void WriteText(SettingsStore& store, const TextKey& key, const QString& value);

}  // namespace zendra::core
