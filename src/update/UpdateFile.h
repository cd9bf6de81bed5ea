#pragma once
// The update file: Intel HEX text holding the writer's firmware, each 16-bit word low byte first.
// The whole file is read and checked before the writer is touched, so a damaged file never leaves the
// writer half-updated.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include "core/BoundedFile.h"

namespace zendra::update {

// Words 0x0000-0x1EFF (application) and 0x1FE0-0x1FFE go to the writer; 0x1F00-0x1FDF, 0x1FFF and
// everything above 0x1FFF (configuration and data words) never do.
bool IsSentWord(quint32 wordAddress);

// The echo the writer answers a word packet with: the low 8 bits of the sum of its four bytes.
quint8 WordEcho(quint32 wordAddress, quint8 high, quint8 low);

struct UpdateWord {
    quint32 address = 0;  // word address
    quint8 high = 0;
    quint8 low = 0;
    bool operator==(const UpdateWord&) const = default;
};

enum class FileProblem {
    None,
    Unreadable,
    TooLarge,
    NotRegularFile,  // a folder, FIFO or device: refused without being opened
    NotARecord,  // a ":" line too short, or of the wrong shape
    BadDigit,
    BadChecksum,
    LengthMismatch,  // the byte count does not match the line
    OddCount,        // a data record that splits a word
    OddAddress,
    NoWordToSend,
};

struct UpdateFileContents {
    // Every word of the data records in file order, also the ones that are not sent (they move the bar).
    QList<UpdateWord> words;
    FileProblem problem = FileProblem::None;
    int problemLine = 0;  // 1-based; 0 when the problem is not one line's
    bool IsValid() const { return problem == FileProblem::None; }
};

// Refuses the files the writer must never see a part of. Lines not starting with ":" are skipped;
// hex digits of either letter case are accepted. Extended address records (types 02 and 04) move the
// data after them up, where no word is sent, instead of letting them overwrite the low words.
UpdateFileContents ParseUpdateFile(const QByteArray& text);
// Reads the file at `path` and parses it; a missing, unreadable, oversized or not regular file is a
// problem too.
UpdateFileContents LoadUpdateFile(const QString& path);

inline constexpr qint64 kMaxUpdateFileBytes = core::kMaxInputFileBytes;

// The words of `contents` that go to the writer.
int CountSentWords(const UpdateFileContents& contents);

// The text that says why the file was refused.
QString DescribeProblem(const UpdateFileContents& contents);

}  // namespace zendra::update
