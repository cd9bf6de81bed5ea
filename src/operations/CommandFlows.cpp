#include "core/Language.h"
#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"
#include "operations/Run.h"

namespace zendra::operations {

QString ElapsedText(long long seconds) {
    return core::JoinTexts({QString::number(seconds), texts::kSecondsSuffix});
}

namespace {

void ShowElapsed(Run& run) {
    run.Show(core::StatusField::Elapsed,
             ElapsedText(core::WholeSecondsSince(run.Link().timing, run.Started())));
}

}  // namespace

Report ProgramCommand(Environment& env, const Target& target, const image::MemoryImages& given,
                      const ImageAdditions& additions) {
    Run run(env, target);
    image::MemoryImages images = given;
    if (additions.stampAt) production::Put(images, *additions.stampAt, additions.stamp);
    run.Show(core::StatusField::Elapsed, QString());
    // Images with nothing to program are refused before the erase: a failed build must not wipe the chip.
    if (RefuseBlankImages(run, images)) return run.Finish();
    if (!CheckCommunication(run)) return run.Finish();

    if (!CheckDevice(run)) {
        run.EndOnFailure();
        return run.Finish();
    }

    run.Settle(Run::Standing::Good);
    if (additions.calibrationAt) {
        // The erase is the last moment the chip's own byte can be taken over.
        const std::optional<quint8> calibration = ReadCalibrationByte(run);
        if (!calibration) {
            run.Status(texts::kProgramAborted);
            run.EndOnFailure();
            return run.Finish();
        }
        run.Result().calibrationCopied = calibration;
        production::Put(images, *additions.calibrationAt, QByteArray(1, char(*calibration)));
        run.Settle(Run::Standing::Good);
    }
    RunErase(run);
    // Writing over a chip that was not erased would leave a mix of old and new bits.
    if (!run.Failed()) RunProgram(run, images);
    ShowElapsed(run);
    return run.Finish();
}

Report ReadCommand(Environment& env, const Target& target, const image::MemoryImages& current,
                   const devices::PanelIndexes& panel) {
    Run run(env, target);
    run.Show(core::StatusField::Elapsed, QString());
    if (!CheckCommunication(run)) return run.Finish();

    RunRead(run, current);
    if (!run.Failed()) {
        RunReadLockFuse(run, panel);
        if (!run.Failed()) run.Status(texts::kReadCommandDone);
    }
    ShowElapsed(run);
    return run.Finish();
}

Report VerifyCommand(Environment& env, const Target& target, const image::MemoryImages& images,
                     const QList<production::Cells>& skipped) {
    Run run(env, target);
    if (!CheckCommunication(run)) return run.Finish();
    RunVerify(run, images, true, skipped);
    run.Status(texts::kVerifyCommandDone);
    return run.Finish();
}

Report EraseCommand(Environment& env, const Target& target) {
    Run run(env, target);
    if (!CheckCommunication(run)) return run.Finish();

    // The erase also serves chips that do not match, or are locked: the signature only informs.
    ReadSignatureAndJudge(run);
    run.Settle(Run::Standing::Good);
    run.AcceptChip();
    RunErase(run);
    if (run.Failed()) return run.Finish();
    run.Result().deviceSelectionRenewed = true;
    run.Status(texts::kEraseCommandDone);
    return run.Finish();
}

Report CheckCommunicationCommand(Environment& env, const Target& target) {
    Run run(env, target);
    CheckCommunication(run);
    return run.Finish();
}

}  // namespace zendra::operations
