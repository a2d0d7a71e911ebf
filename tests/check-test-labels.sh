#!/usr/bin/env bash
# Checks the test labels of a build folder: the per-test entries ("each") exist, and every entry
# carries one of the labels CI selects by, so leaving out "each" leaves the whole-suite processes
# and the other entries that run once, never a process per test.
#   tests/check-test-labels.sh build/dev
set -euo pipefail
build=${1:?usage: $0 build-folder}
count() {
    ctest --test-dir "$build" -N "$@" | sed -n 's/^Total Tests: //p'
}
each=$(count -L '^each$')
whole=$(count -L '^whole$')
unlabelled=$(count -LE '^(each|whole|xvfb|e2e|source|fuzz)$')
echo "each: $each, whole: $whole, with none of the known labels: $unlabelled"
if ((each == 0 || whole == 0)); then
    echo "no entries labelled each or whole" >&2
    exit 1
fi
if ((unlabelled != 0)); then
    ctest --test-dir "$build" -N -LE '^(each|whole|xvfb|e2e|source|fuzz)$' >&2
    exit 1
fi
