#pragma once
// The other files a toolchain leaves besides Intel HEX: the ELF executable avr-gcc links (read with
// libelf: flash from its loadable segments, the EEPROM and the lock/fuse bytes from their sections),
// Motorola S-records (byte addresses, read and written) and raw binary images from address 0.
// Every reader fills the image it is given and reports as the HEX readers do; the caller passes a
// scratch image and takes it only when the file was accepted.

#include <QByteArray>
#include <QString>

#include "image/IntelHex.h"

namespace zendra::image {

// The kind of a file's contents: ELF by its magic, S-records by a first line starting with "S", a raw
// binary only by a ".bin" name, everything else Intel HEX (whose reader then says what is wrong).
CodeFormat FormatOf(const QString& path, const QByteArray& bytes);
// The kind a file of this name is saved in: binary for ".bin", S-records for ".srec" and ".sNN",
// otherwise Intel HEX (an ELF file is never written).
CodeFormat FormatForName(const QString& path);
// A name the open and reload commands take as a code file.
bool HasCodeFileName(const QString& path);
// True when the file at `path` starts with the ELF magic.
bool IsElfFile(const QString& path);
// False for an ELF file, by its name or its contents: it is the toolchain's, and no writer here makes one.
bool CanSaveTo(const QString& path);

CodeReadResult ParseCode(CodeFormat format, const QByteArray& bytes, ProgramArray& image, qint32 programMemoryWords);
CodeReadResult ParseEeprom(CodeFormat format, const QByteArray& bytes, EepromArray& image, qint32 eepromBytes);

// The in-use part in the given kind (an ELF request gives Intel HEX).
QByteArray CodeText(CodeFormat format, const ProgramArray& image, qint32 programMemoryWords);
QByteArray EepromText(CodeFormat format, const EepromArray& image, qint32 eepromBytes);

}  // namespace zendra::image
