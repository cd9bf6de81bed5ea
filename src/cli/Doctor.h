#pragma once
// zendra-cli doctor: the connection check on --port, or on every detected port, one line per step on
// standard output ("ok STEP: detail", "warn ...", "fail ..."), the advice on standard error.

#include "cli/Plan.h"
#include "core/UserInterface.h"

namespace zendra::cli {

// The exit code: 0 when no step failed (warnings included), else 2 for the port or the writer, 5 for the
// chip, 130 when cancelled.
int RunDoctor(const Plan& plan, const core::CancelToken& cancel);

}  // namespace zendra::cli
