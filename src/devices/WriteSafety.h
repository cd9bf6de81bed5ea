#pragma once
// What a lock/fuse choice risks once written: the clock sources each layout's clock field selects, and the
// class of a changed field. Data beside the catalogue rows; the operations decide what to do with it.

#include <optional>

#include "devices/Encodings.h"

namespace zendra::devices {

// Ordered by how much a user must confirm: a lock-out also outranks the protections.
enum class ChangeClass { Ordinary, WriteProtect, ReadProtect, LockOut };

enum class ClockSource { InternalRc, ExternalClock, ExternalRc, LowFrequencyCrystal, Crystal };

// The clock source a choice of `control` selects on `layout`; nullopt when that field selects none (a
// start-up time only, or no clock field at all).
std::optional<ClockSource> ClockSourceOf(FuseLayout layout, PanelControl control, int index);

// The class of moving `control` from `before` (nullopt: the chip's byte could not be read) to `after`.
// A lock-out: the reset pin turned into I/O on a device that warns of it, or a clock source other than
// the internal RC oscillator and other than the one the chip runs on now.
ChangeClass ClassifyChoice(const Device* device, PanelControl control, std::optional<int> before, int after);

// "lock-out", "read-protect", "write-protect", "ordinary": the reports' words.
QString ChangeClassName(ChangeClass change);

}  // namespace zendra::devices
