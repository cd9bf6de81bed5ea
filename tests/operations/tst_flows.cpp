// The chip operations over the wire: a fake writer behind a scripted port on a fake clock.

#include <QFile>
#include <QTest>

#include "Rig.h"
#include "image/Dumps.h"
#include "link/Texts.h"
#include "operations/Texts.h"

using namespace zendra;
using namespace zendra::test;
namespace text = zendra::operations::text;
using Fault = FakeWriter::Fault;
using FaultKind = FakeWriter::FaultKind;

Q_DECLARE_METATYPE(FakeWriter::FaultKind)

namespace {

enum class Flow { Program, Read, WholeVerify };

void Run(Flow flow, Rig& rig) {
    switch (flow) {
        case Flow::Program:
            operations::ProgramDevice(rig.ctx);
            break;
        case Flow::Read:
            operations::ReadDevice(rig.ctx);
            break;
        case Flow::WholeVerify:
            rig.state.VerifyWholeMemory = true;
            operations::VerifyDevice(rig.ctx);
            break;
    }
}

QString ReadUtf8(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

void ExpectNotice(const RecordingUi& ui, const QString& text) {
    QVERIFY(ui.messageOpen);
    QVERIFY(ui.messageOkVisible);
    QVERIFY(!ui.messageBarVisible);
    QCOMPARE(ui.messageText, text);
}

}  // namespace

Q_DECLARE_METATYPE(Flow)

class FlowsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programWritesUsedWords_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("usedWords");
        QTest::addColumn<int>("expectedWrites");
        QTest::newRow("word 0 only raises to words 0 and 1") << "AT90S2313" << 1 << 2;
        QTest::newRow("ATtiny26L word 0 only") << "ATtiny26L" << 1 << 2;
        QTest::newRow("two words") << "AT90S2313" << 2 << 2;
        QTest::newRow("300 words with c/C") << "AT90S4433" << 300 << 300;
        QTest::newRow("300 words with W") << "ATtiny26L" << 300 << 300;
        QTest::newRow("whole ATtiny12L") << "ATtiny12L" << 512 << 512;
    }
    void programWritesUsedWords() {
        QFETCH(QString, device);
        QFETCH(int, usedWords);
        QFETCH(int, expectedWrites);
        Rig rig(device);
        rig.FillFlash(usedWords, 0x1200);

        operations::ProgramDevice(rig.ctx);

        const bool tiny26 = device == QStringLiteral("ATtiny26L");
        QCOMPARE(rig.writer->Count('W'), tiny26 ? expectedWrites : 0);
        QCOMPARE(rig.writer->Count('c'), tiny26 ? 0 : expectedWrites);
        QCOMPARE(rig.writer->Count('C'), tiny26 ? 0 : expectedWrites);
        for (int w = 0; w < expectedWrites; ++w) QCOMPARE(rig.writer->flash[w], rig.ImageWord(w));
        const QString lastStep = QStringLiteral("progress ON 0 %1 %1").arg(expectedWrites - 1);
        QVERIFY(rig.ui.calls.contains(lastStep));
        QVERIFY(!rig.ui.calls.contains(
            QStringLiteral("progress ON 0 %1 %2").arg(expectedWrites).arg(expectedWrites - 1)));
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);
        QVERIFY(!rig.ui.messageOpen);
        QVERIFY(rig.ui.calls.contains("message 1 " + text::kVerdictAllOk));
    }

    void blankFlashWithEeprom() {
        Rig rig(QStringLiteral("AT90S2313"));
        rig.images.EepromImage[3] = 0x11;
        rig.images.EepromImage[7] = 0x22;

        operations::ProgramDevice(rig.ctx);

        // Check, flash phase without words, two EEPROM bytes, then a verify of word 0 and bytes 0..7.
        QCOMPARE(rig.writer->letters, QByteArray("APsL"
                                                 "APaL"
                                                 "APaDaDL"
                                                 "APaRL"
                                                 "AP") +
                                          QByteArray("ad").repeated(8) + "L");
        QVERIFY(rig.port.AllWritten().contains(QByteArray("APa\x00\x00L", 6)));
        QCOMPARE(rig.writer->eeprom[3], char(0x11));
        QCOMPARE(rig.writer->eeprom[7], char(0x22));
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);
    }

    void bothBlankSendsNothing() {
        Rig rig(QStringLiteral("AT90S8515"));
        operations::ProgramDevice(rig.ctx);
        QVERIFY(rig.port.AllWritten().isEmpty());
        ExpectNotice(rig.ui, text::kAllMemoryBlank);
        QCOMPARE(rig.ui.panels[1], text::kAllMemoryBlank);
    }

    // A writer that stops answering ends the loop at once; each flow then reports as a notice with OK.
    void writerFaults_data() {
        QTest::addColumn<Flow>("flow");
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("expectedSends");
        QTest::addColumn<QByteArray>("neverSent");
        QTest::addColumn<QString>("panel1");
        QTest::addColumn<QString>("notice");
        const auto silent = FaultKind::Silent;
        QTest::newRow("silent mid flash write")
            << Flow::Program << 'c' << 50 << silent << 50 << QByteArray("DRd") << link::texts::kFailEnterAvr
            << text::kFlashProgramFailed;
        QTest::newRow("silent mid EEPROM write")
            << Flow::Program << 'D' << 2 << silent << 2 << QByteArray("Rd") << link::texts::kFailEnterAvr
            << link::texts::kFailEnterAvr;
        QTest::newRow("silent mid flash read")
            << Flow::Read << 'R' << 100 << silent << 100 << QByteArray("d") << link::texts::kFailReadProgram
            << link::texts::kFailReadProgram;
        QTest::newRow("silent mid flash verify")
            << Flow::WholeVerify << 'R' << 5 << silent << 5 << QByteArray("d") << link::texts::kFailEnterAvr
            << text::kFlashVerifyFailed;
        QTest::newRow("silent mid EEPROM verify")
            << Flow::WholeVerify << 'd' << 10 << silent << 10 << QByteArray() << text::kVerifyCommError
            << text::kVerifyCommError;
        QTest::newRow("silent at the check") << Flow::Read << 's' << 1 << silent << 1 << QByteArray("R")
                                             << text::kReadAborted << text::kReadAborted;
        QTest::newRow("programming mode refused before a read")
            << Flow::Read << 'P' << 2 << FaultKind::WrongReply << 2 << QByteArray("R")
            << link::texts::kWrongEnterProgramming + QLatin1Char('?') << link::texts::kCommunicationError;
    }
    void writerFaults() {
        QFETCH(Flow, flow);
        QFETCH(char, letter);
        QFETCH(int, occurrence);
        QFETCH(FaultKind, kind);
        Rig rig(QStringLiteral("AT90S2313"));
        rig.FillFlash(200, 0x0100);
        rig.images.EepromImage[1] = 0x42;
        rig.images.EepromImage[9] = 0x43;
        if (flow != Flow::Program) {
            for (int w = 0; w < 200; ++w) rig.writer->flash[w] = rig.ImageWord(w);
            rig.writer->eeprom[1] = 0x42;
            rig.writer->eeprom[9] = 0x43;
        }
        rig.writer->faults = {Fault{letter, occurrence, kind}};

        Run(flow, rig);

        QTEST(rig.writer->Count(letter), "expectedSends");
        QFETCH(QByteArray, neverSent);
        for (char c : neverSent) QVERIFY2(!rig.writer->letters.contains(c), qPrintable(QString(QChar(c))));
        QTEST(rig.ui.panels[1], "panel1");
        QFETCH(QString, notice);
        ExpectNotice(rig.ui, notice);
        QCOMPARE(rig.ui.verifyWindowShows, 0);
        // A handful of time-outs, not one per remaining word.
        QVERIFY2(rig.FakeSeconds() < 12.0, qPrintable(QString::number(rig.FakeSeconds())));
    }

    void silentReadKeepsOldImage() {
        Rig rig(QStringLiteral("AT90S2313"));
        for (int w = 0; w < rig.writer->flash.size(); ++w)
            rig.writer->flash[w] = static_cast<quint16>(0xA000 + w);
        rig.images.ProgramImage.fill(0x55);
        rig.writer->faults = {Fault{'R', 100, FaultKind::Silent}};

        operations::ReadDevice(rig.ctx);

        for (int w = 0; w < 99; ++w) QCOMPARE(rig.ImageWord(w), quint16(0xA000 + w));
        QCOMPARE(rig.ImageWord(99), quint16(0x5555));
        QVERIFY(rig.writer->letters.endsWith('R'));  // no 'L' after the silent read
        QVERIFY(rig.ui.dumpFiles.isEmpty());
        QCOMPARE(rig.state.ErrorFlag, qint16(1));
    }

    void wrongReplyKeepsWriting() {
        Rig rig(QStringLiteral("AT90S2313"));
        rig.FillFlash(100, 0x3000);
        rig.writer->faults = {Fault{'C', 3, FaultKind::WrongReply}};

        operations::ProgramDevice(rig.ctx);

        QCOMPARE(rig.writer->Count('c'), 100);
        QCOMPARE(rig.writer->Count('C'), 100);
        QVERIFY(rig.ui.calls.contains("status 1 " + link::texts::kWrongWriteHigh));
        QVERIFY(rig.ui.calls.contains("message 1 " + text::kFlashProgramFailed));
        // The EEPROM phase and the verify still ran; the chip holds the image, so the verify passes.
        QCOMPARE(rig.writer->Count('d'), 1);
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);
    }

    void readFlashFailureKeepsItsNotice() {
        Rig rig(QStringLiteral("AT90S2313"));
        rig.writer->faults = {Fault{'L', 2, FaultKind::WrongReply}};  // 'L' of the flash phase

        operations::ReadDevice(rig.ctx);

        QCOMPARE(rig.writer->Count('d'), 128);  // the EEPROM phase ran to its end
        QVERIFY(rig.ui.dumpFiles.contains(core::DumpWindow::Eeprom));
        QVERIFY(!rig.ui.dumpFiles.contains(core::DumpWindow::Program));
        ExpectNotice(rig.ui, text::kFlashReadFailed);
        QCOMPARE(rig.state.ErrorFlag, qint16(1));
    }

    void verifyLog_data() {
        QTest::addColumn<int>("flashWord");  // -1: none differs
        QTest::addColumn<int>("eepromAddress");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("verdict");
        const QString flashHead = QStringLiteral("Flash Program memory address verify\r\n\r\n");
        const QString eepHead = QStringLiteral("\r\nEEPROM data memory address verify\r\n\r\n");
        const QString flashLine =
            QStringLiteral("PROGRAM Addr(word) = 0012  Original = 940C   NG = FFFF\r\n");
        const QString eepLine = QStringLiteral("EEPROM  Addr(byte) = 0005  Original = 00   NG = 3A\r\n");
        QTest::newRow("EEPROM byte only")
            << -1 << 5 << flashHead + eepHead + eepLine << text::kVerdictEepromNg;
        QTest::newRow("flash word only")
            << 0x12 << -1 << flashHead + flashLine + eepHead << text::kVerdictFlashNg;
        QTest::newRow("both") << 0x12 << 5 << flashHead + flashLine + eepHead + eepLine
                              << text::kVerdictBothNg;
    }
    void verifyLog() {
        QFETCH(int, flashWord);
        QFETCH(int, eepromAddress);
        QFETCH(QString, verdict);
        Rig rig(QStringLiteral("AT90S2313"));
        if (flashWord >= 0) {
            rig.images.ProgramImage[2 * flashWord] = 0x94;
            rig.images.ProgramImage[2 * flashWord + 1] = 0x0C;
        }
        if (eepromAddress >= 0) {
            rig.images.EepromImage[eepromAddress] = 0x00;
            rig.writer->eeprom[eepromAddress] = 0x3A;
        }
        rig.state.VerifyWholeMemory = true;

        operations::VerifyDevice(rig.ctx);

        const QString logPath = image::ScratchPath(rig.state, image::kVerifyLogFile);
        QTEST(ReadUtf8(logPath), "lines");
        QCOMPARE(rig.ui.dumpFiles.value(core::DumpWindow::Verify), logPath);
        QCOMPARE(rig.ui.verifyWindowShows, 1);
        QCOMPARE(rig.ui.panels[1], verdict);
        ExpectNotice(rig.ui, verdict);
    }

    void verifyAllEqual() {
        Rig rig(QStringLiteral("ATtiny15L"));
        rig.state.VerifyWholeMemory = true;
        int pumpsOnVerdict = 0;
        rig.ui.onPump = [&] {
            pumpsOnVerdict += rig.ui.messageOpen && rig.ui.messageText == text::kVerdictAllOk;
        };
        operations::VerifyDevice(rig.ctx);
        QCOMPARE(
            ReadUtf8(image::ScratchPath(rig.state, image::kVerifyLogFile)),
            QStringLiteral(
                "Flash Program memory address verify\r\n\r\n\r\nEEPROM data memory address verify\r\n\r\n"));
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);
        // The OK notice flashes up (the notice's own pump, then one more) and the window closes.
        const QStringList tail = rig.ui.calls.mid(rig.ui.calls.size() - 3);
        const QStringList expected{"status 1 " + text::kVerdictAllOkStatus,
                                   "message 1 " + text::kVerdictAllOk, QStringLiteral("close")};
        QCOMPARE(tail, expected);
        QCOMPARE(pumpsOnVerdict, 2);
        QVERIFY(!rig.ui.messageOpen);
        QCOMPARE(rig.ui.verifyWindowShows, 0);
    }

    void verifyCounts_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("usedWords");
        QTest::addColumn<int>("usedBytes");
        QTest::addColumn<int>("wordReads");
        QTest::addColumn<int>("byteReads");
        QTest::newRow("whole AT90S8515 reads all") << "AT90S8515" << true << 3 << 0 << 4096 << 512;
        QTest::newRow("blank program compares word 0") << "AT90S2313" << false << 0 << 20 << 1 << 20;
        QTest::newRow("blank EEPROM compares byte 0") << "AT90S2313" << false << 20 << 0 << 20 << 1;
        QTest::newRow("used part only") << "AT90S4434" << false << 700 << 33 << 700 << 33;
    }
    void verifyCounts() {
        QFETCH(QString, device);
        QFETCH(bool, whole);
        QFETCH(int, usedWords);
        QFETCH(int, usedBytes);
        Rig rig(device);
        rig.FillFlash(usedWords, 0x0200);
        for (int w = 0; w < usedWords; ++w) rig.writer->flash[w] = rig.ImageWord(w);
        for (int a = 0; a < usedBytes; ++a) rig.images.EepromImage[a] = rig.writer->eeprom[a] = char(a);
        rig.state.VerifyWholeMemory = whole;

        operations::VerifyDevice(rig.ctx);

        QTEST(rig.writer->Count('R'), "wordReads");
        QTEST(rig.writer->Count('d'), "byteReads");
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);
    }

    void readFillsDeviceRangeOnly() {
        Rig rig(QStringLiteral("AT90S8515"));
        for (int w = 0; w < 4096; ++w) rig.writer->flash[w] = static_cast<quint16>(w * 7);
        for (int a = 0; a < 512; ++a) rig.writer->eeprom[a] = char(a ^ 0x5A);
        rig.images.ProgramImage.fill(0x55);
        rig.images.EepromImage.fill(0x55);

        operations::ReadDevice(rig.ctx);

        for (int w = 0; w < 4096; ++w) QCOMPARE(rig.ImageWord(w), quint16(w * 7));
        for (int i = 8192; i < image::kProgramImageSize; ++i)
            QCOMPARE(rig.images.ProgramImage[i], quint8(0x55));
        for (int a = 0; a < 512; ++a) QCOMPARE(rig.images.EepromImage[a], quint8(a ^ 0x5A));
        for (int a = 512; a < image::kEepromImageSize; ++a) QCOMPARE(rig.images.EepromImage[a], quint8(0x55));
        QCOMPARE(rig.state.ErrorFlag, qint16(0));
        QVERIFY(!rig.ui.messageOpen);
        QVERIFY(rig.ui.dumpContents.value(core::DumpWindow::Program).contains(QStringLiteral("0007")));
        QVERIFY(rig.ui.dumpFiles.contains(core::DumpWindow::Eeprom));
    }

    void eraseRedrawsEepromDump() {
        Rig rig(QStringLiteral("AT90S2313"));
        rig.writer->flash[3] = 0x1234;
        rig.images.EepromImage[0] = 0x41;

        operations::EraseDevice(rig.ctx);

        QCOMPARE(rig.writer->letters, QByteArray("APeL"));
        QCOMPARE(rig.writer->flash[3], quint16(0xFFFF));
        QCOMPARE(rig.images.EepromImage[0], quint8(0x41));  // the images are not cleared
        QCOMPARE(rig.ui.dumpFiles.value(core::DumpWindow::Eeprom),
                 image::ScratchPath(rig.state, image::kEepromDumpFile));
        QVERIFY(!rig.ui.messageOpen);
        QCOMPARE(rig.state.ErrorFlag, qint16(0));
    }
};

QTEST_GUILESS_MAIN(FlowsTest)
#include "tst_flows.moc"
