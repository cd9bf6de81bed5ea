#include "cli/Inputs.h"


#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/Plan.h"
#include "core/BoundedFile.h"
#include "core/Language.h"
#include "image/CodeFormats.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "operations/UsedPart.h"

namespace zendra::cli {

bool ParsedImages::Blank() const {
    return operations::LastUsedWord(images, image::kProgramImageSize / 2) < 0 &&
           operations::LastUsedByte(images, image::kEepromImageSize) < 0;
}

std::optional<QByteArray> ReadInput(const QString& path, Failure& failure) {
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (read.Ok()) return read.bytes;
    image::CodeReadResult why;
    why.rejection = image::CodeRejection::Unreadable;
    why.file = read.refusal;
    why.systemReason = read.systemReason;
    failure = {kExitInput, T(texts::kFileUnreadable).arg(path, Tr(image::DescribeRejection(why)))};
    return std::nullopt;
}

std::optional<ParsedImages> ParseInputs(const Plan& plan, const devices::Device* device, Failure& failure) {
    ParsedImages parsed;
    const qint32 words = device ? device->flashWords : image::kProgramImageSize / 2;
    const qint32 bytes = device ? device->eepromBytes : image::kEepromImageSize;
    const auto refuse = [&](const QString& readerError, const QString& path, const image::CodeReadResult& r) {
        const QString text = r.line > 0
                                 ? core::JoinTexts({readerError, core::Compose(image::texts::kLineSuffix,
                                                                               {QString::number(r.line)})})
                                 : readerError;
        failure = {kExitInput,
                   T(texts::kFileRefused)
                       .arg(path, Tr(text) + QStringLiteral(": ") + Tr(image::DescribeRejection(r)))};
    };
    if (!plan.codePath.isEmpty()) {
        const image::CodeFormat format = image::FormatOf(plan.codePath, plan.codeBytes);
        const auto r = image::ParseCode(format, plan.codeBytes, parsed.images.ProgramImage, words);
        if (!r.Accepted()) return refuse(image::texts::kCodeReadError, plan.codePath, r), std::nullopt;
        parsed.codeBeyond = r.bytesBeyondDevice;
        parsed.records += r.dataRecords;
        if (!r.endRecord) parsed.withoutEndRecord << plan.codePath;
        parsed.fuses = r.fuses;
        if (format == image::CodeFormat::Elf && plan.eepromPath.isEmpty()) {
            const auto e = image::ParseEeprom(format, plan.codeBytes, parsed.images.EepromImage, bytes);
            if (!e.Accepted()) return refuse(image::texts::kEepromReadError, plan.codePath, e), std::nullopt;
            parsed.eepromBeyond = e.bytesBeyondDevice;
            parsed.records += e.dataRecords;
        }
    }
    if (!plan.eepromPath.isEmpty()) {
        const auto r = image::ParseEeprom(image::FormatOf(plan.eepromPath, plan.eepromBytes), plan.eepromBytes,
                                          parsed.images.EepromImage, bytes);
        if (!r.Accepted()) return refuse(image::texts::kEepromReadError, plan.eepromPath, r), std::nullopt;
        parsed.eepromBeyond = r.bytesBeyondDevice;
        parsed.records += r.dataRecords;
        if (!r.endRecord) parsed.withoutEndRecord << plan.eepromPath;
    }
    return parsed;
}

}  // namespace zendra::cli
