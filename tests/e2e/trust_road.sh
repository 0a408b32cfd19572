#!/usr/bin/env bash
# Saving, loading, editing and quitting with the real editor, as a person
# does: pick a clip at start; "Write Path" to "edited.bvh" typed in one go;
# drag a control point to the right with the mouse; writing over edited.bvh
# asks and Escape keeps it byte for byte; the drag raised the point's x in the
# written file; Ctrl+Z writes the unedited clip again and Ctrl+Shift+Z the
# dragged one; a failed "Load Path" keeps the clip and its edit, though its
# question was answered with Return; Escape in the
# view leaves the editor running; closing with an unsaved edit asks.
# Runs on an X display without a window manager (tests/with-xvfb.sh).
set -euo pipefail

source "$(dirname "$0")/lib_editor.sh"
lib_path="$(cd "$(dirname "$0")" && pwd)/lib_path.py"
editor_setup trust_road
cp "$work/dance01.bvh" "$work/clip.bvh"
printf 'HIERARCHY\nROOT\n' >"$work/broken.bvh"

# Presses a button of the control strip, at window coordinates $1 $2.
press() {
  xdotool windowfocus --sync "$editor"
  xdotool mousemove --window "$editor" "$1" "$2" click 1
}
write_path() {
  press 237 55
  answer_chooser "Enter a BVH File name: " "$1"
}
# Waits for file $1 to hold a whole clip.
wait_file() {
  local i
  for i in $(seq 1 50); do
    [ -s "$1" ] && grep -q "^Frame Time" "$1" && { sleep 0.3; return 0; }
    sleep 0.1
  done
  fail "no $1 was written"
}
# Answers the question dialog with key $1.
answer_question() {
  local dialog
  dialog=$(wait_window "Confirm")
  xdotool windowfocus --sync "$dialog"
  sleep 0.2
  xdotool key "$1"
  wait_window_gone "Confirm"
}
view_key() {
  xdotool windowfocus --sync "$editor"
  xdotool key "$1"
  sleep 0.3
}

start_editor
cd "$work"
answer_chooser "Choose a BVH File: " "clip.bvh"
editor=$(wait_window "Motion Capture Path Editing")
grep -q "Failed to load" stdout.txt && fail "the chosen clip did not load"

# A typed name, in a chooser opened after the start-up choice, is the file
# written, and the only new file.
before=$(ls)
write_path "edited.bvh"
wait_file edited.bvh
new_files=$(comm -13 <(echo "$before") <(ls))
[ "$new_files" = "edited.bvh" ] || fail "expected only edited.bvh to be new, got: $new_files"
cp edited.bvh unedited.bvh

# Drag the roomiest cube 80 pixels to the right with the path shown.
read -r point view_x view_y <<<"$(roomiest_control_point clip.bvh)"
echo "trust_road: dragging control point $point from view pixel ($view_x, $view_y)"
press 95 50  # "Uses Path"
sleep 0.5
xdotool mousemove --window "$editor" "$view_x" "$((100 + view_y))"
xdotool mousedown 1
for step in $(seq 1 8); do
  xdotool mousemove --window "$editor" "$((view_x + 10 * step))" "$((100 + view_y))"
  sleep 0.05
done
xdotool mouseup 1
sleep 0.3

# Writing over edited.bvh asks; Escape keeps it as it was.
write_path "edited.bvh"
answer_question Escape
sleep 0.3
cmp -s edited.bvh unedited.bvh || fail "edited.bvh changed although replacing it was cancelled"

write_path "dragged.bvh"
wait_file dragged.bvh
python3 - "$lib_path" "$point" <<'PY' || fail "the drag did not raise the point's x in the written clip"
import sys
sys.path.insert(0, sys.argv[1].rsplit("/", 1)[0])
import lib_path
point = int(sys.argv[2])
count, before = lib_path.frames("unedited.bvh")
_, after = lib_path.frames("dragged.bvh")
moved = 0.0
for i in range(count):
    w = lib_path.weight(point, i, count)
    shift = float(after[i][0]) - float(before[i][0])
    # Every frame moves along x by the point's weight there times one shift.
    if shift * w < -1e-5:
        sys.exit(f"frame {i}: x moved by {shift} against weight {w}")
    # Words 3-5, the root's rotation, turn with the path (the edit road checks them).
    if after[i][1:2] != before[i][1:2] or after[i][6:] != before[i][6:]:
        sys.exit(f"frame {i}: values other than the root's changed")
    moved = max(moved, shift * w)
if moved < 0.01:
    sys.exit("no frame moved to the right")
PY

view_key ctrl+z
write_path "undone.bvh"
wait_file undone.bvh
cmp -s undone.bvh unedited.bvh || fail "after Ctrl+Z the written clip is not the unedited one"

view_key ctrl+shift+z
# A file that cannot be read leaves the clip and its edit in place, also
# when told at the question to go ahead and drop the edit.
press 237 20  # "Load Path"
answer_chooser "Choose a BVH File: " "broken.bvh"
answer_question Return
sleep 0.5
write_path "redone.bvh"
wait_file redone.bvh
cmp -s redone.bvh dragged.bvh || fail "after Ctrl+Shift+Z and a failed load the clip is not the dragged one"

# Escape in the view does not quit.
view_key Escape
kill -0 "$editor_pid" 2>/dev/null || fail "Escape ended the editor"

# One more change (undoing the drag again), then closing asks: Escape keeps
# the editor, Return closes.
view_key ctrl+z
close_window "$editor"
answer_question Escape
sleep 0.3
kill -0 "$editor_pid" 2>/dev/null || fail "the editor closed although closing was cancelled"
close_window "$editor"
answer_question Return
wait_editor_exit
[ "$editor_status" = 1 ] || fail "exit status $editor_status, expected 1"
if grep -q "ERROR: \|runtime error" stderr.txt; then fail "sanitizer report on standard error"; fi
echo "trust_road: passed"
