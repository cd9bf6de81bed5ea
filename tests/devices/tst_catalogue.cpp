// The device table, the signature models and the family sizes as the writer's chips report them.

#include <QtTest>

#include "devices/Catalogue.h"

using namespace zendra::devices;

class CatalogueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findDeviceIsExact_data();
    void findDeviceIsExact();
    void signatureModels_data();
    void signatureModels();
    void familySizes_data();
    void familySizes();
    void everyDeviceAcceptsItsOwnSignature();
};

void CatalogueTest::findDeviceIsExact_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("lower case") << "attiny12l";
    QTest::newRow("trailing space") << "ATtiny12L ";
    QTest::newRow("leading space") << " AT90S8515";
    QTest::newRow("nine-character prefix of a longer name") << "AT90S1200";
    QTest::newRow("recognised model without an entry") << "ATtiny11L";
    QTest::newRow("half-width variant of a full name") << "AT90S1200 (外部ｸﾛｯｸ) ";
}

void CatalogueTest::findDeviceIsExact() {
    QFETCH(QString, text);
    QCOMPARE(FindDevice(text), std::nullopt);
}

void CatalogueTest::signatureModels_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("model");

    QTest::newRow("90 01") << 0x90 << 0x01 << "AT90S1200";
    QTest::newRow("90 02 empty") << 0x90 << 0x02 << "";
    QTest::newRow("90 03 empty") << 0x90 << 0x03 << "";
    QTest::newRow("90 04 tiny11") << 0x90 << 0x04 << "ATtiny11L";
    QTest::newRow("90 05") << 0x90 << 0x05 << "ATtiny12L";
    QTest::newRow("90 06") << 0x90 << 0x06 << "ATtiny15L";
    QTest::newRow("90 07 unlisted") << 0x90 << 0x07 << "";
    QTest::newRow("91 01") << 0x91 << 0x01 << "AT90S2313";
    QTest::newRow("91 02") << 0x91 << 0x02 << "AT90S2323";
    QTest::newRow("91 03") << 0x91 << 0x03 << "AT90S2343";
    QTest::newRow("91 04 empty") << 0x91 << 0x04 << "";
    QTest::newRow("91 08 empty") << 0x91 << 0x08 << "";
    QTest::newRow("91 09") << 0x91 << 0x09 << "ATtiny26L";
    QTest::newRow("92 01") << 0x92 << 0x01 << "AT90S4414";
    QTest::newRow("92 02") << 0x92 << 0x02 << "AT90S4434";
    QTest::newRow("92 03") << 0x92 << 0x03 << "AT90S4433";
    QTest::newRow("93 01") << 0x93 << 0x01 << "AT90S8515";
    QTest::newRow("93 02 empty") << 0x93 << 0x02 << "";
    QTest::newRow("93 03") << 0x93 << 0x03 << "AT90S8535";
    QTest::newRow("locked chip 01 00") << 0x01 << 0x02 << "";
    QTest::newRow("empty socket") << 0xFF << 0xFF << "";
    QTest::newRow("part swapped with family") << 0x05 << 0x90 << "";
}

void CatalogueTest::signatureModels() {
    QFETCH(int, family);
    QFETCH(int, part);
    QFETCH(QString, model);
    QCOMPARE(SignatureModelName(quint8(family), quint8(part)), model);
}

void CatalogueTest::familySizes_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("words");  // -1: not a known family
    QTest::newRow("90") << 0x90 << 512;
    QTest::newRow("91") << 0x91 << 1024;
    QTest::newRow("97 counts as 91") << 0x97 << 1024;
    QTest::newRow("92") << 0x92 << 2048;
    QTest::newRow("93") << 0x93 << 4096;
    QTest::newRow("94") << 0x94 << -1;
    QTest::newRow("locked 00") << 0x00 << -1;
    QTest::newRow("empty FF") << 0xFF << -1;
}

void CatalogueTest::familySizes() {
    QFETCH(int, family);
    QFETCH(int, words);
    const auto size = FlashWordsForFamily(quint8(family));
    QCOMPARE(size.has_value(), words >= 0);
    if (size) QCOMPARE(int(*size), words);
}

// The signature check compares the model name with the first nine characters of the selected name
// and the family's size with the device's flash: every row must pass both with its own chip, and an
// ATtiny11L must pass with none.
void CatalogueTest::everyDeviceAcceptsItsOwnSignature() {
    for (const Device& device : DeviceTable()) {
        QCOMPARE(SignatureModelName(device.family, device.part), device.Name().left(9));
        QCOMPARE(FlashWordsForFamily(device.family), std::optional<qint16>(qint16(device.flashWords)));
        QVERIFY(device.Name().left(9) != QLatin1String("ATtiny11L"));
    }
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
