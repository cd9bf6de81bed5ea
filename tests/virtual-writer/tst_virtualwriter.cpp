// The writer model (every command's answer in every state, memory rules, faults, update mode, JSON state),
// its in-process port on the fake clock, and kxwrt-sim behind a real QSerialPort on its pseudo-terminal.

#include <QJsonDocument>
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#include "FakeTiming.h"
#include "StateJson.h"
#include "VirtualWriterPort.h"

using namespace zendra::virtualwriter;
using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

constexpr int T12 = 0, T26 = 2, S2323 = 3, S2343 = 4, S4433 = 8, S8515 = 11, S8535 = 12;
const QString kId = QStringLiteral("'KX-WRT540 20 'V6.35 0D 0A");
const QString kSim = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");

// Wire notation: hex bytes, repeated hex bytes ("0D*3") and 'text; "'AP 'a 00 10" is A P a 00 10.
QByteArray Wire(const QString& notation) {
    QByteArray out;
    for (const QString& token : notation.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint value = token.left(2).toUInt(&ok, 16);
        const bool text = token.startsWith('\''), repeated = token.size() > 3 && token.at(2) == '*';
        Q_ASSERT_X(text || (ok && (token.size() == 2 || repeated)), "Wire", qPrintable(token));
        out += text ? token.mid(1).toLatin1() : QByteArray(repeated ? token.mid(3).toInt() : 1, char(value));
    }
    return out;
}

// What `sent` to the model of device `dev` brings back; flags: L locked, E empty socket, P word 0 = 1234 and
// byte 0 = 56 kept, sN silent after N, wN wrong from N.
struct Exchange {
    int dev = T12;
    QString sent, want;
    QString flags = {};
};
// kxwrt-sim started with `args`: the reply to `sent`, and how long it takes at least.
struct SimCase {
    QStringList args = {};
    QString sent, want;
    int minMs = 0;
};

QString Trace(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

struct Rig {  // a model behind an opened in-process port
    explicit Rig(int ms = 0) : model({.silentAfter = {}, .wrongFrom = {}, .replyDelay = milliseconds(ms)}) {
        port.Open("/dev/virtual");
    }
    WriterModel model;
    zendra::test::FakeTiming timing;
    VirtualWriterPort port{model, timing};
};

// A running kxwrt-sim and a host port opened on `portPath` (the printed path if empty).
struct Sim {
    explicit Sim(const QStringList& args, const QString& portPath = {}) {
        p.start(kSim, args);
        QDeadlineTimer limit(10000);  // a simulator that never prints its path fails the test, not hangs it
        while (p.waitForStarted(5000) && !p.canReadLine() && !limit.hasExpired()) p.waitForReadyRead(500);
        path = QString::fromLocal8Bit(p.readLine()).trimmed();
        Open(portPath.isEmpty() ? path : portPath);
    }
    ~Sim() { Stop(); }
    bool Open(const QString& name) {
        port.setPortName(name);
        return port.setBaudRate(57600) && port.open(QIODevice::ReadWrite);
    }
    bool Stop() {  // true when SIGTERM ends it with status 0
        port.close();
        if (p.state() != QProcess::NotRunning) p.terminate();
        if (!p.waitForFinished(5000) && p.state() != QProcess::NotRunning) p.kill(), p.waitForFinished();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    // Sends `sent`, collects the reply until `count` bytes came or `ms` passed.
    QString Exchange(const QString& sent, int count, int ms = 2000) {
        port.write(Wire(sent));
        QByteArray reply;
        QDeadlineTimer limit(ms);
        while (reply.size() < count && !limit.hasExpired())
            port.waitForReadyRead(50), reply += port.readAll();
        return Trace(reply);
    }
    QProcess p;
    QString path;
    QSerialPort port;
};

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

Q_DECLARE_METATYPE(Exchange)
Q_DECLARE_METATYPE(SimCase)

class TestVirtualWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void session_data() {
        QTest::addColumn<Exchange>("e");
        const auto row = [](const char* name, const Exchange& e) { QTest::newRow(name) << e; };
        // clang-format off
        row("base set", {.sent = "'? 1B 's 'P 'T 59 00", .want = kId + " 3F*5"});
        row("AVR set, ESC ends programming",
            {.sent = "'A?A 'P 'a 00 00 'W 34 12 1B 'P 'A 'a 00 00 'R",
             .want = "0D " + kId + " 0D 0D 0D 0D 3F 0D 0D FF FF"});
        row("T codes, unknown letters",
            {.sent = "'AT 59 00 'T 13 FF 'T 99 00 'T 00 00 'ZU", .want = "0D*3 3F*4"});
        row("signature ATtiny26L", {.dev = T26, .sent = "'APs", .want = "0D 0D 09 91 1E"});
        row("signature outside programming",
            {.dev = T26, .sent = "'As 'P 'L 's", .want = "0D FF FF FF 0D 0D FF FF FF"});
        row("signature locked", {.dev = T26, .sent = "'APs", .want = "0D 0D 02 01 00", .flags = "L"});
        row("signature empty socket", {.dev = T26, .sent = "'APs", .want = "0D 0D FF FF FF", .flags = "E"});
        // Memories
        row("c, C advances",
            {.sent = "'AP 'a 00 00 'c 11 'c 22 'C 44 'c 33 'a 00 00 'RR", .want = "0D*8 44 00 FF 33"});
        row("W, R advance",
            {.dev = T26, .sent = "'AP 'a 00 00 'W 34 12 'W 78 56 'a 00 00 'RR", .want = "0D*6 12 34 56 78"});
        row("only clears bits",
            {.sent = "'AP 'a 00 00 'W 0F F0 'a 00 00 'W F0 0F 'a 00 00 'R", .want = "0D*7 00 00"});
        row("erase",
            {.sent = "'AP 'a 00 00 'W 00 00 'e 'a 00 00 'W 34 12 'a 00 00 'R", .want = "0D*8 12 34"});
        row("d, D keep the address",
            {.sent = "'AP 'a 00 03 'D 11 'D 22 'dd 'a 00 04 'd", .want = "0D*5 22 22 0D FF"});
        row("one address register", {.sent = "'AP 'a 00 02 'W 00 00 'D 77 'a 00 03 'd", .want = "0D*6 77"});
        row("addresses wrap",
            {.sent = "'AP 'a 02 00 'W 34 12 'a 00 40 'D 99 'a 00 00 'd 'R", .want = "0D*7 99 12 34"});
        row("programmed", {.sent = "'AP 'a 00 00 'R 'd", .want = "0D 0D 0D 12 34 FF", .flags = "P"});
        row("locked",
            {.sent = "'AP 'a 00 00 'W 00 00 'D 00 'a 00 00 'R 'd", .want = "0D*6 FF FF FF", .flags = "PL"});
        row("empty",
            {.sent = "'AP 'a 00 00 'W 00 00 'D 00 'e 'a 00 00 'R 'd 'F 'r 'o", .want = "0D*7 FF*6",
             .flags = "PE"});
        row("outside programming",
            {.sent = "'A 'a 00 01 'W 00 00 'D 00 'e 'P 'd 'R", .want = "0D*6 56 12 34", .flags = "P"});
        row("erase unlocks", {.sent = "'AP 'e 's", .want = "0D 0D 0D 05 90 1E", .flags = "L"});
        row("EEPROM, EESAVE",
            {.dev = T26, .sent = "'AP 'a 00 00 'D 42 'e 'd 3B AC A8 00 F3 'D 42 'e 'd",
             .want = "0D*5 FF 0D*3 42"});
        // Fuses, lock bits, calibration
        row("tiny12 fuse, calibration",
            {.sent = "'AP 'r 'u FF 'r 3A 58 08 00 'o", .want = "0D 0D D2 0D DF FF 5B"});
        row("tiny26 fuses",
            {.dev = T26, .sent = "'AP 'u 64 'r 3A 58 08 00 3B AC A8 00 EB 3A 58 08 00",
             .want = "0D*3 64 F7 0D E3"});
        row("other instructions",
            {.dev = T26, .sent = "'AP 3A 50 00 00 3B AC A0 00 00 3A 58 08 00 'r",
             .want = "0D 0D FF 0D F7 E1"});
        row("tiny26 lock",
            {.dev = T26, .sent = "'AP 3B AC E0 00 FD 'F 's 3B AC E0 00 FE 's",
             .want = "0D*3 FD 09 91 1E 0D 02 01 00"});
        row("lock bits, erase",
            {.sent = "'AP 'l FB 'l FD 'l FF 'F 'l 00 'F 'e 'F", .want = "0D*5 F9 0D F9 0D FF"});
        row("AT90S2323 lock bits in F",
            {.dev = S2323, .sent = "'APF 'l FD 'F 'l F9 'F", .want = "0D 0D DF 0D 5F 0D 1F"});
        row("AT90S2343 RCEN", {.dev = S2343, .sent = "'APF", .want = "0D 0D DE"});
        row("AT90S8535 FSTRT", {.dev = S8535, .sent = "'AP 'f BE 'F 'f BF 'F", .want = "0D 0D 0D DE 0D DF"});
        row("AT90S4433 fuse", {.dev = S4433, .sent = "'AP 'r 'f A0 'r 'F", .want = "0D 0D DA 0D C0 FF"});
        row("AT90S8515 none", {.dev = S8515, .sent = "'AP 'f 00 'r 'F 'o", .want = "0D 0D 0D FF FF FF"});
        row("fuses outside programming",
            {.dev = T26, .sent = "'A 'u 00 3B AC A8 00 00 'l 00 'r 3A 58 08 00 'F 'o 'P 'r 'F",
             .want = "0D*4 FF FF FF FF 0D E1 FF"});
        // Update mode
        row("update sums", {.sent = "'U 00 10 3F FF FF FF FF FE", .want = "4E FB"});
        row("update end, then base", {.sent = "'U 00 00 12 34 FF FF FF FF '?", .want = "46 " + kId});
        row("letters are update data", {.sent = "'U '?AP 00", .want = "D0"});
        // Faults
        row("silent from the start", {.dev = T26, .sent = "'?", .want = "", .flags = "s0"});
        row("silent after two, no effect",
            {.dev = T26, .sent = "'AP 'a 00 00 'W 00 00", .want = "0D 0D", .flags = "Ps2"});
        row("silence counts whole frames",
            {.dev = T26, .sent = "'AT 59 00 'A", .want = "0D 0D", .flags = "s2"});
        row("wrong CR is ?", {.dev = T26, .sent = "'AP", .want = "0D 3F", .flags = "w2"});
        row("wrong data inverted, still acts",
            {.dev = T26, .sent = "'APs", .want = "3F 3F F6 6E E1", .flags = "w1"});
        row("wrong identification",
            {.dev = T26, .sent = "'?", .want = "B4 A7 D2 A8 AD AB CA CB CF DF A9 C9 D1 CC CA F2 F5",
             .flags = "w1"});
        row("wrong update echo", {.dev = T26, .sent = "'U 00 10 3F FF", .want = "B1", .flags = "w2"});
        row("silence wins", {.dev = T26, .sent = "'AAA", .want = "3F 3F", .flags = "s2w1"});
        // clang-format on
    }
    void session() {
        QFETCH(Exchange, e);
        const auto& [dev, sent, want, flags] = e;
        const auto count = [&](char c) -> std::optional<int> {
            const int i = flags.indexOf(c);
            return i < 0 ? std::nullopt : std::optional(flags.at(i + 1).digitValue());
        };
        WriterModel model({.deviceIndex = dev,
                           .emptySocket = flags.contains('E'),
                           .locked = flags.contains('L'),
                           .silentAfter = count('s'),
                           .wrongFrom = count('w')});
        ChipState chip = model.Chip();
        chip.flash[0] = 0x1234, chip.eeprom[0] = 0x56;
        if (flags.contains('P')) QVERIFY(model.LoadChip(chip));
        QCOMPARE(Trace(model.Feed(Wire(sent))), Trace(Wire(want)));
        if (flags.contains('P')) QVERIFY(model.Chip() == chip);
    }

    void updateReplacesFirmwareAtTheEnd() {
        WriterModel model;
        ChipState chip = model.Chip();
        chip.firmware.insert(0x0100, 0xAAAA);
        QVERIFY(model.LoadChip(chip));
        model.Feed(Wire("'U 00 10 3F FF 1F FE 12 34 00"));
        QCOMPARE(model.Chip().firmware, chip.firmware);  // an interrupted update leaves the old image
        QCOMPARE(Trace(model.Feed(Wire("11 22 33 FF FF FF FF"))), Trace(Wire("66")));
        chip.firmware = {{0x10, 0x3FFF}, {0x1FFE, 0x1234}, {0x11, 0x2233}};
        QCOMPARE(model.Chip().firmware, chip.firmware);
    }

    void chipChoice_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("want");  // -1: refused
        const auto row = [](const char* text, int want) { QTest::newRow(text) << QString(text) << want; };
        row("ATtiny26L", T26), row("12", S8535), row("at90s1200", 5), row("13", -1), row("-1", -1);
        row("ATmega8", -1);
    }
    void chipChoice() {
        QFETCH(QString, text);
        QFETCH(int, want);
        QCOMPARE(ParseChipChoice(text).value_or(-1), want);
    }

    void jsonRoundTrip() {
        ChipState chip = ChipState::Fresh(T26);
        chip.flash[5] = 0x1234, chip.eeprom[0x7F] = 0x99, chip.fuseLow = 0x64, chip.fuseHigh = 0xE3;
        chip.lock = 0xFE, chip.calibration = 0x77, chip.firmware = {{0x1FFE, 0x1234}};
        QTemporaryDir dir;  // through a file, as --dump and --preload do
        QString error;
        QVERIFY(WriteChipStateFile(chip, dir.filePath("state"), &error));
        const auto reread = ReadChipStateFile(dir.filePath("state"), T12, &error);
        QVERIFY2(reread && *reread == chip, qPrintable(error));
    }

    void jsonRefusesMalformed_data() {
        QTest::addColumn<QByteArray>("json");
        const auto row = [](const char* name, const QByteArray& json) { QTest::newRow(name) << json; };
        row("unknown chip", R"({"chip": "ATmega8"})");
        row("flash too long", "{\"flash\": \"" + QByteArray(513 * 4, 'F') + "\"}");
        row("eeprom too long", "{\"eeprom\": \"" + QByteArray(65 * 2, '0') + "\"}");
        row("flash ragged", R"({"flash": "123"})");
        row("flash not hex", R"({"flash": "12G4"})");
        row("flash signed", R"({"flash": "+123"})");
        row("flash not text", R"({"flash": [1, 2]})");
        row("byte too big", R"({"fuseLow": "100"})");
        row("byte number too big", R"({"lock": 256})");
        row("byte negative", R"({"lock": -1})");
        row("byte fraction", R"({"calibration": 1.5})");
        row("firmware not object", R"({"firmware": "1234"})");
        row("firmware address too big", R"({"firmware": {"10000": "1234"}})");
        row("firmware word bad", R"({"firmware": {"0010": "XYZ"}})");
    }
    void jsonRefusesMalformed() {
        QFETCH(QByteArray, json);
        const QJsonDocument doc = QJsonDocument::fromJson(json);
        QString error;
        QVERIFY(doc.isObject() && !ChipStateFromJson(doc.object(), T12, &error) && !error.isEmpty());
    }

    void loadChipRefusesWrongSizes() {
        WriterModel model;
        ChipState chip = ChipState::Fresh(T26);
        chip.flash.resize(512);  // ATtiny26L has 1024 words
        QVERIFY(!model.LoadChip(chip));
        QCOMPARE(model.Chip().deviceIndex, T12);
        // The rejected state must not be reachable through an address past its end.
        QCOMPARE(Trace(model.Feed(Wire("'AP 'a 03 FF 'R"))), Trace(Wire("0D 0D 0D FF FF")));
    }

    void portReplyDelay_data() {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("elapsed");  // waiting up to 1000 ms
        QTest::newRow("prompt") << 0 << 1 << 0;
        QTest::newRow("late within the wait") << 300 << 1 << 300;
        QTest::newRow("later than the wait") << 1500 << 0 << 1000;
        QTest::newRow("exactly at the end") << 1000 << 1 << 1000;
    }
    void portReplyDelay() {
        QFETCH(int, delay);
        QFETCH(int, bytes);
        QFETCH(int, elapsed);
        Rig r(delay);
        const auto start = r.timing.Now();
        QVERIFY(r.port.Write("A"));
        QCOMPARE(r.port.BytesWaiting(), delay ? 0 : 1);
        if (delay) r.port.WaitForMoreBytes(1s);
        QCOMPARE(r.port.BytesWaiting(), bytes);
        QCOMPARE(std::chrono::duration_cast<milliseconds>(r.timing.Now() - start).count(), elapsed);
    }

    // Replies keep their order; closing drops those on their way, the chip survives. A closed or unplugged
    // port takes nothing. Parameter bytes go out one write each, as the host sends them.
    void portOpenCloseUnplug() {
        Rig r(100);
        for (const char* b : {"A", "P", "a", "\x00", "\x07", "D", "\x5A"}) r.port.Write(QByteArray(b, 1));
        r.timing.Advance(50ms);
        QVERIFY(r.port.Write("?"));
        r.port.WaitForMoreBytes(1s);
        QCOMPARE(r.port.ReadAll(), Wire("0D*4"));
        r.port.WaitForMoreBytes(1s);
        QCOMPARE(r.port.ReadAll(), QByteArray("KX-WRT540 V6.35\r\n"));
        r.port.Write("?");
        r.port.Close();
        r.timing.Advance(1s);
        QVERIFY(r.port.Open("/dev/virtual"));
        QCOMPARE(r.port.BytesWaiting(), 0);
        QVERIFY(r.port.Write(Wire("'a 00 07 'd")));
        r.port.WaitForMoreBytes(1s);
        QCOMPARE(r.port.ReadAll(), Wire("0D 5A"));
        const int commands = r.model.CommandCount();
        r.port.Close();
        r.port.unopenablePaths << "/dev/busy";
        QVERIFY(!r.port.Open("/dev/busy") && !r.port.Write("A"));
        QVERIFY(r.port.SetLineSettings("57600,n,8,1") && !r.port.SetLineSettings("57600,x,8,1"));
        QCOMPARE(r.port.LastLineSettings(), QString("57600,n,8,1"));
        QVERIFY(r.port.Open("/dev/virtual") && !r.port.Open("/dev/virtual") && r.port.Write("A"));
        r.port.Unplug();  // the reply on its way is lost too
        QVERIFY(r.port.HasFailed() && !r.port.Write("A"));
        QCOMPARE(r.model.CommandCount(), commands + 1);
        const auto before = r.timing.Now();
        r.port.WaitForMoreBytes(1s);  // returns at once: nothing will ever come
        QCOMPARE(r.timing.Now(), before);
        r.timing.Advance(1s);
        QCOMPARE(r.port.BytesWaiting(), 0);
        r.port.Close();
        QVERIFY(r.port.Open("/dev/virtual") && !r.port.HasFailed());
    }

    void simOptions_data() {
        QTest::addColumn<SimCase>("c");
        const auto row = [](const char* name, const SimCase& c) { QTest::newRow(name) << c; };
        // clang-format off
        row("identification", {.sent = "'?", .want = kId});
        row("firmware", {.args = {"--firmware", "6.29"}, .sent = "'?", .want = "'KX-WRT540 20 'V6.29 0D 0A"});
        row("chip", {.args = {"--chip", "AT90S8535"}, .sent = "'APs", .want = "0D 0D 03 93 1E"});
        row("locked", {.args = {"--locked"}, .sent = "'APs", .want = "0D 0D 02 01 00"});
        row("empty socket", {.args = {"--empty"}, .sent = "'APs", .want = "0D 0D FF FF FF"});
        row("wrong from two", {.args = {"--wrong-from", "2"}, .sent = "'AP", .want = "0D 3F"});
        row("silent after one", {.args = {"--silent-after", "1"}, .sent = "'AP", .want = "0D"});
        row("reply delay", {.args = {"--delay-ms", "300"}, .sent = "'A", .want = "0D", .minMs = 300});
        row("line time",
            {.args = {"--baud", "1200"}, .sent = "'?", .want = kId, .minMs = 140});  // 18 bytes take 150 ms
        // clang-format on
    }
    void simOptions() {
        QFETCH(SimCase, c);
        const auto& [args, sent, want, minMs] = c;
        Sim sim(args);
        QVERIFY2(sim.port.isOpen(), qPrintable(sim.path + sim.port.errorString()));
        QElapsedTimer t;
        t.start();
        QString reply = sim.Exchange(sent, Wire(want).size(), minMs + 2000);
        const qint64 elapsed = t.elapsed();
        reply += sim.Exchange({}, 1, 100);  // nothing more may follow
        QCOMPARE(reply, Trace(Wire(want)));
        QVERIFY2(elapsed >= minMs, qPrintable(QString::number(elapsed)));
        QVERIFY(sim.Stop());
    }

    // The emulated USB adapter: nothing before its latency timer runs out, then the whole reply at once; a
    // full packet of 62 bytes goes at once. Generous margins: only the order of events is checked.
    void simAdapterHoldsRepliesBack_data() {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("early");  // bytes that arrive before the timer
        QTest::newRow("identification held, then one burst") << "'?" << 0;
        QTest::newRow("four identifications: a full packet first") << "'????" << 62;
    }
    void simAdapterHoldsRepliesBack() {
        QFETCH(QString, sent);
        QFETCH(int, early);
        Sim sim({"--adapter-latency-ms", "1500"});
        QVERIFY2(sim.port.isOpen(), qPrintable(sim.path + sim.port.errorString()));
        const int total = int(sent.size() - 1) * int(Wire(kId).size());
        QElapsedTimer t;
        t.start();
        sim.port.write(Wire(sent));
        QByteArray reply;
        while (t.elapsed() < 900) sim.port.waitForReadyRead(50), reply += sim.port.readAll();
        QCOMPARE(reply.size(), early);
        QList<int> bursts;  // the sizes of the reads after the timer
        while (reply.size() < total && t.elapsed() < 5000) {
            sim.port.waitForReadyRead(50);
            const QByteArray more = sim.port.readAll();
            if (!more.isEmpty()) bursts << int(more.size());
            reply += more;
        }
        QVERIFY2(t.elapsed() >= 1400, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(bursts, QList<int>{total - early});
        QCOMPARE(reply, Wire(sent.mid(1).size() == 1 ? kId : kId + " " + kId + " " + kId + " " + kId));
        QVERIFY(sim.Stop());
    }

    void simRefuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown chip") << QStringList{"--chip", "ATmega8"};
        QTest::newRow("negative delay") << QStringList{"--delay-ms", "-5"};
        QTest::newRow("negative adapter latency") << QStringList{"--adapter-latency-ms", "-1"};
        QTest::newRow("wrong from zero") << QStringList{"--wrong-from", "0"};
        QTest::newRow("silent not a number") << QStringList{"--silent-after", "many"};
        QTest::newRow("firmware control characters") << QStringList{"--firmware", "6.35\r\n"};
        QTest::newRow("missing preload") << QStringList{"--preload", "/nonexistent/state.json"};
        QTest::newRow("stray argument") << QStringList{"COM1"};
    }
    void simRefuses() {  // before anything appears on stdout
        QFETCH(QStringList, args);
        QProcess p;
        p.start(kSim, args);
        QVERIFY(p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() != 0);
        QVERIFY(p.readAllStandardOutput().isEmpty() && !p.readAllStandardError().isEmpty());
    }

    void simStateSurvivesReopenAndIsDumped() {
        QTemporaryDir dir;
        const QString dump = dir.filePath("dump"), link = dir.filePath("writer"), log = dir.filePath("log");
        Sim sim({"--chip", "ATtiny26L", "--dump", dump, "--link", link, "--wire-log", log}, link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path);
        QCOMPARE(sim.Exchange("'?", 17), Trace("KX-WRT540 V6.35\r\n"));
        QCOMPARE(sim.Exchange("'APs", 5), Trace(Wire("0D 0D 09 91 1E")));
        QCOMPARE(sim.Exchange("'a 00 21 'W 34 12 'a 00 05 'D A7", 4), Trace(Wire("0D*4")));
        sim.port.close();
        // A new host session finds the writer still in programming mode with the chip as it was left.
        QVERIFY2(sim.Open(sim.path), qPrintable(sim.port.errorString()));
        QCOMPARE(sim.Exchange("'a 00 21 'R 'a 00 05 'd", 5), Trace(Wire("0D 12 34 0D A7")));
        QVERIFY(sim.Stop());
        QVERIFY(!QFileInfo(link).isSymLink());
        const QString trace = QString::fromLatin1(Read(log));
        for (const char* entry : {"> 3F\n", "< 4B 58 2D", "> 52\n", "< 12 34\n"})
            QVERIFY2(trace.contains(entry), qPrintable(trace));
        const QJsonObject state = QJsonDocument::fromJson(Read(dump)).object();
        QCOMPARE(state.value("chip").toString(), QString("ATtiny26L"));
        QCOMPARE(state.value("flash").toString().mid(0x21 * 4, 4), QString("1234"));
        QCOMPARE(state.value("eeprom").toString().mid(5 * 2, 2), QString("A7"));
    }

    // A short preload leaves the rest fresh. A completed update replaces the image and is dumped at once,
    // while the writer still runs: a host that dies after an update still leaves the image.
    void simPreloadAndUpdateDumpedAtOnce() {
        QTemporaryDir dir;
        const QString dump = dir.filePath("dump");
        QFile file(dir.filePath("preload"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            R"({"chip": "AT90S2323", "flash": "0000BEEF", "fuseLow": 222, "firmware": {"0100": "AAAA"}})");
        file.close();
        Sim sim({"--preload", file.fileName(), "--dump", dump});
        QCOMPARE(sim.Exchange("'AP 's 'a 00 01 'RR 'F 1B", 11),
                 Trace(Wire("0D 0D 02 91 1E 0D BE EF FF FF DE")));
        QCOMPARE(sim.Exchange("'U 00 10 3F FF", 1), Trace(Wire("4E")));
        QCOMPARE(sim.Exchange("FF FF FF FF", 1, 300), QString());
        QTRY_VERIFY(QFile::exists(dump));
        QCOMPARE(QJsonDocument::fromJson(Read(dump))["firmware"].toObject(), QJsonObject({{"0010", "3FFF"}}));
    }
};

QTEST_GUILESS_MAIN(TestVirtualWriter)
#include "tst_virtualwriter.moc"
