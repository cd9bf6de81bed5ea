#!/usr/bin/env bash
# System calls and CPU per exchange of a full AT90S8515 program+verify, for the minimal C host, bench_program
# and zendra-cli, each against a fresh kxwrt-sim (no delays). System calls are counted over all threads with
# `strace -c -f`; from each run the same host is taken away started against the same writer doing nothing
# but starting and reading its files, so what remains is the cost of the exchanges. CPU comes from separate
# runs without strace, less the same start-only runs.
#
#   bench/syscalls.sh [BUILD_DIR]
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
WORK=$(mktemp -d)
SIM_PID=
cleanup() {
    [[ -n $SIM_PID ]] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$BUILD/bench/bench_program" --write-files "$WORK" >/dev/null
: >"$WORK/empty.txt"
EXCHANGES=$(grep -c '^R' "$WORK/sequence.txt")

# A fresh writer for every run: each run programs the chip from the same state.
start_sim() {
    [[ -n $SIM_PID ]] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    coproc SIM { exec "$BUILD/kxwrt-sim" --chip AT90S8515; }
    SIM_PID=$SIM_PID
    read -r PTY <&"${SIM[0]}"
}
syscalls() {  # total system calls of the command, all threads
    strace -c -f -o "$WORK/trace" "$@" >/dev/null 2>&1 || true
    awk '$NF == "total" { print $4 }' "$WORK/trace"
}
cpu() {  # user + system seconds of the command
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime)' "$@"
}

# name, full run, start-only run; the writer path is filled in as {PTY}.
measure() {
    local name=$1 full=$2 base=$3 calls_full calls_base cpu_full cpu_base
    start_sim; calls_full=$(syscalls ${full//\{PTY\}/$PTY})
    start_sim; calls_base=$(syscalls ${base//\{PTY\}/$PTY})
    start_sim; cpu_full=$(cpu ${full//\{PTY\}/$PTY})
    start_sim; cpu_base=$(cpu ${base//\{PTY\}/$PTY})
    python3 -c 'import sys
name, n, cf, cb, uf, ub = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5]), float(sys.argv[6])
print(f"{name}: {(cf - cb) / n:.2f} system calls per exchange ({cf} - {cb} over {n}), "
      f"CPU {1e6 * (uf - ub) / n:.1f} us per exchange ({uf:.3f} - {ub:.3f} s)")' \
        "$name" "$EXCHANGES" "$calls_full" "$calls_base" "$cpu_full" "$cpu_base" | tee -a "$WORK/summary"
}

echo "exchanges in the sequence: $EXCHANGES"
measure "minimal host" "$BUILD/bench/minimal_host {PTY} $WORK/sequence.txt" \
    "$BUILD/bench/minimal_host {PTY} $WORK/empty.txt"
measure "bench_program" "$BUILD/bench/bench_program --pty {PTY}" "$BUILD/bench/bench_program --pty {PTY} --no-run"
measure "zendra-cli" "$BUILD/zendra-cli --quiet --lang en --port {PTY} --device AT90S8515 program $WORK/code.hex $WORK/data.eep" \
    "$BUILD/zendra-cli --quiet --lang en --device AT90S8515 check $WORK/code.hex $WORK/data.eep"
