#include "cli/YieldTable.h"

#include "cli/Events.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/Plan.h"
#include "cli/Render.h"

namespace zendra::cli {

namespace {

// Columns as a terminal draws them: a CJK character takes two.
qsizetype Columns(const QString& text) {
    qsizetype columns = 0;
    for (const QChar c : text) columns += c.unicode() >= 0x2E80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) ? 2 : 1;
    return columns;
}

QString Padded(const QString& text, qsizetype columns, bool right) {
    const QString fill(std::max<qsizetype>(0, columns - Columns(text)), QLatin1Char(' '));
    return right ? fill + text : text + fill;
}

QString Percent(double share) { return QString::number(share * 100.0, 'f', 1) + QLatin1Char('%'); }

QString FailuresText(const production::YieldGroup& g) {
    QStringList parts;
    for (auto it = g.failures.cbegin(); it != g.failures.cend(); ++it)
        parts << it.key() + QLatin1Char('=') + QString::number(it.value());
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QLatin1Char(' '));
}

QJsonObject GroupJson(const production::YieldGroup& g) {
    QJsonObject failures;
    for (auto it = g.failures.cbegin(); it != g.failures.cend(); ++it) failures.insert(it.key(), double(it.value()));
    return QJsonObject{{"total", double(g.total)},
                       {"pass", double(g.pass)},
                       {"fail", double(g.Fail())},
                       {"firstPassYield", g.FirstPassYield()},
                       {"failures", failures}};
}

QString GroupHeader(production::Grouping by) {
    switch (by) {
        case production::Grouping::Day:
            return T(texts::kStatsDay);
        case production::Grouping::Port:
            return T(texts::kStatsPort);
        case production::Grouping::Bench:
            return T(texts::kStatsBench);
        case production::Grouping::File:
            return T(texts::kStatsFile);
        case production::Grouping::None:
            break;
    }
    return {};
}

}  // namespace

QDateTime ParseIsoTime(const QString& text) {
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid()) time = date.startOfDay();
    }
    return time;
}

std::optional<QString> ParseYieldOptions(const QCommandLineParser& parser, Plan& plan) {
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    if (!isSet("stats")) {
        for (const char* name : {"series", "since", "until", "by"})
            if (isSet(name)) return T(texts::kNeedsStats).arg(QStringLiteral("--") + QLatin1String(name));
        return std::nullopt;
    }
    for (const char* name : {"serial", "file-sha256", "last"})
        if (isSet(name)) return T(texts::kNotForCommand).arg(QStringLiteral("--stats --") + QLatin1String(name));
    production::YieldQuery query{.series = value("series")};
    for (const auto& [name, into] : {std::pair{"since", &query.since}, std::pair{"until", &query.until}}) {
        if (!isSet(name)) continue;
        *into = ParseIsoTime(value(name));
        if (!into->isValid()) return T(texts::kBadTime).arg(value(name));
    }
    if (isSet("by")) {
        const auto by = production::ParseGrouping(value("by"));
        if (!by) return T(texts::kBadGrouping).arg(value("by"));
        query.by = *by;
    }
    plan.stats = query;
    return std::nullopt;
}

QString YieldTable(const production::YieldGroup& whole, const QList<production::YieldGroup>& groups,
                   production::Grouping by) {
    QList<QStringList> rows{{GroupHeader(by), T(texts::kStatsTotal), T(texts::kPasses), T(texts::kFailures),
                             T(texts::kStatsFirstPassYield), T(texts::kStatsFailures)}};
    const auto row = [](const QString& key, const production::YieldGroup& g) {
        return QStringList{key,
                           QString::number(g.total),
                           QString::number(g.pass),
                           QString::number(g.Fail()),
                           Percent(g.FirstPassYield()),
                           FailuresText(g)};
    };
    for (const production::YieldGroup& g : groups) {
        QString key = g.key.isEmpty() ? QStringLiteral("-") : g.key;
        if (by == production::Grouping::File && !g.path.isEmpty()) key = g.path + QLatin1Char(' ') + g.key.left(12);
        rows << row(key, g);
    }
    rows << row(T(texts::kStatsAll), whole);
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& r : rows)
        for (qsizetype c = 0; c < r.size(); ++c) widths[c] = std::max(widths[c], Columns(r[c]));
    QStringList lines;
    for (const QStringList& r : rows) {
        QStringList cells;
        // The key and the failures read from the left, the figures from the right; the last is not padded.
        for (qsizetype c = 0; c + 1 < r.size(); ++c) cells << Padded(r[c], widths[c], c > 0);
        cells << r.last();
        lines << cells.join(QStringLiteral("  "));
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray YieldJson(const production::YieldQuery& query, const production::YieldGroup& whole,
                     const QList<production::YieldGroup>& groups) {
    QJsonObject document = GroupJson(whole);
    document.insert("series", query.series.isEmpty() ? QJsonValue() : QJsonValue(query.series));
    // With its offset from UTC, so a script reads the same instant the store was asked about.
    const auto time = [](const QDateTime& t) {
        return t.isValid() ? QJsonValue(t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs)) : QJsonValue();
    };
    document.insert("since", time(query.since));
    document.insert("until", time(query.until));
    if (query.by != production::Grouping::None) {
        const QString name = production::GroupingName(query.by);
        document.insert("by", name);
        QJsonArray list;
        for (const production::YieldGroup& g : groups) {
            QJsonObject o = GroupJson(g);
            o.insert(name, g.key.isEmpty() ? QJsonValue() : QJsonValue(g.key));
            if (query.by == production::Grouping::File) o.insert("path", g.path.isEmpty() ? QJsonValue() : QJsonValue(g.path));
            list.append(o);
        }
        document.insert("groups", list);
    }
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

int ShowYield(const Plan& plan) {
    production::YieldQuery query = *plan.stats;
    production::ChipStore store(plan.dbPath);
    QList<production::YieldGroup> whole, groups;
    const production::Grouping by = query.by;
    query.by = production::Grouping::None;
    production::StoreResult result = store.Open();
    if (result.Ok()) result = store.Yield(query, whole);
    query.by = by;
    if (result.Ok() && by != production::Grouping::None) result = store.Yield(query, groups);
    if (!result.Ok()) {
        PrintErr(StoreProblemText(result));
        return kExitLink;
    }
    if (plan.json)
        events::Emit("stats", {{"stats", QJsonDocument::fromJson(YieldJson(query, whole.value(0), groups)).object()}});
    else
        PrintOut(YieldTable(whole.value(0), groups, by));
    return kExitSuccess;
}

}  // namespace zendra::cli
