// The firmware update: file checks, the progress rule, the wire protocol and the dialog (offscreen)
// against a scripted writer on a fake clock, and a whole update against kxwrt-sim over a pseudo-terminal.
#include <sys/stat.h>
#include <QtTest>
#include <QtWidgets>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "TestEnvironment.h"
#include "link/PortMap.h"
#include "link/QtSerialPortAdapter.h"
#include "update/Dialog_Update.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using namespace std::chrono_literals;
using update::Dialog_Update;
using P = update::FileProblem;
using R = update::TransferResult;
using A = update::ProgressAction;

namespace {

using Words = QMap<quint32, quint16>;  // word address -> high << 8 | low
// One record with a correct checksum and upper-case digits; `hex` is its data.
QByteArray Rec(quint16 address, const QByteArray& hex, quint8 type = 0) {
    const QByteArray data = QByteArray::fromHex(hex);
    QByteArray b = char(data.size()) + QByteArray(1, char(address >> 8)) + char(address) + char(type) + data;
    quint8 sum = 0;
    for (char c : b) sum = quint8(sum - quint8(c));
    return ':' + (b + char(sum)).toHex().toUpper();
}
// Each word as a data record (low byte first), then the end record.
QByteArray WordsFile(const Words& words) {
    QByteArray text;
    for (auto [w, v] : words.asKeyValueRange())
        text += Rec(quint16(w * 2), (QByteArray(1, char(v)) + char(v >> 8)).toHex()) + "\r\n";
    return text + ":00000001FF\r\n";
}
Words Firmware(quint32 first, quint32 last) {
    Words words;
    for (quint32 w = first; w <= last; ++w) words.insert(w, quint16(w * 0x9E37u ^ w >> 3));
    return words;
}
// The words that reach the writer: 0x0000-0x1EFF and 0x1FE0-0x1FFE.
Words Sent(const Words& words) {
    Words sent;
    for (auto [w, v] : words.asKeyValueRange())
        if (w <= 0x1EFF || (w >= 0x1FE0 && w <= 0x1FFE)) sent.insert(w, v);
    return sent;
}
QString WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text), path;
}
// '?' answers the identification, 'U' enters update mode, a four-byte write is a word answered by its sum
// (from packet `wrongFrom` on by `wrongEcho`), FF FF FF FF ends update mode. `vanish` pulls the cable.
struct Writer {
    QByteArray versionReply = "KX-WRT540 V6.35\r\n";
    core::Duration versionDelay{0}, echoDelay{0};
    bool silent = false, vanish = false, updating = false, ended = false;
    int wrongFrom = -1, packets = 0;
    quint8 wrongEcho = 0xA7;
    Words words;
    void Attach(test::ScriptedPort& port) {
        port.responder = [this](test::ScriptedPort& p, const QByteArray& bytes) {
            const auto b = [&](int i) { return quint8(bytes[i]); };
            if (bytes == "?") p.QueueReply(versionReply, versionDelay);
            if (bytes.size() == 1) updating = bytes == "U";
            if (bytes.size() != 4 || !updating) return;
            if (vanish) return p.Vanish();
            if ((ended = bytes == update::kEndMark)) return void(updating = false);
            words.insert(b(0) << 8 | b(1), quint16(b(2) << 8 | b(3)));
            const quint8 echo =
                packets++ >= wrongFrom && wrongFrom >= 0 ? wrongEcho : b(0) + b(1) + b(2) + b(3);
            if (!silent) p.QueueReply(QByteArray(1, char(echo)), echoDelay);
        };
    }
};
// What the transfer showed; `calls` holds one word per call.
struct Shown final : update::UpdateDisplay {
    QStringList calls, boxes;  // boxes: "title|text"
    QString status, failureText;
    void msgCmt(const QString& text) override { status = text, calls << "status"; }
    void ResetProgressBar() override { calls << "reset"; }
    void ShowProgressBar(int, int, int value) override { calls << "bar " + QString::number(value); }
    void ShowFailureText(const QString& text) override { failureText = text, calls << "failure"; }
    void ShowInformationBox(const QString& t, const QString& text) override { boxes << t + '|' + text; }
    void PumpEvents() override { calls << "pump"; }
};
const test::TestEnvironment kEnv;
QString AppDir() { return kEnv.AppDir(); }
QByteArray Lines(const QByteArrayList& lines) { return lines.join('\n'); }
const QByteArray kGood = Rec(0, "0C94");  // word 0 = 0x940C
QByteArray With(QByteArray line, int at, char c) { return line[at] = c, line; }
const QString kUart0 = "/dev/ttyFAKE0", kUart1 = "/dev/ttyFAKE1", kMain2 = "/dev/ttyMAIN2";
const Words kFirmware = Firmware(0x1EDC, 0x1F00);  // the bar shows 7900, then goes back at 0x1F00

// clang-format off
// why: the status after the failure text; `kind` puts a FIFO, folder, device or nothing at the file's path.
struct Refusal { QByteArray text; P problem; QString why; QString kind = {}; };
struct Parse { QByteArray text; QStringList words; };
struct Bar { QString mode; int max, pos; A action; };
struct Echo { int delayMs, wrong; R result; int packets; QString shown; };  // delay -1 never, -2 cable pulled
struct Version { QString com; bool refuse; QByteArray reply; int delayMs; QString shown; };  // panel or box
struct Closing { QString comNox; int how; QString mainPath; };  // how: 閉じる, Escape, close box, 閉じる only
// clang-format on

struct Bench {
    explicit Bench(const QString& com = "1") {
        writer.Attach(port), mainPort.Open("/dev/ttyMAIN");
        state.AppDir = state.ScratchDir = AppDir();
        if (com != "-") settings.values.insert("Settings6/Com", com);
    }
    test::FakeTiming timing;
    Writer writer;
    std::unique_ptr<test::ScriptedPort> owned = std::make_unique<test::ScriptedPort>(timing);
    test::ScriptedPort& port = *owned;  // the dialog's own port once it is opened
    Shown display;
    update::UpdateLink link{port, timing, display};
    test::ScriptedPort mainPort{timing};
    test::RecordingUi ui;
    test::MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>{{kUart1, ""}, {kUart0, "UART"}}; }};
    link::LinkContext main{mainPort, timing, ui, state, settings, ports};
    core::OperationGuard guard;
    std::unique_ptr<Dialog_Update> dialog;

    R Load(const QByteArray& text) { return LoadPath(WriteFile(AppDir() + "fw.hex", text)); }
    R LoadPath(const QString& path) {
        port.Open("/dev/ttyUPD");
        return File_Load(link, path);
    }
    Dialog_Update& Open() {
        dialog = std::make_unique<Dialog_Update>(nullptr, main, guard, [this] { return std::move(owned); });
        dialog->show();
        return *dialog;
    }
    QString Status() const { return dialog->StatusPanel1->text(); }
    QString Box() const { return ui.boxes.size() == 1 ? ui.boxes[0].text : QString::number(ui.boxes.size()); }
    void ChooseFirmware() {
        ui.fileAnswers.enqueue(WriteFile(AppDir() + "kxfw635.hex", WordsFile(kFirmware)));
        QTest::mouseClick(dialog->CmdOpen, Qt::LeftButton);
    }
};

bool IsRed(const QLabel* label) {
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

}  // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Parse)
Q_DECLARE_METATYPE(Bar)
Q_DECLARE_METATYPE(Echo)
Q_DECLARE_METATYPE(Version)
Q_DECLARE_METATYPE(Closing)

class UpdateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A damaged file is refused whole: not even ESC or 'U' reaches the writer.
    void refusesDamagedFilesSendingNothing_data() {
        QTest::addColumn<Refusal>("c");
        QTest::newRow("too short, line 2") << Refusal{kGood + "\r\n:1000\r\n", P::NotARecord, "2行目："};
        QTest::newRow("letter G") << Refusal{With(kGood, 10, 'G'), P::BadDigit, "1行目："};
        QTest::newRow("after skipped lines")
            << Refusal{Lines({kGood, ";", With(kGood, 9, 'x')}), P::BadDigit, "3行目："};
        QTest::newRow("wrong checksum") << Refusal{With(kGood, 12, '0'), P::BadChecksum, "1行目："};
        QTest::newRow("count above line") << Refusal{With(kGood, 2, '4'), P::LengthMismatch, "1行目："};
        QTest::newRow("odd digit count") << Refusal{kGood + "0", P::LengthMismatch, "1行目："};
        QTest::newRow("odd byte count") << Refusal{Rec(0, "0C9400"), P::OddCount, "1行目："};
        QTest::newRow("odd address") << Refusal{Rec(1, "0C94"), P::OddAddress, "1行目："};
        QTest::newRow("short base record") << Refusal{Rec(0, "01", 4), P::NotARecord, "1行目："};
        QTest::newRow("no sent word") << Refusal{Lines({Rec(0x3E00, "FFFF"), Rec(0x4000, "0C94")}),
                                                 P::NoWordToSend, update::kNoWordToSend};
        QTest::newRow("over 4 MiB") << Refusal{(kGood + "\r\n").repeated(update::kMaxUpdateFileBytes / 16),
                                               P::TooLarge, update::kFileTooLarge};
        // Refused before any open: a FIFO would wait for a writer, /dev/zero never ends.
        QTest::newRow("FIFO") << Refusal{{}, P::NotRegularFile, update::kFileNotRegular, "fifo"};
        QTest::newRow("/dev/zero") << Refusal{{}, P::NotRegularFile, update::kFileNotRegular, "zero"};
        QTest::newRow("folder") << Refusal{{}, P::NotRegularFile, update::kFileNotRegular, "folder"};
        QTest::newRow("missing") << Refusal{{}, P::Unreadable, update::kFileUnreadable, "missing"};
    }
    void refusesDamagedFilesSendingNothing() {
        QFETCH(Refusal, c);
        Bench b;
        const QString path = AppDir() + "fw.hex";
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (c.kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (c.kind == "zero") QVERIFY(QFile::link("/dev/zero", path));
        if (c.kind == "folder") QVERIFY(QDir().mkpath(path));
        QCOMPARE(c.kind.isEmpty() ? b.Load(c.text) : b.LoadPath(path), R::Refused);
        const auto contents = update::LoadUpdateFile(path);
        QCOMPARE(contents.problem, c.problem);
        QVERIFY(contents.words.isEmpty() && b.port.Writes().isEmpty());
        QCOMPARE(b.display.failureText, update::TransferFailedText("--"));
        QVERIFY2(b.display.status.startsWith(update::kUpdateFailed + ' ' + c.why),
                 qPrintable(b.display.status));
    }

    void readsWordsLowByteFirst_data() {
        QTest::addColumn<Parse>("c");
        QTest::newRow("lower-case") << Parse{Rec(0x20, "ab3c01ff").toLower(), {"0010=3CAB", "0011=FF01"}};
        QTest::newRow("LF, trailing blanks; no colon first: skipped")
            << Parse{Lines({"x", " " + kGood, kGood + "  ", Rec(2, "1122")}), {"0000=940C", "0001=2211"}};
        QTest::newRow("after end record") << Parse{":00000001FF\r\n" + kGood, {"0000=940C"}};
        // Extended address records move later data up, never back over the low words.
        QTest::newRow("extended bases") << Parse{
            Lines({kGood, Rec(0, "1000", 2), Rec(2, "AABB"), Rec(0, "FFFF", 4), Rec(0xFFFE, "CCDDEEFF")}),
            {"0000=940C", "8001=BBAA", "7FFFFFFF=DDCC", "80000000=FFEE"}};
    }
    void readsWordsLowByteFirst() {
        QFETCH(Parse, c);
        QStringList got;
        for (const auto& w : update::ParseUpdateFile(c.text).words)
            got << QString::asprintf("%04X=%02X%02X", uint(w.address), uint(w.high), uint(w.low));
        QCOMPARE(got, c.words);
    }

    void progressBarRule_data() {
        QTest::addColumn<Bar>("c");
        QTest::newRow("step 79") << Bar{"ON", 7936, 7900, A::Show};
        QTest::newRow("not a step") << Bar{"on", 7936, 80, A::None};
        QTest::newRow("at maximum") << Bar{"on", 7936, 7936, A::Reset};
        QTest::newRow("off") << Bar{"OfF", 7936, 79, A::Reset};
        QTest::newRow("range under 100") << Bar{"on", 99, 0, A::None};
        QTest::newRow("unknown mode") << Bar{"run", 7936, 79, A::None};
        QTest::newRow("step 2.5 is 2") << Bar{"on", 250, 2, A::Show};
        QTest::newRow("step 1.5 is 2") << Bar{"on", 150, 3, A::None};
    }
    void progressBarRule() {
        QFETCH(Bar, c);
        QCOMPARE(update::ProgressBarRule(c.mode, 0, c.max, c.pos), c.action);
    }

    void sendsTheLoaderRangesOfAFullFile() {
        Bench b;
        QCOMPARE(File_Load(b.link, AppDir() + "none.hex"), R::Refused);  // a missing file: nothing is sent
        auto words = Firmware(0, 0x1FFF);
        words[0x10] = 0x3FFF;
        QCOMPARE(b.Load(WordsFile(words)), R::Completed);
        const auto& writes = b.port.Writes();
        // ESC first: a writer left in its AVR command set ignores 'U'. A second after 'U', the words.
        QCOMPARE(writes.at(0).bytes + writes.at(1).bytes, QByteArray("\x1bU"));
        QVERIFY(writes.at(2).at - writes.at(1).at >= 1000ms);
        QCOMPARE(writes.size(), 2 + 0x1F00 + 0x1F + 1);
        QCOMPARE(writes.at(2 + 0x10).bytes, QByteArray::fromHex("00103FFF"));  // answered by 0x4E
        QCOMPARE(update::WordEcho(0x10, 0x3F, 0xFF), 0x4E);
        QVERIFY(writes.last().bytes == update::kEndMark && b.writer.ended);
        QCOMPARE(b.writer.words, Sent(words));
        QCOMPARE(b.port.DiscardCount(), int(writes.size()));  // the input is emptied before every write
        // Every word steps the bar, sent or not: shown each 79 words, reset from 0x1F00 on.
        QCOMPARE(b.display.calls.filter("bar ").size(), 7936 / 79 + 1);
        QVERIFY(b.display.calls.contains("bar 7900"));
        QCOMPARE(b.display.calls.count("reset"), 0x100);
        QCOMPARE(b.display.status, update::UpdateDoneText(1));
        QCOMPARE(b.display.boxes, QStringList{update::kDialogTitle + '|' + update::kUpdateDoneBox});
    }

    void echoes_data() {
        QTest::addColumn<Echo>("c");
        const QString late = update::kUpdateFailed + " Address=0x1A Data=0xC94";
        QTest::newRow("exactly 2 s is in time") << Echo{2000, -1, R::Completed, 2, ""};
        QTest::newRow("2.5 s is late") << Echo{2500, -1, R::TimedOut, 1, late};
        QTest::newRow("silent writer") << Echo{-1, -1, R::TimedOut, 1, late};
        QTest::newRow("wrong second echo") << Echo{0, 1, R::Failed, 2, "　error data = 0x5"};
        QTest::newRow("no echo yet") << Echo{-2, -1, R::Failed, 1, "　error data = 0x--"};
    }
    void echoes() {
        QFETCH(Echo, c);
        Bench b;
        b.writer.silent = c.delayMs == -1, b.writer.vanish = c.delayMs == -2;
        b.writer.echoDelay = std::chrono::milliseconds(std::max(c.delayMs, 0));
        b.writer.wrongFrom = c.wrong, b.writer.wrongEcho = 0x05;
        QCOMPARE(b.Load(Rec(0x34, "940C") + "\n" + Rec(0x36, "0000")), c.result);
        QCOMPARE(b.port.Writes().size(), 2 + c.packets + (c.result == R::Completed));
        QCOMPARE(b.port.Writes().last().bytes == update::kEndMark, c.result == R::Completed);
        QCOMPARE(b.display.failureText.isEmpty(), c.result != R::Failed);
        if (c.result == R::TimedOut) {
            const auto waited = b.timing.Now() - b.port.Writes().last().at;
            QVERIFY(waited > 2s && waited < 2100ms);
            QCOMPARE(b.display.status, c.shown);
            QCOMPARE(b.display.boxes, QStringList{update::kDialogTitle + '|' + update::kUpdateFailedBox});
            QCOMPARE(b.display.calls.mid(b.display.calls.size() - 2), (QStringList{"reset", "pump"}));
        } else if (c.result == R::Failed) {
            QVERIFY2(b.display.failureText.endsWith(c.shown), qPrintable(b.display.failureText));
            QCOMPARE(b.display.status, update::kUpdateFailed);
            QVERIFY(b.display.boxes.isEmpty() && !b.display.calls.contains("reset") &&
                    b.timing.WaitedTotal() < 100ms);
        }
    }

    void openingAndChoosingAPort() {
        Bench b("-");
        b.settings.values.insert("Settings6/Speed", " 9600");
        auto& dialog = b.Open();
        QCOMPARE(QFile(AppDir() + "LOG.txt").size(), 2);  // opening writes a fresh log: CR LF
        QCOMPARE(dialog.ComPortText(), "?");
        QCOMPARE(dialog.Combo_speed->currentText(), "57600");  // the loader's own speed
        QVERIFY(!dialog.Combo_speed->isEnabled() && !dialog.CmdUpdate->isEnabled());
        QVERIFY(b.mainPort.IsOpen() && !b.port.IsOpen());  // opening touches no port
        dialog.Combo_ComPort->setCurrentIndex(1);
        Q_EMIT dialog.Combo_ComPort->activated(1);
        QCOMPARE(b.settings.values.value("Settings6/Com"), "2");
        QCOMPARE(dialog.Label_device->text(), kUart1);  // detected ports are numbered in path order
        dialog.Combo_path->setEditText(" /tmp/pty-writer ");
        QTest::mouseClick(dialog.Command_assign, Qt::LeftButton);
        QCOMPARE(b.settings.values.value("Ports/COM2"), "/tmp/pty-writer");
        QCOMPARE(dialog.Label_device->text(), "/tmp/pty-writer");
    }

    void aMissingPortStopsBeforeAnyByte_data() {
        QTest::addColumn<int>("command");  // 0 Version Read and 1 UPDATE with port "?", 2 OPEN with none
        QTest::newRow("Version Read") << 0;
        QTest::newRow("UPDATE") << 1;
        QTest::newRow("OPEN") << 2;
    }
    void aMissingPortStopsBeforeAnyByte() {
        QFETCH(int, command);
        Bench b(command == 2 ? "" : "?");
        auto& dialog = b.Open();
        if (command == 1) b.ChooseFirmware();
        QTest::mouseClick(QList{dialog.CmdVersion, dialog.CmdUpdate, dialog.CmdOpen}[command],
                          Qt::LeftButton);
        QCOMPARE(b.Box(), update::kSetPortNumber);
        QVERIFY(b.port.Writes().isEmpty() && !b.port.IsOpen());
        QCOMPARE(b.ui.fileRequests.size(), command == 1 ? 1 : 0);
    }

    void versionRead_data() {
        QTest::addColumn<Version>("c");
        const QByteArray v17 = "KX-WRT540 V6.35\r\n";
        const QString read = update::kVersionRead, failed = update::kVersionCommFailed;
        QTest::newRow("17 bytes") << Version{"1", false, v17, 0, read};
        QTest::newRow("16 bytes at 1 s") << Version{"1", false, v17.left(16), 1000, read};
        QTest::newRow("16 bytes at 1.5 s") << Version{"1", false, v17.left(16), 1500, failed};
        QTest::newRow("15 bytes") << Version{"1", false, v17.left(15), 0, failed};
        QTest::newRow("port 7 leads nowhere") << Version{"7", false, v17, 0, update::kPortOpenFailed};
        QTest::newRow("device refuses") << Version{"1", true, v17, 0, update::kPortOpenFailed};
    }
    void versionRead() {
        QFETCH(Version, c);
        Bench b(c.com);
        b.writer.versionReply = c.reply, b.writer.versionDelay = std::chrono::milliseconds(c.delayMs);
        b.port.unopenablePaths << (c.refuse ? kUart0 : QString());
        auto& dialog = b.Open();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        const bool opened = c.shown != update::kPortOpenFailed, box = c.shown == update::kVersionCommFailed;
        QVERIFY(!b.mainPort.IsOpen() && b.mainPort.DiscardCount() == 1 && !b.guard.IsBusy());
        QCOMPARE(b.port.AllWritten(), opened ? "?" : "");
        QCOMPARE(b.port.LastLineSettings(), "57600,n,8,1");
        QCOMPARE(b.settings.values.value("Ports/COM" + c.com), opened ? kUart0 : QString());
        QCOMPARE(dialog.Text_FirmwareVersion->text(), opened && !box ? "KX-WRT540 V6.35" : "");
        QCOMPARE(b.Box(), box ? c.shown : "0");
        QCOMPARE(b.Status(), box ? QString() : c.shown);
    }

    // A wrong echo leaves the dialog ready for another go; while that runs, nothing else is taken.
    void aFailedUpdateCanBeStartedAgain() {
        Bench b("2");
        b.writer.wrongFrom = 1;
        b.settings.values.insert("Settings6/OPEN_DIR0", "/old");
        auto& dialog = b.Open();
        dialog.CmdUpdate_Click();  // before a file is chosen
        QCOMPARE(b.Status(), update::kNoUpdateFile);
        b.ui.fileAnswers.enqueue(QString());  // an empty name is no choice
        QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
        QVERIFY(dialog.UpdateFileName().isEmpty() && !dialog.CmdUpdate->isEnabled());
        b.ChooseFirmware();
        QCOMPARE(b.ui.fileRequests.at(1).startDirectory, "/old");
        QCOMPARE(b.settings.values.value("Settings6/OPEN_DIR0") + '/', AppDir());
        QCOMPARE(b.Status(), update::FileChosenText("kxfw635.hex"));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(IsRed(dialog.Label3) && dialog.Label3->text().endsWith("\n　　　　　　　error data = 0xA7"));
        QCOMPARE(b.Status(), update::kUpdateFailed);
        QVERIFY(b.ui.boxes.isEmpty() && dialog.CmdUpdate->isEnabled() && !b.writer.ended);
        b.writer = Writer(), b.port.ClearWrites();  // the writer, power-cycled, answers properly now
        bool tried = false, refused = false;
        b.ui.onPump = [&] {
            if (tried || b.writer.packets < 5) return;
            tried = true;
            QVERIFY(dialog.IsWorking());
            dialog.CmdVersion_Click();  // disabled, so called directly
            for (auto* button : {dialog.CmdUpdate, dialog.CmdOpen, dialog.OKButton})
                QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            refused = !dialog.close() && dialog.isVisible();
        };
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(tried && refused);
        QCOMPARE(b.writer.words, Sent(kFirmware));
        QCOMPARE(b.port.Writes().size(), 2 + 0x24 + 1);  // no '?' from Version Read, no second 'U'
        QCOMPARE(b.ui.fileRequests.size(), 2);
        QCOMPARE(b.Box(), update::kUpdateDoneBox);
        QCOMPARE(b.Status(), update::UpdateDoneText(1));
        QVERIFY(!IsRed(dialog.Label3) && !dialog.CmdVersion->isEnabled() && !b.guard.IsBusy());
        QCOMPARE(dialog.ProgressBar1->value(), 0);  // the bar is back at its start
    }

    void closingReopensTheMainLink_data() {
        QTest::addColumn<Closing>("c");
        QTest::newRow("閉じる") << Closing{"2", 0, kMain2};
        QTest::newRow("Escape") << Closing{"2", 1, kMain2};
        QTest::newRow("close box") << Closing{"2", 2, kMain2};
        QTest::newRow("no port saved") << Closing{"-", 0, ""};
        QTest::newRow("saved port gone") << Closing{"9", 0, ""};
        QTest::newRow("main link left open") << Closing{"2", 3, "/dev/ttyMAIN"};
    }
    void closingReopensTheMainLink() {
        QFETCH(Closing, c);
        Bench b;
        if (c.comNox != "-") b.settings.values.insert("Settings/ComNox", c.comNox);
        b.settings.values.insert("Ports/COM2", kMain2);
        auto& dialog = b.Open();
        if (c.how < 3) QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        if (c.how == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (c.how == 2) QVERIFY(dialog.close());
        if (c.how % 3 == 0) QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && !b.port.IsOpen());
        QCOMPARE(b.mainPort.IsOpen() ? b.mainPort.PortPath() : QString(), c.mainPath);
        QCOMPARE(b.mainPort.OpenCount(), c.mainPath == kMain2 ? 2 : 1);
        QVERIFY(b.mainPort.Writes().isEmpty());  // no writer detection on the main link
    }

    // After a chip operation left kxwrt-sim in its AVR command set, it ends up with the file's words.
    void theSimulatedWriterHoldsTheFile() {
        const QString dump = AppDir() + "state.json";
        QProcess sim;
        sim.start(ZENDRA_BUILD_DIR "/kxwrt-sim", {"--dump", dump});
        QTRY_VERIFY2(sim.canReadLine(), "kxwrt-sim is built beside the tests and tells its terminal");
        core::SystemTiming timing;
        link::QtSerialPortAdapter port;
        Shown display;
        update::UpdateLink link{port, timing, display};
        update::PrepareUpdatePort(port, "57600");
        QVERIFY(port.Open(QString::fromLocal8Bit(sim.readLine()).trimmed()));
        QCOMPARE(update::ReadFirmwareVersion(link).value_or(QString()), "KX-WRT540 V6.35");
        port.Write("A"), port.WaitForMoreBytes(1s);
        QCOMPARE(port.ReadAll(), QByteArray("\r"));
        // Words 0x0000-0x21FF: the configuration words and the data words above must stay out.
        const auto words = Firmware(0, 0x21FF);
        QCOMPARE(update::File_Load(link, WriteFile(AppDir() + "sim.hex", WordsFile(words))), R::Completed);
        // Dumped once the end mark is taken; till then the port stays open, lest the terminal drop it.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 5000);
        QFile file(dump);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto json = QJsonDocument::fromJson(file.readAll()).object().value("firmware").toObject();
        Words firmware;
        for (auto it = json.begin(); it != json.end(); ++it)
            firmware.insert(it.key().toUInt(nullptr, 16), it.value().toString().toUInt(nullptr, 16));
        sim.terminate(), sim.waitForFinished(5000);
        QCOMPARE(firmware, Sent(words));
    }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
