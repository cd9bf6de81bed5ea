#pragma once
// `history --stats`: the chips' yield from the store, as a table for people or one JSON object.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "production/Yield.h"

class QCommandLineParser;

namespace zendra::cli {

struct Plan;

// --stats and its --series, --since, --until and --by into `plan.stats`; the reason when they will not do.
std::optional<QString> ParseYieldOptions(const QCommandLineParser& parser, Plan& plan);
// A time as ISO 8601 gives it: a date (its local midnight), a local time, or one with Z or an offset.
QDateTime ParseIsoTime(const QString& text);

// The whole range's figures, then one row per group (none without a grouping).
QString YieldTable(const production::YieldGroup& whole, const QList<production::YieldGroup>& groups,
                   production::Grouping by);
QByteArray YieldJson(const production::YieldQuery& query, const production::YieldGroup& whole,
                     const QList<production::YieldGroup>& groups);

// Reads the store and prints; the exit code.
int ShowYield(const Plan& plan);

}  // namespace zendra::cli
