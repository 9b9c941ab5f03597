#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz/ and runs each briefly;
# fails when one of them finds a crash or a broken check.
#   scripts/fuzz.sh [seconds per target]   (default 15)
# The random seed is fixed (SMX_FUZZ_SEED, default 1) so that a run can be repeated exactly;
# set it to 0 for a fresh seed each time when hunting locally.
# Adding a target: one line in tests/fuzz/CMakeLists.txt,
#   smx_fuzz_target(fuzz_<name> <name>_fuzz.cpp ${CMAKE_SOURCE_DIR}/<folder>/<Source>.cpp)
# plus its source file; seed inputs may go in tests/fuzz/seeds/fuzz_<name>/ and a dictionary in
# tests/fuzz/fuzz_<name>.dict. Every target
# named in that file is run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-15}"
seed="${SMX_FUZZ_SEED:-1}"
"$root/scripts/install-deps.sh"

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DSMX_FUZZ=ON -DSMX_BUILD_TESTS=OFF -DSMX_BUILD_BENCH=OFF \
    >/dev/null
targets=$(sed -n 's/^smx_fuzz_target(\(fuzz_[A-Za-z0-9_]*\).*/\1/p' "$root/tests/fuzz/CMakeLists.txt")
[ -n "$targets" ] || { echo "no fuzz targets found"; exit 1; }
# shellcheck disable=SC2086
cmake --build "$build" --target $targets

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
for t in $targets; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    extra=()
    [ -f "$root/tests/fuzz/$t.dict" ] && extra+=(-dict="$root/tests/fuzz/$t.dict")
    seeds=()
    [ -d "$root/tests/fuzz/seeds/$t" ] && seeds=("$root/tests/fuzz/seeds/$t")
    echo "== $t for ${seconds}s"
    "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -seed="$seed" -print_final_stats=1 "${extra[@]}" "$corpus" "${seeds[@]}" 2>"$build/$t.log" ||
        { tail -n 60 "$build/$t.log"; echo "$t FAILED (log: $build/$t.log)"; exit 1; }
    grep -E "^stat::number_of_executed_units|^Done" "$build/$t.log" || true
done
echo "fuzzing passed"
