#include "devices/WriteSafety.h"

namespace zendra::devices {

namespace {

struct ClockRange {
    int first, last;
    ClockSource source;
};
struct ClockRule {
    FuseLayout layout;
    PanelControl control;
    std::initializer_list<ClockRange> ranges;
};

using S = ClockSource;
// By the panel's index: a CKSEL bit pattern read as a number, RCEN's "Enable" 0 and "Disable" 1.
// ATtiny15L's and AT90S4433's CKSEL choose start-up times only, so they have no rule.
const ClockRule kClockRules[] = {
    {FuseLayout::Tiny12,
     PanelControl::CKSEL,
     {{0x0, 0x1, S::ExternalClock},
      {0x2, 0x4, S::InternalRc},
      {0x5, 0x7, S::ExternalRc},
      {0x8, 0x9, S::LowFrequencyCrystal},
      {0xA, 0xF, S::Crystal}}},
    {FuseLayout::Tiny26,
     PanelControl::CKSEL,
     {{0x0, 0x0, S::ExternalClock},
      {0x1, 0x4, S::InternalRc},
      {0x5, 0x8, S::ExternalRc},
      {0x9, 0x9, S::LowFrequencyCrystal},
      {0xA, 0xF, S::Crystal}}},
    {FuseLayout::CombinedRcen, PanelControl::RCEN, {{0, 0, S::InternalRc}, {1, 1, S::ExternalClock}}},
};

}  // namespace

std::optional<ClockSource> ClockSourceOf(FuseLayout layout, PanelControl control, int index) {
    for (const ClockRule& rule : kClockRules) {
        if (rule.layout != layout || rule.control != control) continue;
        for (const ClockRange& range : rule.ranges)
            if (index >= range.first && index <= range.last) return range.source;
    }
    return std::nullopt;
}

ChangeClass ClassifyChoice(const Device* device, PanelControl control, std::optional<int> before, int after) {
    if (before == after) return ChangeClass::Ordinary;
    if (control == PanelControl::LockBit)
        return after == kLockProtectAll     ? ChangeClass::ReadProtect
               : after == kLockProtectWrite ? ChangeClass::WriteProtect
                                            : ChangeClass::Ordinary;
    if (control == PanelControl::RSTDISABL && ResetWarningApplies(device, after)) return ChangeClass::LockOut;
    const FuseLayout layout = device ? device->fuseLayout : FuseLayout::None;
    const auto source = ClockSourceOf(layout, control, after);
    if (source && *source != ClockSource::InternalRc &&
        (!before || ClockSourceOf(layout, control, *before) != source))
        return ChangeClass::LockOut;
    return ChangeClass::Ordinary;
}

QString ChangeClassName(ChangeClass change) {
    switch (change) {
        case ChangeClass::LockOut:
            return QStringLiteral("lock-out");
        case ChangeClass::ReadProtect:
            return QStringLiteral("read-protect");
        case ChangeClass::WriteProtect:
            return QStringLiteral("write-protect");
        case ChangeClass::Ordinary:
            break;
    }
    return QStringLiteral("ordinary");
}

}  // namespace zendra::devices
