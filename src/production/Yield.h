#pragma once
// The yield of the chips programmed: how many, how many passed, and why the others failed, for a series
// (or all), a time range and a grouping. The one query behind `zendra-cli history --stats`, the history
// window's summary and the station's counters.
//
// A chip is a record whose command is "program"; verify, read, erase and lock/fuse records program no
// chip and count nowhere. Records carry no link to an earlier run of the same chip yet, so each program
// record is a chip of its own, whose one run is both its first and its last.

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace zendra::production {

enum class Grouping { None, Day, Port, Bench, File };

// "day", "port", "bench", "file"; none for anything else.
std::optional<Grouping> ParseGrouping(const QString& text);
QString GroupingName(Grouping by);

struct YieldQuery {
    QString series;          // empty: every series, and the chips without one
    QDateTime since, until;  // from `since` on, before `until`; invalid: open
    Grouping by = Grouping::None;
};

struct YieldGroup {
    // The local day (yyyy-MM-dd), the port, the bench or the code file's SHA-256; empty for no grouping
    // or a chip without one.
    QString key;
    QString path;  // by file: the path it was programmed from (the first by name)
    qint64 total = 0;
    qint64 pass = 0;       // chips whose last program run succeeded
    qint64 firstPass = 0;  // chips that passed on their first run
    QMap<QString, qint64> failures;  // each failing verdict and its chips; "allocated": still running or interrupted
    qint64 Fail() const { return total - pass; }
    double FirstPassYield() const { return total > 0 ? double(firstPass) / double(total) : 0.0; }
};

// The verdict a chip passes with.
inline constexpr const char* kPassVerdict = "succeeded";

}  // namespace zendra::production
