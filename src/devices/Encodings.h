#pragma once
// The lock/fuse panel as data and bit arithmetic: which choices each control offers on each device,
// and how the chosen indexes map to the fuse, lock and combined bytes in both directions.
// Bits follow the chip: 0 = programmed, 1 = unprogrammed; a two-entry control's index is the bit value.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "core/UserInterface.h"
#include "devices/Catalogue.h"

namespace zendra::devices {

using core::PanelControl;

// --- Panel choices --------------------------------------------------------------------------------

// The single entry of a control that does not apply to the device.
inline const QString kInactiveEntry = QStringLiteral("-");
// Lbl_READCALIB before a read: the device has a calibration byte, or has none.
inline const QString kCalibrationUnread = QStringLiteral("?");
inline const QString kCalibrationNone = QStringLiteral("-");

inline constexpr int kLockProtectAll = 0;    // LB1 and LB2 programmed
inline constexpr int kLockProtectWrite = 1;  // LB1 programmed
inline constexpr int kLockNone = 2;          // both unprogrammed

struct Choices {
    QStringList entries;  // index 0 first
    int defaultIndex = 0;
};

// The entries of an active control for a fuse layout; nullopt when the layout has no list for it (the
// control then shows as inactive). LockBit has the same three entries everywhere.
std::optional<Choices> ActiveChoices(PanelControl control, FuseLayout layout);

// The field's name as the windows label it and the command line and the reports print it ("CKSEL", ...,
// "RSTDISBL", "LockBit"), and back, in any case.
QString ControlName(PanelControl control);
std::optional<PanelControl> ControlByName(const QString& name);

// Whether the profile fills `control` with the device's choices (LockBit: whether it is visible).
bool IsActive(const PanelProfile& profile, PanelControl control);

// What the panel shows for a device (null: a selection that names no catalogue device): each control's
// entries, chosen index and whether it can be used, the calibration label and the lock row's state.
struct ControlFill {
    QStringList entries;
    int index = 0;
    bool enabled = false;
};
struct PanelDefaults {
    std::array<ControlFill, core::kPanelControlCount> controls;
    QString calibration;
    bool lockVisible = false;
    bool readEnabled = false;
    bool writeEnabled = false;
};
PanelDefaults PanelFor(const Device* device);

// The reset-disable warning applies: the device warns and its reset choice is the I/O entry (index 0).
bool ResetWarningApplies(const Device* device, int resetIndex);

// --- Encodings ------------------------------------------------------------------------------------

// Where LB1 and LB2 sit: bits 1 and 2; ATtiny26L bits 0 and 1; the combined byte bits 7 and 6.
enum class LockLayout { Bits21, Tiny26, Combined };

// The panel's current choices, indexed by PanelControl.
using PanelIndexes = std::array<int, core::kPanelControlCount>;
inline int IndexOf(const PanelIndexes& indexes, PanelControl control) {
    return indexes[static_cast<int>(control)];
}
// The choices the panel starts with for a device: each control's default entry.
PanelIndexes DefaultChoices(const Device* device);

struct FieldIndex {
    PanelControl control;
    int index;
    bool operator==(const FieldIndex&) const = default;
};
using FieldIndexes = std::vector<FieldIndex>;

// Decodes of a byte read from the chip into the indexes of the controls it feeds.
FieldIndexes DecodeTiny12Fuse(quint8 fuse);
FieldIndexes DecodeTiny15Fuse(quint8 fuse);
FieldIndexes DecodeTiny26LowFuse(quint8 fuse);
FieldIndexes DecodeTiny26HighFuse(quint8 fuse);
FieldIndexes Decode4433Fuse(quint8 fuse);
// Bit 0 of the combined byte: FSTRT, or RCEN on AT90S2343.
FieldIndex DecodeCombinedFuse(quint8 lockFuse, PanelControl control);
// The lock choice, or nullopt when LB2 is programmed alone (the choice is then left as it was).
std::optional<int> DecodeLock(LockLayout layout, quint8 lock);

// Bytes composed from the panel's indexes. An index outside its field keeps only the field's bits.
quint8 ComposeTiny12Fuse(const PanelIndexes& indexes);
// CKSEL goes into bits 1..0 with bits 3..2 at 01, so what is written reads back as chosen.
quint8 ComposeTiny15Fuse(const PanelIndexes& indexes);
quint8 ComposeTiny26LowFuse(const PanelIndexes& indexes);
quint8 ComposeTiny26HighFuse(const PanelIndexes& indexes);
quint8 Compose4433Fuse(const PanelIndexes& indexes);
// 0xBE for index 0 (enabled), 0xBF otherwise.
quint8 ComposeCombinedFuse(int index);
// The 'l' lock byte: 0xF9, 0xFD, 0xFF; an unknown index writes no protection.
quint8 ComposeLock(int lockIndex);
// The ATtiny26L lock byte: 0xFC, 0xFE, 0xFF.
quint8 ComposeLockTiny26(int lockIndex);

// Two upper-case hexadecimal digits ("05").
QString CalibrationText(quint8 calibration);

}  // namespace zendra::devices
