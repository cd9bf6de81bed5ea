// The yield query over a large store: N records (one in ten a verify, one in twenty a failed program)
// over 30 days, 4 ports, 2 benches, 3 files and 3 series, written straight into a fresh SQLite file,
// then summed by ChipStore::Yield without a grouping and by each grouping, each the best of three.
//
//   bench_yield [--records N] [--out FILE]   (default 100000; FILE: keep the store there, for zendra-cli)
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "production/ChipStore.h"
#include "production/Yield.h"

using namespace zendra;

namespace {

bool Fill(const QString& path, int records) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    if (!db.open()) return false;
    QSqlQuery q(db);
    q.exec(QStringLiteral("BEGIN"));
    QSqlQuery record(db), file(db);
    record.prepare(QStringLiteral("INSERT INTO records (id, time, bench, port, command, series, serial, verdict, "
                                  "seconds, pid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1.5, 1)"));
    file.prepare(QStringLiteral("INSERT INTO record_files (record, role, path, sha256) VALUES (?, 'code', ?, ?)"));
    const QDateTime start(QDate(2026, 11, 1), QTime(0, 0), Qt::UTC);
    const QString verdicts[] = {QStringLiteral("mismatch"), QStringLiteral("link-failed"),
                                QStringLiteral("chip-refused")};
    for (int i = 1; i <= records; ++i) {
        const bool verify = i % 10 == 0, failed = i % 20 == 3;
        record.addBindValue(i);
        record.addBindValue(start.addSecs(qint64(i) * 30 * 86400 / records).toString(Qt::ISODateWithMs));
        record.addBindValue(QStringLiteral("bench%1").arg(i % 2));
        record.addBindValue(QStringLiteral("/dev/ttyUSB%1").arg(i % 4));
        record.addBindValue(verify ? QStringLiteral("verify") : QStringLiteral("program"));
        record.addBindValue(QStringLiteral("series%1").arg(i % 3));
        record.addBindValue(i);
        record.addBindValue(failed ? verdicts[(i / 20) % 3] : QStringLiteral("succeeded"));
        file.addBindValue(i);
        file.addBindValue(QStringLiteral("/work/firmware%1.hex").arg(i % 3));
        file.addBindValue(QString(64, QLatin1Char("abc"[i % 3])));
        if (!record.exec() || !file.exec()) return std::fprintf(stderr, "%s\n", qPrintable(record.lastError().text())), false;
    }
    return q.exec(QStringLiteral("COMMIT"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption recordsOption(QStringLiteral("records"), QStringLiteral("Records in the store."),
                                           QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Keep the store in this new file."),
                                       QStringLiteral("FILE"));
    parser.addOption(recordsOption);
    parser.addOption(outOption);
    parser.process(app);
    const int records = std::max(1, parser.value(recordsOption).toInt());

    QTemporaryDir dir;
    const QString path = parser.isSet(outOption) ? parser.value(outOption) : dir.filePath(QStringLiteral("yield.sqlite"));
    if (QFileInfo::exists(path)) return std::fprintf(stderr, "%s exists\n", qPrintable(path)), 1;
    {
        production::ChipStore created(path);
        if (!created.Open().Ok()) return std::fprintf(stderr, "the store does not open\n"), 1;
    }
    if (!Fill(path, records)) return std::fprintf(stderr, "the store was not filled\n"), 1;
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));

    production::ChipStore store(path);
    if (!store.Open().Ok()) return 1;
    std::printf("%d records, %s\n", records, qPrintable(QSysInfo::prettyProductName()));
    std::printf("%-10s %8s %8s %10s\n", "grouping", "groups", "chips", "best ms");
    for (const production::Grouping by : {production::Grouping::None, production::Grouping::Day,
                                          production::Grouping::Port, production::Grouping::Bench,
                                          production::Grouping::File}) {
        double best = 1e9;
        QList<production::YieldGroup> groups;
        for (int round = 0; round < 3; ++round) {
            groups.clear();
            QElapsedTimer timer;
            timer.start();
            const production::StoreResult read = store.Yield({.by = by}, groups);
            best = std::min(best, timer.nsecsElapsed() / 1e6);
            if (!read.Ok()) return std::fprintf(stderr, "%s\n", qPrintable(read.detail)), 1;
        }
        qint64 chips = 0;
        for (const production::YieldGroup& g : groups) chips += g.total;
        const QString name = by == production::Grouping::None ? QStringLiteral("none") : production::GroupingName(by);
        std::printf("%-10s %8lld %8lld %10.1f\n", qPrintable(name), qlonglong(groups.size()), qlonglong(chips), best);
    }
    return 0;
}
