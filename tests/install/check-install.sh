#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: the programs answer --version and
# --help without a display, the help file is found there, the desktop entry and the AppStream file pass
# their validators, the icon is in every size.
set -euo pipefail
BUILD="$1"
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

fail() { echo "install check: $*" >&2; exit 1; }
for f in bin/zendra bin/zendra-cli bin/kxwrt-sim share/zendra/zendra.hlp share/zendra/zendra_en.hlp \
         share/applications/com.example.zendra.desktop share/metainfo/com.example.zendra.metainfo.xml \
         share/mime/packages/com.example.zendra.xml share/icons/hicolor/scalable/apps/com.example.zendra.svg \
         share/doc/zendra/README.md share/doc/zendra/LICENSE; do
    [ -f "$PREFIX/$f" ] || fail "missing $f"
done
for size in 16 32 48 64 128 256; do
    [ -f "$PREFIX/share/icons/hicolor/${size}x${size}/apps/com.example.zendra.png" ] || fail "no ${size}px icon"
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for program in zendra zendra-cli kxwrt-sim; do
    "$PREFIX/bin/$program" --version | grep -q "6.0.60" || fail "$program --version"
    "$PREFIX/bin/$program" --help | grep -q -- "--version" || fail "$program --help"
done
"$PREFIX/bin/zendra" --no-such-option 2>/dev/null && fail "an unknown option must fail"
desktop-file-validate "$PREFIX/share/applications/com.example.zendra.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$PREFIX/share/metainfo/com.example.zendra.metainfo.xml" >/dev/null || fail "metainfo"
echo "install check passed"
