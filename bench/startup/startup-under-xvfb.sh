#!/usr/bin/env bash
# Start-up of the program beside a bare SDL2 + Cairo window painting one label, side by side in one
# run on an Xvfb of its own: from process start to the first painted frame on the screen (the first
# dump of the window that is not one colour all over, whatever the colours), several runs each,
# alternating, the median; then the resident memory of each after start. A start that never shows
# a painted frame ends the measurement with an error.
#   startup-under-xvfb.sh PROGRAM BARE-WINDOW WATCHER [RUNS]
# WATCHER is WaitForPaintedWindow, built beside the programs.
set -euo pipefail
program=$1
bare=$2
watcher=$3
runs=${4:-7}
work=$(mktemp -d)
server=
current=
cleanup() {
    [ -n "${current}" ] && kill -9 "${current}" 2> /dev/null || true
    [ -n "${server}" ] && kill "${server}" 2> /dev/null || true
    rm -rf "${work}"
}
trap cleanup EXIT
number=140
while [ -e "/tmp/.X11-unix/X${number}" ] || [ -e "/tmp/.X${number}-lock" ]; do number=$((number + 1)); done
Xvfb ":${number}" -screen 0 1600x1000x24 -nolisten tcp -noreset > /dev/null 2>&1 &
server=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${number}" ] && break; sleep 0.05; done
export DISPLAY=":${number}" HOME="${work}/home" XDG_RUNTIME_DIR="${work}/run" XDG_STATE_HOME="${work}/state"
export XDG_DATA_HOME="${work}/data" XDG_CONFIG_HOME="${work}/config"
mkdir -p "${HOME}" "${XDG_RUNTIME_DIR}"
chmod 700 "${XDG_RUNTIME_DIR}"

# Milliseconds from start to the first painted frame, and the resident kilobytes then; the process
# ends. Fails when the window shows no painted frame within 20 seconds.
#   measure WINDOW-CLASS COMMAND
measure() {
    local class=$1 start end pid rss seen=
    shift
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1 &
    pid=$!
    current=${pid}
    "${watcher}" "${class}" 20000 && seen=1
    end=$(date +%s%N)
    if [ -z "${seen}" ]; then
        kill -TERM "${pid}" 2> /dev/null || true
        wait "${pid}" 2> /dev/null || true
        echo "startup-under-xvfb.sh: ${class} showed no painted frame (${*})" >&2
        return 1
    fi
    rss=$(awk '/VmRSS/{print $2}' "/proc/${pid}/status")
    kill -TERM "${pid}"
    wait "${pid}" 2> /dev/null || true
    current=
    echo "$(((end - start) / 1000000)) ${rss}"
}
median() { sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'; }

: > "${work}/program" && : > "${work}/bare"
for _ in $(seq 1 "${runs}"); do
    measure SkyletPresetEditor "${program}" >> "${work}/program" || exit 1
    measure BareCairoWindow "${bare}" >> "${work}/bare" || exit 1
done
printf "%-28s %14s %14s\n" "start to first frame" "median ms" "resident KiB"
printf "%-28s %14s %14s\n" "SkyletPresetEditor" "$(cut -d' ' -f1 "${work}/program" | median)" \
    "$(cut -d' ' -f2 "${work}/program" | median)"
printf "%-28s %14s %14s\n" "bare SDL2 + Cairo window" "$(cut -d' ' -f1 "${work}/bare" | median)" \
    "$(cut -d' ' -f2 "${work}/bare" | median)"
program_ms=$(cut -d' ' -f1 "${work}/program" | median)
bare_ms=$(cut -d' ' -f1 "${work}/bare" | median)
printf "%-28s %14s\n" "ratio" "$(awk -v a="${program_ms}" -v b="${bare_ms}" 'BEGIN { printf "%.2f", a / b }')"
echo "(${runs} runs each, alternating; the watcher polls the screen about every millisecond)"
