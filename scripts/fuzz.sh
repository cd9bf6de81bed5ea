#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in build-fuzz and runs each for the given seconds (default 60)
# from its seed corpus. New inputs go to build-fuzz/corpus/<name>; a crash leaves its input in build-fuzz and
# fails the script. Inputs may be 8 KiB: the toolchain's ELF seeds are over 4 KiB.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
SECONDS_EACH="${1:-60}"
FUZZ_BUILD="${ZENDRA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
HARNESSES=(hex update settings flows)

cmake -S "$ROOT" -B "$FUZZ_BUILD" -DZENDRA_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$FUZZ_BUILD" -j"$(nproc)" --target "${HARNESSES[@]/#/fuzz_}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export QT_QPA_PLATFORM=offscreen
for name in "${HARNESSES[@]}"; do
    work="$FUZZ_BUILD/corpus/$name"
    mkdir -p "$work"
    echo "fuzz_$name: ${SECONDS_EACH}s"
    (cd "$FUZZ_BUILD" && "$FUZZ_BUILD/fuzz/fuzz_$name" -max_total_time="$SECONDS_EACH" -max_len=8192 \
        -print_final_stats=1 "$work" "$ROOT/tests/fuzz/corpus/$name" 2>"$FUZZ_BUILD/fuzz_$name.log") || {
        tail -n 60 "$FUZZ_BUILD/fuzz_$name.log"
        echo "fuzz_$name found a fault (input saved in $FUZZ_BUILD)"
        exit 1
    }
    grep -E "^stat::number_of_executed_units|^Done" "$FUZZ_BUILD/fuzz_$name.log" || true
done
echo "fuzz: ${#HARNESSES[@]} passed, 0 failed"
