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
    {"ATtiny12L", 0x55, 512, 64, 0x90, 0x05, kTiny12Profile},
    {"ATtiny15L", 0x56, 512, 64, 0x90, 0x06, kTiny12Profile},
    {"ATtiny26L", 0x59, 1024, 128, 0x91, 0x09, kTiny26Profile},
    {"AT90S2323", 0x48, 1024, 128, 0x91, 0x02, kFstrtProfile},
    {"AT90S2343", 0x4C, 1024, 128, 0x91, 0x03, kRcenProfile},
    {"AT90S1200 (外部ｸﾛｯｸ)", 0x13, 512, 64, 0x90, 0x01, kLockOnlyProfile},
    {"AT90S1200A(内部RCｸﾛｯｸ1MHz)", 0x13, 512, 64, 0x90, 0x01, kLockOnlyProfile},
    {"AT90S2313", 0x20, 1024, 128, 0x91, 0x01, kLockOnlyProfile},
    {"AT90S4433", 0x30, 2048, 256, 0x92, 0x03, k4433Profile},
    {"AT90S4414", 0x28, 2048, 256, 0x92, 0x01, kLockOnlyProfile},
    {"AT90S4434", 0x6C, 2048, 256, 0x92, 0x02, kFstrtProfile},
    {"AT90S8515", 0x38, 4096, 512, 0x93, 0x01, kLockOnlyProfile},
    {"AT90S8535", 0x68, 4096, 512, 0x93, 0x03, kFstrtProfile},
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

}  // namespace zendra::devices
