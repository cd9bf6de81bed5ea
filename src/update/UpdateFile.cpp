#include "UpdateFile.h"

#include <array>

#include "UpdateTexts.h"
#include "core/BoundedFile.h"
#include "image/HexText.h"

namespace zendra::update {

bool IsSentWord(quint32 wordAddress) {
    return wordAddress < 0x1F00 || (wordAddress > 0x1FDF && wordAddress < 0x1FFF);
}

quint8 WordEcho(quint32 wordAddress, quint8 high, quint8 low) {
    return static_cast<quint8>(((wordAddress >> 8) & 0xFF) + (wordAddress & 0xFF) + high + low);
}

namespace {

enum RecordType : int { kData = 0x00, kEndOfFile = 0x01, kExtendedSegment = 0x02, kExtendedLinear = 0x04 };

// Checks one ":" line and, for a data record, appends its words. `base` is the byte address that the
// extended address records set.
FileProblem ReadRecord(QByteArrayView line, quint32& base, QList<UpdateWord>& words) {
    // ":" count(2) address(4) type(2) checksum(2): the shortest record is 11 characters.
    if (line.size() < 11) return FileProblem::NotARecord;
    std::array<quint8, 1 + 2 + 1 + 255 + 1> bytes{};
    qsizetype size = 0;
    quint32 sum = 0;
    const image::DigitsFault fault = image::DecodeRecordDigits(line.sliced(1), bytes, size, sum);
    if (fault == image::DigitsFault::BadDigit) return FileProblem::BadDigit;
    if (fault != image::DigitsFault::None) return FileProblem::LengthMismatch;
    const auto at = [&bytes](int i) { return bytes[size_t(i)]; };
    const int count = at(0);
    if (size != count + 5) return FileProblem::LengthMismatch;
    if (sum % 256 != 0) return FileProblem::BadChecksum;

    const quint32 address = (quint32(at(1)) << 8) | at(2);
    const int type = at(3);
    switch (type) {
        case kData: {
            // The writer takes whole words only; a split word would be sent with a made-up half.
            if (count % 2 != 0) return FileProblem::OddCount;
            if (address % 2 != 0) return FileProblem::OddAddress;
            for (int k = 0; k < count; k += 2) {
                UpdateWord word;
                // 64-bit sum: a high extended base must not wrap round onto the low words.
                word.address = static_cast<quint32>((quint64(base) + address + quint64(k)) / 2);
                word.low = at(4 + k);
                word.high = at(5 + k);
                words.append(word);
            }
            return FileProblem::None;
        }
        case kExtendedSegment:
        case kExtendedLinear: {
            if (count != 2) return FileProblem::NotARecord;
            const quint32 value = (quint32(at(4)) << 8) | at(5);
            base = type == kExtendedSegment ? value << 4 : value << 16;
            return FileProblem::None;
        }
        default:
            // End of file and start addresses carry no words.
            return FileProblem::None;
    }
}

}  // namespace

UpdateFileContents ParseUpdateFile(const QByteArray& text) {
    UpdateFileContents contents;
    quint32 base = 0;
    image::ForEachRecordLine(text, [&](QByteArrayView line, int number) {
        // Anything but a record (a comment, a blank-led line) is passed over.
        if (line.front() != ':') return true;
        const FileProblem problem = ReadRecord(line, base, contents.words);
        if (problem == FileProblem::None) return true;
        contents.problem = problem;
        contents.problemLine = number;
        contents.words.clear();
        return false;
    });
    if (contents.problem != FileProblem::None) return contents;
    if (CountSentWords(contents) == 0) {
        contents.problem = FileProblem::NoWordToSend;
        contents.words.clear();
    }
    return contents;
}

UpdateFileContents LoadUpdateFile(const QString& path) {
    UpdateFileContents contents;
    // A firmware file is a few hundred kilobytes at most; anything far larger is the wrong file.
    const core::BoundedRead read = core::ReadBoundedFile(path, kMaxUpdateFileBytes);
    switch (read.refusal) {
        case core::FileRefusal::None:
            return ParseUpdateFile(read.bytes);
        case core::FileRefusal::TooLarge:
            contents.problem = FileProblem::TooLarge;
            return contents;
        case core::FileRefusal::NotRegular:
            contents.problem = FileProblem::NotRegularFile;
            return contents;
        case core::FileRefusal::Missing:
        case core::FileRefusal::Unreadable:
            break;
    }
    contents.problem = FileProblem::Unreadable;
    return contents;
}

int CountSentWords(const UpdateFileContents& contents) {
    int sent = 0;
    for (const auto& word : contents.words) {
        if (IsSentWord(word.address)) ++sent;
    }
    return sent;
}

QString DescribeProblem(const UpdateFileContents& contents) {
    QString problem;
    switch (contents.problem) {
        case FileProblem::None:
            return {};
        case FileProblem::Unreadable:
            return kFileUnreadable;
        case FileProblem::TooLarge:
            return kFileTooLarge;
        case FileProblem::NotRegularFile:
            return kFileNotRegular;
        case FileProblem::NoWordToSend:
            return kNoWordToSend;
        case FileProblem::NotARecord:
            problem = kRecordMalformed;
            break;
        case FileProblem::BadDigit:
            problem = kRecordBadDigit;
            break;
        case FileProblem::BadChecksum:
            problem = kRecordBadChecksum;
            break;
        case FileProblem::LengthMismatch:
            problem = kRecordLengthMismatch;
            break;
        case FileProblem::OddCount:
            problem = kRecordOddCount;
            break;
        case FileProblem::OddAddress:
            problem = kRecordOddAddress;
            break;
    }
    return LineProblemText(contents.problemLine, problem);
}

}  // namespace zendra::update
