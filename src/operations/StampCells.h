#pragma once
// The chip's own stamp cells, read before a program run erases them, so a chip that comes back for new
// firmware can keep the number on its label.

#include <QByteArray>

#include "operations/Report.h"
#include "production/Stamp.h"

namespace zendra::operations {

// The communication check, the device check, then the `width` bytes from the place in a programming-mode
// cycle of their own; `bytes` holds them when the report succeeded. Nothing is erased or written.
Report ReadStampCells(Environment& env, const Target& target, const production::Place& at, int width,
                      QByteArray& bytes);

}  // namespace zendra::operations
