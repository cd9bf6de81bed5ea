#pragma once
// What every writer command needs, handed down by reference: the port, time, the windows, the shared
// state, the settings store and the COM-port map. Owned by the application (or a test).

#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/Timing.h"
#include "core/UserInterface.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"

namespace zendra::link {

struct LinkContext {
    SerialPort& port;
    core::Timing& timing;
    core::UserInterface& ui;
    core::SharedState& state;
    core::SettingsStore& settings;
    PortMap& ports;
};

// The writer's line: 57600 baud, no parity, 8 data bits, 1 stop bit.
inline const QString kWriterLineSettings = QStringLiteral("57600,n,8,1");

// How one exchange ended. Routines also set the error argument to 1 on anything but Ok.
enum class Outcome { Ok, TimedOut, WrongReply };

}  // namespace zendra::link
