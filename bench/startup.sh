#!/usr/bin/env bash
# Time from process start to the main window shown, and resident memory after start-up.
# Runs zendra under its own Xvfb with a fresh settings store (first-start marker set, so no modal
# port dialog stands in the way); repeats and prints each run and the median.
set -euo pipefail
BUILD="${1:-$(cd "$(dirname "$0")/.." && pwd)/build}"
RUNS="${RUNS:-7}"
command -v xdotool >/dev/null || { echo "needs xdotool"; exit 1; }

# Its own X server, found and removed by xvfb-run.
if [ -z "${ZENDRA_BENCH_INNER:-}" ]; then
    ZENDRA_BENCH_INNER=1 exec xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96 -noreset" "$0" "$BUILD"
fi
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

times=()
for run in $(seq "$RUNS"); do
    rm -rf "$WORK/config" "$WORK/runtime"; mkdir -p "$WORK/config/New ZendraV6" "$WORK/runtime"; chmod 700 "$WORK/runtime"
    printf '[Settings]\nIndex_Com_Flag=1\n' >"$WORK/config/New ZendraV6/New ZendraV6.ini"
    start=$(date +%s%N)
    XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime" "$BUILD/zendra" &
    pid=$!
    # Poll every few milliseconds (xdotool's own --sync waits half a second between looks).
    until xdotool search --onlyvisible --name "New Zendra Version" >/dev/null 2>&1; do sleep 0.005; done
    shown=$(date +%s%N)
    sleep 0.5
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    ms=$(( (shown - start) / 1000000 ))
    times+=("$ms")
    echo "run $run: main window shown after ${ms} ms, resident ${rss} KiB ($(( rss / 1024 )) MiB)"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "median: ${sorted[$(( RUNS / 2 ))]} ms (target < 500 ms); resident target < 80 MiB"
