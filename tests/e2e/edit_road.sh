#!/usr/bin/env bash
# The road of one edit with the real editor on the default clip: switch on
# "Uses Path", click a control point, press Right ten times, "Write Path" to a
# file, then check that file frame by frame and load it back with "Load Path".
# Runs on an X display without a window manager (tests/with-xvfb.sh); needs
# MPE_EDITOR and MPE_SOURCE_DIR.
set -euo pipefail

source "$(dirname "$0")/lib_editor.sh"
editor_setup edit_road
lib_path="$(cd "$(dirname "$0")" && pwd)/lib_path.py"

# Colour counts in a (2r+1)-pixel square of the screen around ($1, $2):
# prints "<blue-dominant pixels> <green-dominant pixels>".
cube_colours() {
  local x=$1 y=$2 r=6
  import -window root -crop "$((2 * r + 1))x$((2 * r + 1))+$((x - r))+$((y - r))" txt:- 2>/dev/null |
    python3 -c '
import re, sys
blue = green = 0
for line in sys.stdin:
    m = re.search(r"\((\d+),(\d+),(\d+)", line)
    if not m or line.startswith("#"):
        continue
    r, g, b = (int(v) for v in m.groups())
    if b > 60 and b > 2 * r + 20 and b > 2 * g + 20:
        blue += 1
    if g > 60 and g > 2 * r + 20 and g > 2 * b + 20:
        green += 1
print(blue, green)'
}

# Waits until the square around ($1, $2) shows pixels of colour $3 (blue|green).
expect_cube_colour() {
  local i counts blue green
  for i in $(seq 1 50); do
    counts=$(cube_colours "$1" "$2")
    read -r blue green <<<"$counts"
    if [ "$3" = blue ] && [ "$blue" -gt 0 ]; then return 0; fi
    if [ "$3" = green ] && [ "$green" -gt 0 ]; then return 0; fi
    sleep 0.1
  done
  fail "no $3 cube at screen ($1, $2) (blue, green pixels: $counts)"
}

start_on_default_clip
cd "$work"

# The fit's four "General setting" lines are on the console once the window
# is up (the view flushes them); the control points follow in index order.
grep -q "^General setting" stdout.txt || fail "the fit printed no control points"

# Window position of the control point to move, from the editor's fixed camera.
read -r point view_x view_y <<<"$(roomiest_control_point)"
echo "edit_road: moving control point $point, drawn at view pixel ($view_x, $view_y)"

# Screen position of the view's pixel, for the screenshots.
eval "$(xdotool getwindowgeometry --shell "$editor")"
screen_x=$((X + view_x))
screen_y=$((Y + 100 + view_y))

xdotool mousemove --window "$editor" 95 50 click 1  # "Uses Path"
expect_cube_colour "$screen_x" "$screen_y" blue
xdotool mousemove --window "$editor" "$view_x" "$((100 + view_y))" click 1
expect_cube_colour "$screen_x" "$screen_y" green

for i in $(seq 1 10); do
  xdotool key Right
  sleep 0.05
done
sleep 0.5

xdotool mousemove --window "$editor" 237 55 click 1  # "Write Path"
answer_chooser "Enter a BVH File name: " "edited.bvh"
for i in $(seq 1 50); do
  [ -s edited.bvh ] && grep -q "^Frame Time" edited.bvh && break
  sleep 0.1
done
[ -s edited.bvh ] || fail "\"Write Path\" wrote no edited.bvh"
sleep 0.5

# Every frame's root x moved by the curve's own displacement at the frame's
# parameter: the moved point's Catmull-Rom weight there times ten steps of
# 1% of the figure's rest size; the root's rotation (Zrotation Xrotation Yrotation) turned about the
# vertical by the angle the curve's direction turned there, as matrices; root
# z and every other value as read.
python3 - "$lib_path" "$point" <<'EOF' || fail "the written clip is not the clip carried along the edited path"
import sys
sys.path.insert(0, sys.argv[1].rsplit("/", 1)[0])
import lib_path
moved = int(sys.argv[2])
fitted = lib_path.fitted_points(open("stdout.txt").read())
edited = [list(p) for p in fitted]
ten_steps = 10 * 0.01 * lib_path.rest_size("dance01.bvh")
edited[moved][0] += ten_steps
count, original = lib_path.frames("dance01.bvh")
written_count, written = lib_path.frames("edited.bvh")
assert written_count == count and len(written) == count == len(original), \
    f"frame counts: read {count}, written {written_count} with {len(written)} lines"
problems = []
moved_frames = 0
for i in range(count):
    weight = lib_path.weight(moved, i, count)
    heading = lib_path.heading(i, count, fitted, edited)
    expected_x = float(original[i][0]) + ten_steps * weight
    if weight != 0.0:
        moved_frames += 1
    got = written[i]
    if len(got) != len(original[i]):
        problems.append(f"frame {i}: {len(got)} values, read {len(original[i])}")
        continue
    if abs(float(got[0]) - expected_x) > 5.01e-7:
        problems.append(f"frame {i}: root x {got[0]}, expected {expected_x:.6f} (weight {weight})")
    if abs(float(got[2]) - float(original[i][2])) > 5.01e-7:
        problems.append(f"frame {i}: root z {got[2]}, read {original[i][2]}")
    expected = lib_path.times(lib_path.turn("y", heading),
                              lib_path.rotation("zxy", original[i][3:6]))
    actual = lib_path.rotation("zxy", got[3:6])
    if max(abs(expected[r][c] - actual[r][c]) for r in range(3) for c in range(3)) > 1e-4:
        problems.append(f"frame {i}: root rotation {got[3:6]}, read {original[i][3:6]}, "
                        f"heading {heading:.4f}")
    for k in [1] + list(range(6, len(got))):
        if got[k] != original[i][k]:
            problems.append(f"frame {i}: value {k} is {got[k]}, read {original[i][k]}")
if moved_frames == 0:
    problems.append("no frame was displaced: the edit did not reach the path")
for p in problems[:20]:
    print(p, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

# "Load Path" of the written file: a second fit, now of the edited clip (a
# fallback to the default clip would repeat the first fit's points).
xdotool windowfocus --sync "$editor"
xdotool mousemove --window "$editor" 237 20 click 1  # "Load Path"
answer_chooser "Choose a BVH File: " "edited.bvh"
# The hierarchy dump ends without a line feed, so the fit's first line may
# share a line with it.
fits() { grep -o "Number of Frames:" stdout.txt | wc -l; }
for i in $(seq 1 50); do
  [ "$(fits)" -ge 2 ] && break
  sleep 0.1
done
[ "$(fits)" -eq 2 ] || fail "\"Load Path\" did not fit the loaded clip"
first_fit=$(grep "^General setting" stdout.txt | sed -n 1,4p)
second_fit=$(grep "^General setting" stdout.txt | sed -n 5,8p)
[ "$(grep -c "^General setting" stdout.txt)" -eq 8 ] || fail "expected two fits of four points"
[ "$first_fit" != "$second_fit" ] || fail "\"Load Path\" fitted the default clip again, not edited.bvh"
grep -q "Failed" stdout.txt && fail "a load failed"

close_editor
if grep -q "ERROR: \|runtime error" stderr.txt; then fail "sanitizer report on standard error"; fi
echo "edit_road: passed"
