#!/usr/bin/env bash
# The edit pages on an X display of their own (Xvfb), as a person would use them: each of the
# six tabs shows its sections (dumps of them are kept in OUTDIR, checked at known points of the
# layout); on PADS the right arrow shows pads 5-8 and pad 5's note is typed, on TILT the controller
# number is typed, then raised by the Up key, and Ctrl+S saves a preset that differs from the
# defaults in those two bytes only; then on FADERS the right arrow shows faders 5-8 and fader 5's
# controller number is typed, the preset name is typed in small letters, and a second save holds
# fader 5's number and the name in capitals as well.
#   edit-panels-under-xvfb.sh PROGRAM OUTDIR
set -euo pipefail
program=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${out}"
# shellcheck source=xvfb-session.sh source-path=SCRIPTDIR
source "${here}/xvfb-session.sh"

start_program first

# Tab k is 188 pixels wide, 196 apart, from x 16; the pages start at y 113. A section has a
# one-pixel border (3C424A); its first row's combo box shows the raised face (2F333A) on the right.
show_tab() {
    local k=$1 name=$2
    xdotool mousemove --window "${window}" $((16 + 196 * k + 94)) 78 click 1
    xdotool mousemove --window "${window}" 1190 595
    dump_until "${out}/${name}.xwd" 3FA7D6 "the tab ${name} was not selected by a click" $((16 + 196 * k + 4)) 56
}
check_section() {
    local dump=$1 x=$2 y=$3 what=$4 got
    got=$(colours_at "${dump}" "${x}" $((y + 60)))
    [ "${got}" = "3C424A" ] || fail "${what}: section border at ${x},$((y + 60)) is ${got}"
    got=$(colours_at "${dump}" $((x + 294)) $((y + 69)))
    [ "${got}" = "2F333A" ] || fail "${what}: first combo box at $((x + 294)),$((y + 69)) is ${got}"
}
# PADS, selected at start: four pad sections from x 66 (in the window), 269 pixels apart, each
# with its MIDI page's first combo box 128 pixels down. The right arrow (x 1147, y 300) shows
# pads 5-8; pad 5's note is typed into the first section's note box (x 119, y 343).
xwd -id "${window}" -silent > "${out}/pads.xwd"
for k in 0 1 2 3; do
    x=$((66 + 269 * k))
    got=$(colours_at "${out}/pads.xwd" "${x}" 300)
    [ "${got}" = "3C424A" ] || fail "pad $((k + 1)): section border at ${x},300 is ${got}"
    got=$(colours_at "${out}/pads.xwd" $((x + 200)) 245)
    [ "${got}" = "2F333A" ] || fail "pad $((k + 1)): type combo box at $((x + 200)),245 is ${got}"
done
xdotool mousemove --window "${window}" 1147 300 click 1
xdotool mousemove --window "${window}" 119 343 click 1
xdotool key --window "${window}" End shift+Home
xdotool type --window "${window}" --delay 20 "64"
xdotool key --window "${window}" Return
settle 1190 595
xwd -id "${window}" -silent > "${out}/pads-5-8.xwd"
# Pad 5's colours: the COLORS tab of the first section.
xdotool mousemove --window "${window}" 249 187 click 1
settle 1190 595
xwd -id "${window}" -silent > "${out}/pads-5-colors.xwd"

show_tab 2 touch-ribbon
check_section "${out}/touch-ribbon.xwd" 45 130 "touch ribbon settings"
check_section "${out}/touch-ribbon.xwd" 45 258 "bank 1"
check_section "${out}/touch-ribbon.xwd" 797 258 "bank 3"
show_tab 4 pitch-volume-sustain
check_section "${out}/pitch-volume-sustain.xwd" 45 130 "pitch wheel"
check_section "${out}/pitch-volume-sustain.xwd" 45 258 "sustain"
check_section "${out}/pitch-volume-sustain.xwd" 421 130 "volume slider"
show_tab 5 keybed
check_section "${out}/keybed.xwd" 45 258 "keybed settings"
show_tab 3 tilt
check_section "${out}/tilt.xwd" 45 130 "tilt"

# The controller number's text box: row 3 of the tilt section, 128 pixels into the row (the
# number's last digit at 206,248).
xdotool mousemove --window "${window}" 227 254 click 1
xdotool key --window "${window}" End shift+Home
xdotool type --window "${window}" --delay 20 "42"
xdotool key --window "${window}" Return
settle 1190 595
step_number Up "${out}/tilt-edited.xwd" 206 248

mkdir -p "${work}/saved"
echo "${work}/saved/preset.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+s
wait_for_file "${work}/saved/preset.kyp" || fail "Ctrl+S saved nothing"
# The two bytes that differ from the default preset, in file order: the tilt's controller number
# (42 + 1, octal 53), then pad 5's note (64, octal 100).
changed=$(cmp -l "${work}/saved/preset.kyp" "${here}/../data/UI/default-preset.kyp" || true)
[ "$(echo "${changed}" | grep -c .)" = "2" ] || fail "the saved preset differs from the defaults in: ${changed}"
[ "$(echo "${changed}" | awk '{print $2}' | tr '\n' ' ')" = "53 100 " ] ||
    fail "the changed bytes are not 43 and 64 (octal 53 and 100): ${changed}"

# FADERS: four sections in the pads' columns, from x 66, 269 pixels apart, y 130 (in the window),
# between the page arrows. The right arrow (x 1154, y 218) shows faders 5-8; 64 typed into the
# first section's "CC #" box (x 216, y 222) and Enter make fader 5 (parameter 17) send controller
# 64.
show_tab 1 faders
for k in 0 1 2 3; do
    x=$((66 + 269 * k))
    got=$(colours_at "${out}/faders.xwd" "${x}" 160)
    [ "${got}" = "3C424A" ] || fail "fader $((k + 1)): section border at ${x},160 is ${got}"
    got=$(colours_at "${out}/faders.xwd" $((x + 200)) 189)
    [ "${got}" = "2F333A" ] || fail "fader $((k + 1)): channel combo box at $((x + 200)),189 is ${got}"
done
xdotool mousemove --window "${window}" 1154 218 click 1
xdotool mousemove --window "${window}" 216 222 click 1
xdotool key --window "${window}" End shift+Home
xdotool type --window "${window}" --delay 20 "64"
xdotool key --window "${window}" Return
settle 1190 595
xwd -id "${window}" -silent > "${out}/faders-5-8.xwd"

# The preset name over the tabs, typed in small letters: the keyboard gets capitals.
xdotool mousemove --window "${window}" 1000 30 click 1
xdotool key --window "${window}" End shift+Home
xdotool type --window "${window}" --delay 20 "lead 2/b"

echo "${work}/saved/second.kyp" > "${chooser}/answer"
xdotool key --window "${window}" ctrl+s
wait_for_file "${work}/saved/second.kyp" || fail "the second Ctrl+S saved nothing"
# The defaults' records are found by their bytes: fader 5's is 00 28 00 7F 00 (controller 40),
# the name's "PRESET" and ten zero bytes.
python3 - "${work}/saved/second.kyp" "${here}/../data/UI/default-preset.kyp" << 'CHECK' ||
import sys
saved, default = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
fader5 = default.index(bytes.fromhex("0028007f00"))
name = default.index(b"PRESET" + bytes(10))
expected = bytearray(default)
expected[fader5 + 1] = 0x40
expected[name:name + 16] = b"LEAD 2/B" + bytes(8)
others = [saved[i] for i in range(len(default)) if saved[i] != expected[i]]
# Besides these, only the first save's two bytes differ: the tilt's 43 and pad 5's 64.
if len(saved) != len(default) or others != [43, 64]:
    print("other differences:", others, file=sys.stderr)
    sys.exit(1)
CHECK
    fail "the second saved preset is not the edited one"
kill "${first}" 2> /dev/null || true
wait "${first}" 2> /dev/null || true
first=
echo "1 passed, 0 failed"
