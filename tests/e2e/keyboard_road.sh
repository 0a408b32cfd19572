#!/usr/bin/env bash
# A person's road through the editor from the keyboard: names typed into the
# choosers a key at a time (with Ctrl+A, Backspace, Home and End), the view's
# keys right after clicking controls, a drag towards the horizon, Load Path's
# question answered both ways, and clicks in the view that do not grow the
# editor. Runs on an X display without a window manager (tests/with-xvfb.sh);
# needs MPE_EDITOR and MPE_SOURCE_DIR.
set -euo pipefail

source "$(dirname "$0")/lib_editor.sh"
editor_setup keyboard_road
lib_path="$(cd "$(dirname "$0")" && pwd)/lib_path.py"
mkdir "$work/clips"
cp "$work/dance01.bvh" "$work/clips/other.bvh"

# Types $1 into the focused window a key at a time, slowly, as a person does.
type_slowly() {
  xdotool type --delay 120 "$1"
}

# Pixels of the view (window coordinates 0,100 to 900,700) whose green is
# far above their red and blue: the selected control point.
green_in_view() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$editor")"
  import -window root -crop "900x570+$X+$((Y + 100))" txt:- 2>/dev/null |
    python3 -c '
import re, sys
count = 0
for line in sys.stdin:
    m = re.search(r"\((\d+),(\d+),(\d+)", line)
    if m and not line.startswith("#"):
        r, g, b = (int(v) for v in m.groups())
        count += g > 120 and g > 2 * r + 40 and g > 2 * b + 40
print(count)'
}

fits() { grep -o "Number of Frames:" stdout.txt | wc -l; }

# "Load Path", the name $1 typed slowly, then key $2 at the question about
# the unwritten edits.
load_path_answering() {
  xdotool windowfocus --sync "$editor"
  xdotool mousemove --window "$editor" 237 20 click 1
  local chooser question
  chooser=$(wait_window "Choose a BVH File: ")
  xdotool windowfocus --sync "$chooser"
  sleep 0.3
  type_slowly "$1"
  xdotool key Return
  question=$(wait_window "Confirm")
  xdotool windowfocus --sync "$question"
  sleep 0.3
  xdotool key "$2"
  wait_window_gone "Confirm"
}

start_on_default_clip
cd "$work"

read -r point view_x view_y <<<"$(roomiest_control_point)"

# "Uses Path" ticked, then Space: it pauses the clip (the picture holds
# still) and leaves "Uses Path" on (the cube can be picked).
xdotool mousemove --window "$editor" 95 50 click 1
sleep 0.3
xdotool key space
wait_still "Space after ticking Uses Path did not pause the clip"
xdotool mousemove --window "$editor" "$view_x" "$((100 + view_y))" click 1
sleep 0.3
[ "$(green_in_view)" -gt 0 ] || fail "no point selected: Space switched Uses Path off?"

# The frame slider touched, then Right ten times: the point moves (the
# slider would otherwise take the keys), and Ctrl+S writes the clip under a
# name typed a key at a time over the suggestion.
xdotool mousemove --window "$editor" 770 17 click 1
sleep 0.3
for i in $(seq 1 10); do
  xdotool key Right
  sleep 0.05
done
xdotool key ctrl+s
chooser=$(wait_window "Enter a BVH File name: ")
xdotool windowfocus --sync "$chooser"
sleep 0.3
type_slowly "zz"
xdotool key ctrl+a
type_slowly "oved.bvhh"
xdotool key BackSpace Home
type_slowly "m"
xdotool key End
xdotool key Return
wait_window_gone "Enter a BVH File name: "
for i in $(seq 1 50); do
  [ -s moved.bvh ] && grep -q "^Frame Time" moved.bvh && break
  sleep 0.1
done
[ -s moved.bvh ] || fail "Ctrl+S with \"moved.bvh\" typed key by key wrote no moved.bvh ($(ls))"
python3 - "$lib_path" <<'EOF' || fail "the arrow keys after touching the slider did not move the point"
import sys
sys.path.insert(0, sys.argv[1].rsplit("/", 1)[0])
import lib_path
_, read = lib_path.frames("dance01.bvh")
_, written = lib_path.frames("moved.bvh")
sys.exit(0 if any(abs(float(a[0]) - float(b[0])) > 1e-3 for a, b in zip(read, written)) else 1)
EOF

# A press moves the point 1% of the figure's size, so ten took it from under
# the pointer: ten presses of Left bring it back for the drag.
xdotool windowfocus --sync "$editor"
for i in $(seq 1 10); do
  xdotool key Left
  sleep 0.05
done
sleep 0.3

# A drag of the selected point up past the top of the view, towards and
# beyond the horizon: the point stays on the floor the camera shows.
xdotool mousemove --window "$editor" "$view_x" "$((100 + view_y))" mousedown 1
for y in $(seq "$((100 + view_y))" -25 -60); do
  xdotool mousemove --window "$editor" "$view_x" "$y"
  sleep 0.03
done
xdotool mouseup 1
sleep 0.5
[ "$(green_in_view)" -gt 0 ] || fail "the dragged point left the part of the floor the view shows"

# Load Path with unwritten edits asks first. Escape keeps editing and loads
# nothing; Return loads. The names, one starting with "/", are typed slowly.
load_path_answering "$work/clips/other.bvh" Escape
sleep 0.5
[ "$(fits)" -eq 1 ] || fail "Escape at Load Path's question still loaded the clip"
# The chooser opens in the folder of the name chosen last.
load_path_answering "other.bvh" Return
for i in $(seq 1 50); do
  [ "$(fits)" -ge 2 ] && break
  sleep 0.1
done
[ "$(fits)" -eq 2 ] || fail "Return at Load Path's question did not load clips/other.bvh"
grep -q "Failed" stdout.txt && fail "a load failed"

# Left clicks in the view cost no memory that stays: before the picking was
# mended each one kept about half a megabyte.
xdotool windowfocus --sync "$editor"
click_view() {
  local i
  for i in $(seq 1 "$1"); do
    xdotool mousemove --window "$editor" 450 400 click 1
    sleep 0.03
  done
}
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$editor_pid/status"; }
click_view 20
sleep 0.5
before=$(rss)
click_view 200
sleep 0.5
after=$(rss)
echo "keyboard_road: 200 clicks in the view: $((after - before)) kB"
# The address sanitizer keeps freed blocks in quarantine, so its resident size
# grows with any allocation; its leak check watches that build instead. The
# resident size wanders by a few megabytes on a busy machine (the GL driver's
# own pools); the leak this guards against kept about 90 MB per 200 clicks.
if ! nm -D "$MPE_EDITOR" 2>/dev/null | grep __asan_init >/dev/null; then
  [ "$((after - before))" -lt 20000 ] ||
    fail "200 clicks in the view grew the editor by $((after - before)) kB"
fi

# The edits were dropped with the load: closing asks nothing.
close_editor
if grep -q "ERROR: \|runtime error" stderr.txt; then fail "sanitizer report on standard error"; fi
echo "keyboard_road: passed"
