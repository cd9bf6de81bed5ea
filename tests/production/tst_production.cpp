// Serial stamps as bytes in the images; the chip store's series, records, history and yield on a temporary
// file and on a throwaway PostgreSQL server.

#include <unistd.h>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>

#include "devices/Catalogue.h"
#include "production/ChipStore.h"
#include "production/SerialSource.h"
#include "production/BenchSetup.h"
#include <QSqlDatabase>
#include <QSqlQuery>
#include "production/Stamp.h"
#include "production/Yield.h"
#include "TestEnvironment.h"

using namespace zendra;
using namespace zendra::production;

namespace {
// A history across local midnight in Tokyo (15:00 UTC): repeated runs of one file, several failing
// verdicts, a run still "allocated", another series, and records of commands that program no chip.
struct Made {
    const char* time;
    const char *command, *series, *port, *bench, *file, *verdict;
};
constexpr Made kHistory[] = {
    {"2026-03-01T14:59:59.000Z", "program", "a", "p1", "b1", "x", "succeeded"},
    {"2026-03-01T15:00:00.000Z", "program", "a", "p1", "b1", "x", "mismatch"},
    {"2026-03-02T01:00:00.000Z", "program", "a", "p2", "b2", "y", "succeeded"},
    {"2026-03-02T02:00:00.000Z", "program", "a", "p2", "b1", "y", "link-failed"},
    {"2026-03-02T03:00:00.000Z", "program", "a", "p2", "b1", "x", "mismatch"},
    {"2026-03-02T04:00:00.000Z", "verify", "a", "p1", "b1", "x", "mismatch"},
    {"2026-03-02T04:30:00.000Z", "erase", "a", "p1", "b1", "", "succeeded"},
    {"2026-03-02T05:00:00.000Z", "program", "b", "p1", "b1", "x", "succeeded"},
    {"2026-03-02T06:00:00.000Z", "program", "a", "p1", "b1", "x", "allocated"},
};

// The groups as "key total/pass/firstPass verdict=n...", one per line.
QString Described(const QList<YieldGroup>& groups) {
    QStringList lines;
    for (const YieldGroup& g : groups) {
        QString line = QStringLiteral("%1 %2/%3/%4").arg(g.key).arg(g.total).arg(g.pass).arg(g.firstPass);
        for (auto it = g.failures.cbegin(); it != g.failures.cend(); ++it)
            line += QStringLiteral(" %1=%2").arg(it.key()).arg(it.value());
        lines << line.trimmed();
    }
    return lines.join(QLatin1Char('\n'));
}

struct YieldRow {
    const char* tag;
    YieldQuery query;
    QString expected;
};

// An earlier run of a number: whether its bytes reached the chip (unknown: a record from before the store
// kept it, or a run still going) and how it ended.
struct Attempt {
    qint64 serial;
    std::optional<bool> sent;
    const char* verdict;
};
struct ReuseRow {
    const char* tag;
    QList<Attempt> attempts;
    qint64 expected, then;  // the numbers the next two runs take; the series' own next number is 10
};

struct StampRow {
    const char* tag;
    QString format, place;
    quint64 number;
    QByteArray image;
    quint64 largest;
};
}  // namespace
Q_DECLARE_METATYPE(StampRow)
Q_DECLARE_METATYPE(YieldRow)
Q_DECLARE_METATYPE(ReuseRow)

class ProductionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Each format at both memories and both ends of an ATtiny12L (1024 flash bytes, 64 EEPROM bytes).
    // `image`: the image's bytes from the place's even address on (flash words high byte first); empty: the
    // stamp does not fit. `largest`: the highest number the format holds.
    void initTestCase() {
        qputenv("TZ", "Asia/Tokyo");
        ::tzset();
    }
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

    // Only program records count, each a chip; pass is "succeeded"; days are local ones; the range takes
    // its start and leaves its end; a file is its code file's SHA-256. The same on a server.
    void yield_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<YieldRow>("r");
        const auto at = [](const char* text) { return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate); };
        const QString x = QString(64, 'a'), y = QString(64, 'b');
        // clang-format off
        const YieldRow rows[] = {
            {"all", {}, "7/3/3 allocated=1 link-failed=1 mismatch=2"},
            {"series", {.series = "a"}, "6/2/2 allocated=1 link-failed=1 mismatch=2"},
            {"no such series", {.series = "c"}, "0/0/0"},
            {"by local day", {.series = "a", .by = Grouping::Day},
             "2026-03-01 1/1/1\n2026-03-02 5/1/1 allocated=1 link-failed=1 mismatch=2"},
            {"by port", {.series = "a", .by = Grouping::Port}, "p1 3/1/1 allocated=1 mismatch=1\np2 3/1/1 link-failed=1 mismatch=1"},
            {"by bench", {.by = Grouping::Bench}, "b1 6/2/2 allocated=1 link-failed=1 mismatch=2\nb2 1/1/1"},
            {"by file", {.series = "a", .by = Grouping::File},
             x + " 4/1/1 allocated=1 mismatch=2\n" + y + " 2/1/1 link-failed=1"},
            {"range", {.since = at("2026-03-02T00:00:00+09:00"), .until = at("2026-03-02T05:00:00Z")},
             "4/1/1 link-failed=1 mismatch=2"},
            {"range by day", {.since = at("2026-03-01T23:00:00+09:00"), .until = at("2026-03-02T00:00:00+09:00"), .by = Grouping::Day},
             "2026-03-01 1/1/1"},
        };
        // clang-format on
        const QString server = test::PgCluster::Shared().NewDatabase("yield");
        for (const YieldRow& r : rows) {
            QTest::addRow("file %s", r.tag) << m_dir.filePath("yield.sqlite") << r;
            QTest::addRow("server %s", r.tag) << server << r;
        }
    }
    void yield() {
        QFETCH(QString, location);
        QFETCH(YieldRow, r);
        if (location.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!location.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        ChipStore store(location);
        QVERIFY(store.Open().Ok());
        QList<ChipRecord> present;
        QVERIFY(store.History({.last = 1}, present).Ok());
        for (const Made& m : kHistory) {
            if (!present.isEmpty()) break;
            const QString file = QString(64, m.file[0] == 'x' ? 'a' : 'b');
            ChipRecord record{.time = QDateTime::fromString(m.time, Qt::ISODateWithMs), .bench = m.bench, .port = m.port,
                              .command = m.command, .series = m.series, .verdict = m.verdict};
            if (*m.file) record.files = {{"eeprom", "/e.eep", QString(64, 'e')}, {"code", QString("/%1.hex").arg(m.file), file}};
            QVERIFY(store.Add(record).Ok());
        }
        QList<YieldGroup> groups;
        const StoreResult read = store.Yield(r.query, groups);
        QVERIFY2(read.Ok(), qPrintable(read.detail));
        QCOMPARE(Described(groups), r.expected);
        if (r.query.by == Grouping::File) QCOMPARE(groups.first().path, QString("/x.hex"));
    }

    // A run that reuses failed numbers takes the lowest one whose every run ended before its bytes were
    // sent; never one that reached a chip, one still running, or one from before the store knew. The
    // number it takes is running, so the next run passes it by. On a file and on a server.
    void reuse_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<ReuseRow>("r");
        // clang-format off
        const ReuseRow rows[] = {
            {"none failed", {{1, true, "succeeded"}}, 10, 11},
            {"failed before the stamp", {{1, true, "succeeded"}, {2, false, "chip-refused"}}, 2, 10},
            {"lowest first", {{3, false, "link-failed"}, {2, false, "cancelled"}}, 2, 3},
            {"sent on a later run", {{2, false, "link-failed"}, {2, true, "succeeded"}}, 10, 11},
            {"still running", {{2, std::nullopt, "allocated"}}, 10, 11},
            {"from before", {{2, std::nullopt, "link-failed"}}, 10, 11},
        };
        // clang-format on
        test::PgCluster& server = test::PgCluster::Shared();
        int made = 0;
        for (const ReuseRow& r : rows) {
            QTest::addRow("file %s", r.tag) << m_dir.filePath(QString("reuse%1.sqlite").arg(made)) << r;
            QTest::addRow("server %s", r.tag) << server.NewDatabase(QString("reuse%1").arg(made++)) << r;
        }
    }
    void reuse() {
        QFETCH(QString, location);
        QFETCH(ReuseRow, r);
        if (location.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!location.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        ChipStore store(location);
        QVERIFY(store.Open().Ok());
        SeriesState state;
        QVERIFY(store.CheckSeries("s", 10, 1, state).Ok());
        for (const Attempt& a : r.attempts) {
            ChipRecord made{.command = "program", .series = "s", .serial = a.serial, .verdict = a.verdict, .stampSent = a.sent};
            QVERIFY(store.Add(made).Ok());
        }
        for (const qint64 expected : {r.expected, r.then}) {
            ChipRecord taken{.command = "program", .series = "s"};
            QVERIFY(store.Begin(taken, 0xFFFF, {.reuseFailed = true}).Ok());
            QCOMPARE(taken.serial.value_or(-1), expected);
        }
    }

    // A list: numbers in the stamp's format, raw bytes, comments and blanks skipped; a line that is no
    // value, or one whose bytes another line already holds, refuses the whole list.
    void serialList_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("entries");  // "line:HEX ..."; or "bad N", "repeated N M"
        QTest::newRow("values") << QByteArray("# batch\n7\n\n0x1234\r\nhex:a1b2c3\n") << "2:0700 4:3412 5:A1B2C3";
        QTest::newRow("too large for le16") << QByteArray("65536\n") << "bad 1";
        QTest::newRow("odd hex digits") << QByteArray("1\nhex:ABC\n") << "bad 2";
        QTest::newRow("no value") << QByteArray("1\nKEY-7\n") << "bad 2";
        QTest::newRow("same bytes twice") << QByteArray("10\n# x\nhex:0A00\n") << "repeated 3 1";
    }
    void serialList() {
        QFETCH(QByteArray, text);
        QFETCH(QString, entries);
        const SerialList list = ParseSerialList(text, {.format = SerialFormat::Le16});
        QStringList got;
        for (const ListEntry& e : list.entries) got << QStringLiteral("%1:%2").arg(e.line).arg(HexOf(e.bytes));
        if (list.problem == ListProblem::BadLine) got = QStringList{QStringLiteral("bad %1").arg(list.line)};
        if (list.problem == ListProblem::Repeated) got = QStringList{QStringLiteral("repeated %1 %2").arg(list.line).arg(list.firstLine)};
        QCOMPARE(got.join(' '), entries);
    }

    // A generator's one line of hex bytes is its value; anything else, a failure, a program that does not
    // end in time (killed) or is not there, gives none. It is told its series and count.
    void generator_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("value");
        QTest::newRow("bytes") << "echo B2A1" << int(GeneratorProblem::None) << "B2A1";
        QTest::newRow("spaced bytes, told the count") << "sh -c \"echo B2 0$ZENDRA_NUMBER\"" << int(GeneratorProblem::None) << "B207";
        QTest::newRow("garbage") << "echo B2A1 ok" << int(GeneratorProblem::BadOutput) << "";
        QTest::newRow("two lines") << "sh -c \"echo B2; echo A1\"" << int(GeneratorProblem::BadOutput) << "";
        QTest::newRow("fails") << "sh -c \"echo B2; exit 3\"" << int(GeneratorProblem::Failed) << "";
        QTest::newRow("times out") << "sleep 5" << int(GeneratorProblem::TimedOut) << "";
        QTest::newRow("not there") << "/nonexistent/gen" << int(GeneratorProblem::NotStarted) << "";
    }
    void generator() {
        QFETCH(QString, command);
        QFETCH(int, problem);
        QFETCH(QString, value);
        QProcessEnvironment told;
        told.insert("ZENDRA_NUMBER", "7");
        QElapsedTimer clock;
        clock.start();
        const GeneratorResult made = RunGenerator(command, {}, told, nullptr, 500);
        QCOMPARE(int(made.problem), problem);
        QCOMPARE(HexOf(made.bytes), value);
        QVERIFY(clock.elapsed() < 3000);
    }

    // Two connections (two writers of a gang) take a list's lines in turn: never one value twice; a list
    // run out, an issued line changed and a generator's repeated value are refused; a series keeps its
    // kind. The same on a server.
    void issued_data() {
        QTest::addColumn<QString>("location");
        QTest::newRow("file") << m_dir.filePath("issued.sqlite");
        QTest::newRow("server") << test::PgCluster::Shared().NewDatabase("issued");
    }
    void issued() {
        QFETCH(QString, location);
        if (location.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        ChipStore a(location), b(location);
        QVERIFY(a.Open().Ok() && b.Open().Ok());
        SeriesState state;
        QVERIFY(a.CheckSeries("L", 1, 1, state, SeriesKind::List).Ok());
        QVERIFY(b.CheckSeries("G", 1, 1, state, SeriesKind::Command).Ok());
        SerialList list = ParseSerialList("1\n2\n3\n", {.format = SerialFormat::U8});
        QStringList taken;
        for (ChipStore* store : {&a, &b, &a}) {
            ChipRecord record{.command = "program", .series = "L"};
            QVERIFY(store->BeginIssued(record, {.list = list.entries, .lastLine = 3}).Ok());
            taken << QStringLiteral("%1:%2").arg(*record.line).arg(HexOf(record.stamp));
        }
        QCOMPARE(taken.join(' '), QString("1:01 2:02 3:03"));
        ChipRecord more{.series = "L"};
        const StoreResult out = b.BeginIssued(more, {.list = list.entries, .lastLine = 3});
        QCOMPARE(out.problem, StoreProblem::ListExhausted);
        QCOMPARE(out.detail, QString("3"));
        list = ParseSerialList("1\n9\n3\n4\n", {.format = SerialFormat::U8});
        const StoreResult changed = a.BeginIssued(more, {.list = list.entries, .lastLine = 4});
        QCOMPARE(changed.problem, StoreProblem::ListChanged);
        QCOMPARE(changed.detail, QString("2"));
        ChipRecord first{.series = "G"}, again{.series = "G"};
        QVERIFY(a.BeginIssued(first, {.kind = SeriesKind::Command, .value = "\xB2\x01"}).Ok());
        QCOMPARE(b.BeginIssued(again, {.kind = SeriesKind::Command, .value = "\xB2\x01"}).problem, StoreProblem::ValueIssued);
        QVERIFY(b.CheckSeries("L", 1, 1, state).Ok());
        QCOMPARE(state.check, SeriesCheck::OtherKind);
        QCOMPARE(state.kind, SeriesKind::List);
        QList<ChipRecord> found;
        QVERIFY(a.History({.id = first.id}, found).Ok() && found.size() == 1);
        QCOMPARE(found[0].stamp, QByteArray("\xB2\x01"));
    }

    // A store of the first schema takes the series' kinds and issued values, its counters going on.
    void migration() {
        const QString path = m_dir.filePath("v1.sqlite");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* statement :
                 {"CREATE TABLE series (name TEXT PRIMARY KEY, start INTEGER NOT NULL, step INTEGER NOT NULL, next INTEGER NOT NULL)",
                  "CREATE TABLE records (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, bench TEXT, port TEXT, "
                  "firmware TEXT, device TEXT, signature TEXT, command TEXT, series TEXT, serial INTEGER, calibration INTEGER, "
                  "lockfuse_before TEXT, lockfuse_after TEXT, verdict TEXT NOT NULL, seconds REAL, pid INTEGER)",
                  "CREATE TABLE record_files (record INTEGER NOT NULL REFERENCES records(id), role TEXT, path TEXT, sha256 TEXT)",
                  "INSERT INTO series VALUES ('old', 1, 1, 41)", "PRAGMA user_version = 1"})
                QVERIFY(q.exec(statement));
            db.close();
        }
        QSqlDatabase::removeDatabase("v1");
        ChipStore store(path);
        QVERIFY(store.Open().Ok());
        SeriesState state;
        QVERIFY(store.CheckSeries("old", 1, 1, state).Ok());
        QCOMPARE(state.check, SeriesCheck::Matches);
        QCOMPARE(state.next, qint64(41));
        ChipRecord record{.series = "G"};
        QVERIFY(store.CheckSeries("G", 1, 1, state, SeriesKind::Command).Ok());
        QVERIFY(store.BeginIssued(record, {.kind = SeriesKind::Command, .value = "\x01"}).Ok());
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
