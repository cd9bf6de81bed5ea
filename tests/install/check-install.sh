#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: the programs answer --version and
# --help without a display, the help file is found there, the desktop entry and the AppStream file pass
# their validators, the icon is in every size, the manual pages render without warnings, the completion
# completes. With "package": the Debian packages cpack makes, their contents, and lintian where it is.
set -euo pipefail
# Checks read whole outputs (grep without -q): under pipefail a program whose output grep stopped reading
# early would fail on SIGPIPE, now and then.
BUILD="$1"
PACKAGE="${2:-}"
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

fail() { echo "install check: $*" >&2; exit 1; }
RULE=lib/udev/rules.d/60-zendra-latency.rules
for f in bin/zendra bin/zendra-cli bin/kxwrt-sim share/zendra/zendra.hlp share/zendra/zendra_en.hlp share/zendra/events.schema.json \
         share/applications/com.example.zendra.desktop share/metainfo/com.example.zendra.metainfo.xml \
         share/mime/packages/com.example.zendra.xml share/icons/hicolor/scalable/apps/com.example.zendra.svg \
         share/doc/zendra/README.md share/doc/zendra/copyright share/doc/zendra/changelog.gz \
         share/bash-completion/completions/zendra-cli $RULE; do
    [ -f "$PREFIX/$f" ] || fail "missing $f"
done
for size in 16 32 48 64 128 256; do
    [ -f "$PREFIX/share/icons/hicolor/${size}x${size}/apps/com.example.zendra.png" ] || fail "no ${size}px icon"
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for program in zendra zendra-cli kxwrt-sim; do
    "$PREFIX/bin/$program" --version | grep "6.0.60" >/dev/null || fail "$program --version"
    "$PREFIX/bin/$program" --help | grep -- "--version" >/dev/null || fail "$program --help"
    page="$PREFIX/share/man/man1/$program.1.gz"
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || fail "man $program"
    [ -z "$warnings" ] || fail "man $program: $warnings"
    # Every option the program takes is in its page.
    for option in $("$PREFIX/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        [ "$option" = --help-all ] && continue
        MANWIDTH=200 man -l "$page" 2>/dev/null | grep -- "$option" >/dev/null || fail "man $program lacks $option"
    done
done
"$PREFIX/bin/zendra" --no-such-option 2>/dev/null && fail "an unknown option must fail"
desktop-file-validate "$PREFIX/share/applications/com.example.zendra.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$PREFIX/share/metainfo/com.example.zendra.metainfo.xml" >/dev/null || fail "metainfo"
grep -q 'ATTR{latency_timer}="1"' "$PREFIX/$RULE" || fail "the rule sets no latency timer"

# The completion, as bash runs it: device names from the program itself, quoted when they hold spaces.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    complete_words() {
        PATH="$PREFIX/bin:$PATH" bash -c 'source /usr/share/bash-completion/bash_completion
            source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
            _zendra_cli; printf "%s\n" "${COMPREPLY[@]}"' "$PREFIX/share/bash-completion/completions/zendra-cli" "$@"
    }
    [ "$(complete_words zendra-cli --device AT90S85)" = "$(printf 'AT90S8515\nAT90S8535')" ] || fail "completion: devices"
    complete_words zendra-cli --lang en --device AT90S1200 | grep -F 'AT90S1200\ \(external\ clock\)' >/dev/null ||
        fail "completion: quoting"
    [ "$(complete_words zendra-cli -p COM1 pro)" = program ] || fail "completion: commands"
    [ "$(complete_words zendra-cli fuse re)" = "$(printf 'read\nrestore')" ] || fail "completion: fuse"
fi

if [ "$PACKAGE" = package ]; then
    DEBS="$PREFIX/debs"
    (cd "$BUILD" && cpack -G DEB -B "$DEBS" >/dev/null) || fail "cpack"
    main="$DEBS/zendra_6.0.60_amd64.deb" sim="$DEBS/zendra-virtual-writer_6.0.60_amd64.deb"
    for deb in "$main" "$sim"; do [ -f "$deb" ] || fail "no $(basename "$deb")"; done
    dpkg-deb -c "$main" | awk '{print $6}' >"$PREFIX/main.list"
    dpkg-deb -c "$sim" | awk '{print $6}' >"$PREFIX/sim.list"
    for f in usr/bin/zendra usr/bin/zendra-cli usr/share/man/man1/zendra.1.gz usr/share/man/man1/zendra-cli.1.gz \
             usr/share/doc/zendra/copyright usr/share/doc/zendra/changelog.gz usr/$RULE \
             usr/share/bash-completion/completions/zendra-cli; do
        grep -qx "./$f" "$PREFIX/main.list" || fail "zendra package lacks $f"
    done
    for f in usr/bin/kxwrt-sim usr/share/man/man1/kxwrt-sim.1.gz usr/share/doc/zendra-virtual-writer/copyright; do
        grep -qx "./$f" "$PREFIX/sim.list" || fail "zendra-virtual-writer package lacks $f"
    done
    grep -q kxwrt-sim "$PREFIX/main.list" && fail "the virtual writer is in the zendra package"
    dpkg-deb -f "$main" Recommends | grep fonts-noto-cjk >/dev/null || fail "fonts-noto-cjk not recommended"
    dpkg-deb -f "$main" Recommends | grep libqt6sql6-psql >/dev/null || fail "the PostgreSQL driver not recommended"
    dpkg-deb -f "$main" Depends | grep fonts-noto-cjk >/dev/null && fail "fonts-noto-cjk is a hard dependency"
    dpkg-deb -x "$main" "$PREFIX/unpacked"
    dpkg-deb -x "$sim" "$PREFIX/unpacked"
    for program in zendra zendra-cli kxwrt-sim; do
        file "$PREFIX/unpacked/usr/bin/$program" | grep ', stripped' >/dev/null || fail "$program is not stripped"
    done
    if command -v lintian >/dev/null; then
        lintian --fail-on error,warning "$main" "$sim" || fail "lintian"
    fi
fi
echo "install check passed"
