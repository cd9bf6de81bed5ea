#include "shell/Geometry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace zendra::shell {

namespace keys = core::keys;

const PlaceKeys kMainKeys{keys::MainLeft, keys::MainTop, keys::MainWidth, keys::MainHeight};
const PlaceKeys kProgramKeys{keys::PgmLeft, keys::PgmTop, keys::PgmWidth, keys::PgmHeight};
const PlaceKeys kEepromKeys{keys::EEpLeft, keys::EEpTop, keys::EEpWidth, keys::EEpHeight};

namespace {

// Below this a frame cannot show its menu bar, a child and the status bar; such a stored place is ignored.
constexpr double kMinimumFrameWidth = 3000;
constexpr double kMinimumFrameHeight = 2000;
// A child smaller than this shows no usable content.
constexpr double kMinimumChildWidth = 1000;
constexpr double kMinimumChildHeight = 500;
// How much of the frame must lie on a screen for the user to reach it.
constexpr int kMinimumVisiblePixels = 40;

}  // namespace

TwipsRect ReadPlace(const core::SettingsStore& store, const PlaceKeys& k) {
    return {core::ReadReal(store, k.left), core::ReadReal(store, k.top), core::ReadReal(store, k.width),
            core::ReadReal(store, k.height)};
}

TwipsRect DefaultPlace(const PlaceKeys& k) {
    return {k.left.defaultValue, k.top.defaultValue, k.width.defaultValue, k.height.defaultValue};
}

void WritePlace(core::SettingsStore& store, const PlaceKeys& k, const TwipsRect& place) {
    core::WriteReal(store, k.left, place.left);
    core::WriteReal(store, k.top, place.top);
    core::WriteReal(store, k.width, place.width);
    core::WriteReal(store, k.height, place.height);
}

QString WithTrailingSeparator(const QString& folder) {
    QString out = QDir::fromNativeSeparators(folder);
    while (out.size() > 1 && out.endsWith(QLatin1String("//"))) out.chop(1);
    if (!out.endsWith(QLatin1Char('/'))) out += QLatin1Char('/');
    return out;
}

QString BuildFolder() { return QStringLiteral(ZENDRA_BUILD_FOLDER); }

QString ChooseScratchDir(const QString& appDir, const QString& buildDir) {
    // Root may write anywhere, so writability alone would let an installed program litter /usr/bin.
    const QString app = QFileInfo(appDir).canonicalFilePath();
    if (!app.isEmpty() && app == QFileInfo(buildDir).canonicalFilePath()) {
        // A real file is the only reliable test: permission bits say nothing about read-only mounts.
        QTemporaryFile probe(appDir + QStringLiteral("zendra-XXXXXX.tmp"));
        if (probe.open()) return appDir;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(data);
    return WithTrailingSeparator(data);
}

TwipsRect RestoredFramePlace(const TwipsRect& stored, const TwipsRect& fallback, const QList<QRect>& screens,
                             double dpi) {
    if (stored.width < kMinimumFrameWidth || stored.height < kMinimumFrameHeight) return fallback;
    const QRect pixels = TwipsToPixels(stored, dpi);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(pixels);
        if (seen.width() >= kMinimumVisiblePixels && seen.height() >= kMinimumVisiblePixels) return stored;
    }
    return fallback;
}

TwipsRect RestoredChildPlace(const TwipsRect& stored, const TwipsRect& fallback) {
    if (stored.width < kMinimumChildWidth || stored.height < kMinimumChildHeight) return fallback;
    return stored;
}

}  // namespace zendra::shell
