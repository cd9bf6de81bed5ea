# Shared by demo.sh and test.sh: install what the build needs (Debian 12, as root), then configure and build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZENDRA_BUILD_DIR:-$ROOT/build}"
PACKAGES=(cmake g++ clang make pkg-config libelf-dev qt6-base-dev qt6-serialport-dev libgl-dev fonts-noto-cjk xvfb xauth
          desktop-file-utils appstream qt6-tools-dev qt6-l10n-tools qt6-translations-l10n scdoc man-db bash-completion
          file lintian libudev-dev zlib1g-dev libqt6sql6-sqlite libqt6sql6-psql postgresql
          qt6-charts-dev python3-jsonschema libsodium-dev)

install_missing_packages() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

build_all() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD" -j"$(nproc)"
}
