// Intel HEX reading and writing: record rules, the rejections (with their line), data beyond the device,
// exact writer output, round trips for every catalogue size, files made by the AVR toolchain, and saves
// that fail without harming the existing file.

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "HexRecords.h"
#include "RecordingUi.h"
#include "devices/Catalogue.h"
#include "image/IntelHex.h"
#include "image/ImageTexts.h"

using namespace zendra::image;
using namespace zendra::test;
using zendra::core::SharedState;

Q_DECLARE_METATYPE(HexRejection)

namespace {

QByteArray Lines(const QList<QByteArray>& lines, const QByteArray& end = "\r\n") {
    QByteArray out;
    for (const auto& l : lines) out += l + end;
    return out;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Pairs (index, value) to check after a read.
using Cells = QList<int>;

}  // namespace

class IntelHexTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parseCode_data();
    void parseCode();
    void parseEeprom_data();
    void parseEeprom();
    void writerLayout_data();
    void writerLayout();
    void writerByteOrder();
    void roundTrip_data();
    void roundTrip();
    void toolchainFixtures();
    void rejectedFileLeavesImage_data();
    void rejectedFileLeavesImage();
    void unreadableFileLeavesImage();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void saveFailsAtWriteTime();
    void saveIntoReadOnlyPlaces_data();
    void saveIntoReadOnlyPlaces();
};

void IntelHexTest::parseCode_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("words");
    QTest::addColumn<HexRejection>("rejection");
    QTest::addColumn<int>("line");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<int>("beyond");
    const auto ok = HexRejection::None;

    QTest::newRow("end record only") << Lines({kEnd}) << 512 << ok << 0 << Cells{0, 0xFF, 1, 0xFF, 1023, 0xFF} << 0;
    QTest::newRow("words swap into the image") << Lines({Data(0, {0x0C, 0x94}), kEnd}) << 512 << ok << 0
                                               << Cells{0, 0x94, 1, 0x0C, 2, 0xFF} << 0;
    QTest::newRow("odd start address") << Lines({Data(1, {0x0B}), kEnd}) << 512 << ok << 0
                                       << Cells{0, 0x0B, 1, 0xFF} << 0;
    QTest::newRow("lower-case digits load as their value")
        << Lines({Data(0, {0xAB, 0xCD}).toLower(), kEnd}) << 512 << ok << 0 << Cells{0, 0xCD, 1, 0xAB} << 0;
    QTest::newRow("record after the end record") << Lines({kEnd, Data(4, {0x11, 0x22})}) << 512 << ok << 0
                                                 << Cells{4, 0x22, 5, 0x11} << 0;
    QTest::newRow("LF line ends") << Lines({Data(0, {1, 2}), kEnd}, "\n") << 512 << ok << 0 << Cells{0, 2, 1, 1}
                                  << 0;
    QTest::newRow("last line without line end") << Lines({kEnd}) + Data(2, {3, 4}) << 512 << ok << 0
                                                << Cells{2, 4, 3, 3} << 0;
    QTest::newRow("blank lines and trailing blanks")
        << QByteArray("\r\n") + Data(0, {5, 6}) + " \t \r\n\r\n   \r\n" + kEnd + "  \r\n" << 512 << ok << 0
        << Cells{0, 6, 1, 5} << 0;
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + Lines({Data(0, {7, 8}), kEnd}) << 512 << ok << 0
                                     << Cells{0, 8, 1, 7} << 0;
    QTest::newRow("extended addresses with base 0 and start records")
        << Lines({Record(0x02, 0, {0, 0}), Record(0x04, 0, {0, 0}), Record(0x03, 0, {0, 0, 0, 0}),
                  Record(0x05, 0, {0, 0, 0, 0}), Data(0x10, {9, 10}), kEnd})
        << 512 << ok << 0 << Cells{0x10, 10, 0x11, 9} << 0;
    QTest::newRow("highest address stays inside") << Lines({Data(0xFFFE, {0x12, 0x34}), kEnd}) << 512 << ok << 0
                                                  << Cells{0xFFFE, 0x34, 0xFFFF, 0x12, 0x10000, 0xFF} << 2;
    QTest::newRow("beyond a 512-word device") << Lines({Data(0x3FE, {1, 2, 3, 4}), kEnd}) << 512 << ok << 0
                                              << Cells{0x3FE, 2, 0x3FF, 1, 0x400, 4, 0x401, 3} << 2;
    QTest::newRow("no device selected: all beyond") << Lines({Data(0, {1, 2, 3}), kEnd}) << 0 << ok << 0
                                                    << Cells{0, 2, 1, 1, 3, 3} << 3;

    QTest::newRow("wrong checksum") << Lines({Data(0, {1, 2}), Record(0, 2, {3, 4}, 1), kEnd}) << 512
                                    << HexRejection::BadChecksum << 2 << Cells{} << 0;
    QTest::newRow("count larger than the data") << Lines({":0400000001020300", kEnd}) << 512
                                                << HexRejection::LengthMismatch << 1 << Cells{} << 0;
    QTest::newRow("odd number of digits") << Lines({kEnd, ":0100000001FE0"}) << 512
                                          << HexRejection::LengthMismatch << 2 << Cells{} << 0;
    QTest::newRow("too short for a record") << Lines({":0000"}) << 512 << HexRejection::LengthMismatch << 1
                                            << Cells{} << 0;
    QTest::newRow("non-hex character") << Lines({Data(0, {1}), ":01000000G1FE", kEnd}) << 512
                                       << HexRejection::BadDigit << 2 << Cells{} << 0;
    QTest::newRow("blank inside the record") << Lines({":01000000 01FE"}) << 512 << HexRejection::BadDigit << 1
                                             << Cells{} << 0;
    QTest::newRow("no start mark") << Lines({Data(0, {1, 2}), "", "00000001FF"}) << 512
                                   << HexRejection::NoStartMark << 3 << Cells{} << 0;
    QTest::newRow("leading blank before the mark") << Lines({" " + kEnd}) << 512 << HexRejection::NoStartMark << 1
                                                   << Cells{} << 0;
    QTest::newRow("data past address FFFF") << Lines({Data(0xFFFE, {1, 2, 3})}) << 512
                                            << HexRejection::OutsideImage << 1 << Cells{} << 0;
    QTest::newRow("linear base not zero") << Lines({Record(0x04, 0, {0x00, 0x01}), Data(0, {1}), kEnd}) << 512
                                          << HexRejection::ExtendedAddress << 1 << Cells{} << 0;
    QTest::newRow("segment base not zero") << Lines({Data(0, {1}), Record(0x02, 0, {0x10, 0x00}), kEnd}) << 512
                                           << HexRejection::ExtendedAddress << 2 << Cells{} << 0;
}

void IntelHexTest::parseCode() {
    QFETCH(QByteArray, text);
    QFETCH(int, words);
    QFETCH(HexRejection, rejection);
    QFETCH(int, line);
    QFETCH(Cells, cells);
    QFETCH(int, beyond);
    auto image = std::make_unique<ProgramArray>();
    image->fill(kErased);
    const HexReadResult result = ParseCodeHex(text, *image, words);
    QCOMPARE(result.rejection, rejection);
    QCOMPARE(result.line, line);
    if (rejection != HexRejection::None) return;
    QCOMPARE(result.bytesBeyondDevice, beyond);
    for (int i = 0; i + 1 < cells.size(); i += 2) QCOMPARE(int((*image)[cells[i]]), cells[i + 1]);
}

void IntelHexTest::parseEeprom_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<HexRejection>("rejection");
    QTest::addColumn<int>("line");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<int>("beyond");
    const auto ok = HexRejection::None;
    QTest::newRow("bytes in address order") << Lines({Data(0, {1, 2, 3}), kEnd}) << 128 << ok << 0
                                            << Cells{0, 1, 1, 2, 2, 3, 3, 0xFF} << 0;
    QTest::newRow("odd address") << Lines({Data(0x7F, {0x5A}), kEnd}) << 128 << ok << 0 << Cells{0x7F, 0x5A} << 0;
    QTest::newRow("beyond 128 bytes") << Lines({Data(0x7E, {1, 2, 3, 4}), kEnd}) << 128 << ok << 0
                                      << Cells{0x7E, 1, 0x81, 4} << 2;
    QTest::newRow("last cell of the image") << Lines({Data(0x800, {0x42})}) << 512 << ok << 0 << Cells{0x800, 0x42}
                                            << 1;
    QTest::newRow("past the image") << Lines({Data(0x7FF, {1, 2, 3})}) << 512 << HexRejection::OutsideImage << 1
                                    << Cells{} << 0;
    QTest::newRow("wrong checksum") << Lines({kEnd, kEnd, Record(0, 0, {1}, 0x80)}) << 128
                                    << HexRejection::BadChecksum << 3 << Cells{} << 0;
}

void IntelHexTest::parseEeprom() {
    QFETCH(QByteArray, text);
    QFETCH(int, bytes);
    QFETCH(HexRejection, rejection);
    QFETCH(int, line);
    QFETCH(Cells, cells);
    QFETCH(int, beyond);
    EepromArray image;
    image.fill(kErased);
    const HexReadResult result = ParseEepromHex(text, image, bytes);
    QCOMPARE(result.rejection, rejection);
    QCOMPARE(result.line, line);
    if (rejection != HexRejection::None) return;
    QCOMPARE(result.bytesBeyondDevice, beyond);
    for (int i = 0; i + 1 < cells.size(); i += 2) QCOMPARE(int(image[cells[i]]), cells[i + 1]);
}

void IntelHexTest::writerLayout_data() {
    QTest::addColumn<bool>("code");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("lastDataRecord");
    const QByteArray ffs(32, 'F');
    QTest::newRow("512 words") << true << 512 << 64 << ":1003F000" + ffs + "0D";
    QTest::newRow("4096 words") << true << 4096 << 512 << ":101FF000" + ffs + "F1";
    QTest::newRow("128-byte EEPROM") << false << 128 << 8 << ":10007000" + ffs + "90";
    QTest::newRow("no device") << true << 0 << 0 << QByteArray();
}

void IntelHexTest::writerLayout() {
    QFETCH(bool, code);
    QFETCH(int, size);
    QFETCH(int, records);
    QFETCH(QByteArray, lastDataRecord);
    const MemoryImages images;
    const QByteArray text = code ? CodeHexText(images.ProgramImage, size) : EepromHexText(images.EepromImage, size);
    QVERIFY(text.endsWith("\r\n"));
    QCOMPARE(text.count("\r\n"), records + 1);
    QCOMPARE(text.count('\n'), records + 1);
    const QList<QByteArray> lines = text.chopped(2).split('\n');
    QCOMPARE(lines.last(), kEnd);
    const QByteArray ffs(32, 'F');
    if (records >= 2) {
        QCOMPARE(lines[0], ":10000000" + ffs + "00\r");
        QCOMPARE(lines[1], ":10001000" + ffs + "F0\r");
        QCOMPARE(lines[records - 1], lastDataRecord + "\r");
    }
}

void IntelHexTest::writerByteOrder() {
    MemoryImages images;
    images.ProgramImage[0] = 0x94;  // word 0 = 0x940C, high byte first in the image
    images.ProgramImage[1] = 0x0C;
    images.ProgramImage[1024] = 0x12;  // beyond a 512-word device: not written
    const QByteArray text = CodeHexText(images.ProgramImage, 512);
    QVERIFY(text.startsWith(":100000000C94FFFF"));
    MemoryImages loaded;
    QVERIFY(ParseCodeHex(text, loaded.ProgramImage, 512).Accepted());
    QCOMPARE(loaded.ProgramImage[1024], kErased);
}

void IntelHexTest::roundTrip_data() {
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("bytes");
    for (const auto& device : zendra::devices::DeviceTable())
        QTest::newRow(device.name) << int(device.flashWords) << int(device.eepromBytes);
    QTest::newRow("no match") << 0 << 0;
}

void IntelHexTest::roundTrip() {
    QFETCH(int, words);
    QFETCH(int, bytes);
    QRandomGenerator random(static_cast<quint32>(words * 7 + bytes));
    MemoryImages images;
    for (auto& b : images.ProgramImage) b = static_cast<quint8>(random.bounded(256));
    for (auto& b : images.EepromImage) b = static_cast<quint8>(random.bounded(256));

    const QByteArray codeText = CodeHexText(images.ProgramImage, words);
    const QByteArray eepText = EepromHexText(images.EepromImage, bytes);
    MemoryImages loaded;
    QVERIFY(ParseCodeHex(codeText, loaded.ProgramImage, words).Accepted());
    QVERIFY(ParseEepromHex(eepText, loaded.EepromImage, bytes).Accepted());
    for (int i = 0; i < kProgramImageSize; ++i)
        QCOMPARE(loaded.ProgramImage[i], i < 2 * words ? images.ProgramImage[i] : kErased);
    for (int i = 0; i < kEepromImageSize; ++i)
        QCOMPARE(loaded.EepromImage[i], i < bytes ? images.EepromImage[i] : kErased);
    QCOMPARE(CodeHexText(loaded.ProgramImage, words), codeText);
    QCOMPARE(EepromHexText(loaded.EepromImage, bytes), eepText);
}

// blink.hex / blink.eep come from avr-objcopy -O ihex (make-fixtures.sh); the .bin files are the same
// sections as raw bytes.
void IntelHexTest::toolchainFixtures() {
    const QString dir = QStringLiteral(ZENDRA_TEST_DATA_DIR);
    const QByteArray codeBin = ReadAll(dir + "/blink.code.bin");
    const QByteArray eepBin = ReadAll(dir + "/blink.eep.bin");
    QVERIFY(codeBin.size() > 16 && codeBin.size() % 2 == 0);
    QVERIFY(eepBin.size() > 16);

    MemoryImages images;
    const HexReadResult code = ParseCodeHex(ReadAll(dir + "/blink.hex"), images.ProgramImage, 1024);
    const HexReadResult eep = ParseEepromHex(ReadAll(dir + "/blink.eep"), images.EepromImage, 128);
    QVERIFY(code.Accepted());
    QVERIFY(eep.Accepted());
    QCOMPARE(code.bytesBeyondDevice, 0);
    for (int i = 0; i < codeBin.size(); i += 2) {
        QCOMPARE(images.ProgramImage[i], quint8(codeBin[i + 1]));
        QCOMPARE(images.ProgramImage[i + 1], quint8(codeBin[i]));
    }
    QCOMPARE(images.ProgramImage[codeBin.size()], kErased);
    for (int i = 0; i < eepBin.size(); ++i) QCOMPARE(images.EepromImage[i], quint8(eepBin[i]));
    QCOMPARE(images.EepromImage[eepBin.size()], kErased);

    // Our own file of the same image reads back the same.
    MemoryImages again;
    QVERIFY(ParseCodeHex(CodeHexText(images.ProgramImage, 1024), again.ProgramImage, 1024).Accepted());
    QVERIFY(again.ProgramImage == images.ProgramImage);
}

void IntelHexTest::rejectedFileLeavesImage_data() {
    QTest::addColumn<bool>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("code, checksum on line 3")
        << true << Lines({Data(0, {1, 2}), Data(2, {3, 4}), Record(0, 4, {5}, 3), kEnd})
        << QStringLiteral("HEX ファイルのオープンエラー (行 3)");
    QTest::newRow("EEPROM, no mark on line 2") << false << Lines({Data(0, {1, 2}), "x", kEnd})
                                               << QStringLiteral("EEP  ファイルのオープンエラー (行 2)");
}

void IntelHexTest::rejectedFileLeavesImage() {
    QFETCH(bool, code);
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.hex");
    WriteAll(path, text);
    SharedState state;
    state.ProgramMemoryWords = 512;
    state.EepromBytes = 128;
    state.CodeFileName = state.EepFileName = path;
    MemoryImages images;
    images.ProgramImage[0] = 0x77;
    images.EepromImage[0] = 0x66;
    images.ProgramFileAtRisk = images.EepromFileAtRisk = false;
    const MemoryImages before = images;
    RecordingUi ui;
    const HexReadResult result = code ? ReadCodeHexFile(ui, state, images) : ReadEepromHexFile(ui, state, images);
    QVERIFY(!result.Accepted());
    QVERIFY(images.ProgramImage == before.ProgramImage);
    QVERIFY(images.EepromImage == before.EepromImage);
    QCOMPARE(images.ProgramFileAtRisk, false);
    QCOMPARE(images.EepromFileAtRisk, false);
    QCOMPARE(ui.panels[1], shown);
    QCOMPARE(ui.CallsStartingWith("message 1 "), QStringList{"message 1 " + shown});
}

void IntelHexTest::unreadableFileLeavesImage() {
    QTemporaryDir dir;
    SharedState state;
    state.ProgramMemoryWords = 512;
    state.CodeFileName = dir.path();  // a folder cannot be read as a file
    MemoryImages images;
    images.ProgramImage[3] = 0x33;
    RecordingUi ui;
    QCOMPARE(ReadCodeHexFile(ui, state, images).rejection, HexRejection::Unreadable);
    QCOMPARE(images.ProgramImage[3], quint8(0x33));
    QCOMPARE(ui.panels[1], texts::kCodeReadError);
}

void IntelHexTest::failedSaveKeepsOldFile_data() {
    QTest::addColumn<QString>("target");  // relative to a fresh folder
    QTest::addColumn<QString>("text");
    QTest::newRow("target is a folder") << "taken.hex" << texts::kSaveReadOnly;
    QTest::newRow("folder does not exist") << "missing/new.hex" << texts::kSaveFailed;
}

void IntelHexTest::failedSaveKeepsOldFile() {
    QFETCH(QString, target);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("taken.hex/inside"));
    SharedState state;
    state.ProgramMemoryWords = 512;
    state.SaveCodeFileName = dir.filePath(target);
    MemoryImages images;
    RecordingUi ui;
    QVERIFY(!WriteCodeHexFile(ui, state, images));
    QCOMPARE(ui.boxes.size(), 1);
    QCOMPARE(ui.boxes[0].icon, zendra::core::MessageIcon::Critical);
    QCOMPARE(ui.boxes[0].title, texts::kSaveTitle);
    QCOMPARE(ui.boxes[0].text, text);
    QVERIFY(QFileInfo(dir.filePath("taken.hex/inside")).isDir());
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
}

// A file-size limit makes the write itself fail (also for root): the old file must stay whole.
void IntelHexTest::saveFailsAtWriteTime() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.hex");
    const QByteArray old = Lines({Data(0, {1, 2, 3, 4}), kEnd});
    WriteAll(path, old);
    SharedState state;
    state.ProgramMemoryWords = 4096;  // about 23 KB of records
    state.SaveCodeFileName = path;
    MemoryImages images;
    RecordingUi ui;

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteCodeHexFile(ui, state, images);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(ui.boxes.size(), 1);
    QCOMPARE(ui.boxes[0].text, texts::kSaveFailed);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.hex"});
}

void IntelHexTest::saveIntoReadOnlyPlaces_data() {
    QTest::addColumn<bool>("protectFolder");
    QTest::newRow("write-protected file") << false;
    QTest::newRow("write-protected folder") << true;
}

void IntelHexTest::saveIntoReadOnlyPlaces() {
    QFETCH(bool, protectFolder);
    if (geteuid() == 0) QSKIP("permission bits do not stop root");
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.eep");
    const QByteArray old = Lines({Data(0, {9}), kEnd});
    WriteAll(path, old);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(protectFolder ? dir.path() : path, protectFolder ? readOnly : QFileDevice::ReadOwner);
    SharedState state;
    state.EepromBytes = 128;
    state.SaveEepFileName = protectFolder ? dir.filePath("new.eep") : path;
    MemoryImages images;
    RecordingUi ui;
    const bool written = WriteEepromHexFile(ui, state, images);
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(!written);
    QCOMPARE(ui.boxes.size(), 1);
    QCOMPARE(ui.boxes[0].text, texts::kSaveReadOnly);
    QCOMPARE(ReadAll(path), old);
}

QTEST_GUILESS_MAIN(IntelHexTest)
#include "tst_intelhex.moc"
