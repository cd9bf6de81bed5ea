#include "production/ChipStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVariant>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace zendra::production {

namespace {

constexpr const char* kSchema[] = {
    "CREATE TABLE series (name TEXT PRIMARY KEY, start INTEGER NOT NULL, step INTEGER NOT NULL, "
    "next INTEGER NOT NULL)",
    "CREATE TABLE records (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, bench TEXT, port TEXT, "
    "firmware TEXT, device TEXT, signature TEXT, command TEXT, series TEXT, serial INTEGER, calibration "
    "INTEGER, "
    "lockfuse_before TEXT, lockfuse_after TEXT, verdict TEXT NOT NULL, seconds REAL, pid INTEGER)",
    "CREATE TABLE record_files (record INTEGER NOT NULL REFERENCES records(id), role TEXT, path TEXT, "
    "sha256 TEXT)",
    "CREATE INDEX records_serial ON records(serial)",
    "CREATE INDEX record_files_sha256 ON record_files(sha256)",
};

// SQLITE_BUSY and SQLITE_LOCKED: another connection held the store beyond the busy time-out.
StoreResult FromError(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    const bool locked = code == QLatin1String("5") || code == QLatin1String("6");
    return {locked ? StoreProblem::Locked : StoreProblem::Failed, error.text()};
}

QVariant Optional(const std::optional<qint64>& value) { return value ? QVariant(*value) : QVariant(); }
QVariant Optional(const std::optional<quint8>& value) { return value ? QVariant(int(*value)) : QVariant(); }

}  // namespace

ChipStore::ChipStore(QString path) : m_path(std::move(path)) {
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("zendra-chip-store-%1").arg(++counter);
}

ChipStore::~ChipStore() {
    if (!QSqlDatabase::contains(m_connection)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString ChipStore::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/chips.sqlite");
}

StoreResult ChipStore::Open() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return {StoreProblem::CannotOpen, QStringLiteral("Qt SQL has no SQLite driver (libqt6sql6-sqlite)")};
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return {StoreProblem::CannotOpen, QStringLiteral("cannot create ") + info.absolutePath()};
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) return {StoreProblem::CannotOpen, db.lastError().text()};
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        const StoreResult failed = FromError(query.lastError());
        return {failed.problem == StoreProblem::Locked ? failed.problem : StoreProblem::CannotOpen,
                failed.detail};
    }
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion)
        return {StoreProblem::NewerSchema, QStringLiteral("schema %1 > %2").arg(version).arg(kSchemaVersion)};
    if (version == kSchemaVersion) return {};
    return Transaction([&]() -> StoreResult {
        // Another process may have created it while this one waited for the lock.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return FromError(q.lastError());
        if (q.value(0).toInt() != 0) return {};
        for (const char* statement : kSchema)
            if (!q.exec(QString::fromLatin1(statement))) return FromError(q.lastError());
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
            return FromError(q.lastError());
        return {};
    });
}

StoreResult ChipStore::Transaction(const std::function<StoreResult()>& body) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // IMMEDIATE takes the write lock at once, so two allocations never both read the same next number.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) return FromError(query.lastError());
    StoreResult result = body();
    if (result.Ok() && !query.exec(QStringLiteral("COMMIT"))) result = FromError(query.lastError());
    if (!result.Ok()) query.exec(QStringLiteral("ROLLBACK"));
    return result;
}

StoreResult ChipStore::CheckSeries(const QString& name, std::optional<qint64> start,
                                   std::optional<qint64> step, SeriesState& state) {
    return Transaction([&]() -> StoreResult {
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        q.prepare(QStringLiteral("SELECT start, step, next FROM series WHERE name = ?"));
        q.addBindValue(name);
        if (!q.exec()) return FromError(q.lastError());
        if (q.next()) {
            const bool same =
                (!start || *start == q.value(0).toLongLong()) && (!step || *step == q.value(1).toLongLong());
            state = {same ? SeriesCheck::Matches : SeriesCheck::Contradicts, q.value(2).toLongLong()};
            return {};
        }
        if (!start) {
            state = {SeriesCheck::Unknown, 0};
            return {};
        }
        q.prepare(QStringLiteral("INSERT INTO series (name, start, step, next) VALUES (?, ?, ?, ?)"));
        for (const QVariant& v :
             {QVariant(name), QVariant(*start), QVariant(step.value_or(1)), QVariant(*start)})
            q.addBindValue(v);
        if (!q.exec()) return FromError(q.lastError());
        state = {SeriesCheck::Created, *start};
        return {};
    });
}

StoreResult ChipStore::Insert(ChipRecord& record) {
    if (!record.time.isValid()) record.time = QDateTime::currentDateTimeUtc();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("INSERT INTO records (time, bench, port, firmware, device, signature, command, "
                       "series, serial, calibration, "
                       "lockfuse_before, lockfuse_after, verdict, seconds, pid) VALUES (?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v :
         {QVariant(record.time.toUTC().toString(Qt::ISODateWithMs)), QVariant(record.bench),
          QVariant(record.port), QVariant(record.firmware), QVariant(record.device),
          QVariant(record.signature), QVariant(record.command),
          record.series.isEmpty() ? QVariant() : QVariant(record.series), Optional(record.serial),
          Optional(record.calibration), QVariant(record.lockFuseBefore), QVariant(record.lockFuseAfter),
          QVariant(record.verdict), QVariant(record.seconds), QVariant(record.pid)})
        q.addBindValue(v);
    if (!q.exec()) return FromError(q.lastError());
    record.id = q.lastInsertId().toLongLong();
    for (const FileDigest& file : record.files) {
        q.prepare(
            QStringLiteral("INSERT INTO record_files (record, role, path, sha256) VALUES (?, ?, ?, ?)"));
        for (const QVariant& v :
             {QVariant(record.id), QVariant(file.role), QVariant(file.path), QVariant(file.sha256)})
            q.addBindValue(v);
        if (!q.exec()) return FromError(q.lastError());
    }
    return {};
}

StoreResult ChipStore::Begin(ChipRecord& record, quint64 largest) {
    return Transaction([&]() -> StoreResult {
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        if (!record.series.isEmpty()) {
            q.prepare(QStringLiteral("SELECT step, next FROM series WHERE name = ?"));
            q.addBindValue(record.series);
            if (!q.exec()) return FromError(q.lastError());
            if (!q.next()) return {StoreProblem::Failed, QStringLiteral("no series ") + record.series};
            const qint64 step = q.value(0).toLongLong(), next = q.value(1).toLongLong();
            if (next < 0 || quint64(next) > largest)
                return {StoreProblem::SeriesExhausted, QString::number(next)};
            q.prepare(QStringLiteral("UPDATE series SET next = ? WHERE name = ?"));
            q.addBindValue(next + step);
            q.addBindValue(record.series);
            if (!q.exec()) return FromError(q.lastError());
            record.serial = next;
        }
        record.verdict = QStringLiteral("allocated");
        return Insert(record);
    });
}

StoreResult ChipStore::Add(ChipRecord& record) {
    return Transaction([&] { return Insert(record); });
}

StoreResult ChipStore::Finish(const ChipRecord& record) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "UPDATE records SET firmware = ?, device = ?, signature = ?, calibration = ?, lockfuse_before = ?, "
        "lockfuse_after = ?, verdict = ?, seconds = ? WHERE id = ?"));
    for (const QVariant& v :
         {QVariant(record.firmware), QVariant(record.device), QVariant(record.signature),
          Optional(record.calibration), QVariant(record.lockFuseBefore), QVariant(record.lockFuseAfter),
          QVariant(record.verdict), QVariant(record.seconds), QVariant(record.id)})
        q.addBindValue(v);
    if (!q.exec()) return FromError(q.lastError());
    return {};
}

StoreResult ChipStore::History(const HistoryQuery& query, QList<ChipRecord>& records) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString sql = QStringLiteral(
        "SELECT id, time, bench, port, firmware, device, signature, command, series, serial, calibration, "
        "lockfuse_before, lockfuse_after, verdict, seconds, pid FROM records WHERE 1 = 1");
    QVariantList values;
    if (query.serial) {
        sql += QStringLiteral(" AND serial = ?");
        values << *query.serial;
    }
    if (!query.fileSha256.isEmpty()) {
        sql += QStringLiteral(" AND id IN (SELECT record FROM record_files WHERE sha256 = ?)");
        values << query.fileSha256.toLower();
    }
    sql += QStringLiteral(" ORDER BY id DESC");
    if (query.last > 0) {
        sql += QStringLiteral(" LIMIT ?");
        values << query.last;
    }
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) return FromError(q.lastError());
    while (q.next()) {
        ChipRecord r;
        r.id = q.value(0).toLongLong();
        r.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
        r.bench = q.value(2).toString();
        r.port = q.value(3).toString();
        r.firmware = q.value(4).toString();
        r.device = q.value(5).toString();
        r.signature = q.value(6).toString();
        r.command = q.value(7).toString();
        r.series = q.value(8).toString();
        if (!q.value(9).isNull()) r.serial = q.value(9).toLongLong();
        if (!q.value(10).isNull()) r.calibration = quint8(q.value(10).toUInt());
        r.lockFuseBefore = q.value(11).toString();
        r.lockFuseAfter = q.value(12).toString();
        r.verdict = q.value(13).toString();
        r.seconds = q.value(14).toDouble();
        r.pid = q.value(15).toLongLong();
        records.append(r);
    }
    QSqlQuery files(db);
    for (ChipRecord& r : records) {
        files.prepare(
            QStringLiteral("SELECT role, path, sha256 FROM record_files WHERE record = ? ORDER BY rowid"));
        files.addBindValue(r.id);
        if (!files.exec()) return FromError(files.lastError());
        while (files.next())
            r.files.append({files.value(0).toString(), files.value(1).toString(), files.value(2).toString()});
    }
    return {};
}

QString ShownVerdict(const ChipRecord& record) {
    if (record.verdict != QLatin1String("allocated")) return record.verdict;
    // Only this bench can tell whether the process that took the number still runs.
    if (record.bench != QSysInfo::machineHostName()) return record.verdict;
    const bool alive = record.pid > 0 && (::kill(pid_t(record.pid), 0) == 0 || errno == EPERM);
    return alive ? QStringLiteral("running") : QStringLiteral("interrupted");
}

}  // namespace zendra::production
