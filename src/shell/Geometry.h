#pragma once
// Where the program's files and windows go: the program and scratch folders, and the stored places of
// the frame and the two dump windows (twips, read with a fallback when unusable).

#include <QList>
#include <QRect>
#include <QString>

#include "core/Settings.h"
#include "shell/Twips.h"

namespace zendra::shell {

// The four keys of one stored window place.
struct PlaceKeys {
    const core::RealKey& left;
    const core::RealKey& top;
    const core::RealKey& width;
    const core::RealKey& height;
};

extern const PlaceKeys kMainKeys;
extern const PlaceKeys kProgramKeys;
extern const PlaceKeys kEepromKeys;

TwipsRect ReadPlace(const core::SettingsStore& store, const PlaceKeys& keys);
TwipsRect DefaultPlace(const PlaceKeys& keys);
void WritePlace(core::SettingsStore& store, const PlaceKeys& keys, const TwipsRect& place);

// The folder text with exactly one trailing separator.
QString WithTrailingSeparator(const QString& folder);
// The folder the executables were built into (from the build system); an installed program never runs there.
QString BuildFolder();
// Where the scratch files go: appDir when it is `buildDir` and a file can be created there, else, root
// included, the per-user data folder (an installed program's folder is never written into).
QString ChooseScratchDir(const QString& appDir, const QString& buildDir = BuildFolder());
// The frame's place to restore: `stored`, or `fallback` when it is smaller than a usable frame or meets no
// screen (screens in pixels).
TwipsRect RestoredFramePlace(const TwipsRect& stored, const TwipsRect& fallback, const QList<QRect>& screens,
                             double dpi);
// A child's place: `stored`, or `fallback` when it is too small to use.
TwipsRect RestoredChildPlace(const TwipsRect& stored, const TwipsRect& fallback);

}  // namespace zendra::shell
