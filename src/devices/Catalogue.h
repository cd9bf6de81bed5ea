#pragma once
// The thirteen devices the writer programs, the signature model table and each device's panel profile:
// constants, one table each, the only place these facts are written down.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace zendra::devices {

struct PanelProfile {
    bool cksel = false, sut = false, boden = false, bodlevel = false, rstdisbl = false, eesave = false,
         ckopt = false, pllck = false, fstrt = false, rcen = false;
    bool calibration = false;  // Lbl_READCALIB starts at "?" rather than "-"
    bool lockVisible = false;
    bool readEnabled = false;
    bool writeEnabled = false;
};

struct Device {
    const char* name;  // UTF-8, exactly as the selector shows it
    quint8 code;
    qint32 flashWords;
    qint32 eepromBytes;
    quint8 family;
    quint8 part;
    PanelProfile profile;
    QString Name() const { return QString::fromUtf8(name); }
};

inline constexpr int kDeviceCount = 13;
// Selector positions of the devices that other rules single out by name.
enum DeviceIndex : int { kATtiny12L = 0, kATtiny15L = 1, kATtiny26L = 2, kAT90S4433 = 8 };
const std::array<Device, kDeviceCount>& DeviceTable();
QStringList DeviceNames();  // selector order

// The row whose name equals `text` exactly; nullopt for no match (code 0, sizes 0, the no-match profile).
std::optional<int> FindDevice(const QString& text);
PanelProfile NoMatchProfile();

// Nine-character model name for a signature's family and part bytes; empty when not listed.
QString SignatureModelName(quint8 family, quint8 part);
// Flash words implied by a family byte: 0x90 512, 0x91/0x97 1024, 0x92 2048, 0x93 4096; nullopt otherwise.
std::optional<qint16> FlashWordsForFamily(quint8 family);

}  // namespace zendra::devices
