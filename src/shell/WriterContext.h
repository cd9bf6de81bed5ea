#pragma once
// What the windows' port dialogs work with: the main port and clock, the windows, the shared state, the
// settings store and the COM-port map. Owned by the application (or a test).

#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/Timing.h"
#include "core/UserInterface.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "operations/Report.h"

namespace zendra::shell {

struct WriterContext {
    link::SerialPort& port;
    core::Timing& timing;
    core::UserInterface& ui;
    core::SharedState& state;
    core::SettingsStore& settings;
    link::PortMap& ports;
    // Where the system keeps one stable link per USB serial adapter (tests: a folder of their own).
    QString byIdFolder = QStringLiteral("/dev/serial/by-id");
};

// What the chip operations work on now: the selected device and the saved port.
inline operations::Target CurrentTarget(const WriterContext& ctx) {
    const int number = core::ReadInt(ctx.settings, core::keys::ComNox);
    return {.device = devices::DeviceAt(ctx.state.SelectedDevice),
            .port = {.number = number,
                     .path = number >= 1 ? ctx.ports.Resolve(number) : QString(),
                     .saved = core::ReadInt(ctx.settings, core::keys::ComNox, 0) != 0}};
}

}  // namespace zendra::shell
