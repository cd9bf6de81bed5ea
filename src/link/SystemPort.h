#pragma once
// The serial port of this machine, for whoever must not see QSerialPort (the shell, the command line).

#include <QString>
#include <QStringList>
#include <memory>

#include "link/SerialPort.h"

namespace zendra::link {

std::unique_ptr<SerialPort> MakeSystemSerialPort();

// Why a port cannot be used, so that a front end can give its own advice.
enum class PortProblem { None, NoSuchPort, NoPermission, InUse, NotSerial, Other };

struct PortProbe {
    PortProblem problem = PortProblem::None;
    QString system;       // the system's own words ("Permission denied"); empty when the port opened
    QString group;        // the group the device belongs to ("dialout"), when known
    QStringList holders;  // the other programs that have the device open: "1234 minicom"
};

// Opens `path` as the writer's port opens it and closes it again at once: nothing is sent.
PortProbe ProbePort(const QString& path);

}  // namespace zendra::link
