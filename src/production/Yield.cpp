#include "production/Yield.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include "production/ChipStore.h"
#include "production/StoreSql.h"

namespace zendra::production {

namespace {

struct NamedGrouping {
    Grouping by;
    const char* name;
};
constexpr NamedGrouping kGroupings[] = {
    {.by = Grouping::Day, .name = "day"},
    {.by = Grouping::Port, .name = "port"},
    {.by = Grouping::Bench, .name = "bench"},
    {.by = Grouping::File, .name = "file"},
};

// The group's key as SQL over `records r` and `record_files f`. A day is the local one of the record's
// time (UTC, ISO 8601): SQLite's localtime is the process's; a server's session takes the process's zone.
QString KeyOf(Grouping by, bool server) {
    switch (by) {
        case Grouping::Day:
            return server ? QStringLiteral("to_char(r.time::timestamptz, 'YYYY-MM-DD')")
                          : QStringLiteral("date(r.time, 'localtime')");
        case Grouping::Port:
            return QStringLiteral("r.port");
        case Grouping::Bench:
            return QStringLiteral("r.bench");
        case Grouping::File:
            return QStringLiteral("f.sha256");
        case Grouping::None:
            break;
    }
    return QStringLiteral("''");
}

// Stored times are UTC in one ISO 8601 form, so a bound time in the same form compares as text.
QString StoredTime(const QDateTime& time) { return time.toUTC().toString(Qt::ISODateWithMs); }

}  // namespace

std::optional<Grouping> ParseGrouping(const QString& text) {
    for (const NamedGrouping& g : kGroupings)
        if (text == QLatin1String(g.name)) return g.by;
    return std::nullopt;
}

QString GroupingName(Grouping by) {
    for (const NamedGrouping& g : kGroupings)
        if (g.by == by) return QString::fromLatin1(g.name);
    return {};
}

StoreResult ChipStore::Yield(const YieldQuery& query, QList<YieldGroup>& groups) {
    if (m_worker)
        return OnStoreThread<QList<YieldGroup>>(groups, [=](ChipStore& direct, QList<YieldGroup>& g) {
            return direct.Yield(query, g);
        });
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (m_server && query.by == Grouping::Day) {
        q.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
        q.addBindValue(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
        if (!q.exec()) return FromError(q.lastError());
    }
    // Counted per verdict in the store; the fold into chips, passes and failures is below. A chip that came
    // back for new firmware and kept its number is a record with first_record set: it counts here as a chip
    // of its own. Counting it as its first run's chip would group the records by COALESCE(first_record, id)
    // and take each chip's last verdict.
    QString sql = QStringLiteral("SELECT %1, %2, r.verdict, COUNT(*) FROM records r")
                      .arg(KeyOf(query.by, m_server),
                           query.by == Grouping::File ? QStringLiteral("MIN(f.path)") : QStringLiteral("''"));
    if (query.by == Grouping::File)
        sql += QStringLiteral(" LEFT JOIN record_files f ON f.record = r.id AND f.role = 'code'");
    sql += QStringLiteral(" WHERE r.command = 'program'");
    QVariantList values;
    if (!query.series.isEmpty()) {
        sql += QStringLiteral(" AND r.series = ?");
        values << query.series;
    }
    if (query.since.isValid()) {
        sql += QStringLiteral(" AND r.time >= ?");
        values << StoredTime(query.since);
    }
    if (query.until.isValid()) {
        sql += QStringLiteral(" AND r.time < ?");
        values << StoredTime(query.until);
    }
    sql += query.by == Grouping::None ? QStringLiteral(" GROUP BY r.verdict")
                                      : QStringLiteral(" GROUP BY 1, r.verdict ORDER BY 1");
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) return FromError(q.lastError());
    QMap<QString, YieldGroup> byKey;
    if (query.by == Grouping::None) byKey.insert(QString(), {});
    while (q.next()) {
        const QString key = q.value(0).toString();
        YieldGroup& group = byKey[key];
        group.key = key;
        const QString path = q.value(1).toString();
        if (group.path.isEmpty() || (!path.isEmpty() && path < group.path)) group.path = path;
        const QString verdict = q.value(2).toString();
        const qint64 chips = q.value(3).toLongLong();
        group.total += chips;
        if (verdict == QLatin1String(kPassVerdict)) {
            group.pass += chips;
            group.firstPass += chips;  // a chip's one run is its first
        } else {
            group.failures[verdict] += chips;
        }
    }
    groups = byKey.values();
    return {};
}

}  // namespace zendra::production
