#!/usr/bin/env bash
# Mutation check of the test suite: applies, one at a time, a seeded sample of small faults to the logic
# floors (a comparison flipped, && for ||, a constant off by one, true for false), rebuilds incrementally
# in a build folder of its own, runs the suite until the first failure and reports which faults the
# suite caught. A tool for judging the tests, not part of scripts/test.sh.
#
#   scripts/mutants.sh [--count N] [--seed S] [--build DIR] [--list] [--survivors-of LOG]
#
# --list prints the sample without building. --survivors-of LOG runs only the mutants that an earlier run
# (its output in LOG) reports as survived: after tests were added, the ones it caught stay caught.
# ZENDRA_BUILD_LOCK=<file> runs each rebuild and each test run under flock of that file, so others can
# build between mutants. The mutated file is always put back, also on Ctrl-C or an error.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
COUNT=20
SEED=1
BUILD="$ROOT/build-mutants"
LIST_ONLY=0
SURVIVORS_OF=""
while [ $# -gt 0 ]; do
    case "$1" in
        --count) COUNT="$2"; shift 2 ;;
        --seed) SEED="$2"; shift 2 ;;
        --build) BUILD="$(realpath -m "$2")"; shift 2 ;;
        --list) LIST_ONLY=1; shift ;;
        --survivors-of) SURVIVORS_OF="$(realpath "$2")"; shift 2 ;;
        *) echo "usage: $0 [--count N] [--seed S] [--build DIR] [--list] [--survivors-of LOG]" >&2; exit 2 ;;
    esac
done
[[ "$COUNT" =~ ^[0-9]+$ && "$SEED" =~ ^[0-9]+$ ]] || { echo "count and seed are whole numbers" >&2; exit 2; }

FLOORS=(src/link src/image src/devices src/operations src/production src/update src/core src/cli)

# Finds every mutation site and orders them by a hash of the seed and the line's own text, so the
# sample stays the same when unrelated lines are added or a function moves to another file.
read -r -d '' SITES_PY <<'PY' || true
import hashlib, os, re, sys
seed, root, floors = sys.argv[1], sys.argv[2], sys.argv[3:]

def code_part(line):
    """The line with string and character literals blanked and any // comment cut off."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == '\\':
                out.append('  '); i += 2; continue
            if c == quote:
                quote = None
            out.append(' ' if c != '"' and c != "'" else c); i += 1; continue
        if c in '"\'':
            if c == "'" and i > 0 and line[i - 1].isalnum():   # digit separator
                out.append(c); i += 1; continue
            quote = c; out.append(c); i += 1; continue
        if line.startswith('//', i):
            break
        out.append(c); i += 1
    return ''.join(out)

SWAPS = [(r'(?<=\s)==(?=\s)', '==', '!='), (r'(?<=\s)!=(?=\s)', '!=', '=='),
         (r'(?<=\s)<(?=\s)', '<', '<='), (r'(?<=\s)<=(?=\s)', '<=', '<'),
         (r'(?<=\s)>(?=\s)', '>', '>='), (r'(?<=\s)>=(?=\s)', '>=', '>'),
         (r'(?<=\s)&&(?=\s)', '&&', '||'), (r'(?<=\s)\|\|(?=\s)', '||', '&&'),
         (r'\btrue\b', 'true', 'false'), (r'\bfalse\b', 'false', 'true')]
NUMBER = re.compile(r'(?<![\w.\'])(0x[0-9A-Fa-f]+|\d+)(?![\w.\'])')

sites = []
for floor in floors:
    for folder, _, files in os.walk(os.path.join(root, floor)):
        for name in sorted(files):
            if not name.endswith('.cpp'):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            in_comment = False
            with open(path, encoding='utf-8') as f:
                lines = f.read().split('\n')
            for number, line in enumerate(lines, 1):
                text = line.strip()
                if in_comment:
                    in_comment = '*/' not in text
                    continue
                if text.startswith('/*'):
                    in_comment = '*/' not in text
                    continue
                if not text or text.startswith(('#', '*', 'static_assert', 'Q_')):
                    continue
                code = code_part(line)
                found = []
                for pattern, old, new in SWAPS:
                    found += [(m.start(), old, new) for m in re.finditer(pattern, code)]
                for m in NUMBER.finditer(code):
                    octal = len(m.group(1)) > 1 and m.group(1)[0] == '0' and m.group(1)[1] != 'x'
                    value = int(m.group(1), 8 if octal else 0)   # 0700 is octal in C++
                    if octal:
                        new = '0' + format(value + 1, 'o')
                    elif m.group(1).startswith('0x'):
                        digits = m.group(1)[2:]
                        new = '0x' + format(value + 1, 'X' if digits.upper() == digits else 'x').zfill(len(digits))
                    else:
                        new = str(value + 1)
                    found.append((m.start(), m.group(1), new))
                for index, (column, old, new) in enumerate(sorted(found)):
                    key = hashlib.sha256(f'{seed}\0{text}\0{index}\0{old}'.encode()).hexdigest()
                    sites.append((key, rel, number, column, old, new))
sites.sort()
for _, rel, number, column, old, new in sites:
    print(f'{rel}\t{number}\t{column}\t{old}\t{new}')
PY

read -r -d '' APPLY_PY <<'PY' || true
import sys
path, number, column, old, new = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5]
with open(path, encoding='utf-8', newline='') as f:
    lines = f.read().split('\n')
line = lines[number - 1]
assert line[column:column + len(old)] == old, (path, number, column, old)
lines[number - 1] = line[:column] + new + line[column + len(old):]
with open(path, 'w', encoding='utf-8', newline='') as f:
    f.write('\n'.join(lines))
PY

with_lock() {
    if [ -n "${ZENDRA_BUILD_LOCK:-}" ]; then flock "$ZENDRA_BUILD_LOCK" "$@"; else "$@"; fi
}

WORK="$(mktemp -d)"
MUTATED=""
restore() {
    if [ -n "$MUTATED" ]; then
        cp "$WORK/original" "$ROOT/$MUTATED"
        MUTATED=""
    fi
}
trap 'restore; rm -rf "$WORK"' EXIT
trap 'restore; exit 130' INT
trap 'restore; exit 143' TERM

python3 -c "$SITES_PY" "$SEED" "$ROOT" "${FLOORS[@]}" > "$WORK/sites"
if [ -n "$SURVIVORS_OF" ]; then
    # Keeps the sites whose "file:line  'old' -> 'new'" the earlier run reported as survived.
    sed -n "s/^survived  \(.*\)$/\1/p" "$SURVIVORS_OF" > "$WORK/survived"
    COUNT=$(wc -l < "$WORK/survived")
    awk -F'\t' 'NR == FNR { want[$0] = 1; next }
                 ($1 ":" $2 "  \047" $4 "\047 -> \047" $5 "\047") in want' "$WORK/survived" "$WORK/sites" \
        > "$WORK/sites.kept"
    mv "$WORK/sites.kept" "$WORK/sites"
fi
if [ "$LIST_ONLY" = 1 ]; then
    head -n "$COUNT" "$WORK/sites"
    exit 0
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1" >/dev/null

# The tests of each floor, by their ctest names.
floor_tests() {
    case "$1" in
        src/link/*) echo '^link_' ;; src/image/*) echo '^tst_image$' ;;
        src/devices/*) echo '^tst_encodings$' ;; src/operations/*) echo '^tst_(operations|lockfuse)$' ;;
        src/production/*) echo '^tst_production$' ;;
        src/update/*) echo '^update_' ;; src/core/*) echo '^core_' ;; src/cli/*) echo '^cli_' ;;
    esac
}

# Rebuilds, then runs the tests that FIRST (a ctest name pattern, or empty) selects and then the rest, until
# the first failure; all under one hold of the lock. Ends 2 when the build fails; else writes the name of
# the first failing test (nothing when all pass) to $WORK/failed.
build_and_test() {
    # Only what the suite runs: the benchmark programs would be relinked for every mutant for nothing.
    cmake --build "$BUILD" -j"$(nproc)" --target $TARGETS >"$WORK/build.log" 2>&1 || return 2
    local first="$1"
    : >"$WORK/failed"
    # The install check packages man pages and docs, which this partial build leaves out; it tests no logic.
    local -a runs=("-E|^install_tree$")
    [ -n "$first" ] && runs=("-R|$first" "-E|$first|^install_tree$")
    for run in "${runs[@]}"; do
        if ! (cd "$BUILD" && ctest -j"$(nproc)" --stop-on-failure "${run%%|*}" "${run#*|}") \
            >"$WORK/ctest.log" 2>&1; then
            sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$WORK/ctest.log" | head -n 1 >"$WORK/failed"
            [ -s "$WORK/failed" ] || echo ctest >"$WORK/failed"
            return 0
        fi
    done
}
# The three programs and every test executable: the ctest names that are targets too, a sharded test's
# entries (name_1, name_2) by their one executable; the scripted tests (the install tree, the catalogue,
# the event stream) have none.
KNOWN_TARGETS="$(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p')"
TARGETS="zendra zendra-cli kxwrt-sim $(cd "$BUILD" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p' |
    sed 's/_[0-9][0-9]*$//' | sort -u | grep -Fx -f <(echo "$KNOWN_TARGETS") | tr '\n' ' ')"
export -f build_and_test
export BUILD WORK TARGETS

echo "building the unmutated tree in $BUILD and checking that its suite passes"
if ! with_lock bash -c 'build_and_test ""'; then
    cat "$WORK/build.log"
    exit 1
fi
if [ -s "$WORK/failed" ]; then
    echo "the unmutated suite fails ($(cat "$WORK/failed")); no score" >&2
    exit 1
fi

caught=0
tried=0
while IFS=$'\t' read -r file line column old new <&3; do
    [ "$tried" -ge "$COUNT" ] && break
    cp "$ROOT/$file" "$WORK/original"
    MUTATED="$file"
    python3 -c "$APPLY_PY" "$ROOT/$file" "$line" "$column" "$old" "$new"
    change="$file:$line  '$old' -> '$new'"
    status=0
    with_lock bash -c "build_and_test '$(floor_tests "$file")'" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "  (does not compile, replaced: $change)"
        restore
        continue
    fi
    tried=$((tried + 1))
    if [ -s "$WORK/failed" ]; then
        caught=$((caught + 1))
        echo "caught    $change  by $(cat "$WORK/failed")"
    else
        echo "survived  $change"
    fi
    restore
done 3< "$WORK/sites"

# Leave the build folder matching the unmutated tree.
with_lock cmake --build "$BUILD" -j"$(nproc)" >/dev/null 2>&1 || true
echo "time: $(( SECONDS / 60 )) min for $tried mutants, the first build included"
echo "mutants: $caught of $tried caught"
