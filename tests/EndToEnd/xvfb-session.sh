# shellcheck shell=bash
# Sourced by the end-to-end scripts after `set -euo pipefail` and with `here` (this folder) set:
# an X display of the run's own (Xvfb), the program's per-user folders, its lock and its settings
# in a folder of the run (`work`, removed at exit), a file chooser the run scripts, and helpers to
# find the program's window and read the colours of its dumps. A script keeps the process id of
# the program it starts in `first`; whatever still runs then is killed at exit.
: "${here:?the sourcing script sets here}"
work=$(mktemp -d)
server=
first=
cleanup() {
    [ -n "${first}" ] && kill -9 "${first}" 2> /dev/null || true
    [ -n "${server}" ] && kill "${server}" 2> /dev/null || true
    # (A file a run made unreadable on purpose goes too.)
    chmod -R u+rwX "${work}" 2> /dev/null || true
    rm -rf "${work}"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for f in "${work}"/*.err; do [ -e "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done
    exit 1
}

# Xvfb picks a display number free at that moment and writes it once it accepts connections, so
# runs side by side never share one. It never resets: a server that resets whenever its last
# client leaves refuses the connections that arrive meanwhile (a start right after a close).
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3> "${work}/display" > /dev/null 2>&1 &
server=$!
for _ in $(seq 1 200); do [ -s "${work}/display" ] && break; sleep 0.05; done
number=$(tr -d '[:space:]' < "${work}/display")
[ -n "${number}" ] || fail "Xvfb gave no display number"
export DISPLAY=":${number}"
# The program's per-user folders, its lock and its settings in a folder of this run.
export HOME="${work}/home" XDG_RUNTIME_DIR="${work}/run" XDG_STATE_HOME="${work}/state"
export XDG_DATA_HOME="${work}/data" XDG_CONFIG_HOME="${work}/config"
mkdir -p "${HOME}" "${XDG_RUNTIME_DIR}"
chmod 700 "${XDG_RUNTIME_DIR}"
# The file chooser is the desktop's zenity, the first one on PATH: this run puts its own first.
# It logs its arguments a line per call and answers with the path in chooser/answer, then empties
# it (no path: the user cancelled).
chooser="${work}/chooser"
mkdir -p "${chooser}"
cat > "${chooser}/zenity" << STANDIN
#!/bin/sh
echo "\$*" >> "${chooser}/log"
[ -s "${chooser}/answer" ] || exit 1
cat "${chooser}/answer"
: > "${chooser}/answer"
STANDIN
chmod +x "${chooser}/zenity"
export PATH="${chooser}:${PATH}"

# How long the run waits for the program to show what an input should bring before it fails:
# generous, so that a loaded machine (two busy cores, sanitizers) passes; a run that passes waits
# only as long as the program takes.
patience=${SKYLET_E2E_PATIENCE:-30}
# Runs the command until it succeeds, a tenth of a second apart (each look costs the program a
# little time on a loaded machine), for at most ${patience} seconds; fails when it never does.
wait_until() {
    local end=$((SECONDS + patience))
    until "$@"; do
        [ "${SECONDS}" -lt "${end}" ] || return 1
        sleep 0.1
    done
}
viewable() { xwininfo -id "$1" 2> /dev/null | grep -q "IsViewable"; }
# The program's main window: the first viewable window of the class (SkyletPresetEditor unless
# main_class says another).
main_class=SkyletPresetEditor
main_window() {
    local id=
    for id in $(xdotool search --class "^${main_class}\$" 2> /dev/null || true); do
        viewable "${id}" && { echo "${id}"; return 0; }
    done
    return 1
}
find_window() { wait_until main_window; }
# The first viewable window whose name is $1.
named_window() {
    local id=
    for id in $(xdotool search --name "^$1\$" 2> /dev/null || true); do
        viewable "${id}" && { echo "${id}"; return 0; }
    done
    return 1
}
find_named() { wait_until named_window "$1"; }
hidden() { ! viewable "$1"; }
gone() { wait_until hidden "$1"; }
geometry() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'; }
# The colours at the given points of a dump (RRGGBB), each once, sorted, on one line.
colours_at() { python3 "${here}/xwd_pixel.py" "$1" "${@:2}" | sort -u | tr '\n' ' ' | sed 's/ $//'; }
# Dumps the window into the file once; succeeds when the colours at the points hold the one
# wanted (shows), or do not (lacks).
shows() {
    local id=$1 dump=$2 wanted=$3
    shift 3
    xwd -id "${id}" -silent > "${dump}" 2> /dev/null || return 1
    [[ " $(colours_at "${dump}" "$@") " == *" ${wanted} "* ]]
}
lacks() {
    local id=$1 dump=$2 unwanted=$3
    shift 3
    xwd -id "${id}" -silent > "${dump}" 2> /dev/null || return 1
    [[ " $(colours_at "${dump}" "$@") " != *" ${unwanted} "* ]]
}
# Dumps the main window into the file until the colours at the points hold the one wanted, or
# fails naming what was waited for.
dump_until() {
    local dump=$1 wanted=$2 what=$3
    shift 3
    wait_until shows "${window}" "${dump}" "${wanted}" "$@" ||
        fail "${what}: ${wanted} not among $(colours_at "${dump}" "$@")"
}
# The pointer onto a control that lights under it (at X,Y of the window; its colour read at
# PX,PY: the raised face 2F333A or the accent 3FA7D6 unless lit) until it does, then, after PAUSE
# seconds, off it (to AX,AY) until it does not: the program has handled every input sent before
# and painted since.
#   hover_round WINDOW X Y PX PY AX AY PAUSE
hover_round() {
    local id=$1 x=$2 y=$3 px=$4 py=$5 ax=$6 ay=$7 pause=$8
    face() {
        xwd -id "${id}" -silent > "${work}/hover.xwd" 2> /dev/null &&
            colours_at "${work}/hover.xwd" "${px}" "${py}"
    }
    lit() { local got; got=$(face) && [[ " 2F333A 3FA7D6 " != *" ${got} "* ]]; }
    unlit() { local got; got=$(face) && [[ " 2F333A 3FA7D6 " == *" ${got} "* ]]; }
    xdotool mousemove --window "${id}" "${x}" "${y}"
    wait_until lit || fail "no light under the pointer at ${x},${y}"
    sleep "${pause}"
    xdotool mousemove --window "${id}" "${ax}" "${ay}"
    wait_until unlit || fail "the light at ${x},${y} stayed"
}
# Waits until the main window has handled every input sent so far and painted since: the tab
# PADS lights under the pointer and goes back when it leaves; the pointer ends at AX,AY.
#   settle AX AY
settle() { hover_round "${window}" 110 78 20 56 "$1" "$2" 0; }
# Waits until the program reads its keys in the window. SDL hands a window the keys 200 ms after
# it reads that X gave the window the focus, at the next events it reads: once X has given the
# focus, a hover round with a pause longer than that.
#   keys_reach WINDOW X Y PX PY AX AY
keys_reach() {
    local id=$1
    focus_is() { [ "$(xdotool getwindowfocus 2> /dev/null)" = "$1" ]; }
    wait_until focus_is "${id}" || fail "the window ${id} did not get the focus"
    hover_round "$@" 0.3
}
# The main window gets the keyboard (nobody gives it back after a dialog or a menu without a
# window manager); the tab PADS lights under the pointer, which ends at the window's bottom right
# corner.
focus_main() {
    xdotool windowfocus --sync "${window}"
    keys_reach "${window}" 110 78 20 56 1190 595
}
# The focused number box steps its number by the key (Up or Down): the box's arrow is pressed
# for a moment, then the number's last digit (in the 8 x 13 cell at DX,DY) changes. The window's
# dump then is in the file.
#   step_number KEY DUMP DX DY
step_number() {
    local key=$1 dump=$2 dx=$3 dy=$4 before
    cell() {
        local x y
        # shellcheck disable=SC2046
        python3 "${here}/xwd_pixel.py" "$1" $(for ((y = dy; y < dy + 13; ++y)); do for ((x = dx; x < dx + 8; ++x)); do
            echo "${x} ${y}"
        done; done) | md5sum
    }
    changed() {
        xwd -id "${window}" -silent > "${dump}" 2> /dev/null && [ "$(cell "${dump}")" != "${before}" ]
    }
    xwd -id "${window}" -silent > "${dump}"
    before=$(cell "${dump}")
    xdotool key --window "${window}" "${key}"
    wait_until changed || fail "${key} did not change the number"
    settle 1190 595
    xwd -id "${window}" -silent > "${dump}"
}
# Starts the program (its output into NAME.out and NAME.err of the run, its process id in
# ${first}), waits for its main window (in ${window}), for its first frame (the page's colour
# below the pads) and until its keys reach it.
start_program() {
    local name=$1
    shift
    "${program:?the sourcing script sets program}" "$@" > "${work}/${name}.out" 2> "${work}/${name}.err" &
    first=$!
    window=$(find_window) || fail "${name}: no main window appeared"
    dump_until "${work}/${name}-start.xwd" 25282D "${name}: the first frame" 300 520
    focus_main
}
# Waits until the file exists and is not empty.
wait_for_file() { wait_until test -s "$1"; }
# The program runs no program of its own any more, as once a message box's own program has ended
# and the program has seen it end (its windows take input again then).
box_program_ended() { ! pgrep -P "${first}" > /dev/null; }
# A message box of the program's, found by its title among the top-level windows: the box names
# itself only in UTF-8 (and has no class), which xdotool's search does not read, so the list of
# the root's children is matched. Prints the first viewable one's id; fails when none is showing.
shown_box() {
    local id=
    for id in $(xwininfo -root -children 2> /dev/null | awk -v t="\"$1\":" 'index($0, t) { print $1 }'); do
        if xwininfo -id "${id}" 2> /dev/null | grep -q "IsViewable"; then
            echo "${id}"
            return 0
        fi
    done
    return 1
}
