#include "operations/StampCells.h"

#include "link/Commands.h"
#include "operations/Checks.h"
#include "operations/Run.h"

namespace zendra::operations {

namespace {

// One byte of the chip at its byte address; nullopt when the writer did not bring it.
std::optional<quint8> ReadCell(Run& run, const production::Place& at, qint32 address) {
    link::Session& session = run.Link();
    if (at.area == production::Area::Eeprom) {
        if (run.Do(link::SelectAddress(session, address)).Ends()) return std::nullopt;
        const link::CommandResult read = run.Do(link::ReadDataByte(session));
        if (!read.Ok()) return std::nullopt;
        return read.Byte(0);
    }
    if (run.Do(link::SelectAddress(session, address / 2)).Ends()) return std::nullopt;
    const link::CommandResult read = run.Do(link::ReadProgramWord(session));
    if (!read.Ok()) return std::nullopt;
    // The word comes high byte first; an even byte address is the word's low byte.
    return read.Byte(address % 2 ? 0 : 1);
}

}  // namespace

Report ReadStampCells(Environment& env, const Target& target, const production::Place& at, int width,
                      QByteArray& bytes) {
    Run run(env, target);
    bytes.clear();
    if (!CheckCommunication(run)) return run.Finish();
    if (!CheckDevice(run)) {
        run.EndOnFailure();
        return run.Finish();
    }
    run.Settle(Run::Standing::Good);
    link::Session& session = run.Link();
    run.Do(link::EnterAvrCommandSet(session));
    if (!run.Failed()) {
        QByteArray read;
        const bool entered = !run.Do(link::EnterProgrammingMode(session)).Ends();
        for (int i = 0; entered && i < width; ++i) {
            const std::optional<quint8> cell = ReadCell(run, at, at.address + i);
            if (!cell) break;
            read.append(char(*cell));
        }
        run.Do(link::LeaveProgrammingMode(session));
        // Only a whole, cleanly read stamp is taken: a byte missed could make another chip's number.
        if (!run.Failed() && read.size() == width) bytes = read;
    }
    link::ExitAvrCommandSet(session);
    if (run.Failed()) run.EndOnFailure();
    return run.Finish();
}

}  // namespace zendra::operations
