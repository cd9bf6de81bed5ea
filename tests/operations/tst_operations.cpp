// The chip operations and the writer commands against the virtual writer's model, behind a scripted port on
// a fake clock with faults.

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>
#include <algorithm>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "WriterModel.h"
#include "devices/Catalogue.h"
#include "link/LinkTexts.h"
#include "operations/Diagnosis.h"
#include "operations/Flows.h"
#include "operations/Identify.h"
#include "operations/Job.h"
#include "operations/OperationTexts.h"
#include "operations/VerifyLog.h"

using namespace zendra;
using namespace zendra::test;
namespace text = zendra::operations::texts;
namespace lt = zendra::link::texts;
using core::DumpWindow;
using virtualwriter::ChipState;

namespace {

const QString kPath = QStringLiteral("/dev/ttyFAKE0");
// The flash file of the diagnosis table: sixteen words, high byte first.
const QString kDiagnosisFile = QStringLiteral("940C00102211443366558877AA99CCBBEEDD00FFA5A55A5A0201040306051234");

int Index(const QString& device) { return *devices::FindDevice(device); }

template <class T>
T Get(const char* column) {
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

// The chip that holds the images within the device's sizes.
ChipState AsChip(const image::MemoryImages& im, int index) {
    ChipState c = ChipState::Fresh(index);
    for (int w = 0; w < c.flash.size(); ++w) c.flash[w] = qFromBigEndian<quint16>(&im.ProgramImage[2 * w]);
    for (int a = 0; a < c.eeprom.size(); ++a) c.eeprom[a] = char(im.EepromImage[a]);
    return c;
}

// The message window as the user is left with it: empty when closed, else its text, marked if OK is missing.
QString Notice(const RecordingUi& ui) {
    if (!ui.messageOpen) return {};
    return ui.messageOkVisible && !ui.messageBarVisible ? ui.messageText : "no OK: " + ui.messageText;
}

// The host side of one run for a catalogue device: the windows' recorder, the target and the images.
struct Host {
    Host(link::SerialPort& port, core::Timing& timing, int device, const QString& path)
        : index(device),
          env{port, timing, ui, ui},
          target{.device = devices::DeviceAt(device), .port = {.number = 1, .path = path, .saved = true}} {}
    // Takes what a read brought into the images, as the windows do.
    const operations::Report& Keep(operations::Report r) {
        report = std::move(r);
        if (report.images) images = *report.images;
        return report;
    }
    // p, r, v: the program, read and whole-memory verify flows; P, R, V, E: the main window's commands.
    const operations::Report& Run(char op) {
        using namespace operations;
        switch (op) {
            case 'p':
                return Keep(ProgramDevice(env, target, images));
            case 'r':
                return Keep(ReadDevice(env, target, images));
            case 'v':
                return Keep(VerifyDevice(env, target, images, true));
            case 'P':
                return Keep(ProgramCommand(env, target, images));
            case 'R':
                return Keep(ReadCommand(env, target, images, {}));
            case 'V':
                return Keep(VerifyCommand(env, target, images));
            default:
                return Keep(EraseCommand(env, target));
        }
    }
    int index;
    RecordingUi ui;
    operations::Environment env;
    operations::Target target;
    image::MemoryImages images;
    operations::Report report;
};

// The writer model behind a scripted port. A fault at the n-th use of a letter: n > 0, the writer is silent
// from there on; n < 0, that one command is done but answered '?'.
// A schedule fault instead hits every command from the `from`-th on: silence, '?', the cable pulled, or
// replies that come 5.1 s late (past every time-out).
enum class Fault { None, Silent, Wrong, Vanish, Late };
struct Wire {
    Wire(int device, char faultLetter, int faultNth) : letter(faultLetter), nth(faultNth) {
        model.LoadChip(ChipState::Fresh(device));
        port.responder = [this](ScriptedPort& p, const QByteArray& bytes) {
            for (char b : bytes) {
                if (!model.FrameInProgress()) {
                    letters += b;
                    const int n = ++seen[b];
                    wrong = b == letter && n == -nth;
                    silent = silent || (b == letter && n == nth);
                    hit = hit || (schedule != Fault::None && letters.size() >= from);
                }
                if (hit && schedule == Fault::Vanish) return p.Vanish();
                const QByteArray reply = model.FeedByte(quint8(b));
                if (model.FrameInProgress() || silent || (hit && schedule == Fault::Silent)) continue;
                if (hit && schedule == Fault::Wrong) wrong = true;
                const auto delay = hit && schedule == Fault::Late ? std::chrono::milliseconds(5100) : std::chrono::milliseconds(0);
                if (wrong || !reply.isEmpty()) p.QueueReply(wrong ? QByteArray("?") : reply, delay);
            }
        };
    }
    Fault schedule = Fault::None;
    int from = 0;
    bool hit = false;  // the schedule reached a command
    int Count(char c) const { return int(letters.count(c)); }
    FakeTiming timing;
    core::Clock::time_point started = timing.Now();
    ScriptedPort port{timing};
    virtualwriter::WriterModel model;
    char letter;
    int nth;
    QByteArray letters;  // every command letter sent, also those the silent writer ignored
    QHash<char, int> seen;
    bool silent = false, wrong = false;
};

// Flash word w of the used part holds 0x1200 + w.
struct Rig : Wire, Host {
    explicit Rig(const QString& device, int usedWords = 0, char letter = 0, int nth = 0)
        : Wire(Index(device), letter, nth), Host(port, timing, Index(device), kPath) {
        for (int w = 0; w < usedWords; ++w) qToBigEndian(quint16(0x1200 + w), &images.ProgramImage[2 * w]);
        port.SetLineSettings(QStringLiteral("57600,n,8,1"));
        port.Open(kPath);
    }
    quint16 Word(int w) const { return qFromBigEndian<quint16>(&images.ProgramImage[2 * w]); }
    void Burn() { model.LoadChip(AsChip(images, index)); }
    double Seconds() const { return std::chrono::duration<double>(timing.Now() - started).count(); }
};

// A fault as Wire places it, and what the operation must leave. Unless a row says otherwise, the link
// failed in the first phase that ran into the fault.
struct Case {
    char letter = 0;
    int nth = 0;
    QByteArray sent = {};   // a stretch the letters hold
    QByteArray never = {};  // letters never sent
    QString panel1, notice;
    bool timed = false;  // panel 5 shows the time
    QString chip = {};   // another device in the socket; empty: the selected one
    operations::Verdict verdict = operations::Verdict::LinkFailed;
    std::optional<operations::PhaseKind> failed = {};  // the first phase the report names as failed
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class OperationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The letters of a whole program run: check, flash, EEPROM, verify of the used part (at least word 0 and
    // byte 0). Words go out as c/C or, on the ATtiny26L, as W; a lone word 0 also writes word 1; erased
    // EEPROM bytes are skipped.
    void programWire_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("words");
        QTest::addColumn<QByteArray>("eeprom");
        QTest::addColumn<QByteArray>("wire");
        const QByteArray tail = "APLAPaRLAPadL";
        QTest::newRow("word 0 only") << "AT90S2313" << 1 << QByteArray() << "APsLAPacCcCL" + tail;
        QTest::newRow("ATtiny26L word 0") << "ATtiny26L" << 1 << QByteArray() << "APsLAPaWWL" + tail;
        QTest::newRow("300 words") << "AT90S4433" << 300 << QByteArray()
                                   << "APsLAPa" + QByteArray("cC").repeated(300) + "LAPLAPa" +
                                          QByteArray(300, 'R') + "LAPadL";
        QTest::newRow("blank program") << "AT90S2313" << 0 << QByteArray::fromHex("ffffff11ffffff22")
                                       << "APsLAPaLAPaDaDLAPaRLAP" + QByteArray("ad").repeated(8) + "L";
        QTest::newRow("all blank sends nothing") << "AT90S8515" << 0 << QByteArray() << QByteArray();
    }
    void programWire() {
        Rig rig(Get<QString>("device"), Get<int>("words"));
        const QByteArray eeprom = Get<QByteArray>("eeprom");
        std::copy(eeprom.begin(), eeprom.end(), rig.images.EepromImage.begin());
        const operations::Report& report = rig.Run('p');
        QTEST(rig.letters, "wire");
        // The figures count what went over the wire.
        QCOMPARE(report.figures.exchanges, qint64(rig.letters.size()));
        QCOMPARE(report.figures.bytesOut, qint64(rig.port.AllWritten().size()));
        QVERIFY(rig.model.Chip() == AsChip(rig.images, rig.index));
        const bool blank = rig.letters.isEmpty();
        // The flash phase starts at address 0, even when it writes no word.
        QCOMPARE(rig.port.AllWritten().mid(4, 5), blank ? QByteArray() : QByteArray("APa\0\0", 5));
        QCOMPARE(rig.ui.panels[1], blank ? text::kAllMemoryBlank : text::kVerdictAllOkStatus);
        QCOMPARE(Notice(rig.ui), blank ? text::kAllMemoryBlank : QString());
        QCOMPARE(report.verdict, blank ? operations::Verdict::NothingToDo : operations::Verdict::Succeeded);
        QCOMPARE(report.status, rig.ui.panels[1]);
    }

    // Each operation, with or without a fault: a fault ends it within a few time-outs, the right phases run.
    void faults_data() {
        QTest::addColumn<Case>("case");
        const auto row = [](const char* tag, const Case& c) { QTest::newRow(tag) << c; };
        using P = operations::PhaseKind;
        using V = operations::Verdict;
        // clang-format off
        row("p: flash write silent",
            {.letter = 'c', .nth = 50, .never = "DRd", .panel1 = lt::kFailEnterAvr,
             .notice = text::kFlashProgramFailed, .failed = P::ProgramFlash});
        row("p: EEPROM write silent",
            {.letter = 'D', .nth = 1, .never = "Rd", .panel1 = lt::kFailEnterAvr, .notice = lt::kFailEnterAvr,
             .failed = P::ProgramEeprom});
        row("r: flash read silent",
            {.letter = 'R', .nth = 100, .never = "d", .panel1 = lt::kFailReadProgram,
             .notice = lt::kFailReadProgram, .failed = P::ReadFlash});
        row("r: check silent",
            {.letter = 's', .nth = 1, .never = "R", .panel1 = text::kReadAborted,
             .notice = text::kReadAborted, .failed = P::DeviceCheck});
        row("r: P refused",
            {.letter = 'P', .nth = -2, .never = "R", .panel1 = lt::kWrongEnterProgramming + '?',
             .notice = lt::kCommunicationError, .failed = P::ReadFlash});
        row("v: flash verify silent",
            {.letter = 'R', .nth = 5, .never = "d", .panel1 = lt::kFailEnterAvr,
             .notice = text::kFlashVerifyFailed, .failed = P::VerifyFlash});
        row("v: EEPROM silent",
            {.letter = 'd', .nth = 10, .panel1 = text::kVerifyCommError, .notice = text::kVerifyCommError,
             .failed = P::VerifyEeprom});
        row("P: no writer",
            {.letter = '\x1b', .nth = 1, .never = "e", .panel1 = lt::kSendingExitAvr,
             .notice = lt::kWriterNotFound, .failed = P::Communication});
        row("P: other chip",
            {.sent = "s", .never = "e", .panel1 = lt::kSendingExitAvr, .notice = lt::kDeviceMismatch + "\r\n" + lt::kSocketDeviceIs + "AT90S8515",
             .chip = "AT90S8515", .verdict = V::ChipRefused, .failed = P::DeviceCheck});
        row("P: erase refused",
            {.letter = 'e', .nth = -1, .sent = "e", .never = "ca", .panel1 = text::kEraseFailed,
             .notice = text::kEraseFailed, .timed = true, .failed = P::Erase});
        row("R",
            {.sent = "r", .panel1 = text::kReadCommandDone, .notice = "", .timed = true,
             .verdict = V::Succeeded});
        row("R: flash L",
            {.letter = 'L', .nth = -2, .sent = "d", .never = "r", .panel1 = text::kFlashReadFailed,
             .notice = text::kFlashReadFailed, .timed = true, .failed = P::ReadFlash});
        row("R: EEPROM L",
            {.letter = 'L', .nth = -3, .never = "r", .panel1 = text::kEepromReadFailed,
             .notice = text::kEepromReadFailed, .timed = true, .failed = P::ReadEeprom});
        row("V", {.sent = "d", .panel1 = text::kVerifyCommandDone, .notice = "", .verdict = V::Succeeded});
        row("E", {.sent = "sAPeL", .panel1 = text::kEraseCommandDone, .notice = "", .verdict = V::Succeeded});
        row("E: other chip",
            {.sent = "sAPeL", .panel1 = text::kEraseCommandDone, .notice = "", .chip = "AT90S8515",
             .verdict = V::Succeeded});
        row("E: refused",
            {.letter = 'e', .nth = -1, .sent = "sAPeL", .panel1 = text::kEraseFailed,
             .notice = text::kEraseFailed, .failed = P::Erase});
        // clang-format on
    }
    void faults() {
        const Case c = Get<Case>("case");
        Rig rig("ATtiny12L", 200, c.letter, c.nth);
        rig.images.EepromImage[1] = rig.images.EepromImage[9] = 0x42;
        rig.Burn();
        const int seated = Index(c.chip.isEmpty() ? "ATtiny12L" : c.chip);
        if (!c.chip.isEmpty()) rig.model.LoadChip(ChipState::Fresh(seated));
        const char op = QTest::currentDataTag()[0];  // the tag names the operation as Run does
        if (op == 'r') rig.images.ProgramImage.fill(0x55);
        const operations::Report& report = rig.Run(op);
        // A failed read keeps the words read before the failure and the rest as they were, dumps untouched;
        // an erase empties the chip, not the images, and redraws only the EEPROM dump.
        if (op == 'r' && c.letter == 'R')
            QVERIFY(rig.Word(c.nth - 2) == 0x1200 + c.nth - 2 && rig.Word(c.nth - 1) == 0x5555);
        if (op == 'r' || op == 'E') QCOMPARE(report.programDumpChanged, false);
        if (op == 'r') QVERIFY(!report.eepromDumpChanged);
        if (op == 'E' && report.Succeeded())
            QVERIFY(rig.model.Chip() == ChipState::Fresh(seated) && report.eepromDumpChanged && rig.Word(3) == 0x1203);
        if (c.nth > 0) QCOMPARE(rig.Count(c.letter), c.nth);  // silence ends a loop at once
        QVERIFY(rig.letters.contains(c.sent));
        for (char n : c.never) QVERIFY2(!rig.letters.contains(n), qPrintable(QString(QChar(n))));
        QCOMPARE(rig.ui.panels[1], c.panel1);
        QCOMPARE(Notice(rig.ui), c.notice);
        QCOMPARE(rig.ui.panels[5].endsWith(text::kSecondsSuffix), c.timed);
        QCOMPARE(report.deviceSelectionRenewed, rig.ui.panels[1] == text::kEraseCommandDone);
        QVERIFY(!report.showVerifyLog);
        QVERIFY(rig.Seconds() < 12.0);
        // The report says what the windows show, and never calls a fault a success.
        QCOMPARE(report.status, c.panel1);
        QCOMPARE(report.notice, c.notice);
        QCOMPARE(report.verdict, c.verdict);
        QCOMPARE(report.errorFlag != 0, report.verdict == operations::Verdict::LinkFailed ||
                                            report.verdict == operations::Verdict::ChipRefused);
        int failed = -1;
        for (const auto& p : report.phases)
            if (!p.ok && failed < 0) failed = int(p.phase);
        QCOMPARE(failed, c.failed ? int(*c.failed) : -1);
    }

    void wrongReplyKeepsWriting() {
        Rig rig("AT90S2313", 100, 'C', -3);
        const operations::Report& report = rig.Run('p');
        QCOMPARE(rig.Count('c'), 100);
        QCOMPARE(rig.Count('C'), 100);
        QVERIFY(rig.ui.calls.contains("status 1 " + lt::kWrongWriteHigh));
        QVERIFY(rig.ui.calls.contains("message 1 " + text::kFlashProgramFailed));
        QCOMPARE(rig.ui.panels[1], text::kVerdictAllOkStatus);  // the EEPROM phase and the verify still ran
        // The chip holds the file: a success, with the flash phase's trouble on record.
        QCOMPARE(report.verdict, operations::Verdict::Succeeded);
        QCOMPARE(report.phases.first().phase, operations::PhaseKind::DeviceCheck);
        QVERIFY(!report.phases.at(1).ok && report.phases.at(1).phase == operations::PhaseKind::ProgramFlash);
    }

    void readFillsDeviceRangeOnly() {
        Rig rig("AT90S8515", 4096);
        auto& im = rig.images;
        for (int a = 0; a < 512; ++a) im.EepromImage[a] = quint8(a ^ 0x5A);
        rig.Burn();
        im.ProgramImage.fill(0x55);
        im.EepromImage.fill(0x55);
        const operations::Report& report = rig.Run('r');
        QVERIFY(AsChip(im, rig.index) == rig.model.Chip());
        QCOMPARE(std::count(im.ProgramImage.begin() + 8192, im.ProgramImage.end(), 0x55), 65537 - 8192);
        QCOMPARE(std::count(im.EepromImage.begin() + 512, im.EepromImage.end(), 0x55), 2049 - 512);
        QVERIFY(report.programDumpChanged && report.eepromDumpChanged);
        QCOMPARE(Notice(rig.ui), QString());
    }

    // A whole-memory verify of an AT90S8515 reads every word and byte and logs each difference.
    void verifyLog_data() {
        QTest::addColumn<int>("word");  // -1: none differs
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("verdict");
        const QString f = "Flash Program memory address verify\r\n\r\n";
        const QString e = "\r\nEEPROM data memory address verify\r\n\r\n";
        const QString fl = "PROGRAM Addr(word) = 0012  Original = 940C   NG = FFFF\r\n";
        const QString el = "EEPROM  Addr(byte) = 0005  Original = 00   NG = 3A\r\n";
        QTest::newRow("EEPROM byte") << -1 << 5 << f + e + el << text::kVerdictEepromNg;
        QTest::newRow("flash word") << 0x12 << -1 << f + fl + e << text::kVerdictFlashNg;
        QTest::newRow("both") << 0x12 << 5 << f + fl + e + el << text::kVerdictBothNg;
    }
    void verifyLog() {
        QFETCH(int, word);
        QFETCH(int, byte);
        Rig rig("AT90S8515");
        if (byte >= 0) rig.images.EepromImage[byte] = 0x3A;
        rig.Burn();
        if (byte >= 0) rig.images.EepromImage[byte] = 0x00;
        if (word >= 0) qToBigEndian(quint16(0x940C), &rig.images.ProgramImage[2 * word]);
        const operations::Report& report = rig.Run('v');
        QCOMPARE(rig.Count('R'), 4096);
        QCOMPARE(rig.Count('d'), 512);
        QTEST(QString::fromUtf8(operations::VerifyLogText(report.differences)), "log");
        QVERIFY(report.showVerifyLog && report.verifyCompared);
        QCOMPARE(report.verdict, operations::Verdict::Mismatch);
        QCOMPARE(report.differences.size(), int(word >= 0) + int(byte >= 0));
        QTEST(rig.ui.panels[1], "verdict");
        QTEST(Notice(rig.ui), "verdict");
    }

    // What a verify's differences mean, the kinds tried in their order. Sixteen flash words compared; the
    // chip's words as a fault leaves them (hex, high byte first); the EEPROM as file and chip bytes.
    void diagnosis_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("eepromFile");
        QTest::addColumn<QString>("eepromChip");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("kind");  // empty: no diagnosis
        QTest::addColumn<int>("line");      // -1: none
        QTest::addColumn<int>("bit");
        const QString same = kDiagnosisFile;
        const auto row = [](const char* tag, const QString& chip, const QString& kind, int line = -1, int bit = -1,
                            const QString& eepromFile = {}, const QString& eepromChip = {}, const QString& signature = "059001") {
            QTest::newRow(tag) << chip << eepromFile << eepromChip << signature << kind << line << bit;
        };
        row("nothing differs", same, {});
        row("locked signature, whatever was read", QString(64, 'F'), "locked", -1, -1, {}, {}, "020100");
        row("blank chip", QString(64, 'F'), "not-programmed");
        // A1 stuck at 0: words w and w^2 both land in w&~2, which holds the AND of both.
        row("address line A1", "00000010000000102211883322118833A485005AA485005A0201000002010000", "address-line", 1);
        row("data line bit 2", "900800102211403362518873AA99C8BBEAD900FBA1A15A5A0201000302011230", "data-line", -1, 2);
        row("one flipped bit", "940C00102211443366558877AB99CCBBEEDD00FFA5A55A5A0201040306051234", "scattered");
        row("old bits left by an erase", "800800100211442266010804000808B2AE590029242442520001040006040234", "not-erased");
        row("bits left at 1", "D4FD8F187F39C77777F7ACF7EF9DEFFBEEDF43FFA5ED5AFA6B3D6E5356EF573D", "bits-not-programmed");
        row("bits both ways", "951C10112301543267459876AB89DCBAEFCD10FEA4B54A5B0311140207150235", "unexplained");
        row("EEPROM cells left erased by the file read 0", same, "not-erased", -1, -1, "FFFFFFFFFFFFFFFFFF", "000000000000000000");
        row("EEPROM written cells lose bits: no failed erase", same, "unexplained", -1, -1, "5A5A5A5A5A5A5A5A5A", "505050505050505050");
    }
    void diagnosis() {
        QFETCH(QString, chip);
        QFETCH(QString, eepromFile);
        QFETCH(QString, eepromChip);
        QFETCH(QString, signature);
        image::MemoryImages images;
        const QByteArray file = QByteArray::fromHex(kDiagnosisFile.toLatin1()), read = QByteArray::fromHex(chip.toLatin1());
        std::copy(file.begin(), file.end(), images.ProgramImage.begin());
        QList<operations::Difference> differences;
        for (int w = 0; w < file.size() / 2; ++w) {
            const auto expected = qFromBigEndian<quint16>(file.constData() + 2 * w), actual = qFromBigEndian<quint16>(read.constData() + 2 * w);
            if (expected != actual) differences.append({operations::Memory::Flash, w, expected, actual});
        }
        const QByteArray eeprom = QByteArray::fromHex(eepromFile.toLatin1()), eepromRead = QByteArray::fromHex(eepromChip.toLatin1());
        for (int a = 0; a < eeprom.size(); ++a) {
            images.EepromImage[a] = quint8(eeprom[a]);
            if (eeprom[a] != eepromRead[a]) differences.append({operations::Memory::Eeprom, a, quint8(eeprom[a]), quint8(eepromRead[a])});
        }
        const auto d = operations::DiagnoseVerify(images, differences, {qint32(file.size() / 2), qint32(eeprom.size())},
                                                  QByteArray::fromHex(signature.toLatin1()));
        QTEST(d ? operations::DiagnosisKindName(d->kind) : QString(), "kind");
        QTEST(d && d->line ? *d->line : -1, "line");
        QTEST(d && d->bit ? *d->bit : -1, "bit");
        QVERIFY(!d || !d->message.isEmpty());
    }

    // Panel 5 counts whole seconds on the monotonic clock; the fake one crosses a day boundary here.
    void programElapsed() {
        Rig rig("ATtiny12L", 40);
        std::optional<core::Clock::time_point> start;
        // The command notes its start just before its first pump and reads the clock after the verdict's.
        rig.ui.onRepaint = [&] {
            if (!start) start = rig.timing.Now();
            if (rig.ui.messageText == text::kVerdictAllOk &&
                rig.timing.Now() < *start + std::chrono::seconds(12))
                rig.timing.Advance(*start + std::chrono::milliseconds(12700) - rig.timing.Now());
        };
        rig.Run('P');
        QCOMPARE(rig.ui.panels[5], QStringLiteral("12秒"));
    }

    // A few hundred random fault schedules for program, verify and read: each run ends within its
    // time-outs, and none that a fault reached is reported as a success. A failure names its seed.
    void faultSoak() {
        for (quint32 seed = 1; seed <= 300; ++seed) {
            QRandomGenerator random(seed);
            const char op = "PVR"[random.bounded(3)];
            Rig rig("ATtiny12L", 24);
            rig.images.EepromImage[3] = 0x42;
            if (op != 'P') rig.Burn();
            rig.schedule = Fault(1 + random.bounded(4));
            rig.from = 1 + random.bounded(150);
            const operations::Report& report = rig.Run(op);
            const QByteArray what = QStringLiteral("seed %1: %2, fault %3 from command %4 of %5, %6 s")
                                        .arg(seed)
                                        .arg(op)
                                        .arg(int(rig.schedule))
                                        .arg(rig.from)
                                        .arg(QString::fromLatin1(rig.letters))
                                        .arg(rig.Seconds())
                                        .toUtf8();
            // A writer that stops answering ends the run within a few exchanges (wrong replies cost no wait and
            // let the writes go on); each costs at most a 5 s time-out, plus the writer's own pauses (3 s).
            const int afterFault = rig.hit ? int(rig.letters.size()) - rig.from + 1 : 0;
            if (rig.schedule != Fault::Wrong) QVERIFY2(afterFault <= 12, what.constData());
            QVERIFY2(rig.Seconds() < 5.0 * std::min(afterFault, 12) + 3 + 2, what.constData());
            if (rig.hit) QVERIFY2(report.verdict != operations::Verdict::Succeeded, what.constData());
            if (!rig.hit) QVERIFY2(report.verdict == operations::Verdict::Succeeded, what.constData());
        }
    }


    // The family byte of a signature: a locked chip reads 0x00..0x02, an empty socket 0xFF, a chip anything
    // else; both the device check and identification go by it.
    void socketRule_data() {
        QTest::addColumn<int>("family");
        QTest::addColumn<operations::SocketState>("state");
        using S = operations::SocketState;
        for (const auto& [family, state] : {std::pair{0x00, S::Locked}, {0x02, S::Locked}, {0x03, S::Chip},
                                            {0x90, S::Chip}, {0xFE, S::Chip}, {0xFF, S::Empty}})
            QTest::addRow("%02X", family) << family << state;
    }
    void socketRule() {
        QFETCH(int, family);
        QTEST(operations::SocketStateOf(quint8(family)), "state");
    }

    // A job refuses files that hold even one byte more than the device, in either memory, before the wire.
    void imagesBeyondTheDevice_data() {
        QTest::addColumn<bool>("flash");
        QTest::addColumn<int>("offset");  // from the device's size: -1 its last byte, 0 the first beyond
        QTest::addColumn<int>("beyond");
        QTest::newRow("last flash byte") << true << -1 << 0;
        QTest::newRow("first byte past the flash") << true << 0 << 1;
        QTest::newRow("last EEPROM byte") << false << -1 << 0;
        QTest::newRow("first byte past the EEPROM") << false << 0 << 1;
    }
    void imagesBeyondTheDevice() {
        QFETCH(bool, flash);
        QFETCH(int, offset);
        QFETCH(int, beyond);
        Rig rig("ATtiny12L");
        operations::Job job;
        job.device = rig.target.device;
        job.recorded = false;
        job.dryRun = true;
        if (flash)
            job.images.ProgramImage[2 * job.device->flashWords + offset] = 0x12;
        else
            job.images.EepromImage[job.device->eepromBytes + offset] = 0x34;
        const operations::JobReport done = operations::RunJob(rig.env, rig.target.port, "COM1", job);
        QCOMPARE(done.imagesBeyond, beyond);
        QCOMPARE(done.end == operations::JobEnd::ImagesBeyond, beyond > 0);
    }

    // A communication check that ends before the writer was reached records its phase as failed.
    void communicationNeverReached_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("saved");
        QTest::newRow("no port saved") << 1 << false;
        QTest::newRow("COM0") << 0 << true;
    }
    void communicationNeverReached() {
        QFETCH(int, number);
        QFETCH(bool, saved);
        Rig rig("AT90S2313", 1);
        rig.target.port.number = number;
        rig.target.port.saved = saved;
        const operations::Report& report = rig.Run('P');
        QVERIFY(rig.letters.isEmpty());
        QCOMPARE(report.verdict, operations::Verdict::LinkFailed);
        QVERIFY(!report.phases.isEmpty());
        QCOMPARE(report.phases.first().phase, operations::PhaseKind::Communication);
        QVERIFY(!report.phases.first().ok);
    }
};

QTEST_GUILESS_MAIN(OperationsTest)
#include "tst_operations.moc"
