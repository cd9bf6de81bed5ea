// Serial stamps as bytes in the images; the chip store's series, records and history on a temporary file
// and on a throwaway PostgreSQL server.

#include <unistd.h>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include "devices/Catalogue.h"
#include "production/ChipStore.h"
#include "production/Setup.h"
#include "production/Stamp.h"
#include "TestEnvironment.h"

using namespace zendra;
using namespace zendra::production;

namespace {
struct StampRow {
    const char* tag;
    QString format, place;
    quint64 number;
    QByteArray image;
    quint64 largest;
};
}  // namespace
Q_DECLARE_METATYPE(StampRow)

class ProductionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Each format at both memories and both ends of an ATtiny12L (1024 flash bytes, 64 EEPROM bytes).
    // `image`: the image's bytes from the place's even address on (flash words high byte first); empty: the
    // stamp does not fit. `largest`: the highest number the format holds.
    void cleanupTestCase() { test::PgCluster::StopShared(); }

    void stamps_data() {
        QTest::addColumn<StampRow>("r");
        const quint64 u16 = 65535, u32 = 0xFFFFFFFF;
        // clang-format off
        const StampRow rows[] = {
            {"u8 eeprom start", "u8", "eeprom:0", 0xA5, "a5", 255},
            {"u8 eeprom last", "u8", "eeprom:0x3F", 7, "07", 255},
            {"u8 eeprom past", "u8", "eeprom:64", 7, "", 255},
            {"le16 eeprom end", "le16", "eeprom:62", 0x1234, "3412", u16},
            {"le16 eeprom over", "le16", "eeprom:63", 1, "", u16},
            {"be16 flash start", "be16", "flash:0", 0x1234, "3412", u16},
            {"le16 flash odd", "le16", "flash:1", 0x1234, "34ff ff12", u16},
            {"le32 flash end", "le32", "flash:1020", 0x11223344, "33441122", u32},
            {"le32 flash over", "le32", "flash:1021", 1, "", u32},
            {"be32 eeprom", "be32", "eeprom:4", 0x11223344, "11223344", u32},
            {"dec5 eeprom end", "dec5", "eeprom:59", 1041, "3031303431", 99999},
            {"dec4 flash start", "dec4", "flash:0", 7, "30303730", 9999},
            {"dec5 eeprom over", "dec5", "eeprom:60", 1, "", 99999},
        };
        // clang-format on
        for (const StampRow& r : rows) QTest::newRow(r.tag) << r;
    }
    void stamps() {
        QFETCH(StampRow, r);
        const auto layout = ParseSerialLayout(r.format);
        const auto at = ParsePlace(r.place);
        QVERIFY(layout && at);
        QCOMPARE(Largest(*layout), r.largest);
        const devices::Device* tiny12 = &devices::DeviceTable()[0];
        QCOMPARE(Fits(*at, Width(*layout), tiny12), !r.image.isEmpty());
        if (r.image.isEmpty()) return;
        image::MemoryImages images;
        Put(images, *at, Encode(*layout, r.number));
        const QByteArray expected = QByteArray::fromHex(r.image);
        const qint32 from = at->area == Area::Flash ? at->address & ~1 : at->address;
        for (int i = 0; i < expected.size(); ++i) {
            const quint8 got = at->area == Area::Flash ? images.ProgramImage[size_t(from + i)]
                                                       : images.EepromImage[size_t(from + i)];
            QCOMPARE(got, quint8(expected[i]));
        }
    }

    // A series is created once, agrees with the same options, and hands out each number once, never above
    // what the stamp holds; history finds records by number and file. The same on a server, where the
    // numbers pass 32 bits.
    void series_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<qint64>("first");
        QTest::newRow("file") << m_dir.filePath("s.sqlite") << qint64(254);
        test::PgCluster& server = test::PgCluster::Shared();
        QTest::newRow("server") << server.NewDatabase("series") << qint64(0xFFFFFFFE);
    }
    void series() {
        QFETCH(QString, location);
        QFETCH(qint64, first);
        const qint64 last = first + 1;
        if (location.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!location.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        ChipStore store(location);
        const StoreResult opened = store.Open();
        QVERIFY2(opened.Ok(), qPrintable(opened.detail));
        SeriesState state;
        QVERIFY(store.CheckSeries("a", std::nullopt, std::nullopt, state).Ok());
        QCOMPARE(state.check, SeriesCheck::Unknown);
        QVERIFY(store.CheckSeries("a", first, 1, state).Ok());
        QCOMPARE(state.check, SeriesCheck::Created);
        QVERIFY(store.CheckSeries("a", first, std::nullopt, state).Ok());
        QCOMPARE(state.check, SeriesCheck::Matches);
        const QString sha(64, 'a');
        for (qint64 expected : {first, last}) {
            ChipRecord record{.command = "program", .files = {{"code", "/x.hex", sha}}, .series = "a"};
            const StoreResult begun = store.Begin(record, quint64(last));
            QVERIFY2(begun.Ok(), qPrintable(begun.detail));
            QCOMPARE(record.serial, expected);
        }
        ChipRecord beyond{.series = "a"};
        QCOMPARE(store.Begin(beyond, quint64(last)).problem, StoreProblem::SeriesExhausted);
        QVERIFY(store.CheckSeries("a", 1, std::nullopt, state).Ok());
        QCOMPARE(state.check, SeriesCheck::Contradicts);
        QCOMPARE(state.next, last + 1);

        QList<ChipRecord> found;
        QVERIFY(store.History({.serial = last}, found).Ok());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].files[0].sha256, sha);
        found.clear();
        QVERIFY(store.History({.fileSha256 = sha.toUpper(), .last = 1}, found).Ok());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].serial, last);
    }

    // A number left "allocated" by a process of this bench that has ended was interrupted.
    // A setup keeps a file's path relative to itself; a server's URL is no path and stays whole.
    void setupPaths() {
        const QString setup = "/w/bench/job.zendra", url = "postgresql://zendra@/bench?host=/run/pg";
        QCOMPARE(production::StoredPath(setup, "/w/chips.sqlite"), QString("../chips.sqlite"));
        QCOMPARE(production::ResolvedPath(setup, "../chips.sqlite"), QString("/w/chips.sqlite"));
        QCOMPARE(production::StoredPath(setup, url), url);
        QCOMPARE(production::ResolvedPath(setup, url), url);
    }

    void shownVerdict_data() {
        QTest::addColumn<qint64>("pid");
        QTest::addColumn<QString>("bench");
        QTest::addColumn<QString>("shown");
        const QString here = QSysInfo::machineHostName();
        QTest::newRow("ended process") << qint64(999999) << here << "interrupted";
        QTest::newRow("live process") << qint64(::getpid()) << here << "running";
        QTest::newRow("other bench") << qint64(999999) << "elsewhere"
                                     << "allocated";
    }
    void shownVerdict() {
        QFETCH(qint64, pid);
        QFETCH(QString, bench);
        QFETCH(QString, shown);
        QCOMPARE(ShownVerdict({.bench = bench, .verdict = "allocated", .pid = pid}), shown);
    }
};

QTEST_GUILESS_MAIN(ProductionTest)
#include "tst_production.moc"
