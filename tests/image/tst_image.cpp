// The memory images: hex text, Intel HEX files, dumps, the buffer-edit panel and the file commands, against
// real files in a temporary folder ("~" below) with the windows recorded.

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <memory>
#include <numeric>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "core/Language.h"
#include "devices/Catalogue.h"
#include "image/BufferEdit.h"
#include "image/CodeFormats.h"
#include "image/Dumps.h"
#include "image/FileCommands.h"
#include "image/HexText.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"

using namespace zendra::image;
using namespace zendra::test;
using HR = CodeRejection;
using W = zendra::core::DumpWindow;

// clang-format off
struct Conversion { char kind; QString in, out; bool error; };  // digit, text, byte, address, checksum
struct Parse { bool code; QByteArray text; HR why; int line, beyond; QList<int> cells; };  // index, value...
struct Damage { QString fixture; int at; QByteArray bytes; QString part; };  // at < 0: cut |at| bytes off
struct Render { char kind; int size, lines; QString head, tail; };  // c, e: Intel HEX; p, d: dumps
struct Cell { bool program; QString address, data, shown, notice; };  // no data: only a read
// Files are made as "name=what": XX (the words XX, XX+1 at 0), bad (a wrong checksum on line 2),
// big (bytes 0x3FE..0x401) or del (removed).
struct Open { bool first; QStringList files; int command; QString chosen, seen; QStringList told; };
struct Save { QString before; int command; QString chosen; bool ok; QStringList told, written; };
// `kind`: what is put at the file's path (text: a file holding `text`); `line` 0 when the whole file failed.
struct Refused { bool code; QString kind; QByteArray text; int line; QString reason; };
// clang-format on

namespace {

// A record with its checksum computed here, independently of the program.
QByteArray Record(int type, int address, const QList<int>& data, int checksumDelta = 0) {
    const QList<int> all = QList<int>{int(data.size()), address >> 8, address & 0xFF, type} + data;
    QByteArray bytes;
    for (int b : all) bytes += char(b);
    return ":" + (bytes + char(checksumDelta - std::accumulate(all.begin(), all.end(), 0))).toHex().toUpper();
}
QByteArray Data(int address, const QList<int>& data) { return Record(0, address, data); }
const QByteArray kEnd = ":00000001FF";
QByteArray Lines(const QList<QByteArray>& l, const QByteArray& end = "\r\n") { return l.join(end) + end; }
QByteArray HexFile(int first) { return Lines({Data(0, {first, first + 1}), kEnd}); }
void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QString Convert(char kind, QString in, qint16& flag) {
    if (kind == 'd') return QString::number(HexDigitValue(in, flag), 16).toUpper();
    if (kind == 't') return QString::number(HexTextToValue(in, flag), 16).toUpper();
    if (kind == 'b') return ByteToHex(quint8(in.toUInt(nullptr, 16)));
    if (kind == 'a') return AddressToHex(in.toUInt(nullptr, 16));
    AppendHexChecksum(in, flag);
    return in;
}
void Ok(const char* name, bool code, const QByteArray& text, int beyond, const QList<int>& cells) {
    QTest::newRow(name) << Parse{code, text, HR::None, 0, beyond, cells};
}
void Bad(const char* name, bool code, const QByteArray& text, HR why, int line) {
    QTest::newRow(name) << Parse{code, text, why, line, 0, {}};
}

FileOutcome (*const kCommands[])(FileContext&) = {OpenCodeAndData,   OpenCode,   OpenData,   Reload,
                                           SaveAsCodeAndData, SaveAsCode, SaveAsData, SaveOverwrite};
enum { kOpenPair, kOpenCode, kOpenData, kReload, kSavePair, kSaveCode, kSaveData, kSave };

}  // namespace

class ImageTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    std::unique_ptr<QTemporaryDir> dir;
    RecordingUi ui;
    zendra::core::SharedState state;
    MemoryImages images;
    MemorySettings settings;
    FileDialogMemory dialog;
    FileContext ctx{ui, state, images, settings, dialog};

    QString P(const QString& name) const { return dir->filePath(name); }
    QString Show(QString text) const { return text.isEmpty() ? "-" : text.replace(dir->path(), "~"); }
    FileOutcome outcome;
    void Run(int command, const QString& chosen = {}, bool ok = true) {
        if (!chosen.isEmpty()) ui.fileAnswers.enqueue(P(chosen));
        if (!ok) ui.boxAnswers.enqueue(zendra::core::MessageAnswer::Cancel);  // else questions get OK
        outcome = kCommands[command](ctx);
    }
    void Make(const QString& entry) {
        const QString path = P(entry.section('=', 0, 0)), what = entry.section('=', 1);
        QVERIFY(what == "del" ? QFile::remove(path) : QDir().mkpath(QFileInfo(path).path()));
        if (what == "del") return;
        const auto bad = Lines({Data(0, {1, 2}), Record(0, 2, {3}, 1)}),
                   big = Lines({Data(0x3FE, {1, 2, 3, 4})});
        Put(path, what == "bad" ? bad : what == "big" ? big : HexFile(what.toInt(nullptr, 16)));
    }
    // Names | titles after " : " | program word 0, EEPROM byte 0 | open folder | chooser's preset and folder.
    QString Seen() const {
        const auto& r = ui.fileRequests;
        const auto title = [&](W w) { return Show(ui.dumpTitles.value(w).section(" : ", 1)); };
        return QStringList{
            Show(state.CodeFileName) + ", " + Show(state.EepFileName),
            title(W::Program) + ", " + title(W::Eeprom),
            QString::asprintf("%02X %02X", images.ProgramImage[1], images.EepromImage[0]),
            Show(settings.values["Settings/OPEN_DIR"]),
            r.isEmpty() ? "no dialog" : Show(r[0].presetName) + " in " + Show(r[0].startDirectory)}
            .join(" | ");
    }
    // Notices, boxes and status panel 1, as shown.
    QStringList Told() const {
        QStringList told = ui.calls.filter(QRegularExpression("^(message|box|status 1)"));
        return told.replaceInStrings(dir->path(), "~");
    }
    // Puts at `path` what `kind` names: a FIFO, /dev/zero, a folder, a file just over the input cap, or
    // nothing; any other kind writes `text`.
    void Place(const QString& path, const QString& kind, const QByteArray& text = {}) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "zero") QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "folder") QVERIFY(QDir().mkpath(path));
        else if (kind == "huge") Put(path, HexFile(0x20) + QByteArray(zendra::core::kMaxInputFileBytes, '\n'));
        else if (kind != "missing") Put(path, text);
    }

private Q_SLOTS:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        ui = RecordingUi();
        images = MemoryImages();
        state = {};
        state.ProgramMemoryWords = 512;
        state.EepromBytes = 128;
        state.ScratchDir = env.Root() + "/data/";
        settings.values = {{"Settings/OPEN_DIR", "/start"}};
        dialog.FileName = "/earlier/used.hex";
    }

    void hexText_data() {
        QTest::addColumn<Conversion>("c");
        QTest::newRow("digit lower a") << Conversion{'d', "a", "0", true};
        QTest::newRow("text a") << Conversion{'t', "a", "A", false};
        QTest::newRow("text 12345: first four") << Conversion{'t', "12345", "1234", false};
        QTest::newRow("text empty") << Conversion{'t', "", "0", true};
        QTest::newRow("text 1G") << Conversion{'t', "1G", "10", true};
        QTest::newRow("text ligature ff") << Conversion{'t', "\uFB00", "0", true};
        QTest::newRow("byte 0") << Conversion{'b', "0", "00", false};
        QTest::newRow("address 0") << Conversion{'a', "0", "0000", false};
        QTest::newRow("address modulo 65536") << Conversion{'a', "101F8", "01F8", false};
        QTest::newRow("checksum of 1 2 3 4")
            << Conversion{'c', ":0400000001020304", ":0400000001020304F2", false};
        QTest::newRow("checksum lower case") << Conversion{'c', ":01000000ff", ":01000000ffFF", true};
    }
    void hexText() {
        QFETCH(Conversion, c);
        for (const QLocale& locale : {QLocale(QLocale::Turkish, QLocale::Turkey), QLocale::c()}) {
            QLocale::setDefault(locale);
            qint16 flag = 0, set = 1;  // a set flag is never cleared
            QCOMPARE(Convert(c.kind, c.in, flag), c.out);
            Convert(c.kind, c.in, set);
            QCOMPARE(QList<qint16>({flag, set}), QList<qint16>({c.error, 1}));
        }
    }

    void parse_data() {  // 512 words, 128 EEPROM bytes
        QTest::addColumn<Parse>("p");
        const bool C = true, E = false;
        const QByteArray zeroBases =
            Lines({Record(2, 0, {0, 0}), Record(4, 0, {0, 0}), Record(3, 0, {0, 0, 0, 0}),
                   Record(5, 0, {0, 0, 0, 0}), Data(0x10, {9, 10})});
        Ok("end record only", C, Lines({kEnd}), 0, {0, 0xFF, 1, 0xFF, 1023, 0xFF});
        Ok("word 940C", C, Lines({Data(0, {0x0C, 0x94}), kEnd}), 0, {0, 0x94, 1, 0x0C});
        Ok("odd start address", C, Lines({Data(1, {0x0B}), kEnd}), 0, {0, 0x0B, 1, 0xFF});
        Ok("lower-case digits", C, Lines({Data(0, {0xAB, 0xCD}).toLower(), kEnd}), 0, {0, 0xCD, 1, 0xAB});
        Ok("record after the end record", C, Lines({kEnd, Data(4, {0x11, 0x22})}), 0, {4, 0x22, 5, 0x11});
        Ok("last line without line end", C, Lines({kEnd}) + Data(2, {3, 4}), 0, {2, 4, 3, 3});
        Ok("BOM, blanks", C, "\xEF\xBB\xBF" + Data(0, {5, 6}) + " \t\r\n\r\n \n" + kEnd, 0, {0, 6, 1, 5});
        Ok("02/04 of base 0, 03/05", C, zeroBases, 0, {0x10, 10, 0x11, 9});
        Ok("beyond 512 words", C, Lines({Data(0x3FE, {1, 2, 3, 4})}), 2, {0x3FF, 1, 0x400, 4, 0x401, 3});
        Ok("highest address", C, Lines({Data(0xFFFE, {0x12, 0x34})}), 2, {0xFFFF, 0x12, 0x10000, 0xFF});
        Ok("EEPROM beyond 128", E, Lines({Data(0x7E, {1, 2, 3, 4})}), 2, {0x7D, 0xFF, 0x7E, 1, 0x81, 4});
        Ok("EEPROM last cell", E, Lines({Data(0x800, {0x42})}), 1, {0x800, 0x42});
        Bad("wrong checksum", C, Lines({Data(0, {1, 2}), Record(0, 2, {3, 4}, 1), kEnd}), HR::BadChecksum, 2);
        Bad("count larger than the data", C, Lines({":0400000001020300"}), HR::LengthMismatch, 1);
        Bad("odd number of digits", C, Lines({kEnd, ":0100000001FE0"}), HR::LengthMismatch, 2);
        Bad("non-hex character", C, Lines({kEnd, ":01000000G1FE"}), HR::BadDigit, 2);
        Bad("no start mark", C, Lines({kEnd, "", "00000001FF"}), HR::NoStartMark, 3);
        Bad("past address FFFF", C, Lines({Data(0xFFFE, {1, 2, 3})}), HR::OutsideImage, 1);
        Bad("EEPROM past the image", E, Lines({Data(0x7FF, {1, 2, 3})}), HR::OutsideImage, 1);
        Bad("linear base not 0", C, Lines({Record(4, 0, {0, 1}), kEnd}), HR::ExtendedAddress, 1);
        Bad("segment base not 0", C, Lines({kEnd, Record(2, 0, {0x10, 0})}), HR::ExtendedAddress, 2);
        // S-records (chosen by content) and the ATtiny26L firmware's ELF file, damaged in each way.
        Ok("S1 word, S9 end", C, "S00600004844521B\nS1050000940C5A\nS9030000FC\n", 0, {0, 0x0C, 1, 0x94});
        Ok("S2 EEPROM", E, "S2060000100102E6\r\n", 0, {0x10, 1, 0x11, 2});
        Bad("S-record checksum", C, "S1050000940C58\n", HR::BadChecksum, 1);
        Bad("HEX line among S-records", C, "S9030000FC\n" + Lines({kEnd}), HR::SRecordNoStartMark, 2);
        Bad("S4 record", C, "S4030000FC\n", HR::SRecordType, 1);
        const QByteArray elf = ReadFile(QStringLiteral(ZENDRA_TEST_DATA_DIR "/tn26.elf"));
        const auto patched = [&elf](int at, QByteArray bytes) { return QByteArray(elf).replace(at, bytes.size(), bytes); };
        const int segment1 = 0x34 + 0x20;  // the second program header: .data's copy in flash
        Bad("ELF cut short", C, elf.left(0x60), HR::ElfDamaged, 0);
        Bad("ELF 64-bit", C, patched(4, "\x02"), HR::ElfNotAvr, 0);
        Bad("ELF big-endian", C, patched(5, "\x02"), HR::ElfNotAvr, 0);
        Bad("ELF for another machine", C, patched(18, QByteArray("\x28\x00", 2)), HR::ElfNotAvr, 0);
        Bad("ELF segments overlap", C, patched(segment1 + 12, QByteArray("\x10\0\0\0", 4)), HR::ElfOverlap, 0);
        Bad("ELF past the image", C, patched(segment1 + 12, QByteArray("\xFC\xFF\0\0", 4)), HR::OutsideImage, 0);
    }
    void parse() {
        QFETCH(Parse, p);
        MemoryImages m;
        const CodeReadResult r =
            p.code ? ParseCode(FormatOf({}, p.text), p.text, m.ProgramImage, 512)
                   : ParseEeprom(FormatOf({}, p.text), p.text, m.EepromImage, 128);
        QCOMPARE(r.rejection, p.why);
        QCOMPARE(r.line, p.line);
        QCOMPARE(r.Accepted() ? r.bytesBeyondDevice : 0, p.beyond);
        const quint8* image = p.code ? m.ProgramImage.data() : m.EepromImage.data();
        for (int i = 0; i + 1 < p.cells.size(); i += 2) QCOMPARE(int(image[p.cells[i]]), p.cells[i + 1]);
    }

    // An avr-gcc ELF file with one table, segment or section out of reach is refused whole, naming it, for
    // flash and EEPROM alike: libelf alone reads such a file as one without that part.
    void damagedElf_data() {
        QTest::addColumn<Damage>("d");
        const auto u16 = [](int v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8); };
        const QString sections = texts::kElfPartSectionHeaders, segments = texts::kElfPartProgramHeaders;
        QTest::newRow("one byte short") << Damage{"tn26", -1, {}, sections};
        QTest::newRow("section headers past the end") << Damage{"s2313", 32, u16(2836) + u16(0), sections};
        QTest::newRow("e_shnum 0xFFFF") << Damage{"tn12", 48, u16(0xFFFF), sections};
        QTest::newRow("e_shstrndx past the table") << Damage{"tn26", 50, u16(40), texts::kElfPartSectionNames};
        QTest::newRow("e_phnum 0xFFFF") << Damage{"s2313", 44, u16(0xFFFF), segments};
        QTest::newRow("odd e_phoff") << Damage{"tn26", 28, u16(53), segments};
        // tn26's section 3 is .eeprom, at 4136 + 3 * 40 in its section header table.
        QTest::newRow(".eeprom past the end") << Damage{"tn26", 4136 + 3 * 40 + 16, u16(4735), ".eeprom"};
    }
    void damagedElf() {
        QFETCH(Damage, d);
        QByteArray bytes = ReadFile(QStringLiteral(ZENDRA_TEST_DATA_DIR "/") + d.fixture + ".elf");
        d.at < 0 ? bytes.chop(-d.at) : void(bytes.replace(d.at, d.bytes.size(), d.bytes));
        const QString part = d.part.startsWith('.') ? zendra::core::Compose(texts::kElfPartSection, {d.part}) : d.part;
        MemoryImages m;
        const CodeReadResult code = ParseCode(CodeFormat::Elf, bytes, m.ProgramImage, 1024);
        QCOMPARE(DescribeRejection(code), zendra::core::Compose(texts::kElfPartDamaged, {part}));
        QCOMPARE(ParseEeprom(CodeFormat::Elf, bytes, m.EepromImage, 128).damagedPart, part);
    }

    // Intel HEX files of an erased image; dumps hold the jmp word 940C and the printable edges 20 and 7E.
    void render_data() {
        QTest::addColumn<Render>("r");
        const QString f(32, 'F'), hex = ":10000000" + f + "00\r\n:10001000" + f + "F0";
        const QString w = "FFFF ", b = "FF ", dot = "･", chars = dot + dot + " ~" + dot.repeated(12);
        const QString head = "0000: 940C 207E 1F7F " + w.repeated(5) + chars, tail = ": " + w.repeated(8);
        const QString eeprom = "0000: 94 0C 20 7E 1F 7F " + b.repeated(10) + chars, dots = dot.repeated(16);
        QTest::newRow("HEX, 512 words") << Render{'c', 512, 65, hex, ":1003F000" + f + "0D\r\n" + kEnd};
        QTest::newRow("HEX, 128-byte EEPROM") << Render{'e', 128, 9, hex, ":10007000" + f + "90\r\n" + kEnd};
        QTest::newRow("dump, 512 words") << Render{'p', 512, 64, head, "01F8" + tail + dots};
        QTest::newRow("dump, larger than the image") << Render{'p', 40000, 4096, head, "7FF8" + tail + dots};
        QTest::newRow("dump, 128-byte EEPROM")
            << Render{'d', 128, 8, eeprom, "0070: " + b.repeated(16) + dots};
    }
    void render() {
        QFETCH(Render, r);
        const QList<int> bytes{0x94, 0x0C, 0x20, 0x7E, 0x1F, 0x7F};
        for (int i = 0; i < bytes.size() && (r.kind == 'p' || r.kind == 'd'); ++i)
            images.ProgramImage[i] = images.EepromImage[i] = quint8(bytes[i]);
        const QString out = QString::fromUtf8(r.kind == 'c'   ? CodeHexText(images.ProgramImage, r.size)
                                              : r.kind == 'e' ? EepromHexText(images.EepromImage, r.size)
                                              : r.kind == 'p' ? ProgramDumpText(images, r.size)
                                                              : EepromDumpText(images, r.size));
        QCOMPARE(out.count("\r\n"), r.lines);
        QCOMPARE(out.left(r.head.size() + 2), r.head + "\r\n");
        QCOMPARE(out.right(r.tail.size() + 4), "\r\n" + r.tail + "\r\n");
    }

    // Every form avr-objcopy made of one firmware loads to the images of its HEX pair, and so does what
    // each writer saves; the ELF file alone gives both images and its FUSES and LOCKBITS.
    void everyFormSameImages_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("fuses");  // fuse, high fuse, lock; -1: none
        QTest::newRow("ATtiny26L, C") << "tn26" << QList<int>{0xE4, 0xF5, 0xFE};
        QTest::newRow("AT90S2313, C") << "s2313" << QList<int>{0xFF, -1, 0xFC};
        QTest::newRow("ATtiny12L, assembler") << "tn12" << QList<int>{0x52, -1, -1};
    }
    void everyFormSameImages() {
        QFETCH(QString, name);
        QFETCH(QList<int>, fuses);
        const QString base = QStringLiteral(ZENDRA_TEST_DATA_DIR "/") + name;
        MemoryImages hex;
        QVERIFY(ParseCodeHex(ReadFile(base + ".hex"), hex.ProgramImage, 1024).Accepted());
        QVERIFY(ParseEepromHex(ReadFile(base + ".eep"), hex.EepromImage, 128).Accepted());
        for (const QString& suffix : QStringList{".elf", ".bin", ".srec", ".s37", ".out.hex", ".out.bin", ".out.srec"}) {
            const QString path = base + suffix;
            const QByteArray bytes = suffix.startsWith(".out") ? CodeText(FormatForName(path), hex.ProgramImage, 1024)
                                                               : ReadFile(path);
            MemoryImages m;
            const CodeReadResult r = ParseCode(FormatOf(path, bytes), bytes, m.ProgramImage, 1024);
            QVERIFY2(r.Accepted() && m.ProgramImage == hex.ProgramImage, qPrintable(suffix));
            if (suffix != ".elf") continue;
            QVERIFY(ParseEeprom(CodeFormat::Elf, bytes, m.EepromImage, 128).Accepted());
            QCOMPARE(m.EepromImage, hex.EepromImage);
            const auto byte = [](std::optional<quint8> b) { return b ? int(*b) : -1; };
            QCOMPARE(QList<int>({byte(r.fuses.fuse), byte(r.fuses.fuseHigh), byte(r.fuses.lock)}), fuses);
        }
        for (const QString path : {"x.eep", "x.bin", "x.srec"}) {
            MemoryImages m;
            const QByteArray text = EepromText(FormatForName(path), hex.EepromImage, 128);
            QVERIFY(ParseEeprom(FormatOf(path, text), text, m.EepromImage, 128).Accepted());
            QCOMPARE(m.EepromImage, hex.EepromImage);
        }
    }

    void cell_data() {
        QTest::addColumn<Cell>("c");
        const QString wrong = texts::kInputWrong, flash = texts::kFlashAddressRange;
        const QString eep = texts::kEepromAddressRange;
        QTest::newRow("read 200 past 512 words") << Cell{true, "200", "", "", flash};
        QTest::newRow("read 1ff high byte first") << Cell{true, "1ff", "", "ABCD", ""};
        QTest::newRow("read empty address") << Cell{true, "", "", "", ""};
        QTest::newRow("read five characters") << Cell{true, "00001", "", "", wrong};
        QTest::newRow("read EEPROM 80 past 128") << Cell{false, "80", "", "", eep};
        QTest::newRow("write 5 into a word") << Cell{true, "3", "5", "0005", ""};
        QTest::newRow("write last word") << Cell{true, "1FF", "beef", "BEEF", ""};
        QTest::newRow("write 1AB into EEPROM") << Cell{false, "7F", "1AB", "AB", ""};
        QTest::newRow("write 200 past 512 words") << Cell{true, "200", "1", "", flash};
        QTest::newRow("write 12345 refused") << Cell{true, "0", "12345", "", wrong};
        QTest::newRow("write bad data digit") << Cell{false, "0", "G1", "", wrong};
    }
    void cell() {
        QFETCH(Cell, c);
        images.ProgramImage[0x3FE] = 0xAB;
        images.ProgramImage[0x3FF] = 0xCD;
        const MemoryImages was = images;
        const BufferEditInput in{c.address, c.data, c.program};
        state.ErrorFlag = 1;
        const bool write = !c.data.isEmpty(), written = write && WriteBufferCell(ui, state, images, in);
        QCOMPARE(written, write && c.notice.isEmpty());
        QCOMPARE(images.ProgramImage == was.ProgramImage && images.EepromImage == was.EepromImage, !written);
        if (!write || written) QCOMPARE(ReadBufferCell(ui, state, images, in, true).value_or(""), c.shown);
        QCOMPARE(Told(), c.notice.isEmpty() ? QStringList() : QStringList{"message 1 " + c.notice});
        // The dump is redrawn from the scratch folder; rows share it, so it is rewritten, never appended to.
        const QString file = state.ScratchDir + (c.program ? "avrhex.txt" : "avreep.txt");
        QCOMPARE(ui.dumpFiles.values(), written ? QStringList{file} : QStringList());
        const QString text = ui.dumpContents.value(c.program ? W::Program : W::Eeprom);
        if (written) QVERIFY(text.count("\r\n") == (c.program ? 64 : 8) && text.contains(c.shown + " "));
    }

    // Rows with `first` open k.hex / k.eep (words 0A, 0B) and edit program word 0 to 77. Every row edits
    // EEPROM byte 0 to 11 before the command.
    void open_data() {
        QTest::addColumn<Open>("o");
        const QString opened = "status 1 " + texts::kOpened, fresh = " | ~ | /earlier/used.hex in /start";
        const QString kept = "~/k.hex, ~/k.eep | ~/k.hex, ~/k.eep | 77 11 | ~ | ", keptEep = kept.mid(7);
        const QString code = texts::kCodeReadError + " (行 2)", eep = texts::kEepromReadError + " (行 2)";
        // Status panel 1 keeps the reader's error; the notice adds the file and the reason on lines of their own.
        const auto rejected = [](const QString& error, const QString& file, const QString& reason) {
            return QStringList{"status 1 " + error, "message 1 " + error + "\r\n" + file + "\r\n" + reason};
        };
        const QStringList badCode = rejected(code, "~/n.hex", texts::kHexBadChecksum);
        const QStringList badEep = rejected(eep, "~/n.eep", texts::kHexBadChecksum);
        const QString beyond = texts::kCodeBeyondDevice.arg(2) + "\r\n" + texts::kEepromBeyondDevice.arg(4);
        const QString notSet = "message 1 " + texts::kReloadFileLabel + "?\r\n" + texts::kReloadNotSet;
        const QString cannot = "message 1 " + texts::kCannotOpen;
        const QString refused = "box " + texts::kMainWindowCaption + "|" + texts::kCannotOpen;
        const QString a = "~/a.hex.d/a.hex, ~/a.hex.d/a.eep | ~/a.hex.d/a.hex";
        // clang-format off
        QTest::newRow("pair") << Open{false, {"x.rom=10", "x.eep=50"}, kOpenPair, "x.rom",
            "~/x.rom, ~/x.eep | ~/x.rom, ~/x.eep | 10 50" + fresh, {opened}};
        QTest::newRow("pair without its EEPROM file") << Open{false, {"X.HEX=10"}, kOpenPair, "X.HEX",
            "~/X.HEX, ~/X.eep | ~/X.HEX, Not found EEP file | 10 FF" + fresh, {opened}};
        QTest::newRow("in a folder named after the file") << Open{false, {"a.hex.d/a.hex=10"}, kOpenPair,
            "a.hex.d/a.hex", a + ", Not found EEP file | 10 FF" + fresh, {opened}};
        QTest::newRow("data beyond the device") << Open{false, {"b.hex=big", "b.eep=big"}, kOpenPair, "b.hex",
            "~/b.hex, ~/b.eep | ~/b.hex, ~/b.eep | FF FF" + fresh, {opened, "message 1 " + beyond}};
        QTest::newRow("code") << Open{true, {"sub/c.hex=20"}, kOpenCode, "sub/c.hex",
            "~/sub/c.hex, ~/k.eep | ~/sub/c.hex, ~/k.eep | 20 11 | ~/sub | - in ~", {}};
        QTest::newRow("code c.txt refused")
            << Open{true, {"c.txt=20"}, kOpenCode, "c.txt", "-" + keptEep + "- in ~", {refused}};
        QTest::newRow("code missing")
            << Open{true, {}, kOpenCode, "gone.hex", "~/gone.hex" + keptEep + "- in ~", {}};
        QTest::newRow("code cancelled") << Open{true, {}, kOpenCode, "", kept + "- in ~", {}};
        QTest::newRow("data: y.hex opens y.eep") << Open{true, {"y.eep=70"}, kOpenData, "y.hex",
            "~/k.hex, ~/y.eep | ~/k.hex, ~/y.eep | 77 70 | ~ | - in ~", {}};
        QTest::newRow("reload before any open")
            << Open{false, {}, kReload, "", "-, - | -, - | FF 11 | /start | no dialog", {notSet}};
        QTest::newRow("reload drops the edit") << Open{true, {"k.hex=40"}, kReload, "",
            "~/k.hex, ~/k.eep | ~/k.hex, ~/k.eep | 40 0B | ~ | no dialog", {opened}};
        QTest::newRow("reload after delete") << Open{true, {"k.hex=del"}, kReload, "",
            "-, ~/k.eep | Not found HEX file, ~/k.eep | FF 11 | ~ | no dialog", {cannot}};
        QTest::newRow("rejected: pair")
            << Open{true, {"n.hex=bad", "n.eep=61"}, kOpenPair, "n.hex", kept + "~/k.hex in ~", badCode};
        QTest::newRow("rejected: pair's EEPROM file; its code file is taken")
            << Open{true, {"n.hex=21", "n.eep=bad"}, kOpenPair, "n.hex",
                    "~/n.hex, ~/k.eep | ~/n.hex, ~/k.eep | 21 11 | ~ | ~/k.hex in ~", badEep};
        // clang-format on
    }
    void open() {
        QFETCH(Open, o);
        if (o.first) {
            Make("k.hex=0A");
            Make("k.eep=0B");
            Run(kOpenPair, "k.hex");
            images.ProgramImage[1] = 0x77;
            ui.calls.clear();
            ui.fileRequests.clear();
        }
        images.EepromImage[0] = 0x11;
        for (const QString& f : o.files) Make(f);
        Run(o.command, o.chosen);
        QCOMPARE(Seen(), o.seen);
        QCOMPARE(Told(), o.told);
        // What the command returns agrees with what it showed: taken pairs say so, anything told else refused.
        const bool opened = o.told.contains("status 1 " + texts::kOpened);
        QCOMPARE(outcome.pairOpened, opened);
        QCOMPARE(outcome.ending == FileOutcome::Ending::Refused, !o.told.isEmpty() && !opened);
        QVERIFY(!state.ReloadRequested);
    }

    // An empty name from the chooser is no choice: the chooser's memory keeps the name it had.
    void emptyChoiceIsNoChoice() {
        ui.fileAnswers.enqueue(QString());
        Run(kOpenCode);
        QCOMPARE(dialog.FileName, QStringLiteral("/earlier/used.hex"));
    }

    // Each reason a reader refuses a file for reaches the notice; the images stay exactly as they were.
    void refusedFileNotice_data() {
        QTest::addColumn<Refused>("r");
        const bool C = true, E = false;
        const QByteArray ok = Data(0, {1, 2});
        // clang-format off
        QTest::newRow("wrong checksum") << Refused{C, "text", Lines({ok, Record(0, 2, {3}, 1)}), 2, texts::kHexBadChecksum};
        QTest::newRow("longer than its count") << Refused{E, "text", Lines({":010000000102FC"}), 1, texts::kHexLengthMismatch};
        QTest::newRow("FIFO") << Refused{C, "fifo", {}, 0, texts::kFileNotRegular};
        QTest::newRow("EEPROM FIFO") << Refused{E, "fifo", {}, 0, texts::kFileNotRegular};
        QTest::newRow("/dev/zero") << Refused{E, "zero", {}, 0, texts::kFileNotRegular};
        QTest::newRow("folder") << Refused{C, "folder", {}, 0, texts::kFileNotRegular};
        QTest::newRow("over 4 MiB") << Refused{C, "huge", {}, 0, texts::kFileTooLarge};
        QTest::newRow("missing") << Refused{E, "missing", {}, 0, texts::kFileMissing};
        // clang-format on
    }
    void refusedFileNotice() {
        QFETCH(Refused, r);
        const QString path = P(r.code ? "sub/in.hex" : "sub/in.eep");
        Place(path, r.kind, r.text);
        (r.code ? state.CodeFileName : state.EepFileName) = path;
        images.ProgramImage.fill(0x5A);
        images.EepromImage.fill(0xA5);
        const MemoryImages before = images;
        const CodeReadResult result =
            r.code ? ReadCodeHexFile(ui, state, images) : ReadEepromHexFile(ui, state, images);
        QVERIFY(!result.Accepted());
        QCOMPARE(result.line, r.line);
        QVERIFY(images.ProgramImage == before.ProgramImage && images.EepromImage == before.EepromImage);
        QString error = r.code ? texts::kCodeReadError : texts::kEepromReadError;
        if (r.line > 0) error += texts::kLineSuffix.arg(r.line);
        const QString file = r.code ? "~/sub/in.hex" : "~/sub/in.eep";
        QCOMPARE(Told(), (QStringList{"status 1 " + error, "message 1 " + error + "\r\n" + file + "\r\n" + r.reason}));
    }

    // At most the cap is read: a file of exactly the cap loads, one byte more is refused unread.
    void inputCap_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << qint64(0) << true;
        QTest::newRow("exactly 4 MiB") << zendra::core::kMaxInputFileBytes << true;
        QTest::newRow("one byte over") << zendra::core::kMaxInputFileBytes + 1 << false;
    }
    void inputCap() {
        QFETCH(qint64, size);
        QFETCH(bool, accepted);
        Put(P("cap.hex"), QByteArray(size, '\n'));
        errno = EINTR;  // left over from an interrupted call: only a read that failed is retried
        const auto read = zendra::core::ReadBoundedFile(P("cap.hex"));
        QCOMPARE(read.Ok(), accepted);
        QCOMPARE(read.bytes.size(), accepted ? size : 0);
        QCOMPARE(read.refusal, accepted ? zendra::core::FileRefusal::None : zendra::core::FileRefusal::TooLarge);
    }

    // A file longer than its size said at the check (as one that grows meanwhile) is refused, never cut short.
    void growingFileIsRefusedWhole() {
        const auto read = zendra::core::ReadBoundedFile(QStringLiteral("/proc/self/status"), 64);  // size 0
        QCOMPARE(read.refusal, zendra::core::FileRefusal::TooLarge);
    }

    void rootFolderIsRemembered() { QCOMPARE(ParentDirectory("/x.hex", "x.hex"), QStringLiteral("/")); }

    // After x.hex / x.eep are opened, `before` happens and program word 0 and EEPROM byte 0 are edited. A
    // failed save leaves the old file whole and no temporary file behind.
    void save_data() {
        QTest::addColumn<Save>("s");
        const QString ask = "box " + texts::kSaveTitle + "|" + texts::kOverwriteQuestion;
        const QString saved = "status 1 " + texts::kSaved, box = "box " + texts::kSaveTitle + "|";
        const QString readOnly = box + texts::kSaveReadOnly, failed = box + texts::kSaveFailed;
        const QStringList x{"x.hex", "x.eep"},
            none{"message 1 " + texts::kNoFileOpenNotice, "status 1 " + texts::kNoFileOpenStatus};
        QTest::newRow("unchanged: no question") << Save{"", kSave, "", true, {saved}, x};
        QTest::newRow("cleared, Cancel") << Save{"clear", kSave, "", false, {ask}, {}};
        QTest::newRow("cleared, OK") << Save{"clear", kSave, "", true, {ask, saved}, x};
        QTest::newRow("EEPROM cleared only") << Save{"clear-eeprom", kSave, "", false, {ask}, {}};
        QTest::newRow("file held data beyond the device") << Save{"beyond", kSave, "", false, {ask}, {}};
        QTest::newRow("saved once since clearing") << Save{"clear-save", kSave, "", false, {saved}, x};
        QTest::newRow("nothing open") << Save{"none", kSave, "", true, none, {}};
        QTest::newRow("code file is a folder") << Save{"blocked", kSave, "", true, {readOnly}, {"x.eep"}};
        QTest::newRow("file-size limit") << Save{"limit", kSave, "", true, {failed}, {"x.eep"}};
        QTest::newRow("file-size limit, small file") << Save{"limit-small", kSave, "", true, {failed}, {"x.eep"}};
        QTest::newRow("read-only file") << Save{"protect", kSave, "", true, {readOnly}, {"x.eep"}};
        QTest::newRow("read-only folder") << Save{"protect-dir", kSaveCode, "new.hex", true, {readOnly}, {}};
        QTest::newRow("save as") << Save{"", kSavePair, "out.hex", true, {}, {"out.hex", "out.eep"}};
        QTest::newRow("save as, existing, Cancel") << Save{"", kSavePair, "x.hex", false, {ask}, {}};
        QTest::newRow("save as, no extension") << Save{"", kSavePair, "prog", true, {}, {"prog", "prog.eep"}};
        QTest::newRow("save as, long extension") << Save{"", kSavePair, "fw.ihex", true, {}, {"fw.ihex", "fw.eep"}};
        QTest::newRow("save code as") << Save{"", kSaveCode, "c.hex", true, {}, {"c.hex"}};
        QTest::newRow("save as an ELF name") << Save{"", kSavePair, "fw.elf", true, {box + texts::kSaveNotElf}, {}};
        QTest::newRow("save data as, hex name") << Save{"", kSaveData, "d.hex", true, {}, {"d.eep"}};
    }
    void save() {
        QFETCH(Save, s);
        if (s.before.startsWith("protect") && geteuid() == 0) QSKIP("permission bits do not stop root");
        QHash<QString, QByteArray> old{{"x.hex", HexFile(0x10)}, {"x.eep", HexFile(0x50)}};
        if (s.before == "beyond") old["x.hex"] = Lines({Data(0x400, {1, 2}), kEnd});
        for (const QString& f : old.keys()) Put(P(f), old[f]);
        if (s.before != "none") Run(kOpenPair, "x.hex");
        if (s.before.startsWith("clear") && s.before != "clear-eeprom") ClearProgramImage(images);
        if (s.before.startsWith("clear")) ClearEepromImage(images);
        if (s.before == "clear-save") Run(kSave);
        if (s.before == "blocked")
            QVERIFY(old.remove("x.hex") && QFile::remove(P("x.hex")) && QDir().mkpath(P("x.hex/a")));
        images.ProgramImage[0] = 0x12;
        images.EepromImage[0] = 0x34;
        ui.calls.clear();
        const QString locked = s.before == "protect" ? P("x.hex") : dir->path();
        if (s.before.startsWith("protect")) QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{s.before == "limit" ? 4096u : 1024u, saved.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        if (s.before == "limit") state.ProgramMemoryWords = 4096;  // about 23 KB of records
        if (s.before.startsWith("limit")) QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        Run(s.command, s.chosen, s.ok);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(Told(), s.told);
        // Done exactly when nothing failed and nobody cancelled; a failure is a refusal, not a quiet end.
        const bool failed = !s.told.filter(QRegularExpression(texts::kSaveReadOnly + "|" + texts::kSaveFailed + "|" +
                                                              texts::kNoFileOpenStatus + "|ELF")).isEmpty();
        QCOMPARE(outcome.ending, failed ? FileOutcome::Ending::Refused
                  : !s.ok && !s.told.filter(texts::kOverwriteQuestion).isEmpty() ? FileOutcome::Ending::Cancelled
                                                                                  : FileOutcome::Ending::Done);
        const QString name = s.command == kSave ? "x.hex" : s.chosen, eep = SetEepromFileExtension(name);
        const QByteArray code = CodeHexText(images.ProgramImage, 512),
                         data = EepromHexText(images.EepromImage, 128);
        QCOMPARE(ReadFile(P(name)), s.written.contains(name) ? code : old.value(name, "<missing>"));
        QCOMPARE(ReadFile(P(eep)), s.written.contains(eep) ? data : old.value(eep, "<missing>"));
        QCOMPARE(Show(settings.values["Settings/SAVE_DIR"]), s.command != kSave && s.ok ? "~" : "-");
        for (const QString& f : QDir(dir->path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(old.contains(f) || s.written.contains(f), qPrintable(f));
        QCOMPARE(Show(state.CodeFileName), s.before == "none" ? "-" : "~/x.hex");
        const QString preset[] = {"~/x.hex", "*.hex", "*.eep"};
        if (s.command != kSave)
            QCOMPARE(Show(ui.fileRequests.last().presetName), preset[s.command - kSavePair]);
    }
};

QTEST_GUILESS_MAIN(ImageTest)
#include "tst_image.moc"
