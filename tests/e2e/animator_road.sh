#!/usr/bin/env bash
# An animator's road through the editor: the clip named on the command line
# (no chooser), the window made larger, the top view, a typed frame, a play
# range, Tab through the points, a typed coordinate, the ghost, the trails
# and the key list, then Ctrl+S. Each step is checked from screenshots.
# Runs on an X display without a window manager (tests/with-xvfb.sh); needs
# MPE_EDITOR and MPE_SOURCE_DIR.
set -euo pipefail

source "$(dirname "$0")/lib_editor.sh"
editor_setup animator_road
cp "$work/dance01.bvh" "$work/road.bvh"

# Counts in the window's rectangle x y w h (window pixels) of the last
# screenshot: "<pixels of kind> <mean x> <mean y>" for kind green (the
# selected cube), yellow (the edited trail), pale (the ghost's wire), dark
# (the key list's panel), black (the sky), band (the status line's band) or red (the play
# range's mark under the frame slider).
measure() {
  python3 - "$work/shot.rgb" "$wx" "$wy" "$@" <<'PY'
import sys
path, wx, wy, kind, x, y, w, h = sys.argv[1], *map(int, sys.argv[2:4]), sys.argv[4], *map(int, sys.argv[5:9])
data = open(path, "rb").read()
screen_w = 1280
tests = {
    "green": lambda r, g, b: g > 200 and r < 60 and b < 60,
    "yellow": lambda r, g, b: r > 200 and g > 170 and b < 90,
    "pale": lambda r, g, b: b > 150 and g > 110 and r < g - 20 and b > r + 40,
    "dark": lambda r, g, b: r < 45 and g < 45 and b < 50,
    "black": lambda r, g, b: r < 12 and g < 12 and b < 12,
    "band": lambda r, g, b: 12 <= r <= 30 and 12 <= g <= 30 and 16 <= b <= 34,
    "red": lambda r, g, b: r > 100 and g < 40 and b < 40,
}
test = tests[kind]
count = sx = sy = 0
for row in range(y, y + h):
    base = ((wy + row) * screen_w + wx + x) * 3
    line = data[base:base + 3 * w]
    for col in range(w):
        r, g, b = line[3 * col], line[3 * col + 1], line[3 * col + 2]
        if test(r, g, b):
            count += 1
            sx += x + col
            sy += row
print(count, sx // count if count else -1, sy // count if count else -1)
PY
}
shot() {
  sleep 0.6
  screenshot "$work/shot.rgb"
}
count_of() { measure "$@" | cut -d' ' -f1; }
key() {
  xdotool key "$@"
  sleep 0.3
}
# Clicks the field at window pixel ($1, $2), types $3 over what it holds and
# presses Return.
type_into() {
  xdotool mousemove --window "$editor" "$1" "$2" click 1
  sleep 0.2
  xdotool key ctrl+a
  xdotool type --delay 40 "$3"
  xdotool key Return
  sleep 0.4
}

# The clip named on the command line loads without the chooser.
(cd "$work" && HOME="$home" exec "$MPE_EDITOR" road.bvh >stdout.txt 2>stderr.txt) &
editor_pid=$!
editor=$(wait_window "Motion Capture Path Editing")
cd "$work"
xdotool search --onlyvisible --name "^Choose a BVH File: \$" >/dev/null 2>&1 &&
  fail "the chooser opened although a clip was named"
grep -q "^Name " stdout.txt || fail "no hierarchy printed for road.bvh"
grep -q "Failed to load" stdout.txt && fail "road.bvh did not load"

# Larger: the view and its status band reach the new corner.
xdotool windowmove --sync "$editor" 0 0
xdotool windowsize --sync "$editor" 1200 850
eval "$(xdotool getwindowgeometry --shell "$editor")"
wx=$X
wy=$Y
[ "$WIDTH" = 1200 ] && [ "$HEIGHT" = 850 ] || fail "the window is ${WIDTH}x$HEIGHT, not 1200x850"
xdotool windowfocus --sync "$editor"
key space
shot
[ "$(count_of band 1000 835 190 10)" -gt 1500 ] || fail "the status line does not span the larger window"

# The top view: the floor seen from above fills the view's upper half,
# which looked along the ground at the sky before.
sky=$(count_of black 0 110 1200 300)
key 7
shot
above=$(count_of black 0 110 1200 300)
echo "animator_road: black pixels in the upper view, along the ground $sky, from above $above"
[ "$above" -lt "$((sky / 3))" ] || fail "7 did not look down on the floor"

# A typed frame (half way), then a play range from it to the last frame:
# the range's mark under the frame slider starts at the middle of its track.
type_into 694 17 180
key i
key End
key o
shot
read -r marked mark_x _ <<<"$(measure red 718 24 152 6)"
echo "animator_road: play range mark: $marked pixels around x $mark_x"
[ "$marked" -gt 100 ] || fail "no play range is marked on the frame slider"
[ "$mark_x" -gt 760 ] && [ "$mark_x" -lt 850 ] || fail "the play range does not start at the typed frame"
key shift+i
shot
[ "$(count_of red 718 24 152 6)" -lt 10 ] || fail "Shift+I left the play range"

# Uses Path, then Tab and Tab: the green (selected) cube moves on.
xdotool mousemove --window "$editor" 95 50 click 1
sleep 0.3
xdotool windowfocus --sync "$editor"
key Tab
shot
read -r green0 first_x first_y <<<"$(measure green 0 100 1200 720)"
key Tab
shot
read -r green1 second_x second_y <<<"$(measure green 0 100 1200 720)"
echo "animator_road: selected cube at ($first_x, $first_y), then ($second_x, $second_y)"
[ "$green0" -gt 0 ] && [ "$green1" -gt 0 ] || fail "Tab selected no point"
[ "$(( (first_x - second_x) ** 2 + (first_y - second_y) ** 2 ))" -gt 400 ] ||
  fail "the second Tab did not select another point"

# A typed x moves the selected cube.
type_into 647 29 0
shot
read -r _ typed_x typed_y <<<"$(measure green 0 100 1200 720)"
echo "animator_road: typed x 0: the cube went to ($typed_x, $typed_y)"
[ "$(( (typed_x - second_x) ** 2 + (typed_y - second_y) ** 2 ))" -gt 100 ] ||
  fail "the typed coordinate did not move the point"

# The ghost (the figure as captured) and the trails.
pale_before=$(count_of pale 0 100 1200 720)
key g
shot
pale_after=$(count_of pale 0 100 1200 720)
echo "animator_road: ghost: pale pixels $pale_before, then $pale_after"
[ "$pale_after" -gt "$((pale_before + 200))" ] || fail "G showed no ghost"
key m
shot
trail=$(count_of yellow 0 100 1200 720)
echo "animator_road: trail: $trail yellow pixels"
[ "$trail" -gt 300 ] || fail "M showed no trail"

# The key list darkens the view's upper left until F1 comes again.
before=$(count_of dark 20 130 330 400)
key F1
shot
shown=$(count_of dark 20 130 330 400)
key F1
shot
hidden=$(count_of dark 20 130 330 400)
echo "animator_road: key list: dark pixels $before, shown $shown, hidden $hidden"
[ "$shown" -gt "$((before + 40000))" ] || fail "F1 showed no key list"
[ "$hidden" -lt "$((before + 5000))" ] || fail "F1 again did not hide the key list"

# Ctrl+S suggests road-path.bvh beside the command line's clip; the written
# clip is the edited one.
xdotool key ctrl+s
chooser=$(wait_window "Enter a BVH File name: ")
xdotool windowfocus --sync "$chooser"
sleep 0.3
xdotool key Return
wait_window_gone "Enter a BVH File name: "
for i in $(seq 1 50); do
  [ -s road-path.bvh ] && grep -q "^Frame Time" road-path.bvh && break
  sleep 0.1
done
[ -s road-path.bvh ] || fail "Ctrl+S wrote no road-path.bvh ($(ls))"
[ "$(grep -c . road.bvh)" = "$(grep -c . road-path.bvh)" ] || fail "road-path.bvh lost lines"
cmp -s road.bvh road-path.bvh && fail "road-path.bvh is not the edited clip"

# Written: closing asks nothing.
close_editor
if grep -q "ERROR: \|runtime error" stderr.txt; then fail "sanitizer report on standard error"; fi
echo "animator_road: passed"
