#include "image/CodeFormats.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <array>
#include <gelf.h>
#include <libelf.h>
#include <memory>
#include <vector>

#include "core/Language.h"
#include "image/HexText.h"
#include "image/ImageTexts.h"

namespace zendra::image {

namespace {

// Where avr-ld places each memory in one address space: flash below, then data, EEPROM, fuse, lock.
constexpr quint64 kDataSpace = 0x800000;
constexpr quint64 kEepromSpace = 0x810000;
constexpr quint64 kFuseSpace = 0x820000;
constexpr quint64 kLockSpace = 0x830000;
const QByteArray kElfMagic = QByteArrayLiteral("\x7F" "ELF");

bool EndsWithAny(const QString& path, const QStringList& tails) {
    const QString lower = path.toLower();
    for (const QString& tail : tails)
        if (lower.endsWith(tail)) return true;
    return false;
}

const QStringList kSRecordTails = {QStringLiteral(".srec"), QStringLiteral(".s19"), QStringLiteral(".s28"),
                                   QStringLiteral(".s37")};

// Places file byte `address` in the image: flash files hold each word low byte first, the image high first.
struct CodeCells {
    ProgramArray& image;
    qint64 inUse;
    static constexpr qint64 kCapacity = kProgramImageSize - 1;
    bool Store(qint64 address, quint8 value) {
        if (address < 0 || address >= kCapacity) return false;
        image[address ^ 1] = value;
        return true;
    }
};
struct EepromCells {
    EepromArray& image;
    qint64 inUse;
    static constexpr qint64 kCapacity = kEepromImageSize;
    bool Store(qint64 address, quint8 value) {
        if (address < 0 || address >= kCapacity) return false;
        image[address] = value;
        return true;
    }
};

template <typename Cells>
bool StoreAll(Cells& cells, qint64 address, QByteArrayView bytes, CodeReadResult& result) {
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        if (!cells.Store(address + k, static_cast<quint8>(bytes[k]))) return false;
        if (address + k >= cells.inUse) ++result.bytesBeyondDevice;
    }
    return true;
}

CodeReadResult Rejected(CodeReadResult result, CodeRejection why, int line = 0) {
    result.rejection = why;
    result.line = line;
    return result;
}

// --- ELF -------------------------------------------------------------------------------------------

struct ElfCloser {
    void operator()(Elf* elf) const { elf_end(elf); }
};

quint32 LittleEndian(const QByteArray& bytes, quint64 at, int width) {
    quint32 value = 0;
    for (int k = width - 1; k >= 0; --k) value = value << 8 | static_cast<quint8>(bytes[qsizetype(at) + k]);
    return value;
}

// The part of a 32-bit ELF file that lies outside it or does not hold together, named; empty when every
// table, segment and section can be read. libelf skips what it cannot read (a section header table past
// the end reads as no sections, a program header count of PN_XNUM as none), which would load a partial
// image without a word, so the tables are checked here first.
QString ElfDamage(const QByteArray& bytes) {
    constexpr quint64 kHeaderSize = 52, kSegmentEntry = 32, kSectionEntry = 40;
    const quint64 size = static_cast<quint64>(bytes.size());
    const auto within = [size](quint64 offset, quint64 length) { return offset <= size && length <= size - offset; };
    if (size < kHeaderSize) return texts::kElfPartHeader;
    const quint64 phoff = LittleEndian(bytes, 28, 4), shoff = LittleEndian(bytes, 32, 4);
    const quint64 phentsize = LittleEndian(bytes, 42, 2), phnum = LittleEndian(bytes, 44, 2);
    const quint64 shentsize = LittleEndian(bytes, 46, 2), shnum = LittleEndian(bytes, 48, 2);
    quint64 shstrndx = LittleEndian(bytes, 50, 2);

    // The tables must be where a reader can take whole aligned entries: an odd offset reads shifted garbage.
    if (phnum == PN_XNUM) return texts::kElfPartProgramHeaders;
    if (phnum > 0 && (phentsize != kSegmentEntry || phoff % 4 != 0 || phoff < kHeaderSize ||
                      !within(phoff, phnum * kSegmentEntry)))
        return texts::kElfPartProgramHeaders;
    for (quint64 i = 0; i < phnum; ++i) {
        const quint64 entry = phoff + i * kSegmentEntry;
        const quint64 offset = LittleEndian(bytes, entry + 4, 4), fileSize = LittleEndian(bytes, entry + 16, 4);
        if (fileSize > 0 && !within(offset, fileSize)) return core::Compose(texts::kElfPartSegment, {QString::number(i)});
    }

    if (shoff == 0) return shnum == 0 && shstrndx == SHN_UNDEF ? QString() : texts::kElfPartSectionHeaders;
    if (shentsize != kSectionEntry || shoff % 4 != 0 || shoff < kHeaderSize || !within(shoff, kSectionEntry))
        return texts::kElfPartSectionHeaders;
    // Counts too large for the header are in section 0 (sh_size, sh_link), and only then.
    quint64 count = shnum;
    if (shnum == 0) count = LittleEndian(bytes, shoff + 20, 4);
    if (shnum >= SHN_LORESERVE || (shnum == 0 && count < SHN_LORESERVE) || !within(shoff, count * kSectionEntry))
        return texts::kElfPartSectionHeaders;
    if (shstrndx == SHN_XINDEX) shstrndx = LittleEndian(bytes, shoff + 24, 4);
    const auto field = [&](quint64 section, quint64 at) { return quint64(LittleEndian(bytes, shoff + section * kSectionEntry + at, 4)); };
    if (shstrndx == SHN_UNDEF || shstrndx >= count || field(shstrndx, 4) != SHT_STRTAB ||
        !within(field(shstrndx, 16), field(shstrndx, 20)))
        return texts::kElfPartSectionNames;
    const quint64 namesOffset = field(shstrndx, 16), namesSize = field(shstrndx, 20);
    for (quint64 i = 1; i < count; ++i) {
        const quint64 name = field(i, 0);
        if (name >= namesSize) return texts::kElfPartSectionNames;
        const quint64 type = field(i, 4);
        if (type == SHT_NOBITS || type == SHT_NULL || within(field(i, 16), field(i, 20))) continue;
        const QByteArrayView names = QByteArrayView(bytes).sliced(qsizetype(namesOffset + name), qsizetype(namesSize - name));
        const qsizetype end = names.indexOf('\0');
        const QString label = end > 0 ? QString::fromLatin1(names.first(end)) : QString::number(i);
        return core::Compose(texts::kElfPartSection, {label});
    }
    return {};
}

CodeReadResult DamagedElf(CodeReadResult result, const QString& part) {
    result.damagedPart = part;
    return Rejected(result, CodeRejection::ElfDamaged);
}

// Flash from the loadable segments with file data below the data space, by physical address; the
// EEPROM from ".eeprom"; the lock/fuse bytes from ".fuse" and ".lock". `cells` is null for the part
// the caller does not take.
template <typename Cells>
CodeReadResult ParseElf(const QByteArray& bytes, Cells& cells, bool flash) {
    CodeReadResult result;
    result.format = CodeFormat::Elf;
    result.endRecord = true;  // an ELF file has no end record to miss
    if (elf_version(EV_CURRENT) == EV_NONE) return Rejected(result, CodeRejection::ElfDamaged);
    // libelf reads from memory it may not change; our copy is detached for it.
    QByteArray copy = bytes;
    std::unique_ptr<Elf, ElfCloser> elf(elf_memory(copy.data(), static_cast<size_t>(copy.size())));
    if (!elf || elf_kind(elf.get()) != ELF_K_ELF) return Rejected(result, CodeRejection::ElfDamaged);
    size_t identSize = 0;
    const char* ident = elf_getident(elf.get(), &identSize);
    if (!ident || identSize < EI_NIDENT) return Rejected(result, CodeRejection::ElfDamaged);
    if (ident[EI_CLASS] != ELFCLASS32 || ident[EI_DATA] != ELFDATA2LSB) return Rejected(result, CodeRejection::ElfNotAvr);
    const Elf32_Ehdr* header = elf32_getehdr(elf.get());
    if (!header) return Rejected(result, CodeRejection::ElfDamaged);
    if (header->e_machine != EM_AVR || header->e_type != ET_EXEC) return Rejected(result, CodeRejection::ElfNotAvr);
    if (const QString part = ElfDamage(bytes); !part.isEmpty()) return DamagedElf(result, part);
    const quint64 fileSize = static_cast<quint64>(bytes.size());
    const auto within = [fileSize](quint64 offset, quint64 size) { return offset <= fileSize && size <= fileSize - offset; };

    if (flash) {
        size_t count = 0;
        if (elf_getphdrnum(elf.get(), &count) != 0) return Rejected(result, CodeRejection::ElfDamaged);
        std::vector<bool> taken(CodeCells::kCapacity, false);
        for (size_t i = 0; i < count; ++i) {
            // Copied out by libelf: a header table at an odd offset gives no aligned Elf32_Phdr in place.
            GElf_Phdr s;
            if (!gelf_getphdr(elf.get(), static_cast<int>(i), &s)) return Rejected(result, CodeRejection::ElfDamaged);
            if (s.p_type != PT_LOAD || s.p_filesz == 0 || s.p_paddr >= kDataSpace) continue;
            if (!within(s.p_offset, s.p_filesz)) return Rejected(result, CodeRejection::ElfDamaged);
            if (quint64(s.p_paddr) + s.p_filesz > CodeCells::kCapacity) return Rejected(result, CodeRejection::OutsideImage);
            for (quint64 a = s.p_paddr; a < quint64(s.p_paddr) + s.p_filesz; ++a) {
                if (taken[a]) return Rejected(result, CodeRejection::ElfOverlap);
                taken[a] = true;
            }
            ++result.dataRecords;
            if (!StoreAll(cells, s.p_paddr, QByteArrayView(bytes).sliced(s.p_offset, s.p_filesz), result))
                return Rejected(result, CodeRejection::OutsideImage);
        }
    }

    size_t namesIndex = 0;
    if (elf_getshdrstrndx(elf.get(), &namesIndex) != 0) return Rejected(result, CodeRejection::ElfDamaged);
    for (Elf_Scn* section = elf_nextscn(elf.get(), nullptr); section; section = elf_nextscn(elf.get(), section)) {
        GElf_Shdr s;
        if (!gelf_getshdr(section, &s)) return Rejected(result, CodeRejection::ElfDamaged);
        const char* name = elf_strptr(elf.get(), namesIndex, s.sh_name);
        if (!name || s.sh_type != SHT_PROGBITS || s.sh_size == 0) continue;
        const QByteArray sectionName(name);
        const bool eeprom = sectionName == ".eeprom", fuse = sectionName == ".fuse", lock = sectionName == ".lock";
        if (!eeprom && !fuse && !lock) continue;
        if (!within(s.sh_offset, s.sh_size)) return Rejected(result, CodeRejection::ElfDamaged);
        const QByteArrayView data = QByteArrayView(bytes).sliced(s.sh_offset, s.sh_size);
        if (eeprom && !flash) {
            ++result.dataRecords;
            if (s.sh_addr < kEepromSpace || !StoreAll(cells, qint64(s.sh_addr - kEepromSpace), data, result))
                return Rejected(result, CodeRejection::OutsideImage);
        } else if (fuse) {
            if (s.sh_addr != kFuseSpace || data.size() > 3) return Rejected(result, CodeRejection::OutsideImage);
            std::optional<quint8>* slots[] = {&result.fuses.fuse, &result.fuses.fuseHigh, &result.fuses.fuseExtended};
            for (qsizetype k = 0; k < data.size(); ++k) *slots[k] = static_cast<quint8>(data[k]);
        } else if (lock) {
            if (s.sh_addr != kLockSpace || data.size() != 1) return Rejected(result, CodeRejection::OutsideImage);
            result.fuses.lock = static_cast<quint8>(data[0]);
        }
    }
    return result;
}

// --- S-records ------------------------------------------------------------------------------------

// S0 (header) and S5/S6 (counts) carry nothing for the images; S1/S2/S3 data with 2/3/4 address bytes;
// S7/S8/S9 end the file. The checksum makes the byte count, address and data add up to 0xFF.
template <typename Cells>
CodeReadResult ParseSRecords(const QByteArray& text, Cells& cells) {
    CodeReadResult result;
    result.format = CodeFormat::SRecord;
    std::array<quint8, 256> bytes{};
    const auto reject = [&](CodeRejection why, int lineNumber) {
        result = Rejected(result, why, lineNumber);
        return false;
    };
    ForEachRecordLine(text, [&](QByteArrayView line, int lineNumber) {
        if (line.front() != 'S' && line.front() != 's') return reject(CodeRejection::SRecordNoStartMark, lineNumber);
        if (line.size() < 2 || line[1] < '0' || line[1] > '9') return reject(CodeRejection::SRecordType, lineNumber);
        const int type = line[1] - '0';
        const QByteArrayView digits = line.sliced(2);
        qsizetype count = 0;
        quint32 sum = 0;
        const DigitsFault fault = DecodeRecordDigits(digits, bytes, count, sum);
        if (fault == DigitsFault::BadDigit) return reject(CodeRejection::BadDigit, lineNumber);
        if (fault != DigitsFault::None || digits.size() < 2) return reject(CodeRejection::LengthMismatch, lineNumber);
        const int addressBytes = (type == 2 || type == 8) ? 3 : (type == 3 || type == 7) ? 4 : 2;
        if (count != bytes[0] + 1 || count < addressBytes + 2) return reject(CodeRejection::LengthMismatch, lineNumber);
        if (sum % 256 != 0xFF) return reject(CodeRejection::BadChecksum, lineNumber);
        if (type == 4) return reject(CodeRejection::SRecordType, lineNumber);
        if (type >= 7) result.endRecord = true;
        if (type < 1 || type > 3) return true;
        qint64 address = 0;
        for (int k = 0; k < addressBytes; ++k) address = address * 256 + bytes[1 + k];
        ++result.dataRecords;
        const QByteArrayView data(reinterpret_cast<const char*>(bytes.data()) + 1 + addressBytes,
                                  count - 2 - addressBytes);
        if (!StoreAll(cells, address, data, result)) return reject(CodeRejection::OutsideImage, lineNumber);
        return true;
    });
    return result;
}

QByteArray SRecordLine(int type, const QByteArray& addressAndData) {
    QString line = QStringLiteral("S") + QString::number(type) + ByteToHex(quint8(addressAndData.size() + 1));
    quint32 sum = quint8(addressAndData.size() + 1);
    for (char b : addressAndData) {
        line += ByteToHex(quint8(b));
        sum += quint8(b);
    }
    line += ByteToHex(quint8(~sum & 0xFF));
    return line.toLatin1() + kFileLineEnd;
}

// S1 records of 16 bytes from address 0 (the images stay below 64 KiB), between a header and an S9 end.
QByteArray SRecordText(const QByteArray& fileBytes) {
    QByteArray out = SRecordLine(0, QByteArray(2, '\0'));
    for (qsizetype first = 0; first < fileBytes.size(); first += kFileRecordBytes) {
        QByteArray record;
        record += char(first >> 8);
        record += char(first & 0xFF);
        record += fileBytes.mid(first, kFileRecordBytes);
        out += SRecordLine(1, record);
    }
    return out + SRecordLine(9, QByteArray(2, '\0'));
}

// --- Binary ---------------------------------------------------------------------------------------

template <typename Cells>
CodeReadResult ParseBinary(const QByteArray& bytes, Cells& cells) {
    CodeReadResult result;
    result.format = CodeFormat::Binary;
    result.endRecord = true;
    result.dataRecords = bytes.isEmpty() ? 0 : 1;
    if (!StoreAll(cells, 0, QByteArrayView(bytes), result)) return Rejected(result, CodeRejection::OutsideImage);
    return result;
}

template <typename Cells>
CodeReadResult ParseAny(CodeFormat format, const QByteArray& bytes, Cells& cells, bool flash) {
    switch (format) {
        case CodeFormat::Elf: return ParseElf(bytes, cells, flash);
        case CodeFormat::SRecord: return ParseSRecords(bytes, cells);
        case CodeFormat::Binary: return ParseBinary(bytes, cells);
        case CodeFormat::IntelHex: break;
    }
    return {};
}

// The in-use cells in file order, for the binary and S-record writers.
QByteArray CodeFileBytes(const ProgramArray& image, qint32 programMemoryWords) {
    const int words = std::clamp<qint32>(programMemoryWords, 0, (kProgramImageSize - 1) / 2);
    QByteArray out(2 * words, '\0');
    for (int a = 0; a < 2 * words; ++a) out[a] = char(image[a ^ 1]);
    return out;
}
QByteArray EepromFileBytes(const EepromArray& image, qint32 eepromBytes) {
    const int count = std::clamp<qint32>(eepromBytes, 0, kEepromImageSize - 1);
    return QByteArray(reinterpret_cast<const char*>(image.data()), count);
}

}  // namespace

CodeFormat FormatOf(const QString& path, const QByteArray& bytes) {
    if (bytes.startsWith(kElfMagic)) return CodeFormat::Elf;
    if (path.toLower().endsWith(QStringLiteral(".bin"))) return CodeFormat::Binary;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    while (!rest.isEmpty() && (rest.front() == '\r' || rest.front() == '\n' || rest.front() == ' ' || rest.front() == '\t'))
        rest = rest.sliced(1);
    if (!rest.isEmpty() && (rest.front() == 'S' || rest.front() == 's')) return CodeFormat::SRecord;
    return CodeFormat::IntelHex;
}

CodeFormat FormatForName(const QString& path) {
    if (path.toLower().endsWith(QStringLiteral(".bin"))) return CodeFormat::Binary;
    if (EndsWithAny(path, kSRecordTails)) return CodeFormat::SRecord;
    return CodeFormat::IntelHex;
}

bool HasCodeFileName(const QString& path) {
    return EndsWithAny(path, {QStringLiteral(".hex"), QStringLiteral(".rom"), QStringLiteral(".elf"),
                              QStringLiteral(".bin")}) ||
           EndsWithAny(path, kSRecordTails);
}

bool IsElfFile(const QString& path) {
    QFile file(path);
    // Only a regular file is opened: a FIFO would wait for a writer.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    return file.read(kElfMagic.size()) == kElfMagic;
}

bool CanSaveTo(const QString& path) {
    return !path.toLower().endsWith(QStringLiteral(".elf")) && !IsElfFile(path);
}

CodeReadResult ParseCode(CodeFormat format, const QByteArray& bytes, ProgramArray& image, qint32 programMemoryWords) {
    if (format == CodeFormat::IntelHex) return ParseCodeHex(bytes, image, programMemoryWords);
    CodeCells cells{image, 2 * static_cast<qint64>(std::max<qint32>(programMemoryWords, 0))};
    return ParseAny(format, bytes, cells, true);
}

CodeReadResult ParseEeprom(CodeFormat format, const QByteArray& bytes, EepromArray& image, qint32 eepromBytes) {
    if (format == CodeFormat::IntelHex) return ParseEepromHex(bytes, image, eepromBytes);
    EepromCells cells{image, std::max<qint32>(eepromBytes, 0)};
    return ParseAny(format, bytes, cells, false);
}

QByteArray CodeText(CodeFormat format, const ProgramArray& image, qint32 programMemoryWords) {
    switch (format) {
        case CodeFormat::Binary: return CodeFileBytes(image, programMemoryWords);
        case CodeFormat::SRecord: return SRecordText(CodeFileBytes(image, programMemoryWords));
        case CodeFormat::Elf:
        case CodeFormat::IntelHex: break;
    }
    return CodeHexText(image, programMemoryWords);
}

QByteArray EepromText(CodeFormat format, const EepromArray& image, qint32 eepromBytes) {
    switch (format) {
        case CodeFormat::Binary: return EepromFileBytes(image, eepromBytes);
        case CodeFormat::SRecord: return SRecordText(EepromFileBytes(image, eepromBytes));
        case CodeFormat::Elf:
        case CodeFormat::IntelHex: break;
    }
    return EepromHexText(image, eepromBytes);
}

}  // namespace zendra::image
