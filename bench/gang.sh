#!/usr/bin/env bash
# Gang programming: zendra-cli programs and verifies a full AT90S8515 on one virtual writer, then on
# four at once, each writer emulating a 57600-baud line. Prints both wall times and their ratio.
# Usage: bench/gang.sh [build-folder]
set -euo pipefail
BUILD="$(cd "${1:-build}" && pwd)"
WORK="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# 4096 words of data (no 0xFF) and 512 EEPROM bytes.
python3 - "$WORK" <<'PY'
import random, sys
def rec(a, d):
    r = bytes([len(d), a >> 8, a & 255, 0]) + d
    return ':' + r.hex().upper() + '%02X' % ((-sum(r)) & 255) + '\r\n'
random.seed(1)
code = ''.join(rec(a, bytes(random.randrange(255) for _ in range(16))) for a in range(0, 8192, 16))
eep = ''.join(rec(a, bytes(random.randrange(255) for _ in range(16))) for a in range(0, 512, 16))
open(sys.argv[1] + '/full.hex', 'w').write(code + ':00000001FF\r\n')
open(sys.argv[1] + '/full.eep', 'w').write(eep + ':00000001FF\r\n')
PY

PORTS=()
for i in 1 2 3 4; do
    "$BUILD/kxwrt-sim" --chip AT90S8515 --baud 57600 >"$WORK/sim$i.out" 2>/dev/null &
    for _ in $(seq 50); do [ -s "$WORK/sim$i.out" ] && break; sleep 0.1; done
    PORTS+=(--port "$(head -n 1 "$WORK/sim$i.out")")
done

run() {
    local start end
    start=$(date +%s.%N)
    "$BUILD/zendra-cli" --quiet --lang en --device AT90S8515 "$@" program "$WORK/full.hex" >"$WORK/out" 2>&1 ||
        { cat "$WORK/out"; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
one=$(run "${PORTS[@]:0:2}")
four=$(run "${PORTS[@]}")
printf 'one writer:   %.2f s\nfour writers: %.2f s\nratio:        %.2f (target <= 1.3)\n' "$one" "$four" "$(echo "$four / $one" | bc -l)"
