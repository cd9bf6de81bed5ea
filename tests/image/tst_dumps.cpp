// Dump text (exact lines, markers, line counts), dump files in the scratch folder, dump speed,
// and the buffer-edit panel's reads, writes and refusals.

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "image/BufferEdit.h"
#include "image/Dumps.h"
#include "image/ImageTexts.h"

using namespace zendra::image;
using namespace zendra::test;
using zendra::core::DumpWindow;
using zendra::core::SharedState;

namespace {

const QString kDot = QStringLiteral("･");

QStringList DumpLines(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    if (text.isEmpty()) return {};
    Q_ASSERT(text.endsWith(QStringLiteral("\r\n")));
    return text.chopped(2).split(QStringLiteral("\r\n"));
}

}  // namespace

class DumpsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void programDumpShape_data();
    void programDumpShape();
    void eepromDumpShape_data();
    void eepromDumpShape();
    void characterColumn_data();
    void characterColumn();
    void dumpFilesGoToScratchFolder();
    void fullImageDumpIsFast();
    void readCell_data();
    void readCell();
    void writeCell_data();
    void writeCell();

private:
    TestEnvironment m_env;
};

void DumpsTest::initTestCase() { QVERIFY(QFileInfo(m_env.AppDir()).isDir()); }

void DumpsTest::programDumpShape_data() {
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("lastAddress");
    QTest::newRow("512 words") << 512 << 64 << "01F8";
    QTest::newRow("4096 words") << 4096 << 512 << "0FF8";
    QTest::newRow("whole image") << 32768 << 4096 << "7FF8";
    QTest::newRow("no device") << 0 << 0 << "";
}

void DumpsTest::programDumpShape() {
    QFETCH(int, words);
    QFETCH(int, lines);
    QFETCH(QString, lastAddress);
    const MemoryImages images;
    const QStringList out = DumpLines(ProgramDumpText(images, words));
    QCOMPARE(out.size(), lines);
    if (lines == 0) return;
    const QString erased = QStringLiteral("FFFF ").repeated(8) + kDot.repeated(16);
    QCOMPARE(out[0], QStringLiteral("0000: ") + erased);
    QCOMPARE(out[0].size(), 62);
    QCOMPARE(out[1].left(6), QStringLiteral("0008: "));
    QCOMPARE(out.last(), lastAddress + QStringLiteral(": ") + erased);
}

void DumpsTest::eepromDumpShape_data() {
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("lastAddress");
    QTest::newRow("64 bytes") << 64 << 4 << "0030";
    QTest::newRow("128 bytes") << 128 << 8 << "0070";
    QTest::newRow("512 bytes") << 512 << 32 << "01F0";
    QTest::newRow("no device") << 0 << 0 << "";
}

void DumpsTest::eepromDumpShape() {
    QFETCH(int, bytes);
    QFETCH(int, lines);
    QFETCH(QString, lastAddress);
    const MemoryImages images;
    const QStringList out = DumpLines(EepromDumpText(images, bytes));
    QCOMPARE(out.size(), lines);
    if (lines == 0) return;
    const QString erased = QStringLiteral("FF ").repeated(16) + kDot.repeated(16);
    QCOMPARE(out[0], QStringLiteral("0000: ") + erased);
    QCOMPARE(out[0].size(), 70);
    QCOMPARE(out.last(), lastAddress + QStringLiteral(": ") + erased);
}

void DumpsTest::characterColumn_data() {
    QTest::addColumn<QList<int>>("bytes");  // the first four bytes of the line
    QTest::addColumn<QString>("programGroups");
    QTest::addColumn<QString>("eepromGroups");
    QTest::addColumn<QString>("characters");
    QTest::newRow("jmp word 940C") << QList<int>{0x94, 0x0C, 0x94, 0x0C} << "940C 940C " << "94 0C 94 0C "
                                   << kDot.repeated(4);
    QTest::newRow("printable ASCII") << QList<int>{0x41, 0x7A, 0x30, 0x3A} << "417A 303A " << "41 7A 30 3A "
                                     << "Az0:";
    QTest::newRow("edges 20 and 7E") << QList<int>{0x20, 0x7E, 0x1F, 0x7F} << "207E 1F7F " << "20 7E 1F 7F "
                                     << " ~" + kDot + kDot;
    QTest::newRow("high bytes") << QList<int>{0x80, 0xA5, 0xFF, 0x00} << "80A5 FF00 " << "80 A5 FF 00 "
                                << kDot.repeated(4);
}

void DumpsTest::characterColumn() {
    QFETCH(QList<int>, bytes);
    QFETCH(QString, programGroups);
    QFETCH(QString, eepromGroups);
    QFETCH(QString, characters);
    MemoryImages images;
    for (int i = 0; i < bytes.size(); ++i)
        images.ProgramImage[i] = images.EepromImage[i] = static_cast<quint8>(bytes[i]);
    const QString program = DumpLines(ProgramDumpText(images, 512)).first();
    const QString eeprom = DumpLines(EepromDumpText(images, 64)).first();
    QCOMPARE(program.mid(6, 10), programGroups);
    QCOMPARE(program.mid(46, 4), characters);
    QCOMPARE(program.size(), 62);
    QCOMPARE(eeprom.mid(6, 12), eepromGroups);
    QCOMPARE(eeprom.mid(54, 4), characters);
    QCOMPARE(eeprom.size(), 70);
}

void DumpsTest::dumpFilesGoToScratchFolder() {
    SharedState state;
    state.AppDir = m_env.AppDir();
    state.ScratchDir = m_env.Root() + QStringLiteral("/data/");
    state.ProgramMemoryWords = 512;
    state.EepromBytes = 128;
    MemoryImages images;
    images.ProgramImage[0] = 0x12;
    images.EepromImage[0] = 0x34;
    RecordingUi ui;
    RedrawProgramDump(ui, state, images);
    RedrawEepromDump(ui, state, images);
    QCOMPARE(ui.dumpFiles[DumpWindow::Program], state.ScratchDir + QStringLiteral("avrhex.txt"));
    QCOMPARE(ui.dumpFiles[DumpWindow::Eeprom], state.ScratchDir + QStringLiteral("avreep.txt"));
    QCOMPARE(ui.dumpContents[DumpWindow::Program], QString::fromUtf8(ProgramDumpText(images, 512)));
    QCOMPARE(ui.dumpContents[DumpWindow::Eeprom], QString::fromUtf8(EepromDumpText(images, 128)));
    QVERIFY(ui.dumpContents[DumpWindow::Program].startsWith(QStringLiteral("0000: 12FF ")));
    QVERIFY(!QFile::exists(state.AppDir + QStringLiteral("avrhex.txt")));

    // Rewritten in full, never appended to.
    state.ProgramMemoryWords = 8;
    RedrawProgramDump(ui, state, images);
    QCOMPARE(ui.dumpContents[DumpWindow::Program].count(QStringLiteral("\r\n")), 1);
}

void DumpsTest::fullImageDumpIsFast() {
    SharedState state;
    state.AppDir = state.ScratchDir = m_env.AppDir();
    state.ProgramMemoryWords = 32768;
    MemoryImages images;
    for (int i = 0; i < kProgramImageSize; ++i) images.ProgramImage[i] = static_cast<quint8>(i * 7);
    RecordingUi ui;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        RedrawProgramDump(ui, state, images);
        best = std::min(best, timer.nsecsElapsed());
    }
    QCOMPARE(ui.dumpContents[DumpWindow::Program].count(QStringLiteral("\r\n")), 4096);
    qInfo("64 KiB dump, file and reload: best %.2f ms", best / 1e6);
    QVERIFY2(best < 50'000'000, qPrintable(QStringLiteral("best of 5: %1 ms").arg(best / 1e6)));
}

void DumpsTest::readCell_data() {
    QTest::addColumn<bool>("program");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("showData");
    QTest::addColumn<QString>("data");    // expected txtData, empty for none
    QTest::addColumn<QString>("notice");  // expected notice, empty for none
    const QString wrong = texts::kInputWrong;
    QTest::newRow("200 is past 512 words") << true << "200" << false << "" << texts::kFlashAddressRange;
    QTest::newRow("1FF validated") << true << "1FF" << false << "" << "";
    QTest::newRow("1FF shown high byte first") << true << "1FF" << true << "ABCD" << "";
    QTest::newRow("lower case address") << true << "1ff" << true << "ABCD" << "";
    QTest::newRow("empty address does nothing") << true << "" << true << "" << "";
    QTest::newRow("bad digit") << true << "1X" << true << "" << wrong;
    QTest::newRow("five characters refused") << true << "00001" << true << "" << wrong;
    QTest::newRow("EEPROM 7F") << false << "7F" << true << "5A" << "";
    QTest::newRow("EEPROM 80 past 128 bytes") << false << "80" << true << "" << texts::kEepromAddressRange;
}

void DumpsTest::readCell() {
    QFETCH(bool, program);
    QFETCH(QString, address);
    QFETCH(bool, showData);
    QFETCH(QString, data);
    QFETCH(QString, notice);
    SharedState state;
    state.ProgramMemoryWords = 512;
    state.EepromBytes = 128;
    MemoryImages images;
    images.ProgramImage[0x3FE] = 0xAB;
    images.ProgramImage[0x3FF] = 0xCD;
    images.EepromImage[0x7F] = 0x5A;
    RecordingUi ui;
    const auto shown = ReadBufferCell(ui, state, images, {address, QString(), program}, showData);
    QCOMPARE(shown.value_or(QString()), data);
    QCOMPARE(ui.CallsStartingWith("message"), notice.isEmpty() ? QStringList() : QStringList{"message 1 " + notice});
}

void DumpsTest::writeCell_data() {
    QTest::addColumn<bool>("program");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("index");       // image index of the first changed byte, -1 for none
    QTest::addColumn<QList<int>>("bytes");
    QTest::addColumn<QString>("dumpShows");
    QTest::addColumn<QString>("notice");
    const QString wrong = texts::kInputWrong;
    QTest::newRow("5 into a program word") << true << "3" << "5" << 6 << QList<int>{0x00, 0x05} << "0005" << "";
    QTest::newRow("last word of 512") << true << "1FF" << "beef" << 0x3FE << QList<int>{0xBE, 0xEF} << "BEEF" << "";
    QTest::newRow("1AB into EEPROM") << false << "10" << "1AB" << 0x10 << QList<int>{0xAB} << "AB" << "";
    QTest::newRow("last EEPROM byte") << false << "7F" << "0" << 0x7F << QList<int>{0x00} << "00" << "";
    QTest::newRow("200 past 512 words") << true << "200" << "1" << -1 << QList<int>{} << "" << texts::kFlashAddressRange;
    QTest::newRow("EEPROM 80 past 128") << false << "80" << "1" << -1 << QList<int>{} << "" << texts::kEepromAddressRange;
    QTest::newRow("12345 refused, not 1234") << true << "0" << "12345" << -1 << QList<int>{} << "" << wrong;
    QTest::newRow("five-character address") << false << "00010" << "1" << -1 << QList<int>{} << "" << wrong;
    QTest::newRow("empty address") << true << "" << "1" << -1 << QList<int>{} << "" << wrong;
    QTest::newRow("empty data") << true << "0" << "" << -1 << QList<int>{} << "" << wrong;
    QTest::newRow("bad data digit") << false << "0" << "G1" << -1 << QList<int>{} << "" << wrong;
}

void DumpsTest::writeCell() {
    QFETCH(bool, program);
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(int, index);
    QFETCH(QList<int>, bytes);
    QFETCH(QString, dumpShows);
    QFETCH(QString, notice);
    SharedState state;
    state.AppDir = state.ScratchDir = m_env.AppDir();
    state.ProgramMemoryWords = 512;
    state.EepromBytes = 128;
    state.ErrorFlag = 1;
    MemoryImages images;
    const MemoryImages before = images;
    RecordingUi ui;
    const bool written = WriteBufferCell(ui, state, images, {address, data, program});
    QCOMPARE(written, index >= 0);
    QCOMPARE(ui.CallsStartingWith("message"), notice.isEmpty() ? QStringList() : QStringList{"message 1 " + notice});
    if (index < 0) {
        QVERIFY(images.ProgramImage == before.ProgramImage);
        QVERIFY(images.EepromImage == before.EepromImage);
        QVERIFY(ui.CallsStartingWith("dump").isEmpty());
        return;
    }
    QCOMPARE(state.ErrorFlag, qint16(0));
    const auto& image = program ? images.ProgramImage.data() : images.EepromImage.data();
    for (int i = 0; i < bytes.size(); ++i) QCOMPARE(int(image[index + i]), bytes[i]);
    const DumpWindow window = program ? DumpWindow::Program : DumpWindow::Eeprom;
    const QStringList lines = DumpLines(ui.dumpContents[window].toUtf8());
    const int perLine = 16;
    const int column = index % perLine;
    const QString line = lines.value(index / perLine);
    const int at = program ? 6 + (column / 2) * 5 : 6 + column * 3;
    QCOMPARE(line.mid(at, dumpShows.size()), dumpShows);
    QVERIFY(ui.CallsStartingWith(program ? "dump Eeprom" : "dump Program").isEmpty());
}

QTEST_GUILESS_MAIN(DumpsTest)
#include "tst_dumps.moc"
