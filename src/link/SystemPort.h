#pragma once
// The serial port of this machine, for whoever must not see QSerialPort (the shell, the command line).

#include <memory>

#include "link/SerialPort.h"

namespace zendra::link {

std::unique_ptr<SerialPort> MakeSystemSerialPort();

}  // namespace zendra::link
