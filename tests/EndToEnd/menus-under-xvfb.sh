#!/usr/bin/env bash
# The menus of the program on an X display of its own (Xvfb), used as a person would: a click
# on "File" opens the File menu below it (kept as OUTDIR/menus-file-open.xwd), a click on "Save
# Preset" asks once for a file and the menu is gone; the preset name copied from its box is
# pasted back into the emptied box from the box's context menu (right click, "Paste"; kept as
# OUTDIR/menus-context.xwd), and Ctrl+S saves a preset of that name. Near the window's right
# edge the context menu reaches past the window (OUTDIR/menus-past-edge.xwd).
#   menus-under-xvfb.sh PROGRAM OUTDIR
set -euo pipefail
program=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${out}"
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"

start_program first

# "File" at the top left (the bar at 16,18, 24 high); its menu opens below it, over the PADS tab
# (the accent there until the menu covers it with its raised rows).
[ "$(colours_at "${work}/first-start.xwd" 150 60)" = "3FA7D6" ] || fail "the PADS tab before the menu"
xdotool mousemove --window "${window}" 34 30 click 1
xdotool mousemove --window "${window}" 150 300
dump_until "${out}/menus-file-open.xwd" 2F333A "the File menu open" 150 60
# Its rows from y 43: New Preset, a separator, Send, Retrieve, a separator, Load, Save (149-171).
xdotool mousemove --window "${window}" 100 160 click 1
wait_for_file "${chooser}/log" || fail "Save Preset asked for no file"
[ "$(grep -c . "${chooser}/log" 2> /dev/null || true)" = "1" ] || fail "Save Preset asked for a file not once"
dump_until "${out}/menus-file-closed.xwd" 3FA7D6 "the menu gone after the command" 150 60
# The menu had the keyboard; the window takes it back before the keys (SDL reads the modifiers
# anew when a window gets the keys, and would drop a Ctrl sent meanwhile).
focus_main

# The preset name box at the top right (its field from 928,18): its text copied, the field
# emptied, the text pasted back from the field's context menu ("Paste", the third row below the
# pointer), then a "2" typed after it; Ctrl+S saves a preset named "PRESET2".
xdotool mousemove --window "${window}" 1050 29 click 1
xdotool key --window "${window}" End shift+Home ctrl+c
# The BackSpace waits until the program has handled the keys and painted since: sent at once, on
# a loaded machine, it left nothing to paste (the menu's Paste disabled).
settle 1190 595
xdotool key --window "${window}" BackSpace
# The menu is a window of its own, which takes the click only once it shows: its face covers the
# field's dark inside at 1100,36 (below the field, at 1004,100, a button of the same face already
# shows before the menu does).
xdotool mousemove --window "${window}" 1000 29 click 3
dump_until "${out}/menus-context.xwd" 2F333A "the context menu open" 1100 36
xdotool mousemove --window "${window}" 1040 85 click 1
# The menu had the keyboard; the window takes it back before the keys.
focus_main
xdotool key --window "${window}" End 2 Return
mkdir -p "${work}/saved"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+s
wait_for_file "${work}/saved/preset.kyp" || fail "Ctrl+S saved nothing"
# The name's 16 bytes sit where the defaults' "PRESET" and ten zero bytes do.
saved_name=$(python3 - "${work}/saved/preset.kyp" "${here}/../data/UI/default-preset.kyp" << 'NAME'
import sys
saved, default = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
at = default.index(b"PRESET" + bytes(10))
print(saved[at:at + 16].rstrip(b"\0").decode("latin-1"))
NAME
)
[ "${saved_name}" = "PRESET2" ] || fail "the saved preset is named '${saved_name}', not PRESET2"

# Near the window's right edge the context menu reaches past the window onto the desktop, in a
# window of its own (kept as OUTDIR/menus-past-edge.xwd, the whole screen), and Escape closes it.
eval "$(xdotool getwindowgeometry --shell "${window}")"
beyond_x=$((X + WIDTH + 40))
beyond_y=$((Y + 40))
root_shows() {
    xwd -root -silent > "${work}/root.xwd" &&
        [ "$(colours_at "${work}/root.xwd" "${beyond_x}" "${beyond_y}")" = "$1" ]
}
root_until() {
    wait_until root_shows "$1" ||
        fail "$2: $1 not $(colours_at "${work}/root.xwd" "${beyond_x}" "${beyond_y}")"
}
root_until 000000 "the desktop right of the window before the menu"
xdotool mousemove --window "${window}" $((WIDTH - 20)) 29 click 3
root_until 2F333A "the context menu past the window's edge"
cp "${work}/root.xwd" "${out}/menus-past-edge.xwd"
xdotool key --window "${window}" Escape
root_until 000000 "the desktop after Escape"
kill "${first}" 2> /dev/null || true
wait "${first}" 2> /dev/null || true
first=
echo "1 passed, 0 failed"
