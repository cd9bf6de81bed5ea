// A station's lock and files: the waits after wrong passwords, the files checked against the setup, and
// the lock's facts in the chip store, a store of the first schema brought up to date with its records kept.

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "production/StationFiles.h"
#include "production/StationLock.h"
#include "TestEnvironment.h"

using namespace zendra::production;
using namespace std::chrono_literals;

namespace {
QString Sha(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); }
void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}
}  // namespace

class StationTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void cleanupTestCase() { zendra::test::PgCluster::StopShared(); }

    // Each wrong password doubles the wait up to its cap; the right one forgets the count and names the bench.
    void wrongPasswordsWait() {
        StationLock lock;
        lock.Lock("/w/job.zendra");
        auto now = StationLock::Clock::time_point{} + 1h;
        for (const std::chrono::milliseconds wait : {1s, 2s, 4s, 8s, 16s, 30s, 30s}) {
            QCOMPARE(lock.Refused(now).count(), wait.count());
            QCOMPARE(lock.WaitLeft(now + wait / 2).count(), (wait / 2).count());
            now += wait;
        }
        QVERIFY(lock.Locked());
        lock.Opened("bench-3");
        QCOMPARE(lock.Facts().unlockedBy, QString("bench-3"));
        lock.Lock("/w/job.zendra");
        QCOMPARE(lock.Refused(now).count(), 1000);
    }

    // Loaded bytes other than the setup's stop the station until accepted, for those bytes only; bytes the
    // station could not load are never accepted; a change on disk after the start changes nothing loaded.
    void filesChecked() {
        const QString code = m_dir.filePath("code.hex"), eeprom = m_dir.filePath("data.eep");
        const QByteArray made = ":00000001FF\r\n", rebuilt = ":0100000000FF\r\n:00000001FF\r\n";
        Write(code, made);
        Write(eeprom, made);
        const BenchSetup setup{.code = {"code.hex", Sha(made)}, .eeprom = PinnedFile{"data.eep", Sha(made)}};
        const QString at = m_dir.filePath("job.zendra");
        StationFiles same(setup, at, {{"code", code, Sha(made)}, {"eeprom", eeprom, Sha(made)}});
        QVERIFY(!same.Stopped());
        Write(code, rebuilt);
        QVERIFY(same.Refresh());
        QCOMPARE(same.ChangedOnDisk(), QStringList{code});
        QVERIFY(!same.Stopped());
        QCOMPARE(same.Files()[0].loaded, Sha(made));

        StationFiles changed(setup, at, {{"code", code, Sha(rebuilt)}, {"eeprom", eeprom, Sha(made)}});
        QCOMPARE(changed.Unaccepted(), QStringList{code});
        changed.Accept(code);
        QVERIFY(!changed.Stopped());
        changed.Reloaded({{"code", code, Sha("third")}, {"eeprom", eeprom, Sha(made)}});
        QVERIFY(changed.Stopped());

        StationFiles unread(setup, at, {{"eeprom", eeprom, Sha(made)}});
        unread.Accept(code);
        QVERIFY(unread.Stopped());
    }

    void recordsKeepTheLock_data() {
        QTest::addColumn<QString>("location");
        QTest::newRow("file of the first schema") << m_dir.filePath("v1.sqlite");
        QTest::newRow("server") << zendra::test::PgCluster::Shared().NewDatabase("station");
    }
    void recordsKeepTheLock() {
        QFETCH(QString, location);
        const bool file = !ChipStore::IsServerLocation(location);
        if (location.isEmpty() && !zendra::test::PgCluster::Shared().Installed()) QSKIP("no PostgreSQL server programs");
        QVERIFY2(!location.isEmpty(), qPrintable(zendra::test::PgCluster::Shared().Failure()));
        if (file) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(location);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* statement :
                 {"CREATE TABLE series (name TEXT PRIMARY KEY, start INTEGER, step INTEGER, next INTEGER)",
                  "CREATE TABLE records (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, bench TEXT, port "
                  "TEXT, firmware TEXT, device TEXT, signature TEXT, command TEXT, series TEXT, serial INTEGER, "
                  "calibration INTEGER, lockfuse_before TEXT, lockfuse_after TEXT, verdict TEXT NOT NULL, seconds "
                  "REAL, pid INTEGER)",
                  "CREATE TABLE record_files (record INTEGER, role TEXT, path TEXT, sha256 TEXT)",
                  "INSERT INTO records (time, verdict) VALUES ('2026-01-01T00:00:00.000Z', 'succeeded')",
                  "PRAGMA user_version = 1"})
                QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
            db.close();
        }
        QSqlDatabase::removeDatabase("v1");
        ChipStore store(location);
        const StoreResult opened = store.Open();
        QVERIFY2(opened.Ok(), qPrintable(opened.detail));
        ChipRecord locked{.verdict = "succeeded", .station = StationFacts{true, "bench-3"}}, plain{.verdict = "succeeded"};
        QVERIFY(store.Add(locked).Ok() && store.Add(plain).Ok());
        QList<ChipRecord> found;
        QVERIFY(store.History({}, found).Ok());
        QCOMPARE(found.size(), file ? 3 : 2);
        QVERIFY(!found[0].station && found[1].station && found[1].station->locked);
        QCOMPARE(found[1].station->unlockedBy, QString("bench-3"));
    }
};

QTEST_GUILESS_MAIN(StationTest)
#include "tst_lock_files.moc"
