#include "devices/Catalogue.h"

namespace zendra::devices {

namespace {

// Panel profiles, named by what the device's fuse layout offers.
constexpr PanelProfile kTiny12Profile{.cksel = true,
                                      .boden = true,
                                      .bodlevel = true,
                                      .rstdisbl = true,
                                      .calibration = true,
                                      .lockVisible = true,
                                      .readEnabled = true,
                                      .writeEnabled = true};
constexpr PanelProfile kTiny26Profile{.cksel = true,
                                      .sut = true,
                                      .boden = true,
                                      .bodlevel = true,
                                      .rstdisbl = true,
                                      .eesave = true,
                                      .ckopt = true,
                                      .pllck = true,
                                      .calibration = true,
                                      .lockVisible = true,
                                      .readEnabled = true,
                                      .writeEnabled = true};
constexpr PanelProfile kFstrtProfile{
    .fstrt = true, .lockVisible = true, .readEnabled = true, .writeEnabled = true};
constexpr PanelProfile kRcenProfile{
    .rcen = true, .lockVisible = true, .readEnabled = true, .writeEnabled = true};
constexpr PanelProfile kLockOnlyProfile{.lockVisible = true, .readEnabled = false, .writeEnabled = true};
constexpr PanelProfile k4433Profile{.cksel = true,
                                    .boden = true,
                                    .bodlevel = true,
                                    .lockVisible = true,
                                    .readEnabled = true,
                                    .writeEnabled = true};

// Selector order; the index is what the settings store keeps.
// constexpr: ready before any other file's constants are built from it.
constexpr std::array<Device, kDeviceCount> kDevices{{
    {.name = "ATtiny12L",
     .code = 0x55,
     .flashWords = 512,
     .eepromBytes = 64,
     .family = 0x90,
     .part = 0x05,
     .profile = kTiny12Profile,
     .fuseLayout = FuseLayout::Tiny12,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_08,
     .resetDisableWarning = true},
    {.name = "ATtiny15L",
     .code = 0x56,
     .flashWords = 512,
     .eepromBytes = 64,
     .family = 0x90,
     .part = 0x06,
     .profile = kTiny12Profile,
     .fuseLayout = FuseLayout::Tiny15,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_08,
     .resetDisableWarning = true},
    {.name = "ATtiny26L",
     .code = 0x59,
     .flashWords = 1024,
     .eepromBytes = 128,
     .family = 0x91,
     .part = 0x09,
     .profile = kTiny26Profile,
     .fuseLayout = FuseLayout::Tiny26,
     .wordWrite = WordWrite::Tiny26,
     .socket = Socket::DUT_20A,
     .resetDisableWarning = true},
    {.name = "AT90S2323",
     .code = 0x48,
     .flashWords = 1024,
     .eepromBytes = 128,
     .family = 0x91,
     .part = 0x02,
     .profile = kFstrtProfile,
     .fuseLayout = FuseLayout::CombinedFstrt,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_08,
     .resetDisableWarning = false},
    {.name = "AT90S2343",
     .code = 0x4C,
     .flashWords = 1024,
     .eepromBytes = 128,
     .family = 0x91,
     .part = 0x03,
     .profile = kRcenProfile,
     .fuseLayout = FuseLayout::CombinedRcen,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_08,
     .resetDisableWarning = false},
    {.name = QT_TRANSLATE_NOOP("zendra", "AT90S1200 (外部ｸﾛｯｸ)"),
     .code = 0x13,
     .flashWords = 512,
     .eepromBytes = 64,
     .family = 0x90,
     .part = 0x01,
     .profile = kLockOnlyProfile,
     .fuseLayout = FuseLayout::LockOnly,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_20,
     .resetDisableWarning = false},
    {.name = QT_TRANSLATE_NOOP("zendra", "AT90S1200A(内部RCｸﾛｯｸ1MHz)"),
     .code = 0x13,
     .flashWords = 512,
     .eepromBytes = 64,
     .family = 0x90,
     .part = 0x01,
     .profile = kLockOnlyProfile,
     .fuseLayout = FuseLayout::LockOnly,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_20,
     .resetDisableWarning = false},
    {.name = "AT90S2313",
     .code = 0x20,
     .flashWords = 1024,
     .eepromBytes = 128,
     .family = 0x91,
     .part = 0x01,
     .profile = kLockOnlyProfile,
     .fuseLayout = FuseLayout::LockOnly,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_20,
     .resetDisableWarning = false},
    {.name = "AT90S4433",
     .code = 0x30,
     .flashWords = 2048,
     .eepromBytes = 256,
     .family = 0x92,
     .part = 0x03,
     .profile = k4433Profile,
     .fuseLayout = FuseLayout::At90s4433,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_28,
     .resetDisableWarning = false},
    {.name = "AT90S4414",
     .code = 0x28,
     .flashWords = 2048,
     .eepromBytes = 256,
     .family = 0x92,
     .part = 0x01,
     .profile = kLockOnlyProfile,
     .fuseLayout = FuseLayout::LockOnly,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_40,
     .resetDisableWarning = false},
    {.name = "AT90S4434",
     .code = 0x6C,
     .flashWords = 2048,
     .eepromBytes = 256,
     .family = 0x92,
     .part = 0x02,
     .profile = kFstrtProfile,
     .fuseLayout = FuseLayout::CombinedFstrt,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_40,
     .resetDisableWarning = false},
    {.name = "AT90S8515",
     .code = 0x38,
     .flashWords = 4096,
     .eepromBytes = 512,
     .family = 0x93,
     .part = 0x01,
     .profile = kLockOnlyProfile,
     .fuseLayout = FuseLayout::LockOnly,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_40,
     .resetDisableWarning = false},
    {.name = "AT90S8535",
     .code = 0x68,
     .flashWords = 4096,
     .eepromBytes = 512,
     .family = 0x93,
     .part = 0x03,
     .profile = kFstrtProfile,
     .fuseLayout = FuseLayout::CombinedFstrt,
     .wordWrite = WordWrite::LowHigh,
     .socket = Socket::DUT_40,
     .resetDisableWarning = false},
}};
struct SignatureModel {
    quint8 family;
    quint8 part;
    const char* name;
};

// Pairs listed with no name are known parts that no catalogue entry accepts.
constexpr SignatureModel kSignatureModels[] = {
    {0x90, 0x01, "AT90S1200"}, {0x90, 0x04, "ATtiny11L"}, {0x90, 0x05, "ATtiny12L"},
    {0x90, 0x06, "ATtiny15L"}, {0x91, 0x01, "AT90S2313"}, {0x91, 0x02, "AT90S2323"},
    {0x91, 0x03, "AT90S2343"}, {0x91, 0x09, "ATtiny26L"}, {0x92, 0x01, "AT90S4414"},
    {0x92, 0x02, "AT90S4434"}, {0x92, 0x03, "AT90S4433"}, {0x93, 0x01, "AT90S8515"},
    {0x93, 0x03, "AT90S8535"},
};

}  // namespace

const std::array<Device, kDeviceCount>& DeviceTable() { return kDevices; }

QStringList DeviceNames() {
    QStringList names;
    names.reserve(kDeviceCount);
    for (const Device& device : kDevices) names << device.Name();
    return names;
}

std::optional<int> FindDevice(const QString& text) {
    for (int i = 0; i < kDeviceCount; ++i) {
        if (kDevices[i].Name() == text) return i;
    }
    return std::nullopt;
}

const Device* DeviceAt(int index) { return index >= 0 && index < kDeviceCount ? &kDevices[index] : nullptr; }

QList<const Device*> DevicesWithSignature(quint8 family, quint8 part) {
    QList<const Device*> found;
    for (const Device& device : kDevices)
        if (device.family == family && device.part == part) found << &device;
    return found;
}

PanelProfile NoMatchProfile() { return PanelProfile{}; }

QString SignatureModelName(quint8 family, quint8 part) {
    for (const SignatureModel& model : kSignatureModels) {
        if (model.family == family && model.part == part) return QString::fromLatin1(model.name);
    }
    return QString();
}

std::optional<qint16> FlashWordsForFamily(quint8 family) {
    switch (family) {
        case 0x90:
            return 512;
        case 0x91:
        case 0x97:
            return 1024;
        case 0x92:
            return 2048;
        case 0x93:
            return 4096;
        default:
            return std::nullopt;
    }
}

QString SocketLabel(Socket socket) {
    switch (socket) {
        case Socket::DUT_40: return QStringLiteral("40pin");
        case Socket::DUT_28: return QStringLiteral("28pin");
        case Socket::DUT_20:
        case Socket::DUT_20A: return QStringLiteral("20pin");
        case Socket::DUT_08: return QStringLiteral("8pin");
    }
    return {};
}

int SocketPlace(Socket socket) { return static_cast<int>(socket) + 1; }

}  // namespace zendra::devices
