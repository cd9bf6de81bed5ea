#!/usr/bin/env bash
# System calls and CPU per exchange of a full AT90S8515 program+verify, for the minimal C host, bench_program
# and zendra-cli, each against a fresh kxwrt-sim (no delays). System calls are counted over all threads with
# `strace -c -f`; from each run the same host is taken away started against the same writer doing nothing
# but starting and reading its files, so what remains is the cost of the exchanges. CPU comes from separate
# runs without strace, less the same start-only runs; the last lines are the CPU ratios to the minimal host.
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

# name, full run, start-only run; the writer path is filled in as {PTY}. CPU is the median over ROUNDS pairs
# of runs (default 5): one run's figure moves by a fifth with the machine's load.
ROUNDS=${ROUNDS:-5}
measure() {
    local name=$1 full=$2 base=$3 calls_full calls_base cpus=()
    start_sim; calls_full=$(syscalls ${full//\{PTY\}/$PTY})
    start_sim; calls_base=$(syscalls ${base//\{PTY\}/$PTY})
    for _ in $(seq "$ROUNDS"); do
        start_sim; cpus+=("$(cpu ${full//\{PTY\}/$PTY})")
        start_sim; cpus+=("$(cpu ${base//\{PTY\}/$PTY})")
    done
    python3 -c 'import statistics, sys
name, n, cf, cb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
runs = list(map(float, sys.argv[5:]))
per = statistics.median(1e6 * (runs[i] - runs[i + 1]) / n for i in range(0, len(runs), 2))
print(f"{name}: {(cf - cb) / n:.2f} system calls per exchange ({cf} - {cb} over {n}), "
      f"CPU {per:.1f} us per exchange (median of {len(runs) // 2})")' \
        "$name" "$EXCHANGES" "$calls_full" "$calls_base" "${cpus[@]}" | tee -a "$WORK/summary"
}

echo "exchanges in the sequence: $EXCHANGES"
measure "minimal host" "$BUILD/bench/minimal_host {PTY} $WORK/sequence.txt" \
    "$BUILD/bench/minimal_host {PTY} $WORK/empty.txt"
measure "bench_program" "$BUILD/bench/bench_program --pty {PTY}" "$BUILD/bench/bench_program --pty {PTY} --no-run"
measure "zendra-cli" "$BUILD/zendra-cli --quiet --lang en --port {PTY} --device AT90S8515 program $WORK/code.hex $WORK/data.eep" \
    "$BUILD/zendra-cli --quiet --lang en --device AT90S8515 check $WORK/code.hex $WORK/data.eep"
python3 -c 'import re, sys
rows = dict(re.match(r"(.+?): .* CPU ([0-9.]+) us", line).groups() for line in open(sys.argv[1]))
host = float(rows.pop("minimal host"))
for name, us in rows.items():
    print(f"CPU per exchange, {name} / minimal host: {float(us) / host:.2f} (target <= 1.3)")' "$WORK/summary"
