#!/usr/bin/env bash
# The program in the odd places a desktop gives it, on an X display of its own (Xvfb): without a
# display it names the display it tried and SDL's reason, and nothing else speaks first; a first
# start with nothing stored leaves the place to the window manager (no user-position hint) and
# is centred without one; the pointer reaches it while another client has the focus; every window carries the program's icon; a stored place near the
# integer limit opens on the screen and is saved back on it; a profile that cannot be read is
# kept as it is and said once; a placement that cannot be saved is said.
#   desktop-under-xvfb.sh PROGRAM SEND-WINDOW-CLOSE
set -euo pipefail
program=$1
send_close=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server=
running=
cleanup() {
    [ -n "${running}" ] && kill -9 "${running}" 2> /dev/null || true
    [ -n "${server}" ] && kill "${server}" 2> /dev/null || true
    chmod -R u+rwX "${work}" 2> /dev/null || true
    rm -rf "${work}"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for f in "${work}"/*.err; do [ -e "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done
    exit 1
}

# Without a display: the message names what was tried, and no other line comes before it.
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
set +e
env -u XDG_RUNTIME_DIR DISPLAY=:7919 "${program}" > /dev/null 2> "${work}/nodisplay.err"
status=$?
set -e
[ "${status}" = "255" ] || fail "without a display the program ended with ${status}, not 255"
[[ "$(head -1 "${work}/nodisplay.err")" == *"could not open the X11 display :7919 (SDL: "* ]] ||
    fail "the first line without a display does not name :7919 and SDL's reason"
set +e
env -u XDG_RUNTIME_DIR -u DISPLAY "${program}" > /dev/null 2> "${work}/unset.err"
status=$?
set -e
[ "${status}" = "255" ] || fail "with DISPLAY unset the program ended with ${status}, not 255"
[[ "$(head -1 "${work}/unset.err")" == *"none is set (neither DISPLAY nor WAYLAND_DISPLAY)"* ]] ||
    fail "the first line with DISPLAY unset does not say that none is set"

Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3> "${work}/display" > /dev/null 2>&1 &
server=$!
for _ in $(seq 1 200); do [ -s "${work}/display" ] && break; sleep 0.05; done
number=$(tr -d '[:space:]' < "${work}/display")
[ -n "${number}" ] || fail "Xvfb gave no display number"
export DISPLAY=":${number}"
export HOME="${work}/home" XDG_RUNTIME_DIR="${work}/run" XDG_STATE_HOME="${work}/state"
export XDG_DATA_HOME="${work}/data" XDG_CONFIG_HOME="${work}/config"
mkdir -p "${HOME}" "${XDG_RUNTIME_DIR}"
chmod 700 "${XDG_RUNTIME_DIR}"
profile_folder="${XDG_STATE_HOME}/Tarvel/Skylet Preset Editor"
profile="${profile_folder}/Profile.ini"

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
# Starts the program (standard error into NAME.err), waits for its window into ${window}.
start() {
    "${program}" > "${work}/$1.out" 2> "${work}/$1.err" &
    running=$!
    window=$(find_window) || fail "$1: no main window appeared"
}
close() {
    "${send_close}" "${window}"
    wait "${running}" || true
    running=
}

# First start, nothing stored: no position hint, centred (no window manager here), the icon.
start first
hints=$(xprop -id "${window}" WM_NORMAL_HINTS)
[[ "${hints}" != *"specified location"* ]] || fail "a first start gives a position hint: ${hints}"
read -r x y w h < <(geometry "${window}")
[ "${x},${y}" = "200,200" ] || fail "the first start is at ${x},${y}, not centred at 200,200"
# (The whole property is read: a reader that stops early would end xprop with a broken pipe.)
icon=$(xprop -id "${window}" -notype 32c _NET_WM_ICON)
[[ "${icon}" == "_NET_WM_ICON = 64, 64, "* ]] || fail "no 64 x 64 window icon: ${icon:0:200}"

# The pointer reaches the window while another client has the focus: the tab "faders" lights
# under the pointer (hover), and a click on it selects it (the accent).
root=$(xwininfo -root | awk '/Window id:/{print $4}')
xdotool windowfocus "${root}"
sleep 0.2
colour_at() {
    xwd -id "${window}" -silent > "${work}/dump.xwd"
    python3 "${here}/xwd_pixel.py" "${work}/dump.xwd" "$1" "$2"
}
[ "$(colour_at 216 56)" = "2F333A" ] || fail "the tab faders is not raised before the test: $(colour_at 216 56)"
xdotool mousemove --window "${window}" 306 78
hovered=
for _ in $(seq 1 60); do
    hovered=$(colour_at 216 56)
    [ "${hovered}" != "2F333A" ] && break
    sleep 0.05
done
[ "${hovered}" != "2F333A" ] || fail "no hover on a window without the focus"
xdotool windowfocus "${root}"
xdotool click 1
xdotool mousemove --window "${window}" 600 592
selected=
for _ in $(seq 1 60); do
    selected=$(colour_at 216 56)
    [ "${selected}" = "3FA7D6" ] && break
    sleep 0.05
done
[ "${selected}" = "3FA7D6" ] || fail "a click on a window without the focus did not select the tab (${selected})"
close
[ -f "${profile}" ] || fail "no profile after the first start"

# A stored place near the integer limit (its right and bottom edges wrapped past it): the window
# opens on the screen, and the place saved at the end is on the screen too.
record=$(python3 -c '
import struct
left = top = 2147483000
right = bottom = (left + 1200) - (1 << 32)
print(struct.pack("<11i", 44, 0, 1, -1, -1, -1, -1, left, top, right, bottom).hex().upper())')
printf '[VelkorTolvanePresetEditorMainWindowClass]\nWP=%s\n' "${record}" > "${profile}"
start nearlimit
read -r x y w h < <(geometry "${window}")
[ "${x}" -ge 0 ] && [ "${y}" -ge 0 ] && [ $((x + w)) -le 1600 ] && [ $((y + h)) -le 1000 ] ||
    fail "a place near the integer limit opened at ${x},${y} ${w}x${h}, off the 1600x1000 screen"
[ "${w}x${h}" = "1200x600" ] || fail "a place near the integer limit opened at ${w}x${h}"
close
saved=$(sed -n 's/^WP=//p' "${profile}")
python3 - "${saved}" << 'PY' || fail "the place saved after a near-limit start is off the screen: ${saved}"
import struct, sys
left, top, right, bottom = struct.unpack("<11i", bytes.fromhex(sys.argv[1]))[7:]
sys.exit(0 if 0 <= left and right <= 1600 and 0 <= top and bottom <= 1000 else 1)
PY

# A profile that cannot be read (a link to itself; without permissions too when not the
# superuser) is kept as it is and said once; the window opens all the same.
unreadable_cases="loop"
[ "$(id -u)" != "0" ] && unreadable_cases="loop noperm"
for kind in ${unreadable_cases}; do
    rm -f "${profile}"
    if [ "${kind}" = "loop" ]; then
        ln -s Profile.ini "${profile}"
    else
        printf '[VelkorTolvanePresetEditorMainWindowClass]\nWP=%s\n' "${record}" > "${profile}"
        chmod 000 "${profile}"
    fi
    before=$(stat -c '%F %a %s %Y' "${profile}")
    start "unreadable-${kind}"
    close
    [ "$(stat -c '%F %a %s %Y' "${profile}")" = "${before}" ] || fail "${kind}: the unreadable profile was changed"
    said=$(grep -c "cannot be read" "${work}/unreadable-${kind}.err" || true)
    [ "${said}" = "1" ] || fail "${kind}: the unreadable profile was said ${said} times, not once"
    chmod 644 "${profile}" 2> /dev/null || true
done
rm -f "${profile}"

# A placement that cannot be saved (the state folder lies under a regular file) is said.
touch "${work}/blocking-file"
XDG_STATE_HOME="${work}/blocking-file/state" start unsaved
close
grep -q "Window placement : not saved in ${work}/blocking-file/state/" "${work}/unsaved.err" ||
    fail "a placement that could not be saved was not said"
echo "1 passed, 0 failed"
