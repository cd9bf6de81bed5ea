#include "image/Dumps.h"
#include "link/Commands.h"
#include "operations/FlowSteps.h"
#include "operations/Texts.h"
#include "operations/UsedPart.h"

namespace zendra::operations {

namespace {

// False when a word read timed out: the read then ends at once, keeping the words read so far.
bool ReadFlash(FlowRun& run, qint32 words) {
    auto& ctx = run.Link();
    auto& image = run.Images().ProgramImage;
    link::SelectAddress(ctx, 0, run.Error());
    for (qint32 w = 0; w < words; ++w) {
        run.Progress(w, words - 1);
        quint8 high = 0;
        quint8 low = 0;
        if (link::ReadProgramWord(ctx, high, low, run.Error()) == link::Outcome::TimedOut) return false;
        image[2 * w] = high;
        image[2 * w + 1] = low;
    }
    return true;
}

void ReadEeprom(FlowRun& run, qint32 bytes) {
    auto& ctx = run.Link();
    auto& image = run.Images().EepromImage;
    for (qint32 a = 0; a < bytes; ++a) {
        run.Progress(a, bytes - 1);
        if (link::SelectAddress(ctx, a, run.Error()) == link::Outcome::TimedOut) return;
        quint8 data = 0;
        // A byte that was not read keeps what the image held, rather than a neighbour's value.
        if (link::ReadDataByte(ctx, data, run.Error()) == link::Outcome::TimedOut) return;
        image[a] = data;
    }
}

}  // namespace

void RunRead(FlowRun& run) {
    auto& ctx = run.Link();
    auto& state = run.State();
    const qint32 words = FlashWordsOf(state.ProgramMemoryWords);
    const qint32 bytes = EepromBytesOf(state.EepromBytes);

    run.Ui().ShowMessage(core::kMessageProgress, text::kReadingFlash);
    run.Error() = 0;
    link::CheckDevice(ctx);
    if (run.Failed()) {
        run.Ui().SetStatusPanel(1, text::kReadAborted);
        run.EndOnFailure();
        return;
    }

    run.Progress(0, words - 1);
    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    run.Ui().ShowMessage(core::kMessageProgress, text::kReadingFlash);
    link::EnterProgrammingMode(ctx, run.Error());
    if (run.Failed()) {
        link::ReportCommError(ctx);
        return;
    }
    if (!ReadFlash(run, words)) {
        // No 'L', no EEPROM phase, no dump refresh: the writer has stopped answering.
        run.EndOnFailure();
        return;
    }
    link::LeaveProgrammingMode(ctx, run.Error());
    const bool flashFailed = run.Failed();
    if (flashFailed) {
        run.ReportPhaseFailure(text::kFlashReadFailed);
    } else {
        image::RedrawProgramDump(run.Ui(), state, run.Images());
    }

    run.Error() = 0;
    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    run.Ui().ShowMessage(core::kMessageProgress, text::kReadingEeprom);
    link::EnterProgrammingMode(ctx, run.Error());
    ReadEeprom(run, bytes);
    link::LeaveProgrammingMode(ctx, run.Error());
    if (run.Failed()) {
        run.ReportPhaseFailure(text::kEepromReadFailed);
    } else {
        image::RedrawEepromDump(run.Ui(), state, run.Images());
        run.ClosePhase();
    }
    // The caller must not take a read with a failed flash phase for a good one.
    if (flashFailed) run.Error() = 1;
}

void RunErase(FlowRun& run) {
    auto& ctx = run.Link();
    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    run.Error() = 0;
    run.Ui().ShowMessage(core::kMessageProgress, text::kErasing);
    run.Ui().PumpEvents();
    link::EnterProgrammingMode(ctx, run.Error());
    link::ChipErase(ctx, run.Error());
    link::LeaveProgrammingMode(ctx, run.Error());
    if (run.Failed()) {
        run.ReportPhaseFailure(text::kEraseFailed);
        return;
    }
    // The images are not cleared by an erase; the EEPROM view is only redrawn.
    image::RedrawEepromDump(run.Ui(), run.State(), run.Images());
    run.ClosePhase();
}

void ReadDevice(OperationContext& ctx) {
    FlowRun run(ctx);
    RunRead(run);
}

void EraseDevice(OperationContext& ctx) {
    FlowRun run(ctx);
    RunErase(run);
}

}  // namespace zendra::operations
