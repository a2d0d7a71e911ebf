#!/usr/bin/env bash
# Start-up of the program beside a bare SDL2 + Cairo window painting one label, side by side in one
# run on an Xvfb of its own: from process start to the first frame on the screen (the window shows
# the editor's window colour at its centre), several runs each, the median; then the resident
# memory of each after start.
#   startup-under-xvfb.sh PROGRAM BARE-WINDOW [RUNS]
set -euo pipefail
program=$1
bare=$2
runs=${3:-7}
here=$(cd "$(dirname "$0")" && pwd)
pixel="${here}/../../tests/EndToEnd/xwd_pixel.py"
work=$(mktemp -d)
server=
cleanup() {
    pkill -9 -f "^${program}" 2> /dev/null || true
    pkill -9 -f "^${bare}" 2> /dev/null || true
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

# Milliseconds from start to the first frame, and the resident kilobytes then; the process ends.
#   measure WINDOW-CLASS COMMAND
measure() {
    local class=$1 start end pid rss window=
    shift
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 1000); do
        window=$(xdotool search --class "${class}" 2> /dev/null | head -1 || true)
        if [ -n "${window}" ] && xwd -id "${window}" -silent > "${work}/window.xwd" 2> /dev/null &&
            [ "$(python3 "${pixel}" "${work}/window.xwd" 100 100)" = "1B1D21" ]; then
            break
        fi
    done
    end=$(date +%s%N)
    rss=$(awk '/VmRSS/{print $2}' "/proc/${pid}/status")
    kill -TERM "${pid}"
    wait "${pid}" 2> /dev/null || true
    echo "$(((end - start) / 1000000)) ${rss}"
}
median() { sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'; }

: > "${work}/program" && : > "${work}/bare"
for _ in $(seq 1 "${runs}"); do
    measure SkyletPresetEditor "${program}" >> "${work}/program"
    measure BareCairoWindow "${bare}" >> "${work}/bare"
done
printf "%-28s %14s %14s\n" "start to first frame" "median ms" "resident KiB"
printf "%-28s %14s %14s\n" "SkyletPresetEditor" "$(cut -d' ' -f1 "${work}/program" | median)" \
    "$(cut -d' ' -f2 "${work}/program" | median)"
printf "%-28s %14s %14s\n" "bare SDL2 + Cairo window" "$(cut -d' ' -f1 "${work}/bare" | median)" \
    "$(cut -d' ' -f2 "${work}/bare" | median)"
echo "(${runs} runs each, alternating; the time includes the screen polling of about one dump)"
