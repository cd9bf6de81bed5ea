#include "production/StoreLocation.h"

#include <QStringList>
#include <QUrl>

#include "production/ChipStore.h"

namespace zendra::production {

namespace {

// The URL's parts around its password, taken from the text itself, so that what is shown is what was
// given, minus the password: [start, end) of the password in the user information (":" included), and
// the query's items.
struct UrlParts {
    qsizetype passwordFrom = -1, passwordTo = -1;
    qsizetype queryFrom = -1, queryTo = -1;  // after "?", up to "#" or the end
};

UrlParts Split(const QString& url) {
    UrlParts parts;
    const qsizetype authority = url.indexOf(QLatin1String("://")) + 3;
    qsizetype authorityEnd = url.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = url.indexOf(stop, authority);
        if (at >= 0) authorityEnd = std::min(authorityEnd, at);
    }
    const qsizetype at = url.lastIndexOf(QLatin1Char('@'), authorityEnd - 1);
    if (at >= authority) {
        const qsizetype colon = url.indexOf(QLatin1Char(':'), authority);
        if (colon >= 0 && colon < at) parts.passwordFrom = colon, parts.passwordTo = at;
    }
    const qsizetype question = url.indexOf(QLatin1Char('?'), authorityEnd);
    if (question >= 0) {
        parts.queryFrom = question + 1;
        const qsizetype hash = url.indexOf(QLatin1Char('#'), question);
        parts.queryTo = hash >= 0 ? hash : url.size();
    }
    return parts;
}

bool IsPasswordItem(const QString& item) {
    return QUrl::fromPercentEncoding(item.section(QLatin1Char('='), 0, 0).toUtf8()) == QLatin1String("password");
}

}  // namespace

bool HasPassword(const QString& location) {
    if (!ChipStore::IsServerLocation(location)) return false;
    const UrlParts parts = Split(location);
    if (parts.passwordTo - parts.passwordFrom > 1) return true;
    if (parts.queryFrom < 0) return false;
    const QStringList items = location.mid(parts.queryFrom, parts.queryTo - parts.queryFrom).split(QLatin1Char('&'));
    return std::any_of(items.begin(), items.end(),
                       [](const QString& item) { return IsPasswordItem(item) && !item.section(QLatin1Char('='), 1).isEmpty(); });
}

QString WithoutPassword(const QString& location) {
    if (!ChipStore::IsServerLocation(location)) return location;
    const UrlParts parts = Split(location);
    QString shown = location;
    if (parts.queryFrom >= 0) {
        QStringList items = location.mid(parts.queryFrom, parts.queryTo - parts.queryFrom).split(QLatin1Char('&'));
        items.removeIf(IsPasswordItem);
        // "?" stays only before items that are left.
        const qsizetype from = items.isEmpty() ? parts.queryFrom - 1 : parts.queryFrom;
        shown.replace(from, parts.queryTo - from, items.join(QLatin1Char('&')));
    }
    if (parts.passwordFrom >= 0) shown.remove(parts.passwordFrom, parts.passwordTo - parts.passwordFrom);
    return shown;
}

}  // namespace zendra::production
