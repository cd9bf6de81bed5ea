#pragma once
// The chip operations: program, verify, read and erase flows, and the main window's four writer commands
// in their stated order (the shell's handlers only take the operation guard and call these).

#include <QString>
#include <functional>

#include "image/MemoryImages.h"
#include "link/Link.h"

namespace zendra::operations {

struct OperationContext {
    link::LinkContext& link;
    image::MemoryImages& images;
};

void ProgramDevice(OperationContext& ctx);
void VerifyDevice(OperationContext& ctx);
void ReadDevice(OperationContext& ctx);
void EraseDevice(OperationContext& ctx);

// Main window commands (without the guard). ProgramCommand and ReadCommand write status panel 5.
void ProgramCommand(OperationContext& ctx);
void ReadCommand(OperationContext& ctx);
void VerifyCommand(OperationContext& ctx);
// Erase: on success calls `applyDeviceSelection` (the shell's ApplyDeviceSelection) before the done text.
void EraseCommand(OperationContext& ctx, const std::function<void()>& applyDeviceSelection);

// Status panel 5: whole seconds followed by "秒".
QString ElapsedText(long long seconds);

}  // namespace zendra::operations
