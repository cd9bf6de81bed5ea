// What the files of MainCommands share: the panel's writer commands.
#pragma once

#include <optional>

#include "operations/Job.h"
#include "shell/SettingsPanel.h"

namespace zendra::shell {

using operations::JobCommand;

// The panel's writer commands: the job each runs (none for the lock/fuse read, which leaves no record);
// `cancellable`: the message window offers "中止" meanwhile.
struct WriterCommand {
    PanelCommand command;
    std::optional<operations::JobCommand> job;
    bool cancellable;
    bool undo = false;  // "元に戻す": the bytes the last lock/fuse write replaced
};

}  // namespace zendra::shell
