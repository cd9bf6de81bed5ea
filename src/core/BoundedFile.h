#pragma once
// Reading a file the user named, safely: only a regular file is opened (a FIFO, a device or a folder is
// refused before any open, so nothing blocks or streams forever), and at most a cap of bytes is read.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace zendra::core {

// Input files (HEX, EEPROM, firmware) are a few hundred kilobytes at most; far larger is the wrong file.
inline constexpr qint64 kMaxInputFileBytes = 4 * 1024 * 1024;

enum class FileRefusal {
    None,
    Missing,     // nothing at the path
    NotRegular,  // a folder, FIFO, device or socket
    TooLarge,    // more than the cap
    Unreadable,  // exists but could not be opened or read (the system's reason in `systemReason`)
};

struct BoundedRead {
    QByteArray bytes;
    FileRefusal refusal = FileRefusal::None;
    QString systemReason;  // the system's text when the refusal came from a failed call
    bool Ok() const { return refusal == FileRefusal::None; }
};

BoundedRead ReadBoundedFile(const QString& path, qint64 cap = kMaxInputFileBytes);

// The SHA-256 of a file's bytes, lower-case hex: the one digest the records, the setups and the chip log name.
QString Sha256Hex(const QByteArray& bytes);
// The SHA-256 of a file read as every input is; empty when it cannot be read.
QString FileSha256(const QString& path);

}  // namespace zendra::core
