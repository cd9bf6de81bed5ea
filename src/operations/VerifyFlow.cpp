#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Diagnosis.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"
#include "operations/UsedPart.h"

namespace zendra::operations {

namespace {

// Flash words read back and compared; true when any differed.
bool CompareFlash(Run& run, const image::MemoryImages& images, qint32 count,
                  const QList<production::Cells>& skipped) {
    const auto& image = images.ProgramImage;
    bool ng = false;
    for (qint32 w = 0; w < count; ++w) {
        run.Step(w, count - 1);
        // A word that was not read is not compared: the failure itself is reported after the loop.
        const link::CommandResult read = run.Do(link::ReadProgramWord(run.Link()));
        if (read.Ends()) break;
        // A skipped byte is taken as the chip holds it; the high byte is the chip's odd address.
        const auto high = AnyCovers(skipped, production::Area::Flash, 2 * w + 1) ? read.Byte(0) : image[2 * w];
        const auto low = AnyCovers(skipped, production::Area::Flash, 2 * w) ? read.Byte(1) : image[2 * w + 1];
        const auto original = static_cast<quint16>(high << 8 | low);
        const auto chip = static_cast<quint16>(read.Byte(0) << 8 | read.Byte(1));
        if (original != chip) {
            run.Result().differences.append({Memory::Flash, w, original, chip});
            ng = true;
        }
    }
    return ng;
}

bool CompareEeprom(Run& run, const image::MemoryImages& images, qint32 count,
                   const QList<production::Cells>& skipped) {
    const auto& image = images.EepromImage;
    bool ng = false;
    for (qint32 a = 0; a < count; ++a) {
        run.Step(a, count - 1);
        if (run.Do(link::SelectAddress(run.Link(), a)).Ends()) break;
        const link::CommandResult read = run.Do(link::ReadDataByte(run.Link()));
        if (read.Ends()) break;
        if (image[a] != read.Byte(0) && !AnyCovers(skipped, production::Area::Eeprom, a)) {
            run.Result().differences.append({Memory::Eeprom, a, image[a], read.Byte(0)});
            ng = true;
        }
    }
    return ng;
}

void ShowVerdict(Run& run, bool flashNg, bool eepromNg) {
    run.NoteVerify(flashNg, eepromNg);
    if (!flashNg && !eepromNg) {
        run.Status(texts::kVerdictAllOkStatus);
        // The notice only flashes up; the status bar keeps the result.
        run.Notice(texts::kVerdictAllOk);
        run.CloseMessage();
        return;
    }
    run.Result().showVerifyLog = true;
    const QString verdict = NgVerdictText(flashNg, eepromNg);
    run.Status(verdict);
    run.Notice(verdict);
}

}  // namespace

QString NgVerdictText(bool flashNg, bool eepromNg) {
    if (flashNg && eepromNg) return texts::kVerdictBothNg;
    if (flashNg) return texts::kVerdictFlashNg;
    if (eepromNg) return texts::kVerdictEepromNg;
    return {};
}

void RunVerify(Run& run, const image::MemoryImages& images, bool wholeMemory,
               const QList<production::Cells>& skipped) {
    auto& session = run.Link();
    const qint32 words = run.FlashWords();
    const qint32 bytes = run.EepromBytes();

    run.Step(0, words - 1);
    run.Phase(texts::kVerifyingFlash);
    run.Settle(Run::Standing::Good);

    qint32 flashCount = words;
    if (wholeMemory) {
        if (!CheckDevice(run)) {
            // A locked chip is refused before anything is compared: still a failed verify to explain.
            run.Result().diagnosis = DiagnoseVerify(images, {}, {}, run.Result().signatureBytes);
            run.Status(texts::kVerifyAborted);
            run.EndOnFailure();
            return;
        }
    } else {
        flashCount = CompareCount(LastUsedWord(images, words));
    }

    run.BeginPhase(PhaseKind::VerifyFlash);
    run.Do(link::EnterAvrCommandSet(session));
    if (run.Failed()) {
        run.AddPhase(PhaseKind::VerifyFlash, false, run.Result().status);
        run.EndOnFailure();
        return;
    }

    run.Settle(Run::Standing::Good);
    run.Phase(texts::kVerifyingFlash);
    // No word is read after a writer that did not answer these (its late reply would be taken for a word).
    const bool started = !run.Do(link::EnterProgrammingMode(session)).Ends() &&
                         !run.Do(link::SelectAddress(session, 0)).Ends();

    run.Result().verifyCompared = true;
    const bool flashNg = started && CompareFlash(run, images, flashCount, skipped);
    run.Do(link::LeaveProgrammingMode(session));
    run.AddPhase(PhaseKind::VerifyFlash, !run.Failed(), texts::kFlashVerifyFailed);
    if (run.Failed()) run.ReportPhaseFailure(texts::kFlashVerifyFailed);

    // A failed flash phase also ends the verify here: no EEPROM phase and no verdict.
    run.Do(link::EnterAvrCommandSet(session));
    if (run.Failed()) {
        run.EndOnFailure();
        return;
    }

    run.Settle(Run::Standing::Good);
    run.BeginPhase(PhaseKind::VerifyEeprom);
    run.Phase(texts::kVerifyingEeprom);
    const bool eepromStarted = !run.Do(link::EnterProgrammingMode(session)).Ends();
    const qint32 eepromCount = wholeMemory ? bytes : CompareCount(LastUsedByte(images, bytes));
    const bool eepromNg = eepromStarted && CompareEeprom(run, images, eepromCount, skipped);
    run.Do(link::LeaveProgrammingMode(session));
    run.AddPhase(PhaseKind::VerifyEeprom, !run.Failed(), texts::kVerifyCommError);
    if (run.Failed()) {
        run.ReportPhaseFailure(texts::kVerifyCommError);
        return;
    }

    ShowVerdict(run, flashNg, eepromNg);
    run.Result().diagnosis =
        DiagnoseVerify(images, run.Result().differences, {flashCount, eepromCount}, run.Result().signatureBytes);
}

Report VerifyDevice(Environment& env, const Target& target, const image::MemoryImages& images,
                    bool wholeMemory) {
    Run run(env, target);
    RunVerify(run, images, wholeMemory);
    return run.Finish();
}

}  // namespace zendra::operations
