#include "image/IntelHex.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <memory>

#include "core/Language.h"
#include "image/CodeFormats.h"
#include "image/HexText.h"
#include "image/ImageTexts.h"

namespace zendra::image {

namespace {

constexpr int kHighestFileAddress = 0xFFFF;  // 16-bit addresses only
constexpr int kMaxRecordBytes = 1 + 2 + 1 + 255 + 1;  // count, address, type, data, checksum
const QByteArray kEndRecord = QByteArrayLiteral(":00000001FF\r\n");
const QString kNoticeBreak = QStringLiteral("\r\n");

enum RecordType : quint8 { kData = 0x00, kEndOfFile = 0x01, kSegmentBase = 0x02, kLinearBase = 0x04 };

// Walks the records of `text`; `store(fileAddress, byte)` returns false when the byte falls outside the
// image, `beyond(fileAddress)` whether it lies above the device's in-use range.
template <typename Store, typename Beyond>
CodeReadResult ParseRecords(const QByteArray& text, Store store, Beyond beyond) {
    CodeReadResult result;
    std::array<quint8, kMaxRecordBytes> bytes{};
    const auto reject = [&](CodeRejection why, int lineNumber) {
        result.rejection = why;
        result.line = lineNumber;
        return false;
    };
    ForEachRecordLine(text, [&](QByteArrayView line, int lineNumber) {
        if (line.front() != ':') return reject(CodeRejection::NoStartMark, lineNumber);
        qsizetype byteCount = 0;
        quint32 sum = 0;
        const QByteArrayView digits = line.sliced(1);
        const DigitsFault fault = DecodeRecordDigits(digits, bytes, byteCount, sum);
        if (fault == DigitsFault::BadDigit) return reject(CodeRejection::BadDigit, lineNumber);
        if (fault != DigitsFault::None || digits.size() < 10) return reject(CodeRejection::LengthMismatch, lineNumber);
        const int dataCount = bytes[0];
        if (byteCount != dataCount + 5) return reject(CodeRejection::LengthMismatch, lineNumber);
        if (sum % 256 != 0) return reject(CodeRejection::BadChecksum, lineNumber);

        const int address = bytes[1] * 256 + bytes[2];
        const quint8 type = bytes[3];
        const quint8* data = bytes.data() + 4;
        if (type == kData) {
            ++result.dataRecords;
            for (int k = 0; k < dataCount; ++k) {
                if (!store(address + k, data[k])) return reject(CodeRejection::OutsideImage, lineNumber);
                if (beyond(address + k)) ++result.bytesBeyondDevice;
            }
        } else if (type == kSegmentBase || type == kLinearBase) {
            if (std::any_of(data, data + dataCount, [](quint8 b) { return b != 0; }))
                return reject(CodeRejection::ExtendedAddress, lineNumber);
        }
        // The end record does not end the reading; start-address records carry nothing for the images.
        if (type == kEndOfFile) result.endRecord = true;
        return true;
    });
    return result;
}

void AppendRecord(QByteArray& out, int address, const QString& dataDigits) {
    qint16 unused = 0;  // every digit here is our own
    QString record = QStringLiteral(":") + ByteToHex(static_cast<quint8>(dataDigits.size() / 2)) +
                     AddressToHex(static_cast<quint32>(address)) + QStringLiteral("00") + dataDigits;
    AppendHexChecksum(record, unused);
    out += record.toLatin1();
    out += kFileLineEnd;
}

void ReportRejection(core::UserInterface& ui, const QString& path, const QString& readerError,
                     const CodeReadResult& result) {
    const QString text =
        result.line > 0 ? core::JoinTexts({readerError,
                                           core::Compose(texts::kLineSuffix, {QString::number(result.line)})})
                        : readerError;
    // Status panel 1 stays short; the notice says which file and why.
    ui.Status(core::StatusField::Result, text);
    ui.Notice(core::JoinTexts({text, path, DescribeRejection(result)}, kNoticeBreak));
}

template <typename Array, typename Parse>
CodeReadResult ReadInto(core::UserInterface& ui, const QString& path, const QString& readerError, Array& target,
                       Parse parse) {
    CodeReadResult result;
    if (path.isEmpty()) return result;
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (!read.Ok()) {
        result.rejection = CodeRejection::Unreadable;
        result.file = read.refusal;
        result.systemReason = read.systemReason;
        ReportRejection(ui, path, readerError, result);
        return result;
    }
    auto scratch = std::make_unique<Array>();
    scratch->fill(kErased);
    result = parse(read.bytes, *scratch);
    if (!result.Accepted()) {
        ReportRejection(ui, path, readerError, result);
        return result;
    }
    target = *scratch;
    return result;
}

bool SamePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

bool ReportSave(core::UserInterface& ui, SaveFailure failure) {
    if (failure == SaveFailure::None) return true;
    ui.Ask(core::MessageIcon::Critical, texts::kSaveTitle,
                      failure == SaveFailure::ReadOnly ? texts::kSaveReadOnly : texts::kSaveFailed,
                      core::MessageButtons::Ok);
    return false;
}

// Intel HEX under an ELF file's name would pass for the toolchain's file, or replace it.
bool RefuseElfTarget(core::UserInterface& ui) {
    ui.Ask(core::MessageIcon::Critical, texts::kSaveTitle, texts::kSaveNotElf, core::MessageButtons::Ok);
    return false;
}

}  // namespace

QString DescribeRejection(const CodeReadResult& result) {
    switch (result.rejection) {
        case CodeRejection::None: return {};
        case CodeRejection::Unreadable:
            switch (result.file) {
                case core::FileRefusal::Missing: return texts::kFileMissing;
                case core::FileRefusal::NotRegular: return texts::kFileNotRegular;
                case core::FileRefusal::TooLarge: return texts::kFileTooLarge;
                case core::FileRefusal::None:
                case core::FileRefusal::Unreadable:
                    return result.systemReason.isEmpty()
                               ? texts::kFileUnreadable
                               : core::Compose(QStringLiteral("%1 (%2)"),
                                               {texts::kFileUnreadable, result.systemReason});
            }
            return texts::kFileUnreadable;
        case CodeRejection::NoStartMark: return texts::kHexNoStartMark;
        case CodeRejection::BadDigit: return texts::kHexBadDigit;
        case CodeRejection::LengthMismatch: return texts::kHexLengthMismatch;
        case CodeRejection::BadChecksum: return texts::kHexBadChecksum;
        case CodeRejection::OutsideImage: return texts::kHexOutsideImage;
        case CodeRejection::ExtendedAddress: return texts::kHexExtendedAddress;
        case CodeRejection::ElfDamaged:
            return result.damagedPart.isEmpty() ? texts::kElfDamaged
                                                : core::Compose(texts::kElfPartDamaged, {result.damagedPart});
        case CodeRejection::ElfNotAvr: return texts::kElfNotAvr;
        case CodeRejection::ElfOverlap: return texts::kElfOverlap;
        case CodeRejection::SRecordNoStartMark: return texts::kSRecordNoStartMark;
        case CodeRejection::SRecordType: return texts::kSRecordType;
    }
    return {};
}

CodeReadResult ParseCodeHex(const QByteArray& text, ProgramArray& image, qint32 programMemoryWords) {
    const qint64 inUseBytes = 2 * static_cast<qint64>(std::max<qint32>(programMemoryWords, 0));
    return ParseRecords(
        text,
        [&image](int fileAddress, quint8 value) {
            if (fileAddress > kHighestFileAddress) return false;
            // Files hold each word low byte first; the image holds it high byte first.
            image[fileAddress % 2 == 0 ? fileAddress + 1 : fileAddress - 1] = value;
            return true;
        },
        [inUseBytes](int fileAddress) { return fileAddress >= inUseBytes; });
}

CodeReadResult ParseEepromHex(const QByteArray& text, EepromArray& image, qint32 eepromBytes) {
    const qint64 inUse = std::max<qint32>(eepromBytes, 0);
    return ParseRecords(
        text,
        [&image](int address, quint8 value) {
            if (address >= kEepromImageSize) return false;
            image[address] = value;
            return true;
        },
        [inUse](int address) { return address >= inUse; });
}

QByteArray CodeHexText(const ProgramArray& image, qint32 programMemoryWords) {
    const int words = std::clamp<qint32>(programMemoryWords, 0, (kProgramImageSize - 1) / 2);
    QByteArray out;
    for (int first = 0; first < words; first += kFileRecordBytes / 2) {
        QString data;
        for (int w = first; w < std::min(first + kFileRecordBytes / 2, words); ++w)
            data += ByteToHex(image[2 * w + 1]) + ByteToHex(image[2 * w]);
        AppendRecord(out, 2 * first, data);
    }
    return out + kEndRecord;
}

QByteArray EepromHexText(const EepromArray& image, qint32 eepromBytes) {
    const int count = std::clamp<qint32>(eepromBytes, 0, kEepromImageSize - 1);
    QByteArray out;
    for (int first = 0; first < count; first += kFileRecordBytes) {
        QString data;
        for (int a = first; a < std::min(first + kFileRecordBytes, count); ++a) data += ByteToHex(image[a]);
        AppendRecord(out, first, data);
    }
    return out + kEndRecord;
}

CodeReadResult ReadCodeHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images) {
    const CodeReadResult result =
        ReadInto(ui, state.CodeFileName, texts::kCodeReadError, images.ProgramImage,
                 [&state](const QByteArray& text, ProgramArray& scratch) {
                     return ParseCode(FormatOf(state.CodeFileName, text), text, scratch,
                                      state.ProgramMemoryWords);
                 });
    if (result.Accepted() && !state.CodeFileName.isEmpty()) images.ProgramFileAtRisk = result.bytesBeyondDevice > 0;
    return result;
}

CodeReadResult ReadEepromHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images) {
    const CodeReadResult result =
        ReadInto(ui, state.EepFileName, texts::kEepromReadError, images.EepromImage,
                 [&state](const QByteArray& text, EepromArray& scratch) {
                     return ParseEeprom(FormatOf(state.EepFileName, text), text, scratch, state.EepromBytes);
                 });
    if (result.Accepted() && !state.EepFileName.isEmpty()) images.EepromFileAtRisk = result.bytesBeyondDevice > 0;
    return result;
}

SaveFailure SaveFileContents(const QString& path, const QByteArray& bytes, QString* reason) {
    const QFileInfo target(path);
    // A directory or a write-protected file in the way is the read-only case, before anything is touched.
    if (target.isDir() || (target.exists() && !target.isWritable())) return SaveFailure::ReadOnly;
    QSaveFile file(path);
    // Only used where the folder cannot hold the temporary file.
    file.setDirectWriteFallback(true);
    // Unbuffered, so a short write (disk full, size limit) shows in write()'s count; a buffered write
    // reports everything taken and loses the failure at flush.
    const auto why = [&] {
        if (reason) *reason = file.errorString();
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why();
        const QFileInfo folder(target.absolutePath());
        return folder.isDir() && !folder.isWritable() ? SaveFailure::ReadOnly : SaveFailure::Other;
    }
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        why();
        file.cancelWriting();
        file.commit();
        return SaveFailure::Other;
    }
    if (file.commit()) return SaveFailure::None;
    why();
    return SaveFailure::Other;
}

bool WriteCodeHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images) {
    if (state.SaveCodeFileName.isEmpty()) return true;
    if (!CanSaveTo(state.SaveCodeFileName)) return RefuseElfTarget(ui);
    const bool saved = ReportSave(
        ui, SaveFileContents(state.SaveCodeFileName, CodeText(FormatForName(state.SaveCodeFileName),
                                                          images.ProgramImage, state.ProgramMemoryWords)));
    // The loaded file now holds exactly this image.
    if (saved && SamePath(state.SaveCodeFileName, state.CodeFileName)) images.ProgramFileAtRisk = false;
    return saved;
}

bool WriteEepromHexFile(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images) {
    if (state.SaveEepFileName.isEmpty()) return true;
    if (!CanSaveTo(state.SaveEepFileName)) return RefuseElfTarget(ui);
    const bool saved = ReportSave(
        ui, SaveFileContents(state.SaveEepFileName, EepromText(FormatForName(state.SaveEepFileName),
                                                         images.EepromImage, state.EepromBytes)));
    if (saved && SamePath(state.SaveEepFileName, state.EepFileName)) images.EepromFileAtRisk = false;
    return saved;
}

}  // namespace zendra::image
