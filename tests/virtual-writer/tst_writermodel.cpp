// The writer model against the protocol: every command's answer in every state, the chip's memory rules,
// the fault options and the update mode.

#include <QJsonDocument>
#include <QtTest>

#include "StateJson.h"
#include "WireNotation.h"
#include "WriterModel.h"

using namespace zendra::virtualwriter;
using zendra::test::Trace;
using zendra::test::Wire;

namespace {

constexpr int kTiny12 = 0, kTiny15 = 1, kTiny26 = 2, k2323 = 3, k2343 = 4, k1200A = 6, k4433 = 8, k8515 = 11,
              k8535 = 12;
const QString kId = QStringLiteral("'KX-WRT540 20 'V6.35 0D 0A");

WriterOptions Options(int device, bool locked = false, bool empty = false) {
    WriterOptions options;
    options.deviceIndex = device;
    options.locked = locked;
    options.emptySocket = empty;
    return options;
}

// A chip with word 0 = 0x1234 and EEPROM byte 0 = 0x56, to tell a real read from an erased one.
ChipState Programmed(int device) {
    ChipState chip = ChipState::Fresh(device);
    chip.flash[0] = 0x1234;
    chip.eeprom[0] = 0x56;
    return chip;
}

}  // namespace

class TestWriterModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void session_data();
    void session();
    void identification_data();
    void identification();
    void protectedReads_data();
    void protectedReads();
    void faults_data();
    void faults();
    void updateReplacesFirmware();
    void interruptedUpdateKeepsFirmware();
    void wireLogMergesDirections();
    void chipChoice_data();
    void chipChoice();
    void jsonRoundTrip();
    void jsonPartialPreload();
    void jsonRefusesMalformed_data();
    void jsonRefusesMalformed();
    void loadChipRefusesWrongSizes();
};

void TestWriterModel::session_data() {
    QTest::addColumn<int>("device");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("expected");

    auto row = [](const char* name, int device, const QString& sent, const QString& expected,
                  bool locked = false, bool empty = false) {
        QTest::newRow(name) << device << locked << empty << sent << expected;
    };
    // Base set and AVR set
    row("base ? identifies", kTiny12, "'?", kId);
    row("base A acknowledges", kTiny12, "'A", "0D");
    row("base ESC is silent", kTiny12, "1B", "");
    row("base lone s refused", kTiny12, "'s", "3F");
    row("base P refused", kTiny12, "'P", "3F");
    row("base T answered byte by byte", kTiny12, "'T 59 00", "3F 3F 3F");
    row("ESC back to base", kTiny12, "'A 1B 'P", "0D 3F");
    row("ESC ends programming mode", kTiny12, "'AP 'a 00 00 'W 34 12 1B 'A 'a 00 00 'R",
        "0D 0D 0D 0D 0D 0D FF FF");
    row("AVR ? identifies", kTiny12, "'A?", "0D " + kId);
    row("AVR A again", kTiny12, "'AA", "0D 0D");
    row("T catalogue code", kTiny12, "'AT 59 00", "0D 0D");
    row("T AT90S1200 code", kTiny12, "'AT 13 FF", "0D 0D");
    row("T unknown code", kTiny12, "'AT 99 00", "0D 3F");
    row("T code zero", kTiny12, "'AT 00 00", "0D 3F");
    row("AVR unknown letter", kTiny12, "'AZ", "0D 3F");
    row("AVR U refused", kTiny12, "'AU", "0D 3F");
    // Signature
    row("signature ATtiny26L", kTiny26, "'APs", "0D 0D 09 91 1E");
    row("signature AT90S8515", k8515, "'APs", "0D 0D 01 93 1E");
    row("signature AT90S1200A", k1200A, "'APs", "0D 0D 01 90 1E");
    row("signature outside programming", kTiny26, "'As", "0D FF FF FF");
    row("signature after L", kTiny26, "'APLs", "0D 0D 0D FF FF FF");
    row("signature locked", kTiny26, "'APs", "0D 0D 02 01 00", true);
    row("signature empty socket", kTiny26, "'APs", "0D 0D FF FF FF", false, true);
    // Flash and EEPROM
    row("c C written and read back", kTiny12, "'AP 'a 00 10 'c 34 'C 12 'a 00 10 'R",
        "0D 0D 0D 0D 0D 0D 12 34");
    row("C advances", kTiny12, "'AP 'a 00 00 'c 11 'C 22 'c 33 'C 44 'a 00 00 'RR",
        "0D 0D 0D 0D 0D 0D 0D 0D 22 11 44 33");
    row("c alone stays", kTiny12, "'AP 'a 00 00 'c 11 'c 22 'C FF 'a 00 00 'RR",
        "0D 0D 0D 0D 0D 0D 0D FF 00 FF FF");
    row("W advances", kTiny26, "'AP 'a 00 00 'W 34 12 'W 78 56 'a 00 00 'RR",
        "0D 0D 0D 0D 0D 0D 12 34 56 78");
    row("flash writes only clear bits", kTiny12, "'AP 'a 00 00 'W 0F F0 'a 00 00 'W F0 0F 'a 00 00 'R",
        "0D 0D 0D 0D 0D 0D 0D 00 00");
    row("erase makes flash writable again", kTiny12, "'AP 'a 00 00 'W 00 00 'e 'a 00 00 'W 34 12 'a 00 00 'R",
        "0D 0D 0D 0D 0D 0D 0D 0D 12 34");
    row("d and D keep the address", kTiny12, "'AP 'a 00 03 'D 11 'D 22 'dd 'a 00 04 'd",
        "0D 0D 0D 0D 0D 22 22 0D FF");
    row("EEPROM write replaces", kTiny12, "'AP 'a 00 00 'D 00 'D A5 'd", "0D 0D 0D 0D 0D A5");
    row("one address register", kTiny12, "'AP 'a 00 02 'W 00 00 'D 77 'a 00 03 'd", "0D 0D 0D 0D 0D 0D 77");
    row("flash address wraps", kTiny12, "'AP 'a 02 00 'W 34 12 'a 00 00 'R", "0D 0D 0D 0D 0D 12 34");
    row("EEPROM address wraps", kTiny12, "'AP 'a 00 40 'D 99 'a 00 00 'd", "0D 0D 0D 0D 0D 99");
    row("locked chip ignores writes", kTiny12, "'AP 'a 00 00 'W 34 12 'D 00 'a 00 00 'R 'd",
        "0D 0D 0D 0D 0D 0D FF FF FF", true);
    row("erase unlocks", kTiny12, "'AP 'e 's", "0D 0D 0D 05 90 1E", true);
    row("outside programming writes nothing", kTiny12, "'A 'a 00 00 'W 34 12 'D 00 'P 'a 00 00 'R 'd",
        "0D 0D 0D 0D 0D 0D FF FF FF");
    row("empty socket", kTiny12, "'AP 'a 00 00 'W 34 12 'a 00 00 'R 'd 'F 'r 'o",
        "0D 0D 0D 0D 0D FF FF FF FF FF FF", false, true);
    // Fuses, lock, calibration
    row("ATtiny12L fuse default", kTiny12, "'APr", "0D 0D D2");
    row("ATtiny12L SPIEN stays programmed", kTiny12, "'AP 'u FF 'r", "0D 0D 0D DF");
    row("ATtiny15L clock write", kTiny15, "'AP 'u F6 'r", "0D 0D 0D DE");
    row("ATtiny26L low fuse", kTiny26, "'AP 'u 64 'r", "0D 0D 0D 64");
    row("ATtiny26L high fuse default", kTiny26, "'AP 3A 58 08 00", "0D 0D F7");
    row("ATtiny26L high fuse write", kTiny26, "'AP 3B AC A8 00 EB 3A 58 08 00", "0D 0D 0D E3");
    row("high fuse absent", kTiny12, "'AP 3A 58 08 00", "0D 0D FF");
    row("other read instruction", kTiny26, "'AP 3A 50 00 00", "0D 0D FF");
    row("other write instruction", kTiny26, "'AP 3B AC A0 00 00 3A 58 08 00 'r", "0D 0D 0D F7 E1");
    row("ATtiny26L lock write", kTiny26, "'AP 3B AC E0 00 FC 'F", "0D 0D 0D FC");
    row("ATtiny26L LB1 protects", kTiny26, "'AP 3B AC E0 00 FE 's", "0D 0D 0D 02 01 00");
    row("ATtiny26L LB2 alone reads", kTiny26, "'AP 3B AC E0 00 FD 'F 's", "0D 0D 0D FD 09 91 1E");
    row("ATtiny12L lock write", kTiny12, "'AP 'l FD 'F", "0D 0D 0D FD");
    row("lock bits only get programmed", kTiny12, "'AP 'l FB 'l FD 'l FF 'F", "0D 0D 0D 0D 0D F9");
    row("lock write keeps other bits", kTiny12, "'AP 'l 00 'F", "0D 0D 0D F9");
    row("erase clears lock", kTiny12, "'AP 'l F9 'e 'F", "0D 0D 0D 0D FF");
    row("AT90S2323 combined byte", k2323, "'APF", "0D 0D DF");
    row("AT90S2323 LB1", k2323, "'AP 'l FD 'F", "0D 0D 0D 5F");
    row("AT90S2323 LB1 and LB2", k2323, "'AP 'l F9 'F", "0D 0D 0D 1F");
    row("AT90S2323 FSTRT", k2323, "'AP 'f BE 'F", "0D 0D 0D DE");
    row("AT90S2343 RCEN default", k2343, "'APF", "0D 0D DE");
    row("AT90S8535 FSTRT", k8535, "'AP 'f BE 'f BF 'F", "0D 0D 0D 0D DF");
    row("AT90S4433 fuse", k4433, "'AP 'r 'f A0 'r 'F", "0D 0D DA 0D C0 FF");
    row("AT90S8515 has no fuse", k8515, "'AP 'f 00 'r 'F", "0D 0D 0D FF FF");
    row("calibration", kTiny12, "'APo", "0D 0D 5B");
    row("no calibration", k8515, "'APo", "0D 0D FF");
    row("EESAVE keeps EEPROM", kTiny26, "'AP 3B AC A8 00 F3 'a 00 00 'D 42 'e 'a 00 00 'd",
        "0D 0D 0D 0D 0D 0D 0D 42");
    row("erase clears EEPROM", kTiny26, "'AP 'a 00 00 'D 42 'e 'a 00 00 'd", "0D 0D 0D 0D 0D 0D FF");
    row("outside programming fuse commands", kTiny26,
        "'A 'u 00 3B AC A8 00 00 'l 00 'r 3A 58 08 00 'F 'o 'P 'r 'F", "0D 0D 0D 0D FF FF FF FF 0D E1 FF");
    // Update mode
    row("update echo", kTiny12, "'U 00 10 3F FF", "4E");
    row("update sum wraps", kTiny12, "'U FF FF FF FE", "FB");
    row("update end then base", kTiny12, "'U 00 00 12 34 FF FF FF FF '?", "46 " + kId);
    row("letters are data in update mode", kTiny12, "'U '?AP 00", "D0");
}

void TestWriterModel::session() {
    QFETCH(int, device);
    QFETCH(bool, locked);
    QFETCH(bool, empty);
    QFETCH(QString, sent);
    QFETCH(QString, expected);
    WriterModel model(Options(device, locked, empty));
    QCOMPARE(Trace(model.Feed(Wire(sent))), Trace(Wire(expected)));
}

void TestWriterModel::identification_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("6.35") << "6.35" << QByteArray("KX-WRT540 V6.35\r\n");
    QTest::newRow("6.30") << "6.30" << QByteArray("KX-WRT540 V6.30\r\n");
    QTest::newRow("old") << "6.29" << QByteArray("KX-WRT540 V6.29\r\n");
}

void TestWriterModel::identification() {
    QFETCH(QString, version);
    QFETCH(QByteArray, expected);
    WriterOptions options;
    options.firmwareVersion = version;
    WriterModel model(options);
    const QByteArray reply = model.Feed("?");
    QCOMPARE(reply, expected);
    QCOMPARE(reply.size(), 17);
}

void TestWriterModel::protectedReads_data() {
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("expected");
    const QString read = "'a 00 00 'R 'a 00 00 'd";
    QTest::newRow("readable") << false << false << "'AP " + read << "0D 0D 0D 12 34 0D 56";
    QTest::newRow("locked") << true << false << "'AP " + read << "0D 0D 0D FF FF 0D FF";
    QTest::newRow("empty socket") << false << true << "'AP " + read << "0D 0D 0D FF FF 0D FF";
    QTest::newRow("outside programming") << false << false << "'A " + read << "0D 0D FF FF 0D FF";
    // Writes that must not reach a chip that cannot take them
    QTest::newRow("locked writes") << true << false << "'AP 'a 00 00 'W 00 00 'a 00 00 'D 00 'e 'a 00 00 'R"
                                   << "0D 0D 0D 0D 0D 0D 0D 0D FF FF";
    QTest::newRow("outside writes") << false << false << "'A 'a 00 00 'W 00 00 'D 00 'e 'P 'a 00 00 'd 'R"
                                    << "0D 0D 0D 0D 0D 0D 0D 56 12 34";
}

void TestWriterModel::protectedReads() {
    QFETCH(bool, locked);
    QFETCH(bool, empty);
    QFETCH(QString, sent);
    QFETCH(QString, expected);
    WriterModel model(Options(kTiny12, false, empty));
    ChipState chip = Programmed(kTiny12);
    if (locked) chip.lock = 0xFD;
    QVERIFY(model.LoadChip(chip));
    QCOMPARE(Trace(model.Feed(Wire(sent))), Trace(Wire(expected)));
    if (!locked || !sent.contains("'e")) {
        // Nothing above may have reached the chip's memories.
        QCOMPARE(model.Chip().flash, chip.flash);
        QCOMPARE(model.Chip().eeprom, chip.eeprom);
    }
}

void TestWriterModel::faults_data() {
    QTest::addColumn<int>("silentAfter");  // -1: off
    QTest::addColumn<int>("wrongFrom");    // -1: off
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("silent from the start") << 0 << -1 << "'?"
                                           << "";
    QTest::newRow("silent after two") << 2 << -1 << "'AAA"
                                      << "0D 0D";
    QTest::newRow("silent after one") << 1 << -1 << "'A 1B '?"
                                      << "0D";
    QTest::newRow("silence counts whole frames") << 2 << -1 << "'AT 59 00 'A"
                                                 << "0D 0D";
    QTest::newRow("wrong from two") << -1 << 2 << "'AP"
                                    << "0D 3F";
    QTest::newRow("wrong data inverted") << -1 << 3 << "'APs"
                                         << "0D 0D F6 6E E1";
    QTest::newRow("wrong identification") << -1 << 1 << "'?"
                                          << "B4 A7 D2 A8 AD AB CA CB CF DF A9 C9 D1 CC CA F2 F5";
    QTest::newRow("wrong update echo") << -1 << 2 << "'U 00 10 3F FF"
                                       << "B1";
    QTest::newRow("silence wins") << 2 << 1 << "'AAA"
                                  << "3F 3F";
}

void TestWriterModel::faults() {
    QFETCH(int, silentAfter);
    QFETCH(int, wrongFrom);
    QFETCH(QString, sent);
    QFETCH(QString, expected);
    WriterOptions options = Options(kTiny26);
    if (silentAfter >= 0) options.silentAfter = silentAfter;
    if (wrongFrom >= 0) options.wrongFrom = wrongFrom;
    WriterModel model(options);
    QCOMPARE(Trace(model.Feed(Wire(sent))), Trace(Wire(expected)));
}

void TestWriterModel::updateReplacesFirmware() {
    WriterModel model;
    ChipState chip = ChipState::Fresh(kTiny12);
    chip.firmware.insert(0x0100, 0xAAAA);
    QVERIFY(model.LoadChip(chip));
    model.Feed(Wire("'U 00 10 3F FF 1F FE 12 34"));
    QCOMPARE(model.CurrentMode(), WriterModel::Mode::Update);
    QCOMPARE(model.CompletedUpdates(), 0);
    QCOMPARE(model.Feed(Wire("FF FF FF FF")), QByteArray());
    QCOMPARE(model.CurrentMode(), WriterModel::Mode::Base);
    QCOMPARE(model.CompletedUpdates(), 1);
    const QMap<quint16, quint16> expected{{0x0010, 0x3FFF}, {0x1FFE, 0x1234}};
    QCOMPARE(model.Chip().firmware, expected);
}

void TestWriterModel::interruptedUpdateKeepsFirmware() {
    WriterModel model;
    ChipState chip = ChipState::Fresh(kTiny12);
    chip.firmware.insert(0x0100, 0xAAAA);
    QVERIFY(model.LoadChip(chip));
    model.Feed(Wire("'U 00 10 3F FF 00 11"));
    QVERIFY(model.FrameInProgress());
    QCOMPARE(model.Chip().firmware, chip.firmware);
}

void TestWriterModel::wireLogMergesDirections() {
    WriterModel model;
    model.Feed(Wire("'A 'T 59 00 1B"));
    const QList<WireEntry> expected{
        {true, "A"}, {false, "\r"}, {true, Wire("'T 59 00")}, {false, "\r"}, {true, "\x1b"}};
    QCOMPARE(model.TakeWireLog(), expected);
    QVERIFY(model.WireLog().isEmpty());
}

void TestWriterModel::chipChoice_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");  // -1: refused
    QTest::newRow("name") << "ATtiny26L" << kTiny26;
    QTest::newRow("index") << "12" << k8535;
    QTest::newRow("index zero") << "0" << kTiny12;
    QTest::newRow("model name") << "at90s1200" << 5;
    QTest::newRow("full second entry") << QString::fromUtf8("AT90S1200A(内部RCｸﾛｯｸ1MHz)") << k1200A;
    QTest::newRow("index past the end") << "13" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("unknown") << "ATmega8" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestWriterModel::chipChoice() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ParseChipChoice(text).value_or(-1), expected);
}

void TestWriterModel::jsonRoundTrip() {
    WriterModel model(Options(kTiny26));
    model.Feed(Wire("'AP 'a 00 05 'W 34 12 'a 00 7F 'D 99 3B AC A8 00 E3 'u 64 3B AC E0 00 FE 'L 1B"));
    model.Feed(Wire("'U 1F FE 12 34 FF FF FF FF"));
    const ChipState before = model.Chip();
    QString error;
    const auto after = ChipStateFromJson(ChipStateToJson(before), kTiny12, &error);
    QVERIFY2(after.has_value(), qPrintable(error));
    QCOMPARE(after->deviceIndex, kTiny26);
    QCOMPARE(after->flash[5], quint16(0x1234));
    QCOMPARE(after->eeprom[0x7F], char(0x99));
    QCOMPARE(after->fuseHigh, quint8(0xE3));
    QCOMPARE(after->lock, quint8(0xFE));
    QVERIFY(*after == before);

    // Through a file, as kxwrt-sim's --dump and --preload do.
    QTemporaryDir dir;
    const QString path = dir.filePath("state.json");
    QVERIFY(WriteChipStateFile(before, path, &error));
    const auto reread = ReadChipStateFile(path, kTiny12, &error);
    QVERIFY2(reread.has_value(), qPrintable(error));
    QVERIFY(*reread == before);
}

void TestWriterModel::jsonPartialPreload() {
    const QJsonObject json{{"chip", "AT90S8515"},
                           {"flash", "1234ABCD"},
                           {"eeprom", "56"},
                           {"lock", "0xF9"},
                           {"calibration", 160}};
    QString error;
    const auto chip = ChipStateFromJson(json, kTiny12, &error);
    QVERIFY2(chip.has_value(), qPrintable(error));
    QCOMPARE(chip->deviceIndex, k8515);
    QCOMPARE(chip->flash.size(), 4096);
    QCOMPARE(chip->flash[1], quint16(0xABCD));
    QCOMPARE(chip->flash[2], quint16(0xFFFF));
    QCOMPARE(chip->eeprom.size(), 512);
    QCOMPARE(chip->eeprom[1], char(0xFF));
    QCOMPARE(chip->lock, quint8(0xF9));
    QCOMPARE(chip->calibration, quint8(160));
}

void TestWriterModel::jsonRefusesMalformed_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("unknown chip") << QByteArray(R"({"chip": "ATmega8"})");
    QTest::newRow("flash too long") << QByteArray(R"({"chip": "ATtiny12L", "flash": ")") +
                                           QByteArray(513 * 4, 'F') + "\"}";
    QTest::newRow("eeprom too long") << QByteArray(R"({"eeprom": ")") + QByteArray(65 * 2, '0') + "\"}";
    QTest::newRow("flash ragged") << QByteArray(R"({"flash": "123"})");
    QTest::newRow("flash not hex") << QByteArray(R"({"flash": "12G4"})");
    QTest::newRow("flash signed") << QByteArray(R"({"flash": "+123"})");
    QTest::newRow("flash not text") << QByteArray(R"({"flash": [1, 2]})");
    QTest::newRow("byte too big") << QByteArray(R"({"fuseLow": "100"})");
    QTest::newRow("byte number too big") << QByteArray(R"({"lock": 256})");
    QTest::newRow("byte negative") << QByteArray(R"({"lock": -1})");
    QTest::newRow("byte fraction") << QByteArray(R"({"calibration": 1.5})");
    QTest::newRow("firmware not object") << QByteArray(R"({"firmware": "1234"})");
    QTest::newRow("firmware address too big") << QByteArray(R"({"firmware": {"10000": "1234"}})");
    QTest::newRow("firmware word bad") << QByteArray(R"({"firmware": {"0010": "XYZ"}})");
}

void TestWriterModel::jsonRefusesMalformed() {
    QFETCH(QByteArray, json);
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    QVERIFY(doc.isObject());
    QString error;
    QVERIFY(!ChipStateFromJson(doc.object(), kTiny12, &error).has_value());
    QVERIFY(!error.isEmpty());
}

void TestWriterModel::loadChipRefusesWrongSizes() {
    WriterModel model(Options(kTiny12));
    ChipState chip = ChipState::Fresh(kTiny26);
    chip.flash.resize(512);  // ATtiny26L has 1024 words
    QVERIFY(!model.LoadChip(chip));
    QCOMPARE(model.Chip().deviceIndex, kTiny12);
    // The rejected state must not be reachable through an address past its end.
    QCOMPARE(Trace(model.Feed(Wire("'AP 'a 03 FF 'R"))), Trace(Wire("0D 0D 0D FF FF")));
}

QTEST_GUILESS_MAIN(TestWriterModel)
#include "tst_writermodel.moc"
