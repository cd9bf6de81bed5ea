#pragma once
// The job a command line's plan stands for, and a refused job in the command line's words: the one
// translation between the parsed options and the one job run.

#include <optional>

#include "cli/ChipResult.h"
#include "cli/Plan.h"
#include "operations/Job.h"

namespace zendra::cli {

// The job command a command's name stands for; none for a command that leaves no record.
std::optional<operations::JobCommand> JobCommandOf(const QString& command);
// Whether the command runs as a job (a chip command that leaves a record).
bool IsJobCommand(const QString& command);
// The job a command's plan stands for: every value typed, every file read and parsed once.
operations::Job JobOf(const Plan& plan);
// A job refused before the chip was touched, for a reason of its own (not its identification), in the
// command line's words.
void SayJobRefusal(const Plan& plan, ChipResult& result, const operations::JobReport& done);
// A device's name in the user's language; empty for none.
QString DeviceNameText(const devices::Device* device);

}  // namespace zendra::cli
