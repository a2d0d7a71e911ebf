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
# The keyboard answers at once; the generous wait for its reply only matters on a loaded machine.
export SKYLET_KEYBOARD_LOG="${work}/heard" SKYLET_REPLY_WAIT_MS=10000
main_class=SkyletEditorWithKeyboard
start_program program

# The dialog dumped into the file until the colours at the points hold the one wanted.
dialog_until() {
    local dump=$1 wanted=$2 what=$3
    shift 3
    wait_until shows "${dialog}" "${dump}" "${wanted}" "$@" ||
        fail "${what}: ${wanted} not among $(colours_at "${dump}" "$@")"
}
# Keys go through the X server (XTEST) to the window that has its focus, so that the
# modifiers' state is the server's: the main window first, then the dialog it opens.
# File > Retrieve Preset (the menu bar's "File" at 36,29 of the window, the item the fourth row
# of its menu, below a separator, once the menu covers the PADS tab); the dialog's slot box has
# the focus.
xdotool mousemove --window "${window}" 36 29 click 1
dump_until "${work}/file-menu.xwd" 2F333A "the File menu open" 150 60
xwd -root -silent > "${out}/file-menu-open.xwd"
xdotool mousemove --window "${window}" 91 106 click 1
dialog=$(find_named "Get Preset From Hardware") || fail "File > Retrieve Preset opened no retrieve dialog"
# SDL gives a window the focus when it shows it (there is no window manager); CANCEL lights
# under the pointer.
keys_reach "${dialog}" 296 210 260 200 20 130
# Down opens the list on "Preset 1" (over the dialog's empty middle), 24 more go to "Preset 25",
# Return chooses it and closes the list, uncovering GET; the pointer stays off the list, whose
# rows follow it.
xdotool mousemove 0 0
xdotool key Down
dialog_until "${out}/retrieve-list-open.xwd" 2F333A "the slot list open" 300 150
xdotool key --delay 20 --repeat 24 Down
xdotool key Return
dialog_until "${out}/retrieve-preset-25.xwd" 25282D "the slot list closed" 300 150
# GET: 144 + 48, 196 + 14 in the dialog.
xdotool mousemove --window "${dialog}" 192 210 click 1
# The success box, answered with Return as a user would; a desktop without the X core fonts SDL's
# box draws with cannot show it, and the program writes it to its error output instead.
told=
success_told() {
    if grep -q "Retrieve Sucessful : The preset has been sucessfully retreived." "${work}/program.err"; then
        told=output
        return 0
    fi
    local box=
    ! shown_box "Retrieve Preset Error" > /dev/null || fail "GET reported an error"
    box=$(shown_box "Retrieve Sucessful") || return 1
    xdotool windowfocus --sync "${box}" key Return
    gone "${box}" || fail "the success box did not close"
    # The windows take input again once the program has seen the box's own program end.
    wait_until box_program_ended || fail "the success box's program did not end"
    told=box
}
wait_until success_told || true
[ -n "${told}" ] || fail "GET reported no success"
# CANCEL ends the dialog.
xdotool mousemove --window "${dialog}" 296 210 click 1
gone "${dialog}" || fail "CANCEL did not close the dialog"
focus_main

# The TILT tab (the fourth, 188 pixels wide, 196 apart from x 16), then its CC number (row 3 of
# the tilt section, its field's focus edge from 190,243, the number's last digit at 206,248)
# raised by one.
xdotool mousemove --window "${window}" $((16 + 196 * 3 + 94)) 78 click 1
xdotool mousemove --window "${window}" 600 580
dump_until "${work}/tilt.xwd" 3FA7D6 "the tab TILT selected" $((16 + 196 * 3 + 4)) 56
xdotool mousemove --window "${window}" 227 254 click 1
dump_until "${work}/tilt.xwd" 3FA7D6 "the CC number's focus edge" 190 243
step_number Up "${out}/tilt-after-retrieve.xwd" 206 248
mkdir -p "${work}/saved"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key ctrl+s
wait_for_file "${work}/saved/preset.kyp" || fail "Ctrl+S saved nothing"

kill "${first}" 2> /dev/null || true
wait_for_file "${SKYLET_KEYBOARD_LOG}" || true
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
