#pragma once
// The flows' bodies over one run, so a command and the flows it chains share one view of the windows.

#include "operations/FlowRun.h"

namespace zendra::operations {

void RunProgram(FlowRun& run);
void RunVerify(FlowRun& run);
void RunRead(FlowRun& run);
void RunErase(FlowRun& run);

}  // namespace zendra::operations
