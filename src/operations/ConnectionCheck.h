#pragma once
// The connection check: the chain from the port to the chip in the socket, walked in order up to the
// first link that fails, each step with what it found and what to do. It reads the signature and nothing
// else of the chip: it never erases or writes. Both front ends render its steps.

#include <functional>

#include "link/SystemPort.h"
#include "operations/Report.h"

namespace zendra::operations {

enum class CheckStanding { Ok, Warn, Fail };

struct CheckStep {
    QString name;  // "port", "permission", "in-use", "latency", "writer", "line", "programming", "signature"
    CheckStanding standing = CheckStanding::Ok;
    QString detail;       // what was found
    QStringList advice;   // what to do; empty when nothing is to be done
    bool chipFault = false;  // a failure of the chip in the socket rather than of the port or the writer
};

struct ConnectionCheckSetup {
    QString path;                              // the port's device path
    const devices::Device* chosen = nullptr;   // the device the user chose; null: any catalogue chip will do
    int roundTrips = 200;                      // identification round trips that judge the line
    // The system's port and a USB adapter's latency timer, replaceable for tests.
    std::function<link::PortProbe(const QString&)> probe = link::ProbePort;
    std::function<std::optional<int>(const QString&)> latencyTimer = {};
};

// Runs the check on `env.port` (closed again at the end); the steps in order, the failed one last.
QList<CheckStep> RunConnectionCheck(Environment& env, const ConnectionCheckSetup& setup);

// The step that failed; null when none did.
const CheckStep* FailedStep(const QList<CheckStep>& steps);

}  // namespace zendra::operations
