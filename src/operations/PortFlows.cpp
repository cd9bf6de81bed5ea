// The port dialog's OK and the way back to the writer's base command set after a cancel.

#include "link/Commands.h"
#include "link/LinkTexts.h"
#include "operations/Flows.h"
#include "operations/Run.h"

namespace zendra::operations {

PortReport OpenPortAndCheck(Environment& env, const Target& target) {
    link::SerialPort& port = env.port;
    if (port.IsOpen()) port.Close();
    PortReport report;
    const int number = target.port.number;
    if (number < 1 || !link::OpenWriterPort(port, target.port.path)) {
        // The open may have got as far as the device before a setting failed.
        const bool tried = number >= 1;
        if (port.IsOpen()) port.Close();
        report.outcome = PortOutcome::Refused;
        if (tried) report.failureReason = port.OpenFailureReason();
        return report;
    }
    env.progress.Status(core::StatusField::Port, link::texts::kPortPanelPrefix + QString::number(number));
    // Read before the check, which closes the port again when the writer does not answer.
    report.openedPath = port.PortPath();
    report.outcome = PortOutcome::Opened;
    // The check reports its own outcome; the port counts as confirmed once it opened.
    report.check = CheckCommunicationCommand(env, target);
    return report;
}

PortReport PortUnconfirmed() { return {}; }

Report ReturnToBaseSet(Environment& env) {
    // The run was cancelled through its token: this one byte goes out regardless of it.
    Environment uncancelled{env.port, env.timing, env.progress, env.prompts, nullptr};
    Run run(uncancelled, {});
    link::ExitAvrCommandSet(run.Link());
    run.Settle(Run::Standing::Failed);  // a cancelled run confirms nothing
    Report report = run.Finish();
    report.verdict = Verdict::Cancelled;
    report.status = link::texts::kCancelled;
    report.notice = link::texts::kCancelled;
    return report;
}

}  // namespace zendra::operations
