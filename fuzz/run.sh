#!/usr/bin/env bash
# Builds the fuzzers and runs each one for a bounded time (seconds, default 60) over its seed
# corpus in fuzz/corpus/<Target>/. Inputs the fuzzer finds, and any crash input, are written
# under build/fuzz, never into the repository.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build"
for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
    "$build/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/artifacts/$target/" -print_final_stats=1 \
        "$build/corpus/$target" "$seeds"
done
