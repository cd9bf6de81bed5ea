#pragma once
// What an operation is given and what it gives back. Inputs are values (the catalogue row, the port to
// use, the images, the lock/fuse choices); the report says how it ended, phase by phase, with every verify
// difference, the figures and the texts the windows show, and what it changed of the program's state.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/UserInterface.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "devices/WriteSafety.h"
#include "image/MemoryImages.h"
#include "link/Link.h"

namespace zendra::operations {

// The saved port: its number ("ComNox", 1 when unset), the device path it resolves to, and whether a
// number was ever saved (nothing is sent anywhere before one was).
struct PortChoice {
    int number = 1;
    QString path;
    bool saved = false;
    QString name = {};  // the port as the command line was given it; empty: "COM" and the number
};

// What every chip operation works on: the selected catalogue row (null when the selection names none)
// and the port.
struct Target {
    const devices::Device* device = nullptr;
    PortChoice port;
};

// What an operation runs with: the port and clock, where its running account goes, what answers its
// questions, and the token that stops it between exchanges.
struct Environment {
    link::SerialPort& port;
    core::Timing& timing;
    core::Progress& progress;
    core::Prompts& prompts;
    const core::CancelToken* cancel = nullptr;
};

enum class Verdict {
    Succeeded,
    NothingToDo,  // both images blank: nothing was sent
    Mismatch,     // the chip differs from the images
    LinkFailed,   // no writer, refused firmware, a time-out, a wrong reply, the port failed
    ChipRefused,  // another device, a locked chip or an empty socket
    Cancelled,
};

enum class PhaseKind {
    Communication,
    DeviceCheck,
    Erase,
    ProgramFlash,
    ProgramEeprom,
    VerifyFlash,
    VerifyEeprom,
    ReadFlash,
    ReadEeprom,
    LockFuseRead,
    LockFuseWrite,
};

struct PhaseResult {
    PhaseKind phase;
    bool ok = false;
    QString text;  // the failure's text; empty when it went well
};

enum class Memory { Flash, Eeprom };

struct Difference {
    Memory memory;
    qint32 address;    // word for flash, byte for EEPROM
    quint16 expected;  // the image's value
    quint16 actual;    // the chip's
};

// What the differences of a verify say of their cause, tried in this order; `line` is an address bit (in
// words for flash, bytes for EEPROM), `bit` a data bit; `message` is the text with its advice.
enum class DiagnosisKind {
    Locked,
    NotProgrammed,
    AddressLine,
    DataLine,
    Scattered,
    NotErased,
    BitsNotProgrammed,
    Unexplained,
};

struct Diagnosis {
    DiagnosisKind kind = DiagnosisKind::Unexplained;
    std::optional<int> line = {};
    std::optional<int> bit = {};
    QString message = {};
    bool operator==(const Diagnosis&) const = default;
};

// One lock/fuse field a write changes: the choice the chip held (nullopt: its byte cannot be read), the
// choice written and what the change risks.
struct FieldChange {
    core::PanelControl control;
    std::optional<int> before;
    int after = 0;
    devices::ChangeClass change = devices::ChangeClass::Ordinary;
};

// The lock/fuse bytes as the chip's read commands name them; a byte a device has not, or that was not
// read, is nullopt. On the combined devices one byte holds the lock bits and the fuse bit: it stands in
// `lock` as read, and `fuse` and `lock` hold what its two write commands sent.
struct LockFuseBytes {
    std::optional<quint8> fuse, fuseHigh, lock;
    bool Empty() const { return !fuse && !fuseHigh && !lock; }
};

struct Figures {
    qint64 exchanges = 0;
    qint64 bytesOut = 0;
    qint64 bytesIn = 0;
    double seconds = 0;
};

struct Report {
    Verdict verdict = Verdict::LinkFailed;
    // 0 when the last steps that count went well, 1 when one failed, 2 when the firmware was refused.
    qint16 errorFlag = 0;
    QList<PhaseResult> phases;
    QList<Difference> differences;
    bool verifyCompared = false;  // a verify reached its comparison: its log belongs on disk
    std::optional<Diagnosis> diagnosis;  // a verify that differed, or met a locked chip: what that means
    Figures figures;

    // The texts as the windows are left with them: the status line, the message window (a notice with
    // OK, or closed when empty), the signature, the writer's identification and the elapsed seconds
    // (empty when the operation did not set them).
    QString status;
    QString notice;
    QString signature;
    QByteArray signatureBytes;  // part, family, vendor as the chip answered; empty when none came
    QString firmware;
    double firmwareVersion = 0;
    QString elapsed;
    QStringList warnings;  // said after the run, whatever its verdict

    // What the program's state takes from the run.
    std::optional<image::MemoryImages> images;  // a read: the images with what was read
    bool programDumpChanged = false;
    bool eepromDumpChanged = false;
    bool showVerifyLog = false;
    std::optional<int> lockChoice;               // a locked chip: the lock choice to offer
    std::optional<devices::PanelIndexes> panel;  // a lock/fuse read: the choices the chip holds
    std::optional<QString> calibration;
    std::optional<quint8> calibrationCopied;  // a program run: the calibration byte put into its images
    bool deviceSelectionRenewed = false;  // an erase: the panel returns to the device's defaults
    // A lock/fuse write: every field it changes, the bytes the chip held before (as read) and the bytes
    // written (nothing is read back); `lockFuseWritten` stays empty when nothing was sent.
    QList<FieldChange> changes;
    LockFuseBytes lockFuseBefore, lockFuseWritten;

    bool Succeeded() const { return verdict == Verdict::Succeeded; }
};

// Texts for the command line and the reports: "succeeded", "verify-flash", ...
QString VerdictName(Verdict verdict);
QString PhaseName(PhaseKind phase);
QString DiagnosisKindName(DiagnosisKind kind);  // "locked", "address-line", ...
// "fuse=D3 lock=FF": the bytes there are, in hexadecimal; empty when none.
QString LockFuseBytesText(const LockFuseBytes& bytes);

}  // namespace zendra::operations
