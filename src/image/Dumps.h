#pragma once
// Hex dumps of the images: rendered to the scratch files "avrhex.txt" / "avreep.txt" (UTF-8, CR LF,
// "･" for bytes outside 0x20..0x7E) and loaded into the dump windows as plain text.

#include <QByteArray>
#include <QString>

#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/MemoryImages.h"

namespace zendra::image {

inline const QString kProgramDumpFile = QStringLiteral("avrhex.txt");
inline const QString kEepromDumpFile = QStringLiteral("avreep.txt");
inline const QString kVerifyLogFile = QStringLiteral("avrvfy.txt");

// Pure renderings of the in-use part, as the UTF-8 bytes of the file: program lines of 8 words
// ("0000: " + eight "HHLL " groups + 16 characters), EEPROM lines of 16 bytes ("0000: " + sixteen "HH "
// groups + 16 characters).
QByteArray ProgramDumpText(const MemoryImages& images, qint32 programMemoryWords);
QByteArray EepromDumpText(const MemoryImages& images, qint32 eepromBytes);

// Where a cell stands in its dump's text: the line, the first column of its hex digits, their count.
struct DumpCell {
    int line = 0, column = 0, length = 0;
};
DumpCell ProgramDumpCell(qint32 word);
DumpCell EepromDumpCell(qint32 address);

// state.ScratchDir + name (state.AppDir when no scratch folder was set).
QString ScratchPath(const core::SharedState& state, const QString& name);

// Write the dump file (false when it could not be written); Show loads it into the window.
bool DumpProgramImage(const core::SharedState& state, const MemoryImages& images);
bool DumpEepromImage(const core::SharedState& state, const MemoryImages& images);
void ShowProgramDump(core::UserInterface& ui, const core::SharedState& state);
void ShowEepromDump(core::UserInterface& ui, const core::SharedState& state);
// Dump then Show, for the common pair.
void RedrawProgramDump(core::UserInterface& ui, const core::SharedState& state, const MemoryImages& images);
void RedrawEepromDump(core::UserInterface& ui, const core::SharedState& state, const MemoryImages& images);

}  // namespace zendra::image
