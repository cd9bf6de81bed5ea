// Hex text conversions: digit rules, padding, the flag that is only ever set, renderings, checksums.

#include <QLocale>
#include <QtTest>

#include "image/HexText.h"

using namespace zendra::image;

class HexTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitValue_data();
    void digitValue();
    void flagIsNeverCleared();
    void digitsToValue_data();
    void digitsToValue();
    void textToValue_data();
    void textToValue();
    void textToValueUnderTurkishLocale();
    void byteToHex_data();
    void byteToHex();
    void addressToHex_data();
    void addressToHex();
    void checksum_data();
    void checksum();
};

void HexTextTest::digitValue_data() {
    QTest::addColumn<QString>("digit");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<bool>("error");
    QTest::newRow("0") << "0" << 0u << false;
    QTest::newRow("9") << "9" << 9u << false;
    QTest::newRow("A") << "A" << 10u << false;
    QTest::newRow("F") << "F" << 15u << false;
    QTest::newRow("lower a is refused") << "a" << 0u << true;
    QTest::newRow("G") << "G" << 0u << true;
    QTest::newRow("empty") << "" << 0u << true;
    QTest::newRow("two characters") << "1F" << 0u << true;
    QTest::newRow("blank") << " " << 0u << true;
    QTest::newRow("full-width A") << QStringLiteral("Ａ") << 0u << true;
    QTest::newRow("full-width 1") << QStringLiteral("１") << 0u << true;
}

void HexTextTest::digitValue() {
    QFETCH(QString, digit);
    QFETCH(quint32, value);
    QFETCH(bool, error);
    qint16 flag = 0;
    QCOMPARE(HexDigitValue(digit, flag), value);
    QCOMPARE(flag, qint16(error ? 1 : 0));
}

void HexTextTest::flagIsNeverCleared() {
    qint16 flag = 1;
    QCOMPARE(HexDigitValue(QStringLiteral("7"), flag), 7u);
    QCOMPARE(HexTextToValue(QStringLiteral("12"), flag), 0x12u);
    QCOMPARE(flag, qint16(1));
    flag = 2;  // another failure already noted stays as it was
    HexDigitValue(QStringLiteral("x"), flag);
    QCOMPARE(flag, qint16(1));
}

void HexTextTest::digitsToValue_data() {
    QTest::addColumn<QStringList>("digits");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<bool>("error");
    QTest::newRow("1234") << QStringList{"1", "2", "3", "4"} << 0x1234u << false;
    QTest::newRow("byte form") << QStringList{"0", "0", "F", "F"} << 0xFFu << false;
    QTest::newRow("FFFF") << QStringList{"F", "F", "F", "F"} << 0xFFFFu << false;
    QTest::newRow("bad digit counts 0") << QStringList{"1", "x", "3", "4"} << 0x1034u << true;
    QTest::newRow("lower case counts 0") << QStringList{"0", "0", "a", "B"} << 0x0Bu << true;
}

void HexTextTest::digitsToValue() {
    QFETCH(QStringList, digits);
    QFETCH(quint32, value);
    QFETCH(bool, error);
    qint16 flag = 0;
    QCOMPARE(HexDigitsToValue(digits[0], digits[1], digits[2], digits[3], flag), value);
    QCOMPARE(flag, qint16(error ? 1 : 0));
}

void HexTextTest::textToValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<bool>("error");
    QTest::newRow("lower a upper-cased") << "a" << 10u << false;
    QTest::newRow("one digit") << "5" << 5u << false;
    QTest::newRow("three digits") << "1FF" << 0x1FFu << false;
    QTest::newRow("four mixed case") << "aBcD" << 0xABCDu << false;
    QTest::newRow("five: first four") << "12345" << 0x1234u << false;
    QTest::newRow("five with bad tail ignored") << "1234Z" << 0x1234u << false;
    QTest::newRow("empty") << "" << 0u << true;
    QTest::newRow("1G") << "1G" << 0x10u << true;
    QTest::newRow("leading blank") << " 1" << 0x01u << true;
    QTest::newRow("ligature ff stays invalid") << QStringLiteral("\uFB00") << 0u << true;
    QTest::newRow("dotless i") << QStringLiteral("\u0131") << 0u << true;
}

void HexTextTest::textToValue() {
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QFETCH(bool, error);
    qint16 flag = 0;
    QCOMPARE(HexTextToValue(text, flag), value);
    QCOMPARE(flag, qint16(error ? 1 : 0));
}

void HexTextTest::textToValueUnderTurkishLocale() {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    qint16 flag = 0;
    const quint32 value = HexTextToValue(QStringLiteral("fade"), flag);
    const QString byte = ByteToHex(0xBE);
    const QString address = AddressToHex(0xCAFE);
    QLocale::setDefault(saved);
    QCOMPARE(value, 0xFADEu);
    QCOMPARE(flag, qint16(0));
    QCOMPARE(byte, QStringLiteral("BE"));
    QCOMPARE(address, QStringLiteral("CAFE"));
}

void HexTextTest::byteToHex_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "00";
    QTest::newRow("5") << 5 << "05";
    QTest::newRow("A5") << 0xA5 << "A5";
    QTest::newRow("255") << 255 << "FF";
}

void HexTextTest::byteToHex() {
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(ByteToHex(static_cast<quint8>(value)), text);
}

void HexTextTest::addressToHex_data() {
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0u << "0000";
    QTest::newRow("8") << 8u << "0008";
    QTest::newRow("1F8") << 0x1F8u << "01F8";
    QTest::newRow("FFFF") << 0xFFFFu << "FFFF";
    QTest::newRow("modulo 65536") << 0x10008u << "0008";
}

void HexTextTest::addressToHex() {
    QFETCH(quint32, address);
    QFETCH(QString, text);
    QCOMPARE(AddressToHex(address), text);
}

void HexTextTest::checksum_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("error");
    const QString ffs(32, QLatin1Char('F'));
    QTest::newRow("end record") << ":00000001" << ":00000001FF" << false;
    QTest::newRow("bytes 1 2 3 4") << ":0400000001020304" << ":0400000001020304F2" << false;
    QTest::newRow("erased at 0000") << ":10000000" + ffs << ":10000000" + ffs + "00" << false;
    QTest::newRow("erased at 0010") << ":10001000" + ffs << ":10001000" + ffs + "F0" << false;
    QTest::newRow("sum wraps to 00") << ":0100000001FE" << ":0100000001FE00" << false;
    QTest::newRow("lower case counts 0") << ":01000000ff" << ":01000000ffFF" << true;
}

void HexTextTest::checksum() {
    QFETCH(QString, record);
    QFETCH(QString, expected);
    QFETCH(bool, error);
    qint16 flag = 0;
    AppendHexChecksum(record, flag);
    QCOMPARE(record, expected);
    QCOMPARE(flag, qint16(error ? 1 : 0));
}

QTEST_GUILESS_MAIN(HexTextTest)
#include "tst_hextext.moc"
