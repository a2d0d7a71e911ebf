#!/usr/bin/env bash
# Builds the fuzzers and fuzzes every target that has a seed corpus in fuzz/corpus/<Target>/,
# as many side by side as the machine has cores, within one total time budget in seconds (the
# argument, default 120) shared by all of them; the build comes before the budget.
#
# The fuzzers are targets of the asan preset's build (clang 19 with AddressSanitizer and
# UndefinedBehaviorSanitizer, build/asan/bin/<Target>): after `make asan` or CI's sanitizer build
# only the fuzzers themselves are left to link.
#
# First every input kept in fuzz/regressions/<Target>/ and every seed is replayed once. Inputs
# the fuzzers find are written under build/fuzz, never into the repository; a crash, leak or
# time-out is reported with its input's path (copy it to fuzz/regressions/<Target>/ once
# fixed; the main build's tests replay that folder too) and makes the script fail. At the end each target's executions and coverage are
# printed.
set -euo pipefail
budget=${1:-120}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
jobs=$(nproc)

(cd "$root" && cmake --preset asan >/dev/null && cmake --build --preset asan -j "$jobs" --target fuzzers)
programs=$root/build/asan/bin
mkdir -p "$build"

targets=()
for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    if [[ ! -x $programs/$target ]]; then
        echo "fuzz: no target $target for corpus $seeds" >&2
        exit 1
    fi
    targets+=("$target")
done
if ((${#targets[@]} == 0)); then
    echo "fuzz: no corpus" >&2
    exit 1
fi

# Replay: the kept regression inputs and the seeds, each once.
for target in "${targets[@]}"; do
    inputs=("$root/fuzz/corpus/$target")
    if [[ -d $root/fuzz/regressions/$target ]]; then
        inputs+=("$root/fuzz/regressions/$target")
    fi
    if ! "$programs/$target" -runs=0 "${inputs[@]}" >"$build/$target.replay.log" 2>&1; then
        tail -n 40 "$build/$target.replay.log" >&2
        echo "fuzz: $target fails on a kept input" >&2
        exit 1
    fi
done

# Each target's share: the targets run in waves of $jobs, together within the budget.
parallel=$((jobs < ${#targets[@]} ? jobs : ${#targets[@]}))
waves=$(((${#targets[@]} + parallel - 1) / parallel))
seconds=$((budget / waves))
if ((seconds < 1)); then
    seconds=1
fi
echo "fuzz: ${#targets[@]} targets, $parallel at a time, ${seconds}s each (budget ${budget}s)"

# Extra libFuzzer flags of a target: fuzz/options/<Target>, one or more a line, "#" comments.
options_of() {
    if [[ -f $root/fuzz/options/$1 ]]; then
        grep -v '^[[:space:]]*#' "$root/fuzz/options/$1" || true
    fi
}

run_one() {
    local target=$1
    local options
    read -r -a options <<<"$(options_of "$target" | tr '\n' ' ')"
    mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
    "$programs/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/artifacts/$target/" -print_final_stats=1 "${options[@]}" \
        "$build/corpus/$target" "$root/fuzz/corpus/$target" >"$build/$target.log" 2>&1 &&
        echo ok >"$build/$target.result" || echo FAILED >"$build/$target.result"
}

running=0
for target in "${targets[@]}"; do
    rm -f "$build/$target.result"
    if ((running >= parallel)); then
        wait -n || true
        running=$((running - 1))
    fi
    run_one "$target" &
    running=$((running + 1))
done
wait

declare -A status
for target in "${targets[@]}"; do
    status[$target]=$(cat "$build/$target.result" 2>/dev/null || echo FAILED)
done

failed=0
printf '%-24s %12s %8s %8s %8s  %s\n' target executions exec/s cov ft result
for target in "${targets[@]}"; do
    log=$build/$target.log
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    printf '%-24s %12s %8s %8s %8s  %s\n' "$target" "${executions:--}" "${speed:--}" "${coverage:--}" \
        "${features:--}" "${status[$target]}"
    if [[ ${status[$target]} != ok ]]; then
        failed=1
    fi
done
for target in "${targets[@]}"; do
    if [[ ${status[$target]} != ok ]]; then
        echo "---- $target" >&2
        grep -E 'ERROR|SUMMARY|Test unit written|artifact' "$build/$target.log" >&2 || tail -n 40 "$build/$target.log" >&2
    fi
done
exit "$failed"
