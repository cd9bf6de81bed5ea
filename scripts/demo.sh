#!/usr/bin/env bash
# Builds, starts the virtual writer (ATtiny26L in its socket, firmware 6.35) on a pseudo-terminal and starts
# zendra with COM1 mapped to it, using a settings store of its own (never yours).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build_all

DEMO="$BUILD/demo"
mkdir -p "$DEMO/config/New ZendraV6" "$DEMO/runtime"
chmod 700 "$DEMO/runtime"
export XDG_CONFIG_HOME="$DEMO/config" XDG_RUNTIME_DIR="$DEMO/runtime" XDG_DATA_HOME="$DEMO/data"

# The writer: its pty path arrives on the first line it prints.
rm -f "$DEMO/sim.out"
"$BUILD/kxwrt-sim" --chip ATtiny26L --firmware 6.35 --link "$DEMO/writer" >"$DEMO/sim.out" 2>"$DEMO/sim.err" &
SIM_PID=$!
trap 'kill $SIM_PID 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$DEMO/sim.out" ] && break; sleep 0.1; done
PTY="$(head -n 1 "$DEMO/sim.out")"
[ -n "$PTY" ] || { echo "The virtual writer did not start:"; cat "$DEMO/sim.err"; exit 1; }
echo "Virtual writer on $PTY (also $DEMO/writer)"

# A fresh demo store each run: COM1 is the writer, ATtiny26L selected, the first-start marker unset,
# so the port dialog greets you with COM1 chosen.
cat >"$DEMO/config/New ZendraV6/New ZendraV6.ini" <<INI
[Settings]
ComNox=1
device=2

[Ports]
COM1=$PTY
INI

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting under xvfb-run (screenshots with: import -window root shot.png)"
    xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" "$BUILD/zendra"
else
    "$BUILD/zendra"
fi
