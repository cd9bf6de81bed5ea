#include "devices/Catalogue.h"
#include "image/Dumps.h"
#include "link/Commands.h"
#include "operations/FlowSteps.h"
#include "operations/Texts.h"
#include "operations/UsedPart.h"

namespace zendra::operations {

namespace {

// The one device whose flash words go out with 'W'; the selector text decides.
const QString kTiny26Name = devices::DeviceTable()[devices::kATtiny26L].Name();

void WriteFlash(FlowRun& run) {
    auto& ctx = run.Link();
    auto& state = run.State();
    const auto& image = run.Images().ProgramImage;

    run.Ui().ShowMessage(core::kMessageProgress, text::kProgrammingFlash);
    link::EnterProgrammingMode(ctx, run.Error());
    link::SelectAddress(ctx, 0, run.Error());
    const bool tiny26 = run.Ui().DeviceSelectorText() == kTiny26Name;
    const qint32 count = state.ProgramWordCount;
    for (qint32 w = 0; w < count; ++w) {
        run.Progress(w, count - 1);
        const quint8 high = image[2 * w];
        const quint8 low = image[2 * w + 1];
        const auto outcome = tiny26 ? link::WriteProgramWordTiny26(ctx, high, low, run.Error())
                                    : link::WriteProgramWord(ctx, high, low, run.Error());
        // A writer that has stopped answering would cost a time-out per word; a wrong reply does not stop.
        if (outcome == link::Outcome::TimedOut) break;
    }
    link::LeaveProgrammingMode(ctx, run.Error());
}

void WriteEeprom(FlowRun& run) {
    auto& ctx = run.Link();
    const auto& image = run.Images().EepromImage;

    run.Ui().ShowMessage(core::kMessageProgress, text::kProgrammingEeprom);
    link::EnterProgrammingMode(ctx, run.Error());
    const qint32 bytes = EepromBytesOf(run.State().EepromBytes);
    for (qint32 a = 0; a < bytes; ++a) {
        run.Progress(a, bytes - 1);
        // The erased chip already holds 0xFF.
        if (image[a] == image::kErased) continue;
        if (link::SelectAddress(ctx, a, run.Error()) == link::Outcome::TimedOut) break;
        if (link::WriteDataByte(ctx, image[a], run.Error()) == link::Outcome::TimedOut) break;
    }
    link::LeaveProgrammingMode(ctx, run.Error());
}

}  // namespace

void RunProgram(FlowRun& run) {
    auto& ctx = run.Link();
    auto& state = run.State();
    const qint32 words = FlashWordsOf(state.ProgramMemoryWords);

    run.Progress(0, words - 1);
    run.Ui().ShowMessage(core::kMessageProgress, text::kProgrammingFlash);

    const qint32 last = RaiseZeroToOne(LastUsedWord(run.Images(), words));
    const qint32 lastEeprom = RaiseZeroToOne(LastUsedByte(run.Images(), state.EepromBytes));
    if (last == -1 && lastEeprom == -1) {
        run.Ui().ShowMessage(core::kMessageNotice, text::kAllMemoryBlank);
        run.Ui().SetStatusPanel(1, text::kAllMemoryBlank);
        return;
    }

    run.Error() = 0;
    state.ProgramWordCount = last + 1;
    state.EepromByteCount = lastEeprom + 1;

    link::CheckDevice(ctx);
    if (run.Failed()) {
        run.Ui().SetStatusPanel(1, text::kProgramAborted);
        link::ReportCommError(ctx);
        return;
    }

    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    WriteFlash(run);
    if (run.Failed()) {
        run.ReportPhaseFailure(text::kFlashProgramFailed);
    } else {
        image::RedrawProgramDump(run.Ui(), state, run.Images());
        run.ClosePhase();
    }

    // The EEPROM phase runs whatever the flash phase gave.
    run.Error() = 0;
    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    WriteEeprom(run);
    if (run.Failed()) {
        run.ReportPhaseFailure(text::kEepromProgramFailed);
    } else {
        image::RedrawEepromDump(run.Ui(), state, run.Images());
        run.ClosePhase();
    }

    RunVerify(run);
}

void ProgramDevice(OperationContext& ctx) {
    FlowRun run(ctx);
    RunProgram(run);
}

}  // namespace zendra::operations
