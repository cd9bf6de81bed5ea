// The writer model (every command's answer in every state, memory rules, faults, update mode) and its
// in-process port on the fake clock; kxwrt-sim itself runs behind the link, update and command-line tests.

#include <QtTest>

#include "FakeTiming.h"
#include "VirtualWriterPort.h"

using namespace zendra::virtualwriter;
using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

constexpr int T12 = 0, T26 = 2;
const QString kId = QStringLiteral("'KX-WRT540 20 'V6.35 0D 0A");

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

QString Trace(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

struct Rig {  // a model behind an opened in-process port
    explicit Rig(int ms = 0) : model({.silentAfter = {}, .wrongFrom = {}, .replyDelay = milliseconds(ms)}) {
        port.Open("/dev/virtual");
    }
    WriterModel model;
    zendra::test::FakeTiming timing;
    VirtualWriterPort port{model, timing};
};

}  // namespace

Q_DECLARE_METATYPE(Exchange)

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
        row("lock bits, erase",
            {.sent = "'AP 'l FB 'l FD 'l FF 'F 'l 00 'F 'e 'F", .want = "0D*5 F9 0D F9 0D FF"});
        row("fuses outside programming",
            {.dev = T26, .sent = "'A 'u 00 3B AC A8 00 00 'l 00 'r 3A 58 08 00 'F 'o 'P 'r 'F",
             .want = "0D*4 FF FF FF FF 0D E1 FF"});
        // Update mode
        row("update sums", {.sent = "'U 00 10 3F FF FF FF FF FE", .want = "4E FB"});
        row("update end, then base", {.sent = "'U 00 00 12 34 FF FF FF FF '?", .want = "46 " + kId});
        // Faults
        row("silent from the start", {.dev = T26, .sent = "'?", .want = "", .flags = "s0"});
        row("silent after two, no effect",
            {.dev = T26, .sent = "'AP 'a 00 00 'W 00 00", .want = "0D 0D", .flags = "Ps2"});
        row("wrong CR is ?", {.dev = T26, .sent = "'AP", .want = "0D 3F", .flags = "w2"});
        row("wrong data inverted, still acts",
            {.dev = T26, .sent = "'APs", .want = "3F 3F F6 6E E1", .flags = "w1"});
        row("wrong update echo", {.dev = T26, .sent = "'U 00 10 3F FF", .want = "B1", .flags = "w2"});
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
};

QTEST_GUILESS_MAIN(TestVirtualWriter)
#include "tst_virtualwriter.moc"
