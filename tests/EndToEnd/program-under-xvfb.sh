#!/usr/bin/env bash
# The program from start to end on an X display of its own (Xvfb), as a person would use it: its
# main window appears at the skin's size in the skin's colours and layout (dumps of it are kept in
# OUTDIR), a click on a tab selects it, a click and a key reach it, Ctrl+S saves the preset and
# Ctrl+O loads it back through a file chooser the run scripts (its own zenity first on PATH), a
# second copy hands over its command line and ends with 255, the window's close button ends the
# first copy with 1 and leaves its settings and placement behind, and the next start comes back
# at that placement.
#   program-under-xvfb.sh PROGRAM SEND-WINDOW-CLOSE OUTDIR
set -euo pipefail
program=$1
send_close=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${out}"
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"

# Start: the window at the skin's size, painted in the skin's colours.
"${program}" > "${work}/first.out" 2> "${work}/first.err" &
first=$!
window=$(find_window) || fail "no main window appeared"
read -r x y w h < <(geometry "${window}")
[ "${w}x${h}" = "1200x600" ] || fail "main window is ${w}x${h}, not 1200x600"
title=$(xdotool getwindowname "${window}")
[ "${title}" = "Skylet Preset Editor" ] || fail "main window's title is '${title}', not 'Skylet Preset Editor'"
# Points of the layout away from any text and controls: the window's margins, the page (below the
# pads, and the gap between the second and third pad), the selected tab "pads" (the accent) and the
# tabs "faders" and "keybed" beside it (raised).
# The first frame can come a while after the window is mapped on a loaded machine.
dump_until "${out}/main-window.xwd" 25282D "the first frame" 600 300
check_colour() {
    local dump=$1 what=$2 want=$3
    shift 3
    local got
    got=$(colours_at "${dump}" "$@")
    [ "${got}" = "${want}" ] || fail "${what} at $* is ${got}, not ${want}"
}
check_colour "${out}/main-window.xwd" "window background" 1B1D21 5 5 1195 595 600 592 1190 30 8 300
check_colour "${out}/main-window.xwd" "page below the pads" 25282D 300 520 900 540 1170 570
check_colour "${out}/main-window.xwd" "selected tab" 3FA7D6 20 56 200 100
check_colour "${out}/main-window.xwd" "other tabs" 2F333A 216 56 1000 56 1180 100

# A click on the tab "faders" selects it: its face turns to the accent and the one of "pads" back
# to the raised colour, once the pointer has left it (a hovered tab is lighter).
xdotool mousemove --window "${window}" 306 78 click 1
xdotool mousemove --window "${window}" 600 592
wait_until shows "${window}" "${out}/main-window-faders.xwd" 3FA7D6 216 56 ||
    fail "the tab faders is $(colours_at "${out}/main-window-faders.xwd" 216 56) after a click on it, not the accent 3FA7D6"
check_colour "${out}/main-window-faders.xwd" "the tab pads after a click on faders" 2F333A 20 56 200 100
check_colour "${out}/main-window-faders.xwd" "page after a click on faders" 25282D 300 300 900 450

# A click and a key reach the window (the program stays up and answers), once it reads its keys.
focus_main
xdotool mousemove --window "${window}" 300 200 click 1
xdotool key --window "${window}" Tab
settle 600 592
kill -0 "${first}" 2> /dev/null || fail "the program ended after a click and a key"

# Ctrl+S saves the preset where the chooser says: the defaults, byte for byte. Ctrl+O loads a
# copy of it from another folder, which then is the last folder in the settings; a load that
# failed would have kept the save's folder (and shown a box).
mkdir -p "${work}/saved" "${work}/loaded"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+s
wait_for_file "${work}/saved/preset.kyp" || true
cmp -s "${work}/saved/preset.kyp" "${here}/../data/UI/default-preset.kyp" ||
    fail "Ctrl+S did not save the default preset's bytes"
grep -q -- "--save" "${chooser}/log" || fail "Ctrl+S did not ask for a place to save"
cp "${work}/saved/preset.kyp" "${work}/loaded/copy.kyp"
echo "${work}/loaded/copy.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+o
chooser_answered() { [ "$(wc -l < "${chooser}/log")" -ge 2 ] && [ ! -s "${chooser}/answer" ]; }
wait_until chooser_answered || true
[ "$(wc -l < "${chooser}/log")" = "2" ] || fail "Ctrl+S and Ctrl+O did not ask the chooser once each"
sed -n 2p "${chooser}/log" | grep -q -- "--save" && fail "Ctrl+O asked for a place to save"
sed -n 2p "${chooser}/log" | grep -qF -- "--filename=${work}/saved/" || fail "Ctrl+O did not start in the saved file's folder"
settle 600 592
kill -0 "${first}" 2> /dev/null || fail "the program ended after Ctrl+S and Ctrl+O"

# A second copy hands its exact command line over and ends with 255.
set +e
"${program}" "two words" "Grüße ünd €" > "${work}/second.out" 2> "${work}/second.err"
second_status=$?
set -e
[ "${second_status}" = "255" ] || fail "second copy ended with ${second_status}, not 255"
wait_until grep -q "Command line handed over" "${work}/first.err" || true
grep -qF "Command line handed over: ${program} \"two words\" \"Grüße ünd €\"" "${work}/first.err" ||
    fail "the first copy did not receive the second's command line"
# A command line over 128 KiB (two arguments of 100 KiB, each under the system's limit for one)
# is handed over whole: still one copy.
long=$(head -c 102400 /dev/zero | tr '\0' 'k')
set +e
"${program}" "${long}" "${long}" > /dev/null 2> "${work}/third.err"
third_status=$?
set -e
[ "${third_status}" = "255" ] || fail "a copy with a 200 KiB command line ended with ${third_status}, not 255"
handed_twice() { [ "$(grep -c "Command line handed over" "${work}/first.err")" -ge 2 ]; }
wait_until handed_twice || true
handed=$(grep "Command line handed over" "${work}/first.err" | tail -1)
[ "${handed}" = "Command line handed over: ${program} ${long} ${long}" ] ||
    fail "the first copy did not receive the 200 KiB command line whole"

# The window's close button ends the program with 1; settings and placement are written.
"${send_close}" "${window}"
set +e
wait "${first}"
first_status=$?
set -e
first=
[ "${first_status}" = "1" ] || fail "the close ended the program with ${first_status}, not 1"
settings=$(find "${XDG_DATA_HOME}" -name UserSettings.ini | head -1)
[ -n "${settings}" ] && grep -q "CurrentSkinIndex" "${settings}" || fail "no user settings file with the skin index"
grep -qF "${work}/loaded" "${settings}" || fail "the loaded preset's folder is not the last folder in the settings"
profile=$(find "${XDG_STATE_HOME}" -name Profile.ini | head -1)
[ -n "${profile}" ] && grep -q "^WP=2C000000" "${profile}" || fail "no 44-byte placement record"

# The next start comes back where the stored placement puts it.
sed -i 's/^WP=.*/WP=2C000000000000000100000000000000000000000000000000000000C8000000960000007805000000030000/' "${profile}"
"${program}" > "${work}/third.out" 2> "${work}/third.err" &
first=$!
window=$(find_window) || fail "no main window at the second start"
dump_until "${work}/second-start.xwd" 25282D "the first frame at the second start" 600 300
read -r x y w h < <(geometry "${window}")
"${send_close}" "${window}"
wait "${first}" || true
first=
[ "${w}x${h}" = "1200x600" ] || fail "second start: ${w}x${h}"
[ "${x}" -ge 150 ] && [ "${x}" -le 250 ] && [ "${y}" -ge 100 ] && [ "${y}" -le 200 ] ||
    fail "second start at ${x},${y}, not at the stored placement near 200,150"

# A stale lock of a killed copy does not block a new start; a box the copy showed goes with it.
"${program}" > "${work}/fourth.out" 2> "${work}/fourth.err" &
first=$!
window=$(find_window) || fail "no window for the copy to be killed"
xdotool key --window "${window}" ctrl+n
question_told() { box=$(shown_box "New Preset") || grep -q "New Preset" "${work}/fourth.err"; }
box=
wait_until question_told || fail "Ctrl+N asked nothing"
kill -9 "${first}"
wait "${first}" 2> /dev/null || true
if [ -n "${box}" ]; then
    gone "${box}" || fail "the box outlived the killed program"
fi
"${program}" > "${work}/fifth.out" 2> "${work}/fifth.err" &
first=$!
window=$(find_window) || fail "a killed copy's lock blocked a new start"

# A damaged preset's box stands above the main window (transient for it); SIGTERM with the box up
# ends the program as a close does (the placement saved), and the box goes with it.
head -c 100 /dev/urandom > "${work}/loaded/damaged.kyp"
echo "${work}/loaded/damaged.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+o
box=
load_failure_told() {
    box=$(shown_box "Preset File Load") || grep -q "Preset File Load" "${work}/fifth.err"
}
wait_until load_failure_told || fail "a damaged preset's load showed no box"
if [ -n "${box}" ]; then
    owner=$(xprop -id "${box}" WM_TRANSIENT_FOR | awk '{print $NF}')
    [ "$((owner))" = "$((window))" ] || fail "the box is transient for ${owner}, not the main window ${window}"
    rm -f "${profile}"
    kill -TERM "${first}"
    set +e
    wait "${first}"
    set -e
    first=
    [ -s "${profile}" ] && grep -q "^WP=2C000000" "${profile}" || fail "no placement saved after SIGTERM with the box up"
    gone "${box}" || fail "the box outlived the program"
else
    # A desktop without the X core fonts SDL's box draws with cannot show it: the program says so.
    grep -q "Message box not shown" "${work}/fifth.err" || fail "no box and nothing said for a damaged preset"
    "${send_close}" "${window}"
    wait "${first}" || true
    first=
fi
echo "1 passed, 0 failed"
