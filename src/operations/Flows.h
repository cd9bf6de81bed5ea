#pragma once
// The chip operations. Each takes its inputs as values and returns a report; its running account goes to
// the environment's progress, and the firmware advisory to its prompts. The main window's commands chain
// the flows in their stated order; the flows also run alone (the program flow's verify, tests).

#include "operations/Report.h"

namespace zendra::operations {

class Run;

// --- The main window's commands ----------------------------------------------------------------------
// Program: communication check, device check, erase, program, verify; the elapsed seconds.
Report ProgramCommand(Environment& env, const Target& target, const image::MemoryImages& images);
// Read: the whole chip into a copy of `current` (in the report), then its lock/fuse choices; the elapsed
// seconds.
Report ReadCommand(Environment& env, const Target& target, const image::MemoryImages& current,
                   const devices::PanelIndexes& panel);
// Verify: the whole memory against the images.
Report VerifyCommand(Environment& env, const Target& target, const image::MemoryImages& images);
// Erase: also for chips that do not match or are locked; on success the device's panel is renewed.
Report EraseCommand(Environment& env, const Target& target);
// The communication check alone (the port dialog's OK).
Report CheckCommunicationCommand(Environment& env, const Target& target);
Report ReadLockFuseCommand(Environment& env, const Target& target, const devices::PanelIndexes& current);
Report WriteLockFuseCommand(Environment& env, const Target& target, const devices::PanelIndexes& choices);
// One named lock/fuse choice to change: the control and its new entry.
struct ChoiceChange {
    core::PanelControl control;
    int index;
};
// Reads what the chip holds, changes only the named choices and writes the result, so nothing that was
// not named moves. The report's panel holds the choices written; its warnings say when the change turns
// the reset pin into an I/O pin.
Report ChangeLockFuseCommand(Environment& env, const Target& target, const QList<ChoiceChange>& changes);


// --- The flows alone, without the communication check ------------------------------------------------
Report ProgramDevice(Environment& env, const Target& target, const image::MemoryImages& images);
Report VerifyDevice(Environment& env, const Target& target, const image::MemoryImages& images,
                    bool wholeMemory);
Report ReadDevice(Environment& env, const Target& target, const image::MemoryImages& current);
Report EraseDevice(Environment& env, const Target& target);

// The flows' bodies over one run, so a command and the flows it chains share one account.
// Both images blank: the notice that all memory is erased, and true; nothing is sent.
bool RefuseBlankImages(Run& run, const image::MemoryImages& images);
void RunProgram(Run& run, const image::MemoryImages& images);
// `wholeMemory`: every word and byte of the device after a device check; else the images' used part.
void RunVerify(Run& run, const image::MemoryImages& images, bool wholeMemory);
void RunRead(Run& run, const image::MemoryImages& current);
void RunErase(Run& run);
// The lock/fuse read with its own communication check, as its button runs it.
void RunReadLockFuse(Run& run, const devices::PanelIndexes& current);

// The text of the NG verdicts (status line and notice); empty when both memories matched.
QString NgVerdictText(bool flashNg, bool eepromNg);
// Status panel 5: whole seconds followed by "秒".
QString ElapsedText(long long seconds);

}  // namespace zendra::operations
