#pragma once
// Intel HEX code files (.hex/.rom, words stored low byte first) and EEPROM files (.eep).
// Readers load into a scratch image and hand it over only when every record is sound, so a rejected file
// changes nothing. Writers emit every 16-byte record of the in-use part, ascending, ASCII with CR LF,
// through QSaveFile so a failed save leaves the existing file as it was.

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/BoundedFile.h"
#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/MemoryImages.h"

namespace zendra::image {

enum class CodeRejection {
    None,
    Unreadable,       // the file could not be opened or read (`file` says why)
    NoStartMark,      // a non-empty line that does not start with ":"
    BadDigit,         // a character that is not a hex digit
    LengthMismatch,   // the line's length does not match its byte count
    BadChecksum,
    OutsideImage,     // data that would land outside the image
    ExtendedAddress,  // a 02/04 record with a non-zero base (only 16-bit addresses are supported)
    ElfDamaged,       // an ELF file cut short or with parts that do not hold together
    ElfNotAvr,        // an ELF file that is not a 32-bit little-endian AVR executable
    ElfOverlap,       // two flash segments of an ELF file cover the same byte
    SRecordNoStartMark,  // a non-empty line of an S-record file that does not start with "S"
    SRecordType,         // an S-record type that carries nothing this program can place (S4)
};

// The kinds of code file; Intel HEX is the one the EEPROM files (.eep) are written in.
enum class CodeFormat { IntelHex, Elf, SRecord, Binary };

// The lock/fuse bytes an ELF file's ".fuse" and ".lock" sections hold (avr-libc's FUSES and LOCKBITS):
// the low, high and extended fuse bytes in that order, and the lock byte.
struct FileFuses {
    std::optional<quint8> fuse, fuseHigh, fuseExtended, lock;
    bool Empty() const { return !fuse && !fuseHigh && !fuseExtended && !lock; }
};

struct CodeReadResult {
    CodeRejection rejection = CodeRejection::None;
    core::FileRefusal file = core::FileRefusal::None;  // why an Unreadable file was refused
    QString systemReason;                              // and the system's words for it, if any
    int line = 0;               // 1-based line that rejected the file (0 when the whole file failed)
    int bytesBeyondDevice = 0;  // data bytes at or above the selected device's in-use range
    int dataRecords = 0;        // data records read
    bool endRecord = false;     // an end record was read (a file may end without one)
    CodeFormat format = CodeFormat::IntelHex;  // the kind of file that was read
    FileFuses fuses;                           // an ELF file's lock/fuse bytes
    QString damagedPart;                       // the part of an ElfDamaged file that cannot be read
    bool Accepted() const { return rejection == CodeRejection::None; }
};

// Pure parsing into `image` (the caller passes a cleared one). On rejection `image` holds a partial load.
CodeReadResult ParseCodeHex(const QByteArray& text, ProgramArray& image, qint32 programMemoryWords);
CodeReadResult ParseEepromHex(const QByteArray& text, EepromArray& image, qint32 eepromBytes);

// Pure rendering of the in-use part, end record included.
QByteArray CodeHexText(const ProgramArray& image, qint32 programMemoryWords);
QByteArray EepromHexText(const EepromArray& image, qint32 eepromBytes);

// Read state.CodeFileName / state.EepFileName into the image, replacing it as a clear and a read would.
// The kind of file is taken from its contents (CodeFormats.h): an ELF file gives flash to the code
// reader and its ".eeprom" section to the EEPROM reader.
// A rejected file leaves the image as it was and shows the reader's error with the line number in
// status panel 1 and as a notice of the message window; the notice adds the file and the reason.
// Only a regular file of at most core::kMaxInputFileBytes is read.
CodeReadResult ReadCodeHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images);
CodeReadResult ReadEepromHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images);

// Write to state.SaveCodeFileName / state.SaveEepFileName (nothing to do, and true, when the name is
// empty), in the kind its name asks for (Intel HEX unless it names a binary or S-record file). A failure shows the critical box titled "ファイル保存" and returns false.
bool WriteCodeHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images);
bool WriteEepromHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images);

enum class SaveFailure { None, ReadOnly, Other };
// Replaces `path` with `bytes` as one step; what failed, if anything (and the system's words for it).
SaveFailure SaveFileContents(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// The text that says why a file was refused.
QString DescribeRejection(const CodeReadResult& result);

}  // namespace zendra::image
