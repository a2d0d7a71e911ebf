#!/usr/bin/env bash
# The program left alone: started on an Xvfb of its own, and once its first frame is on the screen
# it is left untouched for SECONDS seconds. Prints how often its threads woke a second (voluntary
# and involuntary context switches of all its threads) and the share of one core it used (user and
# system time). Nothing should wake an idle program: no timer runs while no control has idle work.
# Then (with xdotool) a text box takes the focus and its caret blinks: the idle rhythm of about 30
# passes a second is back for SECONDS seconds; and once the focus has left the box, the program
# sleeps again for SECONDS seconds. Each of the three is printed the same way.
#   idle-under-xvfb.sh PROGRAM WATCHER [SECONDS]
# WATCHER is WaitForPaintedWindow, built beside the program.
set -euo pipefail
program=$1
watcher=$2
seconds=${3:-10}
work=$(mktemp -d)
server=
pid=
cleanup() {
    [ -n "${pid}" ] && kill -9 "${pid}" 2> /dev/null || true
    [ -n "${server}" ] && kill "${server}" 2> /dev/null || true
    rm -rf "${work}"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3> "${work}/display" > /dev/null 2>&1 &
server=$!
for _ in $(seq 1 200); do [ -s "${work}/display" ] && break; sleep 0.05; done
number=$(tr -d '[:space:]' < "${work}/display")
[ -n "${number}" ] || { echo "idle-under-xvfb.sh: Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":${number}" HOME="${work}/home" XDG_RUNTIME_DIR="${work}/run" XDG_STATE_HOME="${work}/state"
export XDG_DATA_HOME="${work}/data" XDG_CONFIG_HOME="${work}/config"
mkdir -p "${HOME}" "${XDG_RUNTIME_DIR}"
chmod 700 "${XDG_RUNTIME_DIR}"

"${program}" > /dev/null 2>&1 &
pid=$!
"${watcher}" SkyletPresetEditor 20000 || { echo "idle-under-xvfb.sh: the program showed no painted frame" >&2; exit 1; }
# What the start leaves behind (the window manager's first events, the first idle passes) settles.
sleep 1

# Context switches of every thread of the process, and its CPU ticks (user + system).
switches() { cat /proc/"${pid}"/task/*/status | awk '/ctxt_switches/{s += $2} END{print s}'; }
ticks() { awk '{print $14 + $15}' /proc/"${pid}"/stat; }
hz=$(getconf CLK_TCK)
# Measures the program over SECONDS and prints it as "WHAT over ...".
measure() {
    local what=$1 switches_before ticks_before start end
    switches_before=$(switches)
    ticks_before=$(ticks)
    start=$(date +%s%N)
    sleep "${seconds}"
    end=$(date +%s%N)
    awk -v s=$(($(switches) - switches_before)) -v t=$(($(ticks) - ticks_before)) -v hz="${hz}" \
        -v ns=$((end - start)) -v what="${what}" 'BEGIN {
            elapsed = ns / 1e9
            printf "%s over %.1f s: %.2f wake-ups a second, %.3f%% of a core\n", what, elapsed, s / elapsed, 100 * t / hz / elapsed
        }'
}
measure "Idle program"

if command -v xdotool > /dev/null; then
    window=$(xdotool search --class SkyletPresetEditor | head -1)
    # TOUCH RIBBON, then bank 1's CC # box: the box takes the focus and its caret blinks.
    xdotool mousemove --window "${window}" 502 78 click 1
    sleep 0.5
    xdotool mousemove --window "${window}" 241 382 click 1
    sleep 0.5
    measure "Caret blinking"
    # The PADS tab: the box is hidden with its page and the focus leaves it.
    xdotool mousemove --window "${window}" 60 78 click 1
    sleep 1
    measure "Focus left the box"
fi
kill -TERM "${pid}"
wait "${pid}" 2> /dev/null || true
pid=
