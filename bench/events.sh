#!/usr/bin/env bash
# The event stream's cost: zendra-cli programs and verifies a full AT90S8515 against a fresh kxwrt-sim,
# with and without --json (its events read by a pipe), alternately; CPU (user + system of zendra-cli) per
# exchange, the median over ROUNDS pairs (default 5), and the ratio. BAUD=57600 emulates the line's time, so
# the run lasts as long as on a real writer and gives its full count of progress events.
# Usage: bench/events.sh [build-folder]
set -euo pipefail
BUILD="$(cd "${1:-build}" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime" XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
python3 - "$BUILD" "$WORK" "${ROUNDS:-5}" "${BAUD:-}" <<'PY'
import random, resource, statistics, subprocess, sys
build, work, rounds, baud = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
def rec(a, d):
    r = bytes([len(d), a >> 8, a & 255, 0]) + d
    return ':' + r.hex().upper() + '%02X' % ((-sum(r)) & 255) + '\r\n'
random.seed(1)
code = ''.join(rec(a, bytes(random.randrange(255) for _ in range(16))) for a in range(0, 8192, 16))
eep = ''.join(rec(a, bytes(random.randrange(255) for _ in range(16))) for a in range(0, 512, 16))
open(work + '/full.hex', 'w').write(code + ':00000001FF\r\n')
open(work + '/full.eep', 'w').write(eep + ':00000001FF\r\n')
EXCHANGES = 14365

def cpu(json):
    sim = subprocess.Popen([build + '/kxwrt-sim', '--chip', 'AT90S8515'] + (['--baud', baud] if baud else []), stdout=subprocess.PIPE, text=True)
    port = sim.stdout.readline().strip()
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    args = [build + '/zendra-cli', '--quiet', '--lang', 'en', '--db', work + '/chips.sqlite', '--device', 'AT90S8515',
            '--port', port] + (['--json'] if json else []) + ['program', work + '/full.hex']
    cli = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    lines = cli.stdout.read().count(b'\n')
    if cli.wait() != 0:
        sys.exit('program failed')
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    sim.terminate()
    sim.wait()
    return (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime), lines

plain, stream, events = [], [], 0
for _ in range(rounds):
    plain.append(cpu(False)[0])
    seconds, events = cpu(True)
    stream.append(seconds)
p, s = statistics.median(plain), statistics.median(stream)
print(f'without --json: {p:.3f} s CPU, {p / EXCHANGES * 1e6:.1f} us per exchange')
print(f'with --json:    {s:.3f} s CPU, {s / EXCHANGES * 1e6:.1f} us per exchange ({events} events)')
print(f'ratio:          {s / p:.3f} (target <= 1.05)')
PY
