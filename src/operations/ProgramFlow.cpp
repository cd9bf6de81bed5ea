#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"
#include "operations/UsedPart.h"

namespace zendra::operations {

namespace {

void WriteFlash(Run& run, const image::MemoryImages& images, qint32 count) {
    auto& session = run.Link();
    const auto& image = images.ProgramImage;
    const devices::WordWrite kind = run.Device() ? run.Device()->wordWrite : devices::WordWrite::LowHigh;

    run.Phase(texts::kProgrammingFlash);
    // A writer that did not answer these would take the next word's acknowledgment for a late reply of
    // theirs: no word goes out after a silent or late writer.
    const bool started = !run.Do(link::EnterProgrammingMode(session)).Ends() &&
                         !run.Do(link::SelectAddress(session, 0)).Ends();
    for (qint32 w = 0; started && w < count; ++w) {
        run.Step(w, count - 1);
        // A writer that has stopped answering would cost a time-out per word; a wrong reply does not stop.
        if (run.Do(link::WriteProgramWord(session, kind, image[2 * w], image[2 * w + 1])).Ends()) break;
    }
    run.Do(link::LeaveProgrammingMode(session));
}

void WriteEeprom(Run& run, const image::MemoryImages& images) {
    auto& session = run.Link();
    const auto& image = images.EepromImage;

    run.Phase(texts::kProgrammingEeprom);
    const bool started = !run.Do(link::EnterProgrammingMode(session)).Ends();
    const qint32 bytes = run.EepromBytes();
    for (qint32 a = 0; started && a < bytes; ++a) {
        run.Step(a, bytes - 1);
        // The erased chip already holds 0xFF.
        if (image[a] == image::kErased) continue;
        if (run.Do(link::SelectAddress(session, a)).Ends()) break;
        if (run.Do(link::WriteDataByte(session, image[a])).Ends()) break;
    }
    run.Do(link::LeaveProgrammingMode(session));
}

// Writes one memory in its own programming cycle; false when the cycle could not even start.
template <typename Write>
bool ProgramPhase(Run& run, PhaseKind phase, const QString& failure, Write write, bool& dumpChanged) {
    run.Settle(Run::Standing::Good);
    run.BeginPhase(phase);
    run.Do(link::EnterAvrCommandSet(run.Link()));
    if (run.Failed()) {
        run.AddPhase(phase, false, run.Result().status);
        run.EndOnFailure();
        return false;
    }
    write();
    run.AddPhase(phase, !run.Failed(), failure);
    if (run.Failed()) {
        run.ReportPhaseFailure(failure);
    } else {
        dumpChanged = true;
        run.ClosePhase();
    }
    return true;
}

}  // namespace

bool RefuseBlankImages(Run& run, const image::MemoryImages& images) {
    if (LastUsedWord(images, run.FlashWords()) != -1 || LastUsedByte(images, run.EepromBytes()) != -1) return false;
    run.Notice(texts::kAllMemoryBlank);
    run.Status(texts::kAllMemoryBlank);
    run.NothingToDo();
    return true;
}

void RunProgram(Run& run, const image::MemoryImages& images) {
    const qint32 words = run.FlashWords();

    run.Step(0, words - 1);
    run.Phase(texts::kProgrammingFlash);

    if (RefuseBlankImages(run, images)) return;
    const qint32 last = RaiseZeroToOne(LastUsedWord(images, words));

    run.Settle(Run::Standing::Good);
    if (!CheckDevice(run)) {
        run.Status(texts::kProgramAborted);
        ReportCommError(run);
        return;
    }

    Report& report = run.Result();
    if (!ProgramPhase(
            run, PhaseKind::ProgramFlash, texts::kFlashProgramFailed,
            [&] { WriteFlash(run, images, last + 1); }, report.programDumpChanged))
        return;
    // The EEPROM phase runs whatever the flash phase gave.
    if (!ProgramPhase(
            run, PhaseKind::ProgramEeprom, texts::kEepromProgramFailed, [&] { WriteEeprom(run, images); },
            report.eepromDumpChanged))
        return;

    RunVerify(run, images, false);
}

Report ProgramDevice(Environment& env, const Target& target, const image::MemoryImages& images) {
    Run run(env, target);
    RunProgram(run, images);
    return run.Finish();
}

}  // namespace zendra::operations
