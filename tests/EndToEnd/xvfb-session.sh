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

find_window() {
    local id=
    for _ in $(seq 1 200); do
        id=$(xdotool search --class SkyletPresetEditor 2> /dev/null | head -1 || true)
        if [ -n "${id}" ] && xwininfo -id "${id}" 2> /dev/null | grep -q "IsViewable"; then
            echo "${id}"
            return 0
        fi
        sleep 0.05
    done
    return 1
}
geometry() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'; }
# The colours at the given points of a dump (RRGGBB), each once, sorted, on one line.
colours_at() { python3 "${here}/xwd_pixel.py" "$1" "${@:2}" | sort -u | tr '\n' ' ' | sed 's/ $//'; }
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
