// Fuse and lock bytes against the panel's indexes: the documented bytes of the defaults, every
// field's position, the lock modes with the LB2-alone rule, and round trips over every combination.

#include <QtTest>

#include "devices/Encodings.h"

using namespace zendra::devices;
using zendra::core::PanelControl;

Q_DECLARE_METATYPE(LockLayout)
Q_DECLARE_METATYPE(PanelControl)

namespace {

enum class Byte { Tiny12, Tiny15, Tiny26Low, Tiny26High, At4433 };

quint8 Compose(Byte byte, const PanelIndexes& x) {
    switch (byte) {
        case Byte::Tiny12:
            return ComposeTiny12Fuse(x);
        case Byte::Tiny15:
            return ComposeTiny15Fuse(x);
        case Byte::Tiny26Low:
            return ComposeTiny26LowFuse(x);
        case Byte::Tiny26High:
            return ComposeTiny26HighFuse(x);
        case Byte::At4433:
            return Compose4433Fuse(x);
    }
    return 0;
}

FieldIndexes Decode(Byte byte, quint8 value) {
    switch (byte) {
        case Byte::Tiny12:
            return DecodeTiny12Fuse(value);
        case Byte::Tiny15:
            return DecodeTiny15Fuse(value);
        case Byte::Tiny26Low:
            return DecodeTiny26LowFuse(value);
        case Byte::Tiny26High:
            return DecodeTiny26HighFuse(value);
        case Byte::At4433:
            return Decode4433Fuse(value);
    }
    return {};
}

// Indexes as the panel holds them right after selecting `device`.
PanelIndexes Defaults(const QString& device) {
    PanelIndexes x{};
    x.fill(-1);
    for (int i = 0; i < zendra::core::kPanelControlCount; ++i) {
        if (const auto choices = ActiveChoices(PanelControl(i), device)) x[i] = choices->defaultIndex;
    }
    return x;
}

void Set(PanelIndexes& x, PanelControl control, int index) { x[int(control)] = index; }

QString Describe(const FieldIndexes& fields) {
    QStringList parts;
    for (const FieldIndex& f : fields) parts << QStringLiteral("%1=%2").arg(int(f.control)).arg(f.index);
    return parts.join(QLatin1Char(' '));
}

}  // namespace

Q_DECLARE_METATYPE(Byte)

class EncodingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultsCompose_data();
    void defaultsCompose();
    void composeFields_data();
    void composeFields();
    void decodeFields_data();
    void decodeFields();
    void everyChoiceRoundTrips_data();
    void everyChoiceRoundTrips();
    void lockDecode_data();
    void lockDecode();
    void lockCompose_data();
    void lockCompose();
    void combinedFuse_data();
    void combinedFuse();
    void calibrationText_data();
    void calibrationText();
    void choices_data();
    void choices();
};

void EncodingsTest::defaultsCompose_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<Byte>("byte");
    QTest::addColumn<int>("expected");
    QTest::newRow("ATtiny12L") << "ATtiny12L" << Byte::Tiny12 << 0xD2;
    QTest::newRow("ATtiny15L CKSEL 00") << "ATtiny15L" << Byte::Tiny15 << 0xD4;
    QTest::newRow("ATtiny26L low") << "ATtiny26L" << Byte::Tiny26Low << 0xE1;
    QTest::newRow("ATtiny26L high") << "ATtiny26L" << Byte::Tiny26High << 0xF7;
    QTest::newRow("AT90S4433") << "AT90S4433" << Byte::At4433 << 0xBA;
}

void EncodingsTest::defaultsCompose() {
    QFETCH(QString, device);
    QFETCH(Byte, byte);
    QFETCH(int, expected);
    QCOMPARE(int(Compose(byte, Defaults(device))), expected);
}

// One field moved away from the defaults at a time, so each bit position is checked on its own.
void EncodingsTest::composeFields_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<Byte>("byte");
    QTest::addColumn<PanelControl>("control");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");

    QTest::newRow("12L CKSEL 0000") << "ATtiny12L" << Byte::Tiny12 << PanelControl::CKSEL << 0 << 0xD0;
    QTest::newRow("12L CKSEL 1111") << "ATtiny12L" << Byte::Tiny12 << PanelControl::CKSEL << 15 << 0xDF;
    QTest::newRow("12L PB5:I/O") << "ATtiny12L" << Byte::Tiny12 << PanelControl::RSTDISABL << 0 << 0xC2;
    QTest::newRow("12L BOD enabled") << "ATtiny12L" << Byte::Tiny12 << PanelControl::BODEN << 0 << 0x92;
    QTest::newRow("12L BOD 2.7V") << "ATtiny12L" << Byte::Tiny12 << PanelControl::BODLEVEL << 0 << 0x52;
    QTest::newRow("15L CKSEL 01") << "ATtiny15L" << Byte::Tiny15 << PanelControl::CKSEL << 1 << 0xD5;
    QTest::newRow("15L CKSEL 10") << "ATtiny15L" << Byte::Tiny15 << PanelControl::CKSEL << 2 << 0xD6;
    QTest::newRow("15L CKSEL 11") << "ATtiny15L" << Byte::Tiny15 << PanelControl::CKSEL << 3 << 0xD7;
    QTest::newRow("15L PB5:I/O") << "ATtiny15L" << Byte::Tiny15 << PanelControl::RSTDISABL << 0 << 0xC4;
    QTest::newRow("26L low CKSEL 1111")
        << "ATtiny26L" << Byte::Tiny26Low << PanelControl::CKSEL << 15 << 0xEF;
    QTest::newRow("26L low SUT 00") << "ATtiny26L" << Byte::Tiny26Low << PanelControl::SUT << 0 << 0xC1;
    QTest::newRow("26L low SUT 11") << "ATtiny26L" << Byte::Tiny26Low << PanelControl::SUT << 3 << 0xF1;
    QTest::newRow("26L low CKOPT 0") << "ATtiny26L" << Byte::Tiny26Low << PanelControl::CKOPT << 0 << 0xA1;
    QTest::newRow("26L low PLLCK 0") << "ATtiny26L" << Byte::Tiny26Low << PanelControl::PLLCK << 0 << 0x61;
    QTest::newRow("26L high BODEN 0") << "ATtiny26L" << Byte::Tiny26High << PanelControl::BODEN << 0 << 0xF6;
    QTest::newRow("26L high BODLEVEL 0")
        << "ATtiny26L" << Byte::Tiny26High << PanelControl::BODLEVEL << 0 << 0xF5;
    QTest::newRow("26L high EESAVE 0")
        << "ATtiny26L" << Byte::Tiny26High << PanelControl::EESAVE << 0 << 0xF3;
    QTest::newRow("26L high PB7:I/O")
        << "ATtiny26L" << Byte::Tiny26High << PanelControl::RSTDISABL << 0 << 0xE7;
    QTest::newRow("4433 CKSEL 000") << "AT90S4433" << Byte::At4433 << PanelControl::CKSEL << 0 << 0xB8;
    QTest::newRow("4433 CKSEL 111") << "AT90S4433" << Byte::At4433 << PanelControl::CKSEL << 7 << 0xBF;
    QTest::newRow("4433 BOD enabled") << "AT90S4433" << Byte::At4433 << PanelControl::BODEN << 0 << 0xB2;
    QTest::newRow("4433 BOD 4.0V") << "AT90S4433" << Byte::At4433 << PanelControl::BODLEVEL << 0 << 0xAA;
    // Controls of another device's layout never leak into the byte.
    QTest::newRow("12L ignores SUT") << "ATtiny12L" << Byte::Tiny12 << PanelControl::SUT << 0 << 0xD2;
    QTest::newRow("4433 ignores RSTDISABL")
        << "AT90S4433" << Byte::At4433 << PanelControl::RSTDISABL << 0 << 0xBA;
}

void EncodingsTest::composeFields() {
    QFETCH(QString, device);
    QFETCH(Byte, byte);
    QFETCH(PanelControl, control);
    QFETCH(int, index);
    QFETCH(int, expected);
    PanelIndexes x = Defaults(device);
    Set(x, control, index);
    QCOMPARE(QString::number(Compose(byte, x), 16), QString::number(expected, 16));
}

void EncodingsTest::decodeFields_data() {
    QTest::addColumn<Byte>("byte");
    QTest::addColumn<int>("value");
    QTest::addColumn<FieldIndexes>("expected");
    using C = PanelControl;

    QTest::newRow("12L 0x12") << Byte::Tiny12 << 0x12
                              << FieldIndexes{
                                     {C::CKSEL, 2}, {C::RSTDISABL, 1}, {C::BODEN, 0}, {C::BODLEVEL, 0}};
    QTest::newRow("12L bit 5 ignored")
        << Byte::Tiny12 << 0x3F
        << FieldIndexes{{C::CKSEL, 15}, {C::RSTDISABL, 1}, {C::BODEN, 0}, {C::BODLEVEL, 0}};
    QTest::newRow("15L bits 3..2 ignored")
        << Byte::Tiny15 << 0x0E
        << FieldIndexes{{C::CKSEL, 2}, {C::RSTDISABL, 0}, {C::BODEN, 0}, {C::BODLEVEL, 0}};
    QTest::newRow("26L low 0xE1") << Byte::Tiny26Low << 0xE1
                                  << FieldIndexes{{C::CKSEL, 1}, {C::SUT, 2}, {C::CKOPT, 1}, {C::PLLCK, 1}};
    QTest::newRow("26L high 0xF7") << Byte::Tiny26High << 0xF7
                                   << FieldIndexes{
                                          {C::BODEN, 1}, {C::BODLEVEL, 1}, {C::EESAVE, 1}, {C::RSTDISABL, 1}};
    QTest::newRow("26L high unshown bits ignored")
        << Byte::Tiny26High << 0xEA
        << FieldIndexes{{C::BODEN, 0}, {C::BODLEVEL, 1}, {C::EESAVE, 0}, {C::RSTDISABL, 0}};
    QTest::newRow("4433 upper bits ignored")
        << Byte::At4433 << 0x45 << FieldIndexes{{C::CKSEL, 5}, {C::BODEN, 0}, {C::BODLEVEL, 0}};
}

void EncodingsTest::decodeFields() {
    QFETCH(Byte, byte);
    QFETCH(int, value);
    QFETCH(FieldIndexes, expected);
    QCOMPARE(Describe(Decode(byte, quint8(value))), Describe(expected));
}

// Every combination of a layout's fields, composed and read back, gives the same indexes: what the
// user writes is what the next read shows (the ATtiny15L clock select included).
void EncodingsTest::everyChoiceRoundTrips_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<Byte>("byte");
    QTest::newRow("ATtiny12L") << "ATtiny12L" << Byte::Tiny12;
    QTest::newRow("ATtiny15L") << "ATtiny15L" << Byte::Tiny15;
    QTest::newRow("ATtiny26L low") << "ATtiny26L" << Byte::Tiny26Low;
    QTest::newRow("ATtiny26L high") << "ATtiny26L" << Byte::Tiny26High;
    QTest::newRow("AT90S4433") << "AT90S4433" << Byte::At4433;
}

void EncodingsTest::everyChoiceRoundTrips() {
    QFETCH(QString, device);
    QFETCH(Byte, byte);
    const FieldIndexes fields = Decode(byte, 0);
    std::vector<int> sizes;
    long combinations = 1;
    for (const FieldIndex& f : fields) {
        const auto choices = ActiveChoices(f.control, device);
        QVERIFY(choices.has_value());
        sizes.push_back(int(choices->entries.size()));
        combinations *= sizes.back();
    }
    QSet<int> distinctBytes;
    for (long n = 0; n < combinations; ++n) {
        PanelIndexes x = Defaults(device);
        long rest = n;
        for (size_t i = 0; i < fields.size(); ++i) {
            Set(x, fields[i].control, int(rest % sizes[i]));
            rest /= sizes[i];
        }
        const quint8 value = Compose(byte, x);
        distinctBytes.insert(value);
        for (const FieldIndex& f : Decode(byte, value))
            QVERIFY2(f.index == IndexOf(x, f.control),
                     qPrintable(QStringLiteral("byte %1 control %2").arg(value, 2, 16).arg(int(f.control))));
    }
    QCOMPARE(distinctBytes.size(), int(combinations));
}

void EncodingsTest::lockDecode_data() {
    QTest::addColumn<LockLayout>("layout");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");  // -1: left as it was
    const auto B = LockLayout::Bits21;
    const auto T = LockLayout::Tiny26;
    const auto C = LockLayout::Combined;

    QTest::newRow("bits21 F9") << B << 0xF9 << 0;
    QTest::newRow("bits21 FD") << B << 0xFD << 1;
    QTest::newRow("bits21 FF") << B << 0xFF << 2;
    QTest::newRow("bits21 LB2 alone FB") << B << 0xFB << -1;
    QTest::newRow("bits21 only bits 2..1 count 00") << B << 0x00 << 0;
    QTest::newRow("bits21 only bits 2..1 count 04") << B << 0x04 << 1;
    QTest::newRow("bits21 only bits 2..1 count 06") << B << 0x06 << 2;
    QTest::newRow("bits21 LB2 alone 02") << B << 0x02 << -1;
    QTest::newRow("tiny26 FC") << T << 0xFC << 0;
    QTest::newRow("tiny26 FE") << T << 0xFE << 1;
    QTest::newRow("tiny26 FF") << T << 0xFF << 2;
    QTest::newRow("tiny26 LB2 alone FD") << T << 0xFD << -1;
    QTest::newRow("tiny26 LB2 alone 01") << T << 0x01 << -1;
    QTest::newRow("combined 00") << C << 0x00 << 0;
    QTest::newRow("combined 40") << C << 0x40 << 1;
    QTest::newRow("combined C0") << C << 0xC0 << 2;
    QTest::newRow("combined LB2 alone 80") << C << 0x80 << -1;
    QTest::newRow("combined fuse bits ignored 3F") << C << 0x3F << 0;
    QTest::newRow("combined fuse bits ignored 41") << C << 0x41 << 1;
    QTest::newRow("combined LB2 alone with fuse bit") << C << 0x81 << -1;
}

void EncodingsTest::lockDecode() {
    QFETCH(LockLayout, layout);
    QFETCH(int, value);
    QFETCH(int, expected);
    const auto index = DecodeLock(layout, quint8(value));
    QCOMPARE(index.value_or(-1), expected);
}

void EncodingsTest::lockCompose_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("lock");
    QTest::addColumn<int>("tiny26");
    QTest::newRow("write and verify protected") << 0 << 0xF9 << 0xFC;
    QTest::newRow("write protected") << 1 << 0xFD << 0xFE;
    QTest::newRow("no protection") << 2 << 0xFF << 0xFF;
    // An index the panel cannot hold must never lock the chip.
    QTest::newRow("no selection") << -1 << 0xFF << 0xFF;
    QTest::newRow("beyond the list") << 3 << 0xFF << 0xFF;
}

void EncodingsTest::lockCompose() {
    QFETCH(int, index);
    QFETCH(int, lock);
    QFETCH(int, tiny26);
    QCOMPARE(int(ComposeLock(index)), lock);
    QCOMPARE(int(ComposeLockTiny26(index)), tiny26);
    if (index >= 0 && index <= 2) {
        QCOMPARE(DecodeLock(LockLayout::Bits21, ComposeLock(index)), std::optional<int>(index));
        QCOMPARE(DecodeLock(LockLayout::Tiny26, ComposeLockTiny26(index)), std::optional<int>(index));
    }
}

void EncodingsTest::combinedFuse_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("written");
    QTest::newRow("Enable") << 0 << 0xBE;
    QTest::newRow("Disable") << 1 << 0xBF;
}

void EncodingsTest::combinedFuse() {
    QFETCH(int, index);
    QFETCH(int, written);
    QCOMPARE(int(ComposeCombinedFuse(index)), written);
    for (PanelControl control : {PanelControl::FSTRT, PanelControl::RCEN}) {
        const FieldIndex read = DecodeCombinedFuse(quint8(written), control);
        QCOMPARE(read, (FieldIndex{control, index}));
    }
    QCOMPARE(DecodeCombinedFuse(0x40, PanelControl::RCEN).index, 0);
    QCOMPARE(DecodeCombinedFuse(0xC1, PanelControl::FSTRT).index, 1);
}

void EncodingsTest::calibrationText_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zero") << 0x05 << "05";
    QTest::newRow("zero") << 0x00 << "00";
    QTest::newRow("upper case") << 0xAB << "AB";
    QTest::newRow("mixed") << 0x9C << "9C";
    QTest::newRow("FF") << 0xFF << "FF";
}

void EncodingsTest::calibrationText() {
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(CalibrationText(quint8(value)), text);
}

void EncodingsTest::choices_data() {
    QTest::addColumn<PanelControl>("control");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("count");  // -1: no list for the device
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("defaultIndex");
    using C = PanelControl;

    QTest::newRow("CKSEL 12L") << C::CKSEL << "ATtiny12L" << 16 << "0000"
                               << "1111" << 2;
    QTest::newRow("CKSEL 15L") << C::CKSEL << "ATtiny15L" << 4 << "00"
                               << "11" << 0;
    QTest::newRow("CKSEL 26L") << C::CKSEL << "ATtiny26L" << 16 << "0000"
                               << "1111" << 1;
    QTest::newRow("CKSEL 4433") << C::CKSEL << "AT90S4433" << 8 << "000"
                                << "111" << 2;
    QTest::newRow("CKSEL 2323 none") << C::CKSEL << "AT90S2323" << -1 << ""
                                     << "" << 0;
    QTest::newRow("SUT") << C::SUT << "ATtiny26L" << 4 << "00"
                         << "11" << 2;
    QTest::newRow("BODEN 15L") << C::BODEN << "ATtiny15L" << 2 << "Enable"
                               << "Disable" << 1;
    QTest::newRow("BODEN 8515 none") << C::BODEN << "AT90S8515" << -1 << ""
                                     << "" << 0;
    QTest::newRow("BODLEVEL 12L") << C::BODLEVEL << "ATtiny12L" << 2 << "2.7V"
                                  << "1.8V" << 1;
    QTest::newRow("BODLEVEL 15L") << C::BODLEVEL << "ATtiny15L" << 2 << "4.0V"
                                  << "2.7V" << 1;
    QTest::newRow("BODLEVEL 4433") << C::BODLEVEL << "AT90S4433" << 2 << "4.0V"
                                   << "2.7V" << 1;
    QTest::newRow("BODLEVEL unknown none") << C::BODLEVEL << "XYZ" << -1 << ""
                                           << "" << 0;
    QTest::newRow("RSTDISBL 26L") << C::RSTDISABL << "ATtiny26L" << 2 << "PB7:I/O"
                                  << "PB7:Reset" << 1;
    QTest::newRow("RSTDISBL 12L") << C::RSTDISABL << "ATtiny12L" << 2 << "PB5:I/O"
                                  << "PB5:Reset" << 1;
    QTest::newRow("EESAVE") << C::EESAVE << "ATtiny26L" << 2 << "Enable"
                            << "Disable" << 1;
    QTest::newRow("CKOPT") << C::CKOPT << "ATtiny26L" << 2 << "0"
                           << "1" << 1;
    QTest::newRow("PLLCK") << C::PLLCK << "ATtiny26L" << 2 << "0"
                           << "1" << 1;
    QTest::newRow("FSTRT") << C::FSTRT << "AT90S8535" << 2 << "Enable"
                           << "Disable" << 0;
    QTest::newRow("RCEN") << C::RCEN << "AT90S2343" << 2 << "Enable"
                          << "Disable" << 0;
    QTest::newRow("LockBit") << C::LockBit << "AT90S1200 (外部ｸﾛｯｸ)" << 3 << "書込み & ベリファイ 禁止"
                             << "プロテクトなし" << 2;
}

void EncodingsTest::choices() {
    QFETCH(PanelControl, control);
    QFETCH(QString, device);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, defaultIndex);
    const auto choices = ActiveChoices(control, device);
    QCOMPARE(choices.has_value(), count >= 0);
    if (!choices) return;
    QCOMPARE(int(choices->entries.size()), count);
    QCOMPARE(choices->entries.first(), first);
    QCOMPARE(choices->entries.last(), last);
    QCOMPARE(choices->defaultIndex, defaultIndex);
    // Patterns are written most significant bit first and their index is their value.
    if (control == PanelControl::CKSEL || control == PanelControl::SUT) {
        for (int i = 0; i < count; ++i) QCOMPARE(choices->entries.at(i).toInt(nullptr, 2), i);
    }
}

QTEST_GUILESS_MAIN(EncodingsTest)
#include "tst_encodings.moc"
