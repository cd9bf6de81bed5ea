#include "devices/LockFuse.h"
#include "link/Commands.h"
#include "operations/FlowSteps.h"
#include "operations/Texts.h"

namespace zendra::operations {

QString ElapsedText(long long seconds) { return QString::number(seconds) + text::kSecondsSuffix; }

namespace {

void ShowElapsed(FlowRun& run, core::Clock::time_point start) {
    run.Ui().SetStatusPanel(5, ElapsedText(core::WholeSecondsSince(run.Link().timing, start)));
}

}  // namespace

void ProgramCommand(OperationContext& ctx) {
    FlowRun run(ctx);
    auto& link = run.Link();
    run.Ui().SetStatusPanel(5, QString());
    const auto start = link.timing.Now();
    if (!link::CheckCommunication(link)) return;

    link::CheckDevice(link);
    if (run.State().DeviceMismatch) {
        run.EndOnFailure();
        return;
    }

    run.Error() = 0;
    RunErase(run);
    // Writing over a chip that was not erased would leave a mix of old and new bits.
    if (run.Failed()) {
        ShowElapsed(run, start);
        return;
    }
    run.State().VerifyWholeMemory = false;
    RunProgram(run);
    ShowElapsed(run, start);
}

void ReadCommand(OperationContext& ctx) {
    FlowRun run(ctx);
    auto& link = run.Link();
    run.Ui().SetStatusPanel(5, QString());
    const auto start = link.timing.Now();
    if (!link::CheckCommunication(link)) return;

    RunRead(run);
    if (!run.Failed()) {
        devices::FuseRead(link);
        if (!run.Failed()) run.Ui().SetStatusPanel(1, text::kReadCommandDone);
    }
    ShowElapsed(run, start);
}

void VerifyCommand(OperationContext& ctx) {
    FlowRun run(ctx);
    auto& link = run.Link();
    if (!link::CheckCommunication(link)) return;
    run.State().VerifyWholeMemory = true;
    RunVerify(run);
    run.Ui().SetStatusPanel(1, text::kVerifyCommandDone);
}

void EraseCommand(OperationContext& ctx, const std::function<void()>& applyDeviceSelection) {
    FlowRun run(ctx);
    auto& link = run.Link();
    if (!link::CheckCommunication(link)) return;

    // The erase also serves chips that do not match, or are locked: the signature only informs.
    link::ReadSignature(link, run.State().DetectedFlashWords, run.Error());
    run.Error() = 0;
    RunErase(run);
    if (run.Failed()) return;
    if (applyDeviceSelection) applyDeviceSelection();
    run.Ui().SetStatusPanel(1, text::kEraseCommandDone);
}

}  // namespace zendra::operations
