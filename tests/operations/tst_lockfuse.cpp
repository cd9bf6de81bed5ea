// The lock/fuse operations against a scripted writer: the frames of every cycle, what a read shows and how
// failures end; the risk of every change; then writes read back from the virtual writer's chip model.

#include "FakeTiming.h"
#include "Panel.h"
#include "ScriptedPort.h"
#include "VirtualWriterPort.h"
#include "WriterModel.h"
#include "link/LinkTexts.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"

using namespace zendra;
using namespace zendra::devices;
using core::PanelControl;
namespace text = operations::texts;

namespace {
// The panel's choices as the windows hold them, the link and a writer with the selected chip in its
// socket (fuse low, fuse high, lock, calibration). The writer answers each command letter as it arrives (no
// parameter byte here equals a letter), except the letters in `mute` and everything once `silentAfter` 'L'
// frames (the device check's included) have been answered.
struct Bench {
    test::FakeTiming timing;
    test::RecordingUi ui;
    test::ScriptedPort port{timing};
    const Device* device = nullptr;
    PanelDefaults setup;
    PanelIndexes panel{};
    QString calibration;
    operations::Report report;
    QList<int> chip;
    int family = 0, part = 0, silentAfter = -1, leaves = 0;
    QByteArray mute;
    explicit Bench(const QString& device, const QString& panel = {}, const QList<int>& bytes = {}) {
        chip = bytes.isEmpty() ? QList<int>{0xD3, 0xFF, 0xFE, 0} : bytes;
        Select(device);
        Apply(panel);
        if (const auto row = FindDevice(device))
            family = DeviceTable()[*row].family, part = DeviceTable()[*row].part;
        port.responder = [this](test::ScriptedPort& p, const QByteArray& bytes) {
            const char c = bytes.at(0);  // a frame's first write starts with its letter
            if (mute.contains(c) || (silentAfter >= 0 && leaves >= silentAfter)) return;
            const auto one = [](int byte) { return QByteArray(1, char(byte)); };
            const QHash<char, QByteArray> reply{
                {'?', "KX-WRT540 V6.35\r\n"}, {'s', one(part) + one(family) + one(0x1E)},
                {'r', one(chip[0])},          {':', one(chip[1])},
                {'F', one(chip[2])},          {'o', one(chip[3])}};
            if (reply.contains(c) || QByteArray("APLTful;").contains(c)) p.QueueReply(reply.value(c, "\r"));
            leaves += c == 'L';
        };
    }
    void Select(const QString& name) {
        device = DeviceAt(FindDevice(name).value_or(-1));
        setup = PanelFor(device);
        for (int i = 0; i < core::kPanelControlCount; ++i) panel[i] = setup.controls[i].index;
        calibration = setup.calibration;
    }
    void Apply(const QString& text) {
        for (const auto& [control, index] : test::Indexes(text)) panel[int(control)] = index;
        ui.calls.clear();
    }
    // The button's operation on `writerPort`, and what the windows take from its report.
    void Run(bool write, link::SerialPort& writerPort) {
        operations::Environment env{writerPort, timing, ui, ui};
        const operations::Target target{.device = device,
                                        .port = {.number = 1, .path = "/dev/fake0", .saved = true}};
        report = write ? operations::WriteLockFuseCommand(env, target, panel)
                       : operations::ReadLockFuseCommand(env, target, panel);
        if (report.lockChoice) panel[int(PanelControl::LockBit)] = *report.lockChoice;
        if (report.panel) panel = *report.panel;
        if (report.calibration) calibration = *report.calibration;
    }
    void Run(bool write) { Run(write, port); }
    // The controls named in `text` that hold another index, as they stand; empty when none.
    QString Off(const QString& text) const {
        QString off;
        for (const auto& [control, index] : test::Indexes(text))
            if (panel[int(control)] != index)
                off += devices::ControlName(control) + '=' + QString::number(panel[int(control)]) + ' ';
        return off;
    }
    // What went out after the communication check, a word a byte: letters as such, parameters in hex.
    QString Frames() const {
        const QByteArray all = port.AllWritten();
        QStringList out;
        for (char c : all.mid(all.lastIndexOf('\x1B') + 1)) {
            const bool letter = QByteArray("APLsrFo:;ufl").contains(c);
            out << (letter ? QString(QLatin1Char(c)) : QString(QByteArray(1, c).toHex().toUpper()));
        }
        return out.join(u' ');
    }
    int Warnings() const {
        return int(ui.calls.count(QStringLiteral("message 1 ") + text::kResetDisableWarning));
    }
};
// A read (RWarn: one that moves RSTDISABL to I/O, whose warning then stays up with OK) or write: the chip,
// the panel before, the frames after the device check, the panel after a read (a write moves nothing), the
// notice a failure leaves with OK and the writer's faults ("*": another chip is seated).
enum Kind { R, W, RWarn };
struct Op {
    QString device;
    Kind kind;
    QList<int> chip = {};
    QString before = {}, frames = {}, after = {}, calib = {}, notice = {};
    int silentAfter = -1;
    QString mute = {};
};
// A device's choices, the chip's fuses after writing them (high << 8 | low, masked to the fields), and the
// lock choice written last.
struct Chip {
    int device;
    QString choices = {};
    int fuses = 0, mask = 0, lock = 0;
};
// What each choice of a field risks against the chip holding `before` (-1: the device's default), a
// letter a choice: o ordinary, L lock-out, R read-protect, W write-protect. An empty device: every device.
struct Risk {
    QString device;
    PanelControl field;
    int before;
    QString classes;
};
// A write on the virtual writer's chip: the choices, whether a confirmation comes and its answer (-1: not
// asked, written; 0: cancelled; 1: written), and the bytes noted before the write.
struct Guard {
    int device;
    QString choices;
    int asked;
    QString before;
};
}  // namespace

Q_DECLARE_METATYPE(Guard)
Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Chip)

class LockFuseTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A failed cycle brings no byte: decoding one would move the panel and warn.
    void operations_data() {
        QTest::addColumn<Op>("op");
        const auto add = [](const char* tag, const Op& op) { QTest::newRow(tag) << op; };
        const QString t12 = "A P r L A P F L A P o L", t26 = "A P r L A P : 58 08 00 L A P F L A P o L";
        const QString readFailed = text::kFuseReadFailed, writeFailed = text::kFuseWriteFailed;
        // clang-format off
        add("read 12L 0x12",
            {.device = "ATtiny12L", .kind = R, .chip = {0x12, 0, 0xFF, 5}, .before = "LockBit=0",
             .frames = t12, .after = "CKSEL=2 RSTDISABL=1 BODEN=0 BODLEVEL=0 LockBit=2", .calib = "05"});
        add("read 12L to PB5:I/O",
            {.device = "ATtiny12L", .kind = RWarn, .chip = {0xC2, 0, 0xFF, 0xA7}, .frames = t12,
             .after = "RSTDISABL=0", .calib = "A7"});
        add("read 26L, LB2 alone, PB7:I/O",
            {.device = "ATtiny26L", .kind = RWarn, .chip = {0x5C, 0xE3, 0xFD, 0x3E}, .before = "LockBit=1",
             .frames = t26,
             .after = "CKSEL=12 SUT=1 CKOPT=1 PLLCK=0 BODEN=1 BODLEVEL=1 EESAVE=0 RSTDISABL=0 LockBit=1",
             .calib = "3E"});
        add("read 8515: nothing",
            {.device = "AT90S8515", .kind = R, .chip = {0, 0, 0xF9, 0}, .frames = "", .after = "LockBit=2",
             .calib = "-"});
        add("write 12L",
            {.device = "ATtiny12L", .kind = W, .before = "LockBit=0 BODEN=0",
             .frames = "A P r L A P F L A P u 92 L A P l F9 L"});
        add("write 26L low, high, lock",
            {.device = "ATtiny26L", .kind = W, .before = "SUT=0 LockBit=0",
             .frames = t26.left(37) + "u C1 L A P ; AC A8 00 F7 L A P ; AC E0 00 FC L"});
        add("write 8515 lock only",
            {.device = "AT90S8515", .kind = W, .before = "LockBit=0", .frames = "A P l F9 L"});
        add("write: silent writer",
            {.device = "ATtiny26L", .kind = W, .frames = t26.left(37) + "u E1 L A A", .calib = "?",
             .notice = writeFailed, .silentAfter = 5});
        add("write: no read before, nothing written",
            {.device = "ATtiny26L", .kind = W, .frames = "A P r L A A", .calib = "?", .notice = writeFailed,
             .silentAfter = 2});
        add("read: fuse times out",
            {.device = "ATtiny12L", .kind = R, .frames = "A P r L A A", .after = "CKSEL=2 BODEN=1 LockBit=2",
             .calib = "?", .notice = readFailed, .mute = "r"});
        add("read: calibration times out",
            {.device = "ATtiny26L", .kind = R, .frames = t26, .after = "SUT=1 LockBit=1", .calib = "?",
             .notice = readFailed, .mute = "o"});
        add("read: combined byte times out",
            {.device = "AT90S2343", .kind = R, .frames = "A P F L", .after = "RCEN=0 LockBit=2", .calib = "-",
             .notice = readFailed, .mute = "F"});
        add("read: mismatch",
            {.device = "ATtiny12L", .kind = R, .calib = "?", .notice = text::kFuseReadMismatch, .mute = "*"});
        add("write: mismatch",
            {.device = "ATtiny12L", .kind = W, .calib = "?",
             .notice = link::texts::kDeviceMismatch + "\r\n" + link::texts::kSocketDeviceIs + "ATtiny15L", .mute = "*"});
        add("write: signature times out",
            {.device = "ATtiny12L", .kind = W, .calib = "?", .notice = link::texts::kFailReadSignature,
             .mute = "s"});
        // clang-format on
    }
    void operations() {
        QFETCH(Op, op);
        Bench b(op.device, op.before, op.chip);
        b.silentAfter = op.silentAfter, b.mute = op.mute.toLatin1(), b.part += op.mute == "*";
        b.Run(op.kind == W);
        QCOMPARE(b.Frames(), ("A P s L " + op.frames).trimmed());
        QCOMPARE(b.Off(op.kind == W ? op.before : op.after), QString());
        if (!op.calib.isEmpty()) QCOMPARE(b.calibration, op.calib);
        const bool warns = op.kind == RWarn;
        QCOMPARE(b.Warnings(), int(warns));
        // Success closes the message window unless the read's warning is up; a notice stays with OK.
        QCOMPARE(b.ui.messageOpen && b.ui.messageOkVisible, warns || !op.notice.isEmpty());
        QCOMPARE(b.ui.messageOpen ? b.ui.messageText : "", warns ? text::kResetDisableWarning : op.notice);
        QCOMPARE(b.report.notice, b.ui.messageOpen ? b.ui.messageText : "");
        const QString done = op.kind == W ? text::kFuseWriteDone : text::kFuseReadDone;
        if (op.notice.isEmpty() || !op.frames.isEmpty())
            QCOMPARE(b.ui.panels[1], op.notice.isEmpty() ? done : op.notice);
        QCOMPARE(b.report.Succeeded(), op.notice.isEmpty());
    }

    // Every device x field x choice through the check both front ends use, against the device's defaults
    // as the chip's state; then the rows that name another state.
    void classification() {
        using C = PanelControl;
        // clang-format off
        const Risk risks[] = {
            {"ATtiny12L", C::CKSEL, -1, "LLoooLLLLLLLLLLL"},
            {"ATtiny12L", C::CKSEL, 10, "LLoooLLLLLoooooo"},  // another crystal is no new class
            {"ATtiny12L", C::CKSEL, 6, "LLooooooLLLLLLLL"},
            {"ATtiny12L", C::RSTDISABL, -1, "Lo"},
            {"ATtiny15L", C::RSTDISABL, -1, "Lo"},
            {"ATtiny26L", C::CKSEL, -1, "LooooLLLLLLLLLLL"},
            {"ATtiny26L", C::CKSEL, 0, "oooooLLLLLLLLLLL"},
            {"ATtiny26L", C::RSTDISABL, -1, "Lo"},
            {"AT90S2343", C::RCEN, -1, "oL"},
            {"AT90S2343", C::RCEN, 1, "oo"},
            {"", C::LockBit, -1, "RWo"},  // every device; the lock-only ones with their lock unread
        };
        // clang-format on
        const auto classify = [](const Device& device, int i, int state) {
            operations::KnownChoices before{};
            const PanelIndexes defaults = DefaultChoices(&device);
            for (int k = 0; k < core::kPanelControlCount; ++k) before[k] = defaults[k];
            if (device.fuseLayout == FuseLayout::LockOnly) before[int(PanelControl::LockBit)] = std::nullopt;
            if (state >= 0) before[i] = state;
            QString classes;
            for (int choice = 0; choice < PanelFor(&device).controls[i].entries.size(); ++choice) {
                PanelIndexes after = defaults;
                after[i] = choice;
                const auto changes = operations::CheckLockFuseChange(&device, before, after);
                classes += changes.isEmpty() ? QChar('o') : QString("oWRL").at(int(changes.first().change));
            }
            return classes;
        };
        for (const Device& device : DeviceTable()) {
            for (int i = 0; i < core::kPanelControlCount; ++i) {
                if (!PanelFor(&device).controls[i].enabled) continue;
                QString expected(PanelFor(&device).controls[i].entries.size(), 'o');
                for (const Risk& r : risks)
                    if ((r.device == device.Name() || r.device.isEmpty()) && int(r.field) == i && r.before == -1)
                        expected = r.classes;
                QCOMPARE(device.Name() + ' ' + ControlName(PanelControl(i)) + ' ' + classify(device, i, -1),
                         device.Name() + ' ' + ControlName(PanelControl(i)) + ' ' + expected);
            }
        }
        for (const Risk& r : risks)
            if (r.before >= 0) QCOMPARE(classify(DeviceTable()[*FindDevice(r.device)], int(r.field), r.before), r.classes);
    }

    // The chip's bytes are read before the write and nothing on the panel moves; a lock-out or protection
    // is asked about and Cancel sends no write command; an unchanged write asks nothing.
    void guardedWrite_data() {
        QTest::addColumn<Guard>("g");
        const auto add = [](const char* tag, const Guard& g) { QTest::newRow(tag) << g; };
        add("12L reset as I/O, cancelled", {0, "RSTDISABL=0", 0, "fuse=D2 lock=FF"});
        add("12L reset as I/O, written", {0, "RSTDISABL=0", 1, "fuse=D2 lock=FF"});
        add("12L as the chip holds: not asked", {0, "CKSEL=2 BODEN=1 BODLEVEL=1", -1, "fuse=D2 lock=FF"});
        add("26L external clock, cancelled", {2, "CKSEL=0", 0, "fuse=E1 fuseHigh=F7 lock=FF"});
        add("8515 read-protect, cancelled", {11, "LockBit=0", 0, ""});
        add("2343 protect nothing: not asked", {4, "", -1, "lock=DE"});
    }
    void guardedWrite() {
        QFETCH(Guard, g);
        virtualwriter::WriterModel model({.deviceIndex = g.device});
        const auto& chip = model.Chip();
        const auto bytes = [&] { return QList<int>{chip.fuseLow, chip.fuseHigh, chip.lock}; };
        const QList<int> untouched = bytes();
        Bench b(DeviceNames().at(g.device), g.choices);
        virtualwriter::VirtualWriterPort port(model, b.timing);
        if (g.asked >= 0) b.ui.confirmAnswers.enqueue(g.asked == 1);
        b.Run(true, port);
        QCOMPARE(b.ui.confirmations.size(), int(g.asked >= 0));
        QCOMPARE(b.report.lockFuseWritten.Empty(), g.asked == 0);
        if (g.asked == 0) QCOMPARE(bytes(), untouched);
        QCOMPARE(operations::LockFuseBytesText(b.report.lockFuseBefore), g.before);
        QCOMPARE(b.ui.panels[1], g.asked != 0 ? text::kFuseWriteDone : text::kFuseWriteCancelled);
        // The read before the write moves nothing on the panel and raises no notice.
        QVERIFY(!b.report.panel && !b.report.calibration && b.Warnings() == 0);
        QVERIFY(!model.InProgrammingMode());
    }

    void virtualWriterRoundTrip_data() {
        QTest::addColumn<Chip>("c");
        const auto add = [](const Chip& c) { QTest::newRow(qUtf8Printable(DeviceNames()[c.device])) << c; };
        // clang-format off
        add({.device = 0, .choices = "CKSEL=5 RSTDISABL=1 BODEN=0 BODLEVEL=0", .fuses = 0x15, .mask = 0xDF});
        add({.device = 1, .choices = "CKSEL=0 RSTDISABL=1 BODEN=0 BODLEVEL=1", .fuses = 0x90, .mask = 0xD3,
             .lock = 1});
        add({.device = 2, .choices = "CKSEL=4 SUT=1 CKOPT=0 PLLCK=0 BODEN=0 BODLEVEL=0 EESAVE=0",
             .fuses = 0x1014, .mask = 0x17FF});
        add({.device = 3, .choices = "FSTRT=0", .fuses = 0x00, .mask = 0x01, .lock = 1});
        add({.device = 4, .choices = "RCEN=1", .fuses = 0x01, .mask = 0x01});
        add({.device = 8, .choices = "CKSEL=5 BODEN=0 BODLEVEL=0", .fuses = 0x05, .mask = 0x1F});
        add({.device = 10, .choices = "FSTRT=1", .fuses = 0x01, .mask = 0x01});
        add({.device = 12, .choices = "FSTRT=0", .fuses = 0x00, .mask = 0x01, .lock = 1});
        // clang-format on
        for (int lockOnly : {5, 6, 7, 9, 11}) add({.device = lockOnly, .lock = lockOnly % 2});
    }
    void virtualWriterRoundTrip() {
        QFETCH(Chip, c);
        virtualwriter::WriterModel model({.deviceIndex = c.device});
        const auto& chip = model.Chip();
        Bench b(DeviceNames().at(c.device), c.choices);
        virtualwriter::VirtualWriterPort port(model, b.timing);
        b.Run(true, port);
        QCOMPARE(b.ui.panels[1], text::kFuseWriteDone);
        QCOMPARE((chip.fuseHigh << 8 | chip.fuseLow) & c.mask, c.fuses);
        QVERIFY(!model.InProgrammingMode());
        b.Select(DeviceNames().at(c.device));  // a fresh panel, then a read of what was written
        b.Run(false, port);
        QCOMPARE(b.ui.panels[1], text::kFuseReadDone);
        QCOMPARE(b.Off(c.choices + " LockBit=2"), QString());
        if (DeviceTable()[c.device].profile.calibration)
            QCOMPARE(b.calibration, CalibrationText(chip.calibration));
        // LB1 is programmed for either protection, LB2 only for the full one, each in the device's layout.
        b.Apply("LockBit=" + QString::number(c.lock));
        b.Run(true, port);
        QCOMPARE(b.ui.panels[1], text::kFuseWriteDone);
        QCOMPARE((chip.lock >> virtualwriter::LayoutForDevice(c.device)->lb1Bit) & 1, 0);
        QCOMPARE((chip.lock >> virtualwriter::LayoutForDevice(c.device)->lb2Bit) & 1, c.lock);
    }
};

QTEST_GUILESS_MAIN(LockFuseTest)
#include "tst_lockfuse.moc"
