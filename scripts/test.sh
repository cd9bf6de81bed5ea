#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest; then the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan (any report fails), then each fuzz
# harness briefly (ZENDRA_FUZZ_SECONDS, default 10). The sanitized build leaves the benchmarks out: they
# are measured in the plain build, and compiling them again only costs the run time. It is a unity build
# (each library's sources compiled as one), which takes about 40 % less compiler time; the plain build is not,
# so that an edit rebuilds one file.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build_all
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" "$@")

ASAN_BUILD="${ZENDRA_ASAN_BUILD_DIR:-$ROOT/build-asan}"
SANITIZE="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$ROOT" -B "$ASAN_BUILD" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$SANITIZE -O1" \
    -DCMAKE_EXE_LINKER_FLAGS="$SANITIZE" -DZENDRA_BENCH=OFF -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$ASAN_BUILD" -j"$(nproc)"
(cd "$ASAN_BUILD" &&
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1" \
    LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --output-on-failure -j"$(nproc)" "$@")

"$ROOT/scripts/fuzz.sh" "${ZENDRA_FUZZ_SECONDS:-10}"
