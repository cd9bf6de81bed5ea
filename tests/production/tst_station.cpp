// A production station's lock and files: the waits after wrong passwords, the files checked against the
// setup before the first chip and watched after the start, and the lock's facts in the chip store, a
// store of the first schema brought up to date with its records kept.

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "production/ChipStore.h"
#include "production/Setup.h"
#include "production/StationFiles.h"
#include "production/StationLock.h"
#include "TestEnvironment.h"

using namespace zendra;
using namespace zendra::production;
using namespace std::chrono_literals;

namespace {
QString Sha(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
}  // namespace

class StationTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void cleanupTestCase() { test::PgCluster::StopShared(); }

    // Each wrong password doubles the wait up to its cap; a try before the wait is over still waits; the
    // right one forgets the count and names the bench.
    void wrongPasswordsWait() {
        StationLock lock;
        lock.Lock("/w/job.zendra");
        QVERIFY(lock.Locked());
        const auto t0 = StationLock::Clock::time_point{} + 1h;
        const std::chrono::milliseconds expected[] = {1s, 2s, 4s, 8s, 16s, 30s, 30s, 30s};
        auto now = t0;
        for (const auto wait : expected) {
            QCOMPARE(lock.Refused(now).count(), wait.count());
            QCOMPARE(lock.WaitLeft(now + wait / 2).count(), (wait / 2).count());
            QVERIFY(lock.Locked());
            now += wait;
            QCOMPARE(lock.WaitLeft(now).count(), 0);
        }
        lock.Opened("bench-3");
        QVERIFY(!lock.Locked());
        QCOMPARE(lock.Facts().unlockedBy, QString("bench-3"));
        lock.Lock("/w/job.zendra");
        QCOMPARE(lock.Refused(now).count(), std::chrono::milliseconds(1s).count());
        QVERIFY(lock.Facts().locked);
    }

    // A file loaded with other bytes than the setup's stops the station until accepted; the acceptance
    // holds for those bytes only. A change on disk after the start is seen but changes nothing loaded.
    void filesChecked() {
        const QString setupPath = m_dir.filePath("job.zendra"), code = m_dir.filePath("code.hex"),
                      eeprom = m_dir.filePath("data.eep");
        const QByteArray made = ":00000001FF\r\n", rebuilt = ":0100000000FF\r\n:00000001FF\r\n";
        QVERIFY(Write(code, made) && Write(eeprom, made));
        Setup setup{.code = {"code.hex", Sha(made)}, .eeprom = PinnedFile{"data.eep", Sha(made)}};

        StationFiles same(setup, setupPath, {{"code", code, Sha(made)}, {"eeprom", eeprom, Sha(made)}});
        QCOMPARE(same.Files().size(), 2);
        QVERIFY(!same.Stopped());
        QVERIFY(Write(code, rebuilt));
        QVERIFY(same.Refresh());
        QCOMPARE(same.ChangedOnDisk(), QStringList{code});
        QVERIFY(!same.Stopped());
        QCOMPARE(same.Files()[0].loaded, Sha(made));
        QCOMPARE(same.Files()[0].onDisk, Sha(rebuilt));
        QVERIFY(!same.Refresh());

        StationFiles changed(setup, setupPath, {{"code", code, Sha(rebuilt)}, {"eeprom", eeprom, Sha(made)}});
        QCOMPARE(changed.Unaccepted(), QStringList{code});
        changed.Accept(eeprom);
        QVERIFY(changed.Stopped());
        changed.Accept(code);
        QVERIFY(!changed.Stopped());
        changed.Reloaded({{"code", code, Sha("third")}, {"eeprom", eeprom, Sha(made)}});
        QCOMPARE(changed.Unaccepted(), QStringList{code});
        changed.Reloaded({{"code", code, Sha(rebuilt)}, {"eeprom", eeprom, Sha(made)}});
        QVERIFY(!changed.Stopped());

        StationFiles unread(setup, setupPath, {{"eeprom", eeprom, Sha(made)}});
        QVERIFY(unread.Stopped());
        unread.Accept(code);
        QVERIFY2(unread.Stopped(), "a file the station could not load is never accepted");
        QCOMPARE(ShortSha256(Sha(made)).size(), 12);
    }

    // The lock's facts go into the record and come back; a record of no station has none. On a file
    // of the first schema the old records are kept, on a server the tables are made new.
    void recordsKeepTheLock_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("firstSchema");
        QTest::newRow("file of the first schema") << m_dir.filePath("v1.sqlite") << true;
        QTest::newRow("server") << test::PgCluster::Shared().NewDatabase("station") << false;
    }
    void recordsKeepTheLock() {
        QFETCH(QString, location);
        QFETCH(bool, firstSchema);
        if (location.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!location.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        if (firstSchema) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(location);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* statement :
                 {"CREATE TABLE series (name TEXT PRIMARY KEY, start INTEGER NOT NULL, step INTEGER NOT NULL, next "
                  "INTEGER NOT NULL)",
                  "CREATE TABLE records (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, bench TEXT, port "
                  "TEXT, firmware TEXT, device TEXT, signature TEXT, command TEXT, series TEXT, serial INTEGER, "
                  "calibration INTEGER, lockfuse_before TEXT, lockfuse_after TEXT, verdict TEXT NOT NULL, seconds "
                  "REAL, pid INTEGER)",
                  "CREATE TABLE record_files (record INTEGER NOT NULL REFERENCES records(id), role TEXT, path TEXT, "
                  "sha256 TEXT)",
                  "INSERT INTO records (time, command, verdict) VALUES ('2026-01-01T00:00:00.000Z', 'program', "
                  "'succeeded')",
                  "PRAGMA user_version = 1"})
                QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
            db.close();
            db = {};
            QSqlDatabase::removeDatabase("v1");
        }
        ChipStore store(location);
        const StoreResult opened = store.Open();
        QVERIFY2(opened.Ok(), qPrintable(opened.detail));
        ChipRecord locked{.command = "program", .verdict = "succeeded", .station = StationFacts{true, "bench-3"}};
        ChipRecord plain{.command = "program", .verdict = "succeeded"};
        QVERIFY(store.Add(locked).Ok());
        QVERIFY(store.Add(plain).Ok());
        QList<ChipRecord> found;
        QVERIFY(store.History({}, found).Ok());
        QCOMPARE(found.size(), firstSchema ? 3 : 2);
        QVERIFY(!found[0].station);
        QVERIFY(found[1].station && found[1].station->locked);
        QCOMPARE(found[1].station->unlockedBy, QString("bench-3"));
        if (firstSchema) QCOMPARE(found[2].time.date().year(), 2026);
    }
};

QTEST_GUILESS_MAIN(StationTest)
#include "tst_station.moc"
