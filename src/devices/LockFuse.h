#pragma once
// The lock/fuse panel as logic: device parameters and the panel's fillers, the reset-disable warning,
// and the lock/fuse read and write operations (single-byte programming cycles).

#include "link/Link.h"

namespace zendra::devices {

// Reads the selector text and sets DeviceCode, the sizes and the panel profile (fillers in fixed order).
void SetDeviceParameters(core::UserInterface& ui, core::SharedState& state);

// Run whenever the selected entry of Combo_RSTDISABL changes (by the user, or by a read moving it).
void frmMain_Combo_RSTDISABL_Click(core::UserInterface& ui);

// The bodies of cmdFuseRead / cmdFuseWrite (without the operation guard).
void FuseRead(link::LinkContext& ctx);
void FuseWrite(link::LinkContext& ctx);

}  // namespace zendra::devices
