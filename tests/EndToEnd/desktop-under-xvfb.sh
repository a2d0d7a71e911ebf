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
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"

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

profile_folder="${XDG_STATE_HOME}/Tarvel/Skylet Preset Editor"
profile="${profile_folder}/Profile.ini"

# Starts the program (standard error into NAME.err), waits for its window into ${window}.
start() {
    "${program}" > "${work}/$1.out" 2> "${work}/$1.err" &
    first=$!
    window=$(find_window) || fail "$1: no main window appeared"
}
close() {
    "${send_close}" "${window}"
    wait "${first}" || true
    first=
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
root=$(($(xwininfo -root | awk '/Window id:/{print $4}')))
root_focused() { [ "$(xdotool getwindowfocus 2> /dev/null)" = "${root}" ]; }
xdotool windowfocus "${root}"
wait_until root_focused || fail "the desktop did not take the focus"
dump_until "${work}/dump.xwd" 2F333A "the tab faders raised before the test" 216 56
xdotool mousemove --window "${window}" 306 78
wait_until lacks "${window}" "${work}/dump.xwd" 2F333A 216 56 || fail "no hover on a window without the focus"
xdotool windowfocus "${root}"
wait_until root_focused || fail "the desktop did not take the focus again"
xdotool click 1
xdotool mousemove --window "${window}" 600 592
wait_until shows "${window}" "${work}/dump.xwd" 3FA7D6 216 56 ||
    fail "a click on a window without the focus did not select the tab ($(colours_at "${work}/dump.xwd" 216 56))"
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
