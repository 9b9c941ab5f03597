#!/usr/bin/env bash
# Sets up everything, builds the program and its tests from a clean directory, and runs them all.
#   scripts/test.sh              Release build
#   scripts/test.sh --sanitize   the same tests built with AddressSanitizer and UBSan
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build-test"
flags=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
    build="$root/build-sanitize"
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSMX_SANITIZE=ON -DSMX_BUILD_BENCH=OFF)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

rm -rf "$build"
cmake -S "$root" -B "$build" -G Ninja "${flags[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
