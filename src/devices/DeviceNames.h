#pragma once
// What a user may type for a device, in either front end: the catalogue name or its English, in any case,
// and the nearest row when a name is mistyped.

#include <QString>

#include "devices/Catalogue.h"

namespace zendra::devices {

// The catalogue row `text` stands for: the catalogue name or its English, in any case; no prefixes.
const Device* DeviceNamed(const QString& text);
// The row whose name is nearest to an unknown `text`; null when none is near enough to be a slip of the
// keyboard.
const Device* NearestDevice(const QString& text);

}  // namespace zendra::devices
