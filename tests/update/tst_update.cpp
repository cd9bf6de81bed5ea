// The firmware update without its dialog: file checks, word reading, the progress rule and the wire
// protocol against a scripted writer on a fake clock, and a whole update against kxwrt-sim over a
// pseudo-terminal.
#include <sys/stat.h>
#include <QtTest>

#include "TestEnvironment.h"
#include "UpdateWriter.h"
#include "link/QtSerialPortAdapter.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using namespace zendra::test;
using namespace std::chrono_literals;
using P = update::FileProblem;
using R = update::TransferResult;
using A = update::ProgressAction;

namespace {

// What the transfer showed; `calls` holds one word per call.
struct Shown final : update::UpdateDisplay {
    QStringList calls, boxes;  // boxes: "title|text"
    QString status, failureText;
    void msgCmt(const QString& text) override { status = text, calls << "status"; }
    void ResetProgressBar() override { calls << "reset"; }
    void ShowProgressBar(int, int, int value) override { calls << "bar " + QString::number(value); }
    void ShowFailureText(const QString& text) override { failureText = text, calls << "failure"; }
    void ShowInformationBox(const QString& t, const QString& text) override { boxes << t + '|' + text; }
};
const TestEnvironment kEnv;
QString AppDir() { return kEnv.AppDir(); }
QByteArray Lines(const QByteArrayList& lines) { return lines.join('\n'); }
const QByteArray kGood = Rec(0, "0C94");  // word 0 = 0x940C
QByteArray With(QByteArray line, int at, char c) { return line[at] = c, line; }

// clang-format off
// why: the status after the failure text; `kind` puts a FIFO, folder, device or nothing at the file's path.
struct Refusal { QByteArray text; P problem; QString why; QString kind = {}; };
struct Parse { QByteArray text; QStringList words; };
struct Bar { QString mode; int max, pos; A action; };
struct Echo { int delayMs, wrong; R result; int packets; QString shown; };  // delay -1 never, -2 cable pulled
// clang-format on

struct Bench {
    Bench() { writer.Attach(port); }
    FakeTiming timing;
    UpdateWriter writer;
    ScriptedPort port{timing};
    Shown display;
    update::UpdateLink link{port, timing, display};

    R Load(const QByteArray& text) { return LoadPath(WriteFile(AppDir() + "fw.hex", text)); }
    R LoadPath(const QString& path) {
        port.Open("/dev/ttyUPD");
        return SendFirmwareFile(link, path);
    }
};

}  // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Parse)
Q_DECLARE_METATYPE(Bar)
Q_DECLARE_METATYPE(Echo)

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
        QCOMPARE(SendFirmwareFile(b.link, AppDir() + "none.hex"), R::Refused);  // a missing file: nothing is sent
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
            QCOMPARE(b.display.calls.last(), "reset");
        } else if (c.result == R::Failed) {
            QVERIFY2(b.display.failureText.endsWith(c.shown), qPrintable(b.display.failureText));
            QCOMPARE(b.display.status, update::kUpdateFailed);
            QVERIFY(b.display.boxes.isEmpty() && !b.display.calls.contains("reset") &&
                    b.timing.WaitedTotal() < 100ms);
        }
    }

};

QTEST_GUILESS_MAIN(UpdateTest)
#include "tst_update.moc"
