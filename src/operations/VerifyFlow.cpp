#include "image/Dumps.h"
#include "link/Commands.h"
#include "operations/FlowSteps.h"
#include "operations/Texts.h"
#include "operations/UsedPart.h"
#include "operations/VerifyLog.h"

namespace zendra::operations {

namespace {

// Flash words read back and compared; true when any differed.
bool CompareFlash(FlowRun& run, VerifyLog& log) {
    auto& ctx = run.Link();
    const auto& image = run.Images().ProgramImage;
    const qint32 count = run.State().ProgramWordCount;
    bool ng = false;
    for (qint32 w = 0; w < count; ++w) {
        run.Progress(w, count - 1);
        quint8 high = 0;
        quint8 low = 0;
        // A word that was not read is not compared: the failure itself is reported after the loop.
        if (link::ReadProgramWord(ctx, high, low, run.Error()) == link::Outcome::TimedOut) break;
        if (image[2 * w] != high || image[2 * w + 1] != low) {
            const quint16 original = static_cast<quint16>(image[2 * w] << 8 | image[2 * w + 1]);
            const quint16 read = static_cast<quint16>(high << 8 | low);
            log.AddLine(ProgramDifferenceLine(w, original, read));
            ng = true;
        }
    }
    return ng;
}

bool CompareEeprom(FlowRun& run, VerifyLog& log) {
    auto& ctx = run.Link();
    const auto& image = run.Images().EepromImage;
    const qint32 count = run.State().EepromByteCount;
    bool ng = false;
    for (qint32 a = 0; a < count; ++a) {
        run.Progress(a, count - 1);
        if (link::SelectAddress(ctx, a, run.Error()) == link::Outcome::TimedOut) break;
        quint8 data = 0;
        if (link::ReadDataByte(ctx, data, run.Error()) == link::Outcome::TimedOut) break;
        if (image[a] != data) {
            log.AddLine(EepromDifferenceLine(a, image[a], data));
            ng = true;
        }
    }
    return ng;
}

void ShowVerdict(FlowRun& run, bool flashNg, bool eepromNg, const QString& logPath) {
    auto& ui = run.Ui();
    if (!flashNg && !eepromNg) {
        ui.SetStatusPanel(1, text::kVerdictAllOkStatus);
        // The notice only flashes up; the status bar keeps the result.
        ui.ShowMessage(core::kMessageNotice, text::kVerdictAllOk);
        ui.PumpEvents();
        ui.CloseMessage();
        return;
    }
    ui.LoadDumpView(core::DumpWindow::Verify, logPath);
    ui.ShowVerifyWindow();
    const QString verdict = NgVerdictText(flashNg, eepromNg);
    ui.SetStatusPanel(1, verdict);
    ui.ShowMessage(core::kMessageNotice, verdict);
}

}  // namespace

void RunVerify(FlowRun& run) {
    auto& ctx = run.Link();
    auto& state = run.State();
    const qint32 words = FlashWordsOf(state.ProgramMemoryWords);
    const qint32 bytes = EepromBytesOf(state.EepromBytes);

    run.Progress(0, words - 1);
    run.Ui().ShowMessage(core::kMessageProgress, text::kVerifyingFlash);
    run.Error() = 0;

    if (state.VerifyWholeMemory) {
        link::CheckDevice(ctx);
        if (run.Failed()) {
            run.Ui().SetStatusPanel(1, text::kVerifyAborted);
            run.EndOnFailure();
            return;
        }
        state.ProgramWordCount = words;
    } else {
        state.ProgramWordCount = CompareCount(LastUsedWord(run.Images(), words));
    }

    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }

    run.Error() = 0;
    run.Ui().ShowMessage(core::kMessageProgress, text::kVerifyingFlash);
    link::EnterProgrammingMode(ctx, run.Error());
    link::SelectAddress(ctx, 0, run.Error());

    const QString logPath = image::ScratchPath(state, image::kVerifyLogFile);
    VerifyLog log(logPath);
    const bool flashNg = CompareFlash(run, log);
    link::LeaveProgrammingMode(ctx, run.Error());
    if (run.Failed()) run.ReportPhaseFailure(text::kFlashVerifyFailed);

    // A failed flash phase also ends the verify here: no EEPROM phase and no verdict.
    link::EnterAvrCommandSet(ctx, run.Error());
    if (run.Failed()) {
        log.Close();
        run.EndOnFailure();
        return;
    }

    run.Error() = 0;
    run.Ui().ShowMessage(core::kMessageProgress, text::kVerifyingEeprom);
    link::EnterProgrammingMode(ctx, run.Error());
    log.StartEepromSection();
    state.EepromByteCount = state.VerifyWholeMemory ? bytes : CompareCount(LastUsedByte(run.Images(), bytes));
    const bool eepromNg = CompareEeprom(run, log);
    log.Close();
    link::LeaveProgrammingMode(ctx, run.Error());
    if (run.Failed()) {
        run.ReportPhaseFailure(text::kVerifyCommError);
        return;
    }

    ShowVerdict(run, flashNg, eepromNg, logPath);
}

void VerifyDevice(OperationContext& ctx) {
    FlowRun run(ctx);
    RunVerify(run);
}

}  // namespace zendra::operations
