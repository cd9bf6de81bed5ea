#!/usr/bin/env bash
# CPU per exchange of the windows (zendra) programming and verifying a full AT90S8515 against kxwrt-sim (no
# delays), with the accessibility bridge active as under a screen reader, beside the minimal C host replaying
# the same exchange sequence against a fresh writer in the same run. zendra runs under its own Xvfb and D-Bus
# session with the AT-SPI bus (when installed) and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; it opens the bench's
# images at start, Ctrl+P starts the program, the verify log's appearance ends it. Its CPU (all threads,
# from /proc) is taken from the key press to the end, so start-up is not counted.
#
#   bench/windows.sh [BUILD_DIR]        (A11Y=0: the same without the accessibility bridge)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
command -v xdotool >/dev/null || { echo "needs xdotool"; exit 1; }
if [ -z "${ZENDRA_BENCH_INNER:-}" ]; then
    export ZENDRA_BENCH_INNER=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96 -noreset" "$0" "$BUILD"
fi

WORK=$(mktemp -d)
SIM_PID= APP_PID= BUS_PID=
cleanup() {
    for pid in $APP_PID $SIM_PID $BUS_PID; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime XDG_DATA_HOME=$WORK/data
mkdir -p "$XDG_CONFIG_HOME/New ZendraV6" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

if [ -x /usr/libexec/at-spi-bus-launcher ]; then
    /usr/libexec/at-spi-bus-launcher --launch-immediately & BUS_PID=$!
    sleep 0.5
    bridge="AT-SPI bus started"
else
    bridge="no AT-SPI bus installed (the bridge is on but has no bus)"
fi

"$BUILD/bench/bench_program" --write-files "$WORK" >/dev/null
cp "$WORK/data.eep" "$WORK/code.eep"  # the open takes the code file's .eep beside it
: >"$WORK/empty.txt"
EXCHANGES=$(grep -c '^R' "$WORK/sequence.txt")
TICK=$(getconf CLK_TCK)

start_sim() {
    [[ -n $SIM_PID ]] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    coproc SIM { exec "$BUILD/kxwrt-sim" --chip AT90S8515; }
    SIM_PID=$SIM_PID
    read -r PTY <&"${SIM[0]}"
}
cpu_of() {  # user + system seconds of process $1 so far, all its threads
    awk -v tick="$TICK" '{ print ($14 + $15) / tick }' "/proc/$1/stat"
}

# The windows: COM1 on the writer, AT90S8515 selected (catalogue index 11), no first-start dialog.
start_sim
printf '[Settings]\nIndex_Com_Flag=1\nComNox=1\ndevice=11\n\n[Ports]\nCOM1=%s\n' "$PTY" \
    >"$XDG_CONFIG_HOME/New ZendraV6/New ZendraV6.ini"
rm -f "$BUILD/avrvfy.txt" "$XDG_DATA_HOME"/*/*/avrvfy.txt
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=${A11Y:-1} QT_ACCESSIBILITY=${A11Y:-1} "$BUILD/zendra" "$WORK/code.hex" >"$WORK/zendra.log" 2>&1 &
APP_PID=$!
for _ in $(seq 400); do
    WID=$(xdotool search --onlyvisible --name "New Zendra Version" 2>/dev/null | head -1) && [ -n "$WID" ] && break
    sleep 0.05
done
[ -n "${WID:-}" ] || { echo "zendra did not show its window"; cat "$WORK/zendra.log"; exit 1; }
sleep 1  # the start-up and the open settle
xdotool windowfocus --sync "$WID" 2>/dev/null || true
cpu0=$(cpu_of "$APP_PID")
t0=$(date +%s.%N)
xdotool key --clearmodifiers ctrl+p
log=
for _ in $(seq 6000); do
    for f in "$BUILD/avrvfy.txt" "$XDG_DATA_HOME"/*/*/avrvfy.txt; do [ -f "$f" ] && log=$f; done
    [ -n "$log" ] && break
    sleep 0.01
done
[ -n "$log" ] || { echo "the program did not end within 60 s"; exit 1; }
sleep 0.2  # the last redraw after the log
t1=$(date +%s.%N)
cpu1=$(cpu_of "$APP_PID")
differences=$(grep -cv -e 'verify' -e '^[[:space:]]*$' "$log" || true)  # lines besides the two headings
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=

# The minimal host, the same sequence against a fresh writer.
start_sim
host_cpu=$(python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime)' "$BUILD/bench/minimal_host" "$PTY" "$WORK/sequence.txt")
start_sim
host_base=$(python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime)' "$BUILD/bench/minimal_host" "$PTY" "$WORK/empty.txt")

python3 -c 'import sys
n, c0, c1, t0, t1, h, hb = int(sys.argv[1]), *map(float, sys.argv[2:8])
app, host = 1e6 * (c1 - c0) / n, 1e6 * (h - hb) / n
print(f"exchanges in the sequence: {n}; {sys.argv[8]}; verify differences: {sys.argv[9]}")
print(f"zendra (windows, accessibility bridge {sys.argv[10]}): {t1 - t0:.2f} s from the key to the verify log, "
      f"CPU {c1 - c0:.2f} s = {app:.1f} us per exchange")
print(f"minimal host: CPU {h - hb:.3f} s = {host:.1f} us per exchange")
print(f"CPU per exchange, windows / minimal host: {app / host:.2f} (target <= 2)")' \
    "$EXCHANGES" "$cpu0" "$cpu1" "$t0" "$t1" "$host_cpu" "$host_base" "$bridge" "$differences" "$([ "${A11Y:-1}" = 0 ] && echo off || echo on)"
