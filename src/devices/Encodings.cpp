#include "devices/Encodings.h"

namespace zendra::devices {

namespace {

QStringList BitPatterns(int width) {
    QStringList patterns;
    for (int value = 0; value < (1 << width); ++value)
        patterns << QStringLiteral("%1").arg(value, width, 2, QLatin1Char('0'));
    return patterns;
}

const QStringList kEnableDisable{QStringLiteral("Enable"), QStringLiteral("Disable")};
const QStringList kZeroOne{QStringLiteral("0"), QStringLiteral("1")};
const QStringList kLockEntries{QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書込み & ベリファイ 禁止")),
                               QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書込み禁止")),
                               QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プロテクトなし"))};

bool OneOf(FuseLayout layout, std::initializer_list<FuseLayout> layouts) {
    for (FuseLayout candidate : layouts)
        if (layout == candidate) return true;
    return false;
}

int Field(const PanelIndexes& indexes, PanelControl control, int width) {
    return IndexOf(indexes, control) & ((1 << width) - 1);
}

int Bit(quint8 value, int bit) { return (value >> bit) & 1; }

}  // namespace

std::optional<Choices> ActiveChoices(PanelControl control, FuseLayout layout) {
    using L = FuseLayout;
    switch (control) {
        case PanelControl::CKSEL:
            if (OneOf(layout, {L::Tiny12, L::Tiny26}))
                return Choices{BitPatterns(4), layout == L::Tiny12 ? 2 : 1};
            if (layout == L::Tiny15) return Choices{BitPatterns(2), 0};
            if (layout == L::At90s4433) return Choices{BitPatterns(3), 2};
            return std::nullopt;
        case PanelControl::SUT:
            return Choices{BitPatterns(2), 2};
        case PanelControl::BODEN:
            if (OneOf(layout, {L::Tiny12, L::Tiny15, L::Tiny26, L::At90s4433}))
                return Choices{kEnableDisable, 1};
            return std::nullopt;
        case PanelControl::BODLEVEL:
            if (layout == L::Tiny12) return Choices{{QStringLiteral("2.7V"), QStringLiteral("1.8V")}, 1};
            if (OneOf(layout, {L::Tiny15, L::Tiny26, L::At90s4433}))
                return Choices{{QStringLiteral("4.0V"), QStringLiteral("2.7V")}, 1};
            return std::nullopt;
        case PanelControl::RSTDISABL:
            if (layout == L::Tiny26)
                return Choices{{QStringLiteral("PB7:I/O"), QStringLiteral("PB7:Reset")}, 1};
            return Choices{{QStringLiteral("PB5:I/O"), QStringLiteral("PB5:Reset")}, 1};
        case PanelControl::EESAVE:
            return Choices{kEnableDisable, 1};
        case PanelControl::CKOPT:
        case PanelControl::PLLCK:
            return Choices{kZeroOne, 1};
        case PanelControl::FSTRT:
        case PanelControl::RCEN:
            return Choices{kEnableDisable, 0};
        case PanelControl::LockBit:
            return Choices{kLockEntries, kLockNone};
    }
    return std::nullopt;
}

bool IsActive(const PanelProfile& profile, PanelControl control) {
    switch (control) {
        case PanelControl::CKSEL:
            return profile.cksel;
        case PanelControl::SUT:
            return profile.sut;
        case PanelControl::BODEN:
            return profile.boden;
        case PanelControl::BODLEVEL:
            return profile.bodlevel;
        case PanelControl::RSTDISABL:
            return profile.rstdisbl;
        case PanelControl::EESAVE:
            return profile.eesave;
        case PanelControl::CKOPT:
            return profile.ckopt;
        case PanelControl::PLLCK:
            return profile.pllck;
        case PanelControl::FSTRT:
            return profile.fstrt;
        case PanelControl::RCEN:
            return profile.rcen;
        case PanelControl::LockBit:
            return profile.lockVisible;
    }
    return false;
}

QString ControlName(PanelControl control) {
    // The reset fuse is named as the windows label it.
    static const char* const names[] = {"CKSEL", "SUT",   "BODEN", "BODLEVEL", "RSTDISBL", "EESAVE",
                                        "CKOPT", "PLLCK", "FSTRT", "RCEN",     "LockBit"};
    return QString::fromLatin1(names[static_cast<int>(control)]);
}

std::optional<PanelControl> ControlByName(const QString& name) {
    // Earlier command lines spelled the reset fuse RSTDISABL; scripts that still do keep working.
    if (name.compare(QLatin1String("RSTDISABL"), Qt::CaseInsensitive) == 0) return PanelControl::RSTDISABL;
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        if (ControlName(static_cast<PanelControl>(i)).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<PanelControl>(i);
    }
    return std::nullopt;
}

PanelIndexes DefaultChoices(const Device* device) {
    const PanelDefaults setup = PanelFor(device);
    PanelIndexes choices{};
    for (int i = 0; i < core::kPanelControlCount; ++i) choices[i] = setup.controls[i].index;
    return choices;
}

PanelDefaults PanelFor(const Device* device) {
    const PanelProfile profile = device ? device->profile : NoMatchProfile();
    const FuseLayout layout = device ? device->fuseLayout : FuseLayout::None;
    PanelDefaults setup;
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        const auto control = static_cast<PanelControl>(i);
        // The lock choice is always filled; its visibility follows the profile.
        const bool active = control == PanelControl::LockBit || IsActive(profile, control);
        const auto choices = active ? ActiveChoices(control, layout) : std::nullopt;
        setup.controls[i] = choices ? ControlFill{choices->entries, choices->defaultIndex, true}
                                    : ControlFill{{kInactiveEntry}, 0, false};
    }
    setup.calibration = profile.calibration ? kCalibrationUnread : kCalibrationNone;
    setup.lockVisible = profile.lockVisible;
    setup.readEnabled = profile.readEnabled;
    setup.writeEnabled = profile.writeEnabled;
    return setup;
}

bool ResetWarningApplies(const Device* device, int resetIndex) {
    return device != nullptr && device->resetDisableWarning && resetIndex == 0;
}

FieldIndexes DecodeTiny12Fuse(quint8 fuse) {
    return {{PanelControl::CKSEL, fuse & 0x0F},
            {PanelControl::RSTDISABL, Bit(fuse, 4)},
            {PanelControl::BODEN, Bit(fuse, 6)},
            {PanelControl::BODLEVEL, Bit(fuse, 7)}};
}

FieldIndexes DecodeTiny15Fuse(quint8 fuse) {
    FieldIndexes fields = DecodeTiny12Fuse(fuse);
    fields.front().index = fuse & 0x03;
    return fields;
}

FieldIndexes DecodeTiny26LowFuse(quint8 fuse) {
    return {{PanelControl::CKSEL, fuse & 0x0F},
            {PanelControl::SUT, (fuse >> 4) & 0x03},
            {PanelControl::CKOPT, Bit(fuse, 6)},
            {PanelControl::PLLCK, Bit(fuse, 7)}};
}

FieldIndexes DecodeTiny26HighFuse(quint8 fuse) {
    return {{PanelControl::BODEN, Bit(fuse, 0)},
            {PanelControl::BODLEVEL, Bit(fuse, 1)},
            {PanelControl::EESAVE, Bit(fuse, 2)},
            {PanelControl::RSTDISABL, Bit(fuse, 4)}};
}

FieldIndexes Decode4433Fuse(quint8 fuse) {
    return {{PanelControl::CKSEL, fuse & 0x07},
            {PanelControl::BODEN, Bit(fuse, 3)},
            {PanelControl::BODLEVEL, Bit(fuse, 4)}};
}

FieldIndex DecodeCombinedFuse(quint8 lockFuse, PanelControl control) { return {control, Bit(lockFuse, 0)}; }

std::optional<int> DecodeLock(LockLayout layout, quint8 lock) {
    int lb1 = 0, lb2 = 0;
    switch (layout) {
        case LockLayout::Bits21:
            lb1 = Bit(lock, 1);
            lb2 = Bit(lock, 2);
            break;
        case LockLayout::Tiny26:
            lb1 = Bit(lock, 0);
            lb2 = Bit(lock, 1);
            break;
        case LockLayout::Combined:
            lb1 = Bit(lock, 7);
            lb2 = Bit(lock, 6);
            break;
    }
    if (lb1 == 0) return lb2 == 0 ? kLockProtectAll : kLockProtectWrite;
    if (lb2 == 1) return kLockNone;
    return std::nullopt;  // LB2 alone is no mode of the panel
}

quint8 ComposeTiny12Fuse(const PanelIndexes& x) {
    return quint8(Field(x, PanelControl::BODLEVEL, 1) << 7 | Field(x, PanelControl::BODEN, 1) << 6 |
                  Field(x, PanelControl::RSTDISABL, 1) << 4 | Field(x, PanelControl::CKSEL, 4));
}

quint8 ComposeTiny15Fuse(const PanelIndexes& x) {
    return quint8((ComposeTiny12Fuse(x) & 0xF0) | 0x04 | Field(x, PanelControl::CKSEL, 2));
}

quint8 ComposeTiny26LowFuse(const PanelIndexes& x) {
    return quint8(Field(x, PanelControl::PLLCK, 1) << 7 | Field(x, PanelControl::CKOPT, 1) << 6 |
                  Field(x, PanelControl::SUT, 2) << 4 | Field(x, PanelControl::CKSEL, 4));
}

quint8 ComposeTiny26HighFuse(const PanelIndexes& x) {
    return quint8(0xE0 | Field(x, PanelControl::RSTDISABL, 1) << 4 | Field(x, PanelControl::EESAVE, 1) << 2 |
                  Field(x, PanelControl::BODLEVEL, 1) << 1 | Field(x, PanelControl::BODEN, 1));
}

quint8 Compose4433Fuse(const PanelIndexes& x) {
    return quint8(0xA0 | Field(x, PanelControl::BODLEVEL, 1) << 4 | Field(x, PanelControl::BODEN, 1) << 3 |
                  Field(x, PanelControl::CKSEL, 3));
}

quint8 ComposeCombinedFuse(int index) { return index == 0 ? 0xBE : 0xBF; }

quint8 ComposeLock(int lockIndex) {
    switch (lockIndex) {
        case kLockProtectAll:
            return 0xF9;
        case kLockProtectWrite:
            return 0xFD;
        default:
            return 0xFF;
    }
}

quint8 ComposeLockTiny26(int lockIndex) {
    switch (lockIndex) {
        case kLockProtectAll:
            return 0xFC;
        case kLockProtectWrite:
            return 0xFE;
        default:
            return 0xFF;
    }
}

QString CalibrationText(quint8 calibration) {
    return QStringLiteral("%1").arg(calibration, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace zendra::devices
