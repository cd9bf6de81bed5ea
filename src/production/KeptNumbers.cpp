// The numbers a chip keeps and the numbers that go out again: which of a series' numbers reached a chip.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "production/ChipStore.h"
#include "production/StoreSql.h"

namespace zendra::production {

// A number is free again only when every run that took it has ended and none sent its bytes: a run still
// going, or one whose record never ended, may have written them, so its number is never issued again.
StoreResult ReusableNumber(const QSqlDatabase& db, const QString& series, std::optional<qint64>& number) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "SELECT serial FROM records WHERE series = ? AND serial IS NOT NULL GROUP BY serial "
        "HAVING MAX(CASE WHEN stamp_sent = 0 AND verdict <> 'allocated' THEN 0 ELSE 1 END) = 0 "
        "ORDER BY serial LIMIT 1"));
    q.addBindValue(series);
    if (!q.exec()) return FromError(q.lastError());
    number = q.next() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
    return {};
}

StoreResult ChipStore::FindIssued(const QString& series, qint64 number, std::optional<qint64>& firstRecord) {
    if (m_worker)
        return OnStoreThread<std::optional<qint64>>(firstRecord, [=](ChipStore& direct, std::optional<qint64>& f) {
            return direct.FindIssued(series, number, f);
        });
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // A record from before the store knew whether the bytes were sent counts as sent.
    q.prepare(QStringLiteral("SELECT MIN(id) FROM records WHERE series = ? AND serial = ? AND command = 'program' "
                             "AND (stamp_sent IS NULL OR stamp_sent <> 0)"));
    q.addBindValue(series);
    q.addBindValue(number);
    if (!q.exec()) return FromError(q.lastError());
    firstRecord = q.next() && !q.value(0).isNull() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
    return {};
}

}  // namespace zendra::production
