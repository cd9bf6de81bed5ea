#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"

namespace zendra::operations {

namespace {

// False when a word read timed out: the read then ends at once, keeping the words read so far.
bool ReadFlash(Run& run, image::ProgramArray& image, qint32 words) {
    if (run.Do(link::SelectAddress(run.Link(), 0)).Ends()) return false;
    for (qint32 w = 0; w < words; ++w) {
        run.Step(w, words - 1);
        const link::CommandResult read = run.Do(link::ReadProgramWord(run.Link()));
        if (read.Ends()) return false;
        image[2 * w] = read.Byte(0);
        image[2 * w + 1] = read.Byte(1);
    }
    return true;
}

void ReadEeprom(Run& run, image::EepromArray& image, qint32 bytes) {
    for (qint32 a = 0; a < bytes; ++a) {
        run.Step(a, bytes - 1);
        if (run.Do(link::SelectAddress(run.Link(), a)).Ends()) return;
        // A byte that was not read keeps what the image held, rather than a neighbour's value.
        const link::CommandResult read = run.Do(link::ReadDataByte(run.Link()));
        if (read.Ends()) return;
        image[a] = read.Byte(0);
    }
}

}  // namespace

void RunRead(Run& run, const image::MemoryImages& current) {
    auto& session = run.Link();
    const qint32 words = run.FlashWords();
    const qint32 bytes = run.EepromBytes();
    Report& report = run.Result();
    image::MemoryImages& images = report.images.emplace(current);

    run.BeginPhase(PhaseKind::ReadFlash);
    run.Phase(texts::kReadingFlash);
    run.Settle(Run::Standing::Good);
    if (!CheckDevice(run)) {
        run.Status(texts::kReadAborted);
        run.EndOnFailure();
        return;
    }

    run.Step(0, words - 1);
    run.Do(link::EnterAvrCommandSet(session));
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    run.Phase(texts::kReadingFlash);
    run.Do(link::EnterProgrammingMode(session));
    if (run.Failed()) {
        run.AddPhase(PhaseKind::ReadFlash, false, report.status);
        ReportCommError(run);
        return;
    }
    if (!ReadFlash(run, images.ProgramImage, words)) {
        // No 'L', no EEPROM phase, no dump refresh: the writer has stopped answering.
        run.AddPhase(PhaseKind::ReadFlash, false, report.status);
        run.EndOnFailure();
        return;
    }
    run.Do(link::LeaveProgrammingMode(session));
    const bool flashFailed = run.Failed();
    run.AddPhase(PhaseKind::ReadFlash, !flashFailed, texts::kFlashReadFailed);
    if (flashFailed) {
        run.ReportPhaseFailure(texts::kFlashReadFailed);
    } else {
        report.programDumpChanged = true;
    }

    run.Settle(Run::Standing::Good);
    run.Do(link::EnterAvrCommandSet(session));
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }
    run.BeginPhase(PhaseKind::ReadEeprom);
    run.Phase(texts::kReadingEeprom);
    if (!run.Do(link::EnterProgrammingMode(session)).Ends()) ReadEeprom(run, images.EepromImage, bytes);
    run.Do(link::LeaveProgrammingMode(session));
    run.AddPhase(PhaseKind::ReadEeprom, !run.Failed(), texts::kEepromReadFailed);
    if (run.Failed()) {
        run.ReportPhaseFailure(texts::kEepromReadFailed);
    } else {
        report.eepromDumpChanged = true;
        run.ClosePhase();
    }
    // The caller must not take a read with a failed flash phase for a good one.
    if (flashFailed) run.Settle(Run::Standing::Failed);
}

void RunErase(Run& run) {
    auto& session = run.Link();
    run.BeginPhase(PhaseKind::Erase);
    run.Do(link::EnterAvrCommandSet(session));
    if (run.Failed()) {
        run.AddPhase(PhaseKind::Erase, false, run.Result().status);
        run.EndOnFailure();
        return;
    }
    run.Settle(Run::Standing::Good);
    run.Phase(texts::kErasing);
    run.Do(link::EnterProgrammingMode(session));
    run.Do(link::ChipErase(session));
    run.Do(link::LeaveProgrammingMode(session));
    run.AddPhase(PhaseKind::Erase, !run.Failed(), texts::kEraseFailed);
    if (run.Failed()) {
        run.ReportPhaseFailure(texts::kEraseFailed);
        return;
    }
    // The images are not cleared by an erase; the EEPROM view is only redrawn.
    run.Result().eepromDumpChanged = true;
    run.ClosePhase();
}

Report ReadDevice(Environment& env, const Target& target, const image::MemoryImages& current) {
    Run run(env, target);
    RunRead(run, current);
    return run.Finish();
}

Report EraseDevice(Environment& env, const Target& target) {
    Run run(env, target);
    RunErase(run);
    return run.Finish();
}

}  // namespace zendra::operations
