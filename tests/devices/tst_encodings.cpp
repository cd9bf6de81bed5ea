// The catalogue's signature facts, and fuse, lock and calibration bytes against the panel's indexes.

#include "Panel.h"
using namespace zendra::devices;
namespace {
// Each fuse byte with the device whose panel feeds it.
struct FuseByte {
    QString device;
    quint8 (*compose)(const PanelIndexes&);
    FieldIndexes (*decode)(quint8);
};
const FuseByte kBytes[] = {
    {.device = "ATtiny12L", .compose = ComposeTiny12Fuse, .decode = DecodeTiny12Fuse},
    {.device = "ATtiny15L", .compose = ComposeTiny15Fuse, .decode = DecodeTiny15Fuse},
    {.device = "ATtiny26L", .compose = ComposeTiny26LowFuse, .decode = DecodeTiny26LowFuse},
    {.device = "ATtiny26L", .compose = ComposeTiny26HighFuse, .decode = DecodeTiny26HighFuse},
    {.device = "AT90S4433", .compose = Compose4433Fuse, .decode = Decode4433Fuse}};
enum { T12, T15, T26Low, T26High, S4433 };
FuseLayout Layout(const QString& device) { return DeviceTable()[*FindDevice(device)].fuseLayout; }
// The panel right after selecting `device`, with `changes` applied.
PanelIndexes Panel(const QString& device, const QString& changes = {}) {
    PanelIndexes x;
    const PanelDefaults setup = PanelFor(&DeviceTable()[*FindDevice(device)]);
    for (int i = 0; i < zendra::core::kPanelControlCount; ++i)
        x[i] = setup.controls[i].enabled ? setup.controls[i].index : -1;
    for (const auto& [control, index] : zendra::test::Indexes(changes)) x[int(control)] = index;
    return x;
}
struct Signature {
    quint8 family, part;
    QString model = {};
    int words;  // -1: not a known family
};
// The byte from the device's defaults with `changes`; `noise`: bits outside the fields, which a read ignores.
struct Fuse {
    int byte;
    QString changes = {};
    int value, noise = 0;
};
}  // namespace
Q_DECLARE_METATYPE(Signature)
Q_DECLARE_METATYPE(Fuse)
class EncodingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signatures_data() {
        QTest::addColumn<Signature>("s");
        const auto row = [](const char* tag, const Signature& s) { QTest::newRow(tag) << s; };
        row("tiny11 listed", {.family = 0x90, .part = 0x04, .model = "ATtiny11L", .words = 512});
        row("90 07 unlisted", {.family = 0x90, .part = 0x07, .words = 512});
        row("97 counts as 91", {.family = 0x97, .part = 0x09, .words = 1024});
        row("94 unknown", {.family = 0x94, .part = 0x01, .words = -1});
        row("part and family swapped", {.family = 0x05, .part = 0x90, .words = -1});
    }
    void signatures() {
        QFETCH(Signature, s);
        QCOMPARE(SignatureModelName(s.family, s.part), s.model);
        QCOMPARE(int(FlashWordsForFamily(s.family).value_or(-1)), s.words);
    }
    // The signature check compares the model with the first nine characters of the selected name and the
    // family's size with the device's flash: each device passes with its own chip, none with an ATtiny11L.
    void everyDeviceAcceptsOnlyItsOwnSignature() {
        for (const Device& d : DeviceTable()) {
            QCOMPARE(SignatureModelName(d.family, d.part), d.Name().left(9));
            QCOMPARE(int(FlashWordsForFamily(d.family).value_or(-1)), d.flashWords);
            QVERIFY(SignatureModelName(0x90, 0x04) != d.Name().left(9));
        }
    }
    void compose_data() {
        QTest::addColumn<Fuse>("f");
        const auto row = [](const char* tag, const Fuse& f) { QTest::newRow(tag) << f; };
        // clang-format off
        row("12L defaults", {.byte = T12, .value = 0xD2, .noise = 0x20});
        row("12L CKSEL, PB5:I/O",
            {.byte = T12, .changes = "CKSEL=15 RSTDISABL=0", .value = 0xCF, .noise = 0x20});
        row("12L BOD, not others'",
            {.byte = T12, .changes = "BODEN=0 BODLEVEL=0 SUT=0 RCEN=0", .value = 0x12});
        row("15L defaults, CKSEL 00", {.byte = T15, .value = 0xD4, .noise = 0x2C});
        row("15L CKSEL 11 in bits 1..0",
            {.byte = T15, .changes = "CKSEL=3 RSTDISABL=0 BODEN=0", .value = 0x87, .noise = 0x0C});
        row("26L low defaults", {.byte = T26Low, .value = 0xE1});
        row("26L low CKSEL SUT PLLCK", {.byte = T26Low, .changes = "CKSEL=15 SUT=1 PLLCK=0", .value = 0x5F});
        row("26L high defaults", {.byte = T26High, .value = 0xF7, .noise = 0xE8});
        row("26L high BODEN EESAVE",
            {.byte = T26High, .changes = "BODEN=0 EESAVE=0", .value = 0xF2, .noise = 0x08});
        row("26L high BODLEVEL PB7:I/O",
            {.byte = T26High, .changes = "BODLEVEL=0 RSTDISABL=0", .value = 0xE5, .noise = 0xE0});
        row("4433 defaults", {.byte = S4433, .value = 0xBA, .noise = 0xE0});
        row("4433 BODLEVEL, not RSTDISABL",
            {.byte = S4433, .changes = "BODLEVEL=0 RSTDISABL=0", .value = 0xAA});
        // clang-format on
    }
    void compose() {
        QFETCH(Fuse, f);
        const PanelIndexes x = Panel(kBytes[f.byte].device, f.changes);
        QCOMPARE(QString::number(kBytes[f.byte].compose(x), 16), QString::number(f.value, 16));
        for (const FieldIndex& field : kBytes[f.byte].decode(quint8(f.value ^ f.noise)))
            QCOMPARE(field.index, IndexOf(x, field.control));
    }
    // Every combination of a byte's fields (each one some byte's decode), composed and read back, gives the
    // chosen indexes: what the user writes is what the next read shows, and no two choices share a byte.
    void everyChoiceRoundTrips() {
        for (const auto& [device, compose, decode] : kBytes)
            for (int v = 0; v < 256; ++v) {
                PanelIndexes x = Panel(device);
                for (const FieldIndex& f : decode(quint8(v))) x[int(f.control)] = f.index;
                QVERIFY2(decode(compose(x)) == decode(quint8(v)), qPrintable(device + QString::number(v)));
            }
    }
    // Clock patterns are written most significant bit first and their index is their value.
    void patternIndexIsItsValue() {
        for (const auto& fuse : kBytes)
            for (PanelControl control : {PanelControl::CKSEL, PanelControl::SUT}) {
                const QStringList patterns = ActiveChoices(control, Layout(fuse.device))->entries;
                for (int i = 0; i < patterns.size(); ++i) QCOMPARE(patterns[i].toInt(nullptr, 2), i);
            }
    }
    void lock_data() {
        QTest::addColumn<int>("index");         // -1: LB2 programmed alone, the choice is left as it was
        QTest::addColumn<QList<int>>("bytes");  // LB2, LB1: bits 2, 1; ATtiny26L 1, 0; combined 7, 6
        QTest::newRow("write and verify protected") << 0 << QList<int>{0xF9, 0xFC, 0x3F};
        QTest::newRow("write protected") << 1 << QList<int>{0xFD, 0xFE, 0x41};
        QTest::newRow("none") << 2 << QList<int>{0xFF, 0xFF, 0xC0};
        QTest::newRow("none, other bits ignored") << 2 << QList<int>{0x06, 0x03, 0xFE};
        QTest::newRow("LB2 alone") << -1 << QList<int>{0xFB, 0xFD, 0x81};
    }
    void lock() {
        QFETCH(int, index);
        QFETCH(QList<int>, bytes);
        for (int layout = 0; layout < 3; ++layout)
            QCOMPARE(DecodeLock(LockLayout(layout), quint8(bytes[layout])).value_or(-1), index);
    }
    void fixedBytes() {
        // An index the panel cannot hold never locks the chip.
        const auto locks = [](auto f) { return QList<int>({f(0), f(1), f(2), f(-1)}); };
        QCOMPARE(locks(ComposeLock), QList<int>({0xF9, 0xFD, 0xFF, 0xFF}));
        QCOMPARE(locks(ComposeLockTiny26), QList<int>({0xFC, 0xFE, 0xFF, 0xFF}));
        QCOMPARE(QList<int>({ComposeCombinedFuse(0), ComposeCombinedFuse(1)}), QList<int>({0xBE, 0xBF}));
        QCOMPARE(DecodeCombinedFuse(0x40, PanelControl::RCEN), (FieldIndex{PanelControl::RCEN, 0}));
        QCOMPARE(DecodeCombinedFuse(0xC1, PanelControl::FSTRT), (FieldIndex{PanelControl::FSTRT, 1}));
        QCOMPARE(CalibrationText(0x05) + CalibrationText(0xAB), QStringLiteral("05AB"));
    }
};

QTEST_GUILESS_MAIN(EncodingsTest)
#include "tst_encodings.moc"
