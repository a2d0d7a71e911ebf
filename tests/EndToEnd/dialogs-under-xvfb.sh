#!/usr/bin/env bash
# The retrieve dialog on an X display of its own (Xvfb), as a person would use it, against the
# simulated keyboard of the test program (slot n holds the defaults with the tilt controller's CC
# number at 20 + n): File > Retrieve Preset opens it, the keys choose "Preset 25", GET retrieves it
# and the success is reported. The keyboard heard the request for slot byte 24 (0x18), and the TILT
# page shows the retrieved CC number: raised there by the Up key, it is saved by Ctrl+S as 45,
# the one byte in which the saved preset differs from the defaults. Dumps of the open File menu
# and of the dialog, with its list open and with "Preset 25" chosen, are kept in OUTDIR.
#   dialogs-under-xvfb.sh PROGRAM OUTDIR
set -euo pipefail
program=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${out}"
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"
export SKYLET_KEYBOARD_LOG="${work}/heard" SKYLET_REPLY_WAIT_MS=500

# The first viewable window whose name is $1.
find_named() {
    local id=
    for _ in $(seq 1 200); do
        for id in $(xdotool search --name "^$1\$" 2> /dev/null || true); do
            if xwininfo -id "${id}" 2> /dev/null | grep -q "IsViewable"; then
                echo "${id}"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}
gone() {
    for _ in $(seq 1 200); do
        xwininfo -id "$1" 2> /dev/null | grep -q "IsViewable" || return 0
        sleep 0.05
    done
    return 1
}

"${program}" > "${work}/program.out" 2> "${work}/program.err" &
first=$!
window=
for _ in $(seq 1 200); do
    window=$(xdotool search --class SkyletEditorWithKeyboard 2> /dev/null | head -1 || true)
    [ -n "${window}" ] && xwininfo -id "${window}" 2> /dev/null | grep -q "IsViewable" && break
    window=
    sleep 0.05
done
[ -n "${window}" ] || fail "no main window appeared"
for _ in $(seq 1 200); do
    xwd -id "${window}" -silent > "${work}/start.xwd"
    [ "$(colours_at "${work}/start.xwd" 300 520)" = "25282D" ] && break
    sleep 0.05
done

# Keys go through the X server (XTEST) to the window that has its focus, so that the
# modifiers' state is the server's: the main window first, then the dialog it opens.
xdotool windowfocus --sync "${window}"
# File > Retrieve Preset (the menu bar's "File" at 36,29 of the window, the item the fourth row
# of its menu, below a separator); the dialog's slot box has the focus.
xdotool mousemove --window "${window}" 36 29 click 1
sleep 0.5
xwd -root -silent > "${out}/file-menu-open.xwd"
xdotool mousemove --window "${window}" 91 106 click 1
dialog=$(find_named "Get Preset From Hardware") || fail "File > Retrieve Preset opened no retrieve dialog"
sleep 0.3
# Down opens the list on "Preset 1", 24 more go to "Preset 25", Return chooses it; the pointer
# stays off the list, whose rows follow it.
xdotool mousemove 0 0
xdotool key Down
sleep 0.3
xwd -id "${dialog}" -silent > "${out}/retrieve-list-open.xwd"
xdotool key --delay 20 --repeat 24 Down
sleep 0.2
xdotool key Return
sleep 0.3
xwd -id "${dialog}" -silent > "${out}/retrieve-preset-25.xwd"
# GET: 144 + 48, 196 + 14 in the dialog.
xdotool mousemove --window "${dialog}" 192 210 click 1
# The success box, answered with Return as a user would; a desktop without the X core fonts SDL's
# box draws with cannot show it, and the program writes it to its error output instead.
told=
for _ in $(seq 1 200); do
    if grep -q "Retrieve Sucessful : The preset has been sucessfully retreived." "${work}/program.err"; then
        told=output
        break
    fi
    if box=$(shown_box "Retrieve Sucessful"); then
        xdotool windowfocus --sync "${box}" key Return
        gone "${box}" || fail "the success box did not close"
        told=box
        break
    fi
    sleep 0.05
done
[ -n "${told}" ] || fail "GET reported no success"
# CANCEL ends the dialog.
xdotool mousemove --window "${dialog}" 296 210 click 1
gone "${dialog}" || fail "CANCEL did not close the dialog"
# Without a window manager nobody gives the main window the keyboard focus back.
# SDL takes a window's focus 200 ms after X gives it, at the next event it reads: the pointer
# moves over the window after that time, so that no key comes before the focus.
xdotool windowfocus --sync "${window}"
sleep 0.3
xdotool mousemove --window "${window}" 600 580
sleep 0.3

# The TILT tab (the fourth, 188 pixels wide, 196 apart from x 16), then its CC number (row 3 of
# the tilt section) raised by one.
xdotool mousemove --window "${window}" $((16 + 196 * 3 + 94)) 78 click 1
sleep 0.3
xdotool mousemove --window "${window}" 227 254 click 1
sleep 0.2
xdotool key Up
sleep 0.3
xwd -id "${window}" -silent > "${out}/tilt-after-retrieve.xwd"
mkdir -p "${work}/saved"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key ctrl+s
for _ in $(seq 1 100); do [ -s "${work}/saved/preset.kyp" ] && break; sleep 0.05; done
[ -s "${work}/saved/preset.kyp" ] || fail "Ctrl+S saved nothing"

kill "${first}" 2> /dev/null || true
for _ in $(seq 1 200); do [ -s "${SKYLET_KEYBOARD_LOG}" ] && break; sleep 0.05; done
wait "${first}" 2> /dev/null || true
first=
# Leaks are left to the sanitizer runs of the test suites: the desktop libraries keep some at exit.
! grep -qE "ERROR: AddressSanitizer|runtime error:" "${work}/program.err" || fail "the sanitizers reported"
grep -qx "F0 00 00 0E 52 5E 02 00 01 18 F7" "${SKYLET_KEYBOARD_LOG}" ||
    fail "the keyboard heard no request for slot 24: $(cat "${SKYLET_KEYBOARD_LOG}")"
[ "$(grep -c . "${SKYLET_KEYBOARD_LOG}")" = "1" ] ||
    fail "the keyboard heard more than the request: $(cat "${SKYLET_KEYBOARD_LOG}")"
changed=$(cmp -l "${work}/saved/preset.kyp" "${here}/../data/UI/default-preset.kyp" || true)
[ "$(echo "${changed}" | grep -c .)" = "1" ] || fail "the saved preset differs from the defaults in: ${changed}"
[ "$(echo "${changed}" | awk '{print $2}')" = "55" ] || fail "the changed byte is not 45 (octal 55): ${changed}"
echo "1 passed, 0 failed"
