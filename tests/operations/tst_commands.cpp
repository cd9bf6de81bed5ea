// The four writer commands of the main window: what each adds around the flows, on the fake clock.

#include <QTest>

#include "Rig.h"
#include "link/Texts.h"
#include "operations/Texts.h"

using namespace zendra;
using namespace zendra::test;
namespace text = zendra::operations::text;
using Fault = FakeWriter::Fault;
using FaultKind = FakeWriter::FaultKind;

namespace {

// Puts a chip of another catalogue device into the socket.
void SeatChip(Rig& rig, const QString& name) {
    const auto& d = devices::DeviceTable()[*devices::FindDevice(name)];
    rig.writer->family = d.family;
    rig.writer->part = d.part;
}

QList<Fault> Faults(char letter, int occurrence, FaultKind kind) {
    if (occurrence == 0) return {};
    return {Fault{letter, occurrence, kind}};
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programStops_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<bool>("erased");
        QTest::addColumn<bool>("timeShown");
        QTest::addColumn<QString>("notice");
        QTest::newRow("writer unplugged")
            << "AT90S2313" << '?' << 1 << FaultKind::Silent << false << false << link::texts::kWriterNotFound;
        QTest::newRow("other chip in the socket")
            << "AT90S8515" << ' ' << 0 << FaultKind::Silent << false << false << link::texts::kDeviceMismatch;
        QTest::newRow("erase refused")
            << "AT90S2313" << 'e' << 1 << FaultKind::Refused << false << true << text::kEraseFailed;
    }
    void programStops() {
        QFETCH(QString, chip);
        QFETCH(char, letter);
        QFETCH(int, occurrence);
        QFETCH(FaultKind, kind);
        QFETCH(bool, timeShown);
        Rig rig(QStringLiteral("AT90S2313"));
        rig.ui.panels[5] = QStringLiteral("99秒");
        rig.FillFlash(10, 0x1000);
        for (int w = 0; w < 10; ++w) rig.writer->flash[w] = 0x0F0F;  // old content a bare write would corrupt
        SeatChip(rig, chip);
        rig.writer->faults = Faults(letter, occurrence, kind);

        operations::ProgramCommand(rig.ctx);

        QVERIFY(!rig.writer->letters.contains('c'));
        QVERIFY(!rig.writer->letters.contains('a'));
        QCOMPARE(rig.writer->flash[0], quint16(0x0F0F));
        QTEST(rig.writer->Count('e') == 1 && occurrence == 0, "erased");
        QCOMPARE(rig.ui.panels[5].endsWith(text::kSecondsSuffix), timeShown);
        QCOMPARE(rig.ui.panels[5].isEmpty(), !timeShown);
        QVERIFY(rig.ui.messageOpen && rig.ui.messageOkVisible);
        QTEST(rig.ui.messageText, "notice");
    }

    // Elapsed time comes from the monotonic clock; the fake one starts half a second before a day boundary.
    void programElapsed_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("panel5");
        QTest::newRow("12.7 s") << 12.7 << QStringLiteral("12秒");
        QTest::newRow("just under a minute") << 59.99 << QStringLiteral("59秒");
        QTest::newRow("a minute") << 60.0 << QStringLiteral("60秒");
    }
    void programElapsed() {
        QFETCH(double, seconds);
        Rig rig(QStringLiteral("ATtiny12L"));
        rig.FillFlash(40, 0x2000);
        std::optional<core::Clock::time_point> start;
        bool stretched = false;
        // The command notes its start just before its first pump, and reads the clock right after the
        // verdict's pump: stretch the run to exactly the wanted length there.
        rig.ui.onPump = [&] {
            if (!start) start = rig.timing.Now();
            if (!stretched && rig.ui.messageText == text::kVerdictAllOk) {
                stretched = true;
                const auto target = *start + std::chrono::duration_cast<core::Duration>(
                                                 std::chrono::duration<double>(seconds));
                QVERIFY(target > rig.timing.Now());
                rig.timing.Advance(target - rig.timing.Now());
            }
        };

        operations::ProgramCommand(rig.ctx);

        QVERIFY(stretched);
        QTEST(rig.ui.panels[5], "panel5");
    }

    void readCommand_data() {
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QString>("notice");  // empty: the window ends closed
        QTest::newRow("all read") << ' ' << 0 << true << QString();
        QTest::newRow("flash phase failed") << 'L' << 2 << false << text::kFlashReadFailed;
        QTest::newRow("EEPROM phase failed") << 'L' << 3 << false << text::kEepromReadFailed;
        QTest::newRow("flash read time-out") << 'R' << 7 << false << link::texts::kFailReadProgram;
    }
    void readCommand() {
        QFETCH(char, letter);
        QFETCH(int, occurrence);
        QFETCH(bool, succeeds);
        QFETCH(QString, notice);
        Rig rig(QStringLiteral("ATtiny12L"));
        rig.writer->faults = Faults(letter, occurrence, FaultKind::WrongReply);
        if (letter == 'R') rig.writer->faults = Faults(letter, occurrence, FaultKind::Silent);

        operations::ReadCommand(rig.ctx);

        QCOMPARE(rig.ui.panels[1] == text::kReadCommandDone, succeeds);
        QCOMPARE(rig.writer->letters.contains('r'), succeeds);  // the lock/fuse read only after a good read
        QVERIFY(rig.ui.panels[5].endsWith(text::kSecondsSuffix));
        QCOMPARE(rig.ui.messageOpen, !notice.isEmpty());
        if (!notice.isEmpty()) {
            QVERIFY(rig.ui.messageOkVisible);
            QCOMPARE(rig.ui.messageText, notice);
        }
    }

    void verifyCommandAlwaysEnds() {
        Rig rig(QStringLiteral("AT90S4414"));
        rig.images.EepromImage[100] = 0x77;

        operations::VerifyCommand(rig.ctx);

        QVERIFY(rig.state.VerifyWholeMemory);
        QCOMPARE(rig.writer->Count('R'), 2048);
        QCOMPARE(rig.writer->Count('d'), 256);
        QCOMPARE(rig.ui.panels[1], text::kVerifyCommandDone);
        QCOMPARE(rig.ui.messageText, text::kVerdictEepromNg);
        QCOMPARE(rig.ui.verifyWindowShows, 1);
    }

    void eraseCommand_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<int>("refusedErase");  // occurrence of a wrong 'e' reply, 0 = none
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("matching chip") << "AT90S2313" << 0 << true;
        QTest::newRow("other chip still erased") << "AT90S8515" << 0 << true;
        QTest::newRow("erase refused") << "AT90S2313" << 1 << false;
    }
    void eraseCommand() {
        QFETCH(QString, chip);
        QFETCH(int, refusedErase);
        QFETCH(bool, succeeds);
        Rig rig(QStringLiteral("AT90S2313"));
        SeatChip(rig, chip);
        rig.writer->faults = Faults('e', refusedErase, FaultKind::Refused);
        int applied = 0;

        operations::EraseCommand(rig.ctx, [&] { ++applied; });

        // The lone signature read comes straight after the check, before the erase's own 'A'.
        QVERIFY(rig.writer->letters.endsWith("sAPeL"));
        QCOMPARE(applied, succeeds ? 1 : 0);
        QCOMPARE(rig.ui.panels[1], succeeds ? text::kEraseCommandDone : text::kEraseFailed);
        QCOMPARE(rig.ui.messageOpen, !succeeds);
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "tst_commands.moc"
