#pragma once
// The chip operations. Each takes its inputs as values and returns a report; its running account goes to
// the environment's progress, and the firmware advisory to its prompts. The main window's commands chain
// the flows in their stated order; the flows also run alone (the program flow's verify, tests).

#include "operations/Report.h"
#include "production/Stamp.h"
#include "update/UpdateDisplay.h"

namespace zendra::operations {

class Run;

// --- The main window's commands ----------------------------------------------------------------------
// What a production run puts into a copy of the images before programming (the images themselves stay
// as they are): a serial number's bytes at their place, and the chip's own calibration byte, read after
// the device check and before the erase. Empty: the run is the plain program command, byte for byte.
struct ImageAdditions {
    std::optional<production::Place> stampAt;
    QByteArray stamp;
    std::optional<production::Place> calibrationAt;
};

// Program: communication check, device check, erase, program, verify; the elapsed seconds.
Report ProgramCommand(Environment& env, const Target& target, const image::MemoryImages& images,
                      const ImageAdditions& additions = {});
// Read: the whole chip into a copy of `current` (in the report), then its lock/fuse choices; the elapsed
// seconds.
Report ReadCommand(Environment& env, const Target& target, const image::MemoryImages& current,
                   const devices::PanelIndexes& panel);
// Verify: the whole memory against the images; `skipped` cells (a serial stamp's) are not compared.
Report VerifyCommand(Environment& env, const Target& target, const image::MemoryImages& images,
                     const QList<production::Cells>& skipped = {});
// Erase: also for chips that do not match or are locked; on success the device's panel is renewed.
Report EraseCommand(Environment& env, const Target& target);
// The communication check alone (the port dialog's OK).
Report CheckCommunicationCommand(Environment& env, const Target& target);
Report ReadLockFuseCommand(Environment& env, const Target& target, const devices::PanelIndexes& current);

// What a lock/fuse write does when the change holds a lock-out or a protection (an ordinary change is
// written in every case but the dry run): asks the prompts whether to write; refuses a lock-out (the
// chip is refused, protections are written with a warning); writes all with warnings; writes nothing.
enum class WritePolicy { Ask, RefuseLockOut, AllowLockOut, DryRun };

// Every lock/fuse write first reads the chip's bytes (the panel, the calibration and the notices stay
// as they are), checks the change and records both the bytes read and the bytes written in the report.
Report WriteLockFuseCommand(Environment& env, const Target& target, const devices::PanelIndexes& choices,
                            WritePolicy policy = WritePolicy::Ask);
// One named lock/fuse choice to change: the control and its new entry.
struct ChoiceChange {
    core::PanelControl control;
    int index;
};
// Changes only the named choices of what the chip holds, so nothing that was not named moves. The
// report's panel holds the choices written; its warnings say when the change turns the reset pin into an
// I/O pin.
Report ChangeLockFuseCommand(Environment& env, const Target& target, const QList<ChoiceChange>& changes,
                             WritePolicy policy = WritePolicy::RefuseLockOut);
// Writes recorded bytes back (decoded into the choices they stand for) through the same check.
Report RestoreLockFuseCommand(Environment& env, const Target& target, const LockFuseBytes& bytes,
                              WritePolicy policy);

// The check both front ends rely on. `before`: each choice the chip holds, nullopt where it could not be
// read. Every used field whose choice changes, classified.
using KnownChoices = std::array<std::optional<int>, core::kPanelControlCount>;
QList<FieldChange> CheckLockFuseChange(const devices::Device* device, const KnownChoices& before,
                                       const devices::PanelIndexes& after);
bool HoldsLockOut(const QList<FieldChange>& changes);
// The confirmation of a change that holds a lock-out or a protection, each field with what it risks.
bool ConfirmLockFuseChange(Environment& env, const devices::Device* device, const QList<FieldChange>& changes);
// The fields of one class, comma-separated.
QString ChangedFieldNames(const QList<FieldChange>& changes, devices::ChangeClass only);
// The panel's name of a choice ("PB5:I/O"); "?" for an unknown one.
QString ChoiceName(const devices::Device* device, core::PanelControl control, std::optional<int> index);
// The choices the bytes stand for, as far as they are known (a lock byte with LB2 alone brings none).
devices::FieldIndexes DecodeLockFuseBytes(const devices::Device* device, const LockFuseBytes& bytes);
// The bytes' fields that stand for no entry of the device's panel (a lock byte with LB2 alone included),
// so a file's byte is reported instead of guessed at.
QList<core::PanelControl> UnmatchedLockFuseFields(const devices::Device* device, const LockFuseBytes& bytes);
// A code file's bytes as the panel's choices: `base` with each field the bytes stand for replaced; a field
// in `unmatched` keeps `base`'s choice.
devices::PanelIndexes FileLockFuseChoices(const devices::Device* device, const LockFuseBytes& bytes,
                                          devices::PanelIndexes base, const QList<core::PanelControl>& unmatched);

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
void RunVerify(Run& run, const image::MemoryImages& images, bool wholeMemory,
               const QList<production::Cells>& skipped = {});
void RunRead(Run& run, const image::MemoryImages& current);
void RunErase(Run& run);
// The lock/fuse read with its own communication check, as its button runs it.
void RunReadLockFuse(Run& run, const devices::PanelIndexes& current);
// The calibration byte in its own programming-mode cycle; nullopt when the cycle failed.
std::optional<quint8> ReadCalibrationByte(Run& run);

// The text of the NG verdicts (status line and notice); empty when both memories matched.
QString NgVerdictText(bool flashNg, bool eepromNg);
// Status panel 5: whole seconds followed by "秒".
QString ElapsedText(long long seconds);

// --- The port dialog, the writer's base set and the firmware update ---------------------------------
// (PortFlows.cpp, UpdateFlow.cpp)

// How the port dialog stands: nothing confirmed (open, cancelled or closed), the chosen port refused to
// open, or it opened and was checked. Only an opened port clears the error flag, whatever its check found.
enum class PortOutcome { Unconfirmed, Refused, Opened };

struct PortReport {
    PortOutcome outcome = PortOutcome::Unconfirmed;
    // The error flag the dialog leaves: only an opened port counts as confirmed.
    qint16 ErrorFlag() const { return outcome == PortOutcome::Opened ? 0 : 1; }
    QString failureReason;  // Refused: why the system would not open it, when it said
    QString openedPath;     // Opened: the device the number led to
    Report check;           // Opened: the communication check's own report
};

// The port dialog's OK: opens `target.port` (number 0 is "????", which never opens) with the writer's
// line settings and runs the communication check on it.
PortReport OpenPortAndCheck(Environment& env, const Target& target);
// While the dialog is open, and after it was cancelled or closed.
PortReport PortUnconfirmed();

// After a cancelled run: ESC takes the writer back to its base command set, so the next operation, or
// another program, finds it as after power-up. The report carries the one text to show.
Report ReturnToBaseSet(Environment& env);

// The update dialog's commands: the main link they release, the dialog's own port, the clock, and where
// the transfer shows itself.
struct UpdateSession {
    link::SerialPort& mainPort;
    link::SerialPort& ownPort;
    core::Timing& timing;
    update::UpdateDisplay& display;
};

enum class UpdatePortOutcome { Opened, NoPortNumber, NotOpened };

struct UpdatePortReport {
    UpdatePortOutcome outcome = UpdatePortOutcome::NotOpened;
    QString status;  // the dialog's status panel; empty: unchanged
    QString box;     // an information box to show; empty: none
    QString reason;  // the system's reason when the port did not open
};

// Releases the main link and sets the dialog's own port up for `speedText`; then opens it on `path`, the
// device the chosen number leads to (nullopt: no number chosen; empty: it leads nowhere). When the own port
// is the main port itself (the command line's), there is no other link to release.
UpdatePortReport ConnectUpdatePort(UpdateSession& session, const std::optional<QString>& path,
                                   const QString& speedText);

struct VersionReport {
    std::optional<QString> version;  // the first 15 bytes of the writer's answer
    QString status;
    QString box;
};

// "?" on the opened own port.
VersionReport ReadWriterVersion(UpdateSession& session);
// Sends the update file on the opened own port; every outcome is shown on the session's display.
update::TransferResult UpdateWriterFirmware(UpdateSession& session, const QString& filePath);
// Closing the dialog: its own port closed; the main link, when closed, reopened on `mainPath` (empty:
// stays closed), with no writer detection.
void RestoreMainLink(UpdateSession& session, const QString& mainPath);

}  // namespace zendra::operations
