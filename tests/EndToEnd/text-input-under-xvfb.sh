#!/usr/bin/env bash
# Typing, selecting and dragging in a number box of the program on an X display of its own
# (Xvfb), as a person would: on TOUCH RIBBON, bank 1's CC # box lights its border and its up
# arrow under the pointer, shows the focus edge once clicked, shows the caret after typing, shows
# the selection a drag of the pointer made, and the typed value is what Ctrl+S saves. Dumps of the
# window at each point are kept in OUTDIR.
#   text-input-under-xvfb.sh PROGRAM OUTDIR
set -euo pipefail
program=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${out}"
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"

start_program first

# The points of a row from x0 to x1 (inclusive) at y.
row() { local x; for ((x = $1; x <= $2; ++x)); do echo "${x} $3"; done; }

# TOUCH RIBBON, then bank 1's CC # box: its field 76 x 24 at 190,371 in the window, its arrows
# (20 x 12 each) to the right of it, the up arrow's picture in the 9 x 9 cell at 271,372.
xdotool mousemove --window "${window}" 502 78 click 1
xdotool mousemove --window "${window}" 1190 595
dump_until "${out}/text-input-tab.xwd" 3FA7D6 "TOUCH RIBBON selected" 412 56
xdotool mousemove --window "${window}" 241 382
dump_until "${out}/text-input-hover.xwd" 4B525B "the field's border under the pointer" 211 371
xdotool mousemove --window "${window}" 275 376
# shellcheck disable=SC2046
dump_until "${out}/text-input-arrow-hover.xwd" 5BB8E0 "the up arrow lit under the pointer" $(row 271 279 375) $(row 271 279 376)

# A click gives the field the focus: a two-pixel accent edge round the sunk field.
xdotool mousemove --window "${window}" 241 382 click 1
dump_until "${out}/text-input-focused.xwd" 3FA7D6 "the focus edge" 190 371
for point in "190 371" "191 372" "265 394" "264 393"; do
    # shellcheck disable=SC2086
    [ "$(colours_at "${out}/text-input-focused.xwd" ${point})" = "3FA7D6" ] || fail "the focus edge at ${point}"
done
[ "$(colours_at "${out}/text-input-focused.xwd" 193 374)" = "1B1D21" ] || fail "the field inside the edge"

# Typed digits replace the value; the caret, white on the dark field, follows them (it blinks:
# the dump is taken again until it shows).
xdotool key --window "${window}" End BackSpace BackSpace BackSpace
xdotool type --window "${window}" --delay 20 "64"
# shellcheck disable=SC2046
dump_until "${out}/text-input-caret.xwd" FFFFFF "the caret after typing" $(row 194 261 382)

# A drag of the pointer across the text from its end to its start selects it: the accent at half
# strength under the text.
xdotool mousemove --window "${window}" 251 382 mousedown 1
xdotool mousemove --window "${window}" 223 382
xdotool mousemove --window "${window}" 192 382 mouseup 1
# shellcheck disable=SC2046
dump_until "${out}/text-input-selected.xwd" 2D627B "the selection after a drag" $(row 194 261 376)
# The selected text still shows in the text colour over the selection.
# shellcheck disable=SC2046
colours=$(colours_at "${out}/text-input-selected.xwd" $(row 194 216 382))
[[ " ${colours} " == *" E6E8EB "* ]] || fail "the selected text: ${colours}"

# Typing over the selection replaces it; Enter takes the value, and Ctrl+S saves a preset that
# differs from the defaults in that byte alone (octal 145: 101).
xdotool type --window "${window}" --delay 20 "101"
xdotool key --window "${window}" Return
mkdir -p "${work}/saved"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+s
wait_for_file "${work}/saved/preset.kyp" || fail "Ctrl+S saved nothing"
changed=$(cmp -l "${work}/saved/preset.kyp" "${here}/../data/UI/default-preset.kyp" || true)
[ "$(echo "${changed}" | grep -c .)" = "1" ] || fail "the saved preset differs from the defaults in: ${changed}"
[ "$(echo "${changed}" | awk '{print $2}')" = "145" ] || fail "the changed byte is not 101 (octal 145): ${changed}"
kill "${first}" 2> /dev/null || true
wait "${first}" 2> /dev/null || true
first=
echo "1 passed, 0 failed"
