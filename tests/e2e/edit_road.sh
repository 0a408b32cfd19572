#!/usr/bin/env bash
# The road of one edit with the real editor on the default clip: switch on
# "Uses Path", click a control point, press Right ten times, "Write Path" to a
# file, then check that file frame by frame and load it back with "Load Path".
# Runs on an X display without a window manager (tests/with-xvfb.sh); needs
# MPE_EDITOR and MPE_SOURCE_DIR.
set -euo pipefail

source "$(dirname "$0")/lib_editor.sh"
editor_setup edit_road

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

start_editor
cd "$work"

answer_chooser "Choose a BVH File: " ""
editor=$(wait_window "Motion Capture Path Editing")
xdotool windowfocus --sync "$editor"
sleep 0.5

# The fit's four "General setting" lines are on the console once the window
# is up (the view flushes them); the control points follow in index order.
grep -q "^General setting" stdout.txt || fail "the fit printed no control points"

# Window position of the control point to move, from the editor's fixed
# camera: perspective 45 degrees over the 900 x 600 view at (0, 100), the
# world shifted by (0, -1, -12) and the look-at eye (0, 0, 1) to centre 0;
# the points drawn on the floor in the figure's frame, (0.05 x, -2, 0.05 z)
# lifted by 0.015 (the clip's root has no offset).
read -r point view_x view_y <<<"$(python3 - <<'EOF'
import itertools, math, re
console = open("stdout.txt").read()
points = [(float(x), float(z)) for x, y, z in
          re.findall(r"General setting -?\d+: (\S+) (\S+) (\S+)", console)[:4]]
focal = 1 / math.tan(math.radians(22.5))
def window(x, z):
    wx, wy, wz = 0.05 * x, -2 + 0.015, 0.05 * z
    depth = 13 - wz
    nx = focal / 1.5 * wx / depth
    ny = focal * (wy - 1) / depth
    return ((nx + 1) / 2 * 900, 600 - (ny + 1) / 2 * 600)
pixels = [window(x, z) for x, z in points]
def room(i):
    x, y = pixels[i]
    inside = 20 < x < 880 and 20 < y < 580
    gap = min(math.dist(pixels[i], pixels[j]) for j in range(4) if j != i)
    return gap if inside else -1
best = max(range(4), key=room)
print(best, round(pixels[best][0]), round(pixels[best][1]))
EOF
)"
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
# parameter: the moved point's Catmull-Rom weight there times the 0.5 of ten
# steps; the root's rotation (Zrotation Xrotation Yrotation) turned about the
# vertical by the angle the curve's direction turned there, as matrices; root
# z and every other value as read.
python3 - "$point" <<'EOF' || fail "the written clip is not the clip carried along the edited path"
import math, re, sys
moved = int(sys.argv[1])
fitted = [[float(v) for v in p] for p in
          re.findall(r"General setting -?\d+: (\S+) (\S+) (\S+)", open("stdout.txt").read())[:4]]
edited = [list(p) for p in fitted]
edited[moved][0] += 0.5
def turn(axis, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return {"x": [[1, 0, 0], [0, c, -s], [0, s, c]],
            "y": [[c, 0, s], [0, 1, 0], [-s, 0, c]],
            "z": [[c, -s, 0], [s, c, 0], [0, 0, 1]]}[axis]
def times(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(3)) for c in range(3)] for r in range(3)]
def root_rotation(words):
    z, x, y = (float(w) for w in words[3:6])
    return times(times(turn("z", z), turn("x", x)), turn("y", y))
def frames(name):
    lines = open(name).read().splitlines()
    count = next(int(l.split()[1]) for l in lines if l.startswith("Frames:"))
    start = next(i for i, l in enumerate(lines) if l.startswith("Frame Time")) + 1
    rows = [l.split() for l in lines[start:] if l.strip()]
    return count, rows
count, original = frames("dance01.bvh")
written_count, written = frames("edited.bvh")
assert written_count == count and len(written) == count == len(original), \
    f"frame counts: read {count}, written {written_count} with {len(written)} lines"
basis = [[-0.5, 1.5, -1.5, 0.5], [1.0, -2.5, 2.0, -0.5], [-0.5, 0.0, 0.5, 0.0], [0.0, 1.0, 0.0, 0.0]]
n = 4
problems = []
moved_frames = 0
for i in range(count):
    u = i / count / 2
    k, s = 1, 1 / n
    while s <= u:
        k += 1
        s += 1 / n
    seg = k - 1
    u0, u1 = seg / n, (seg + 1) / n
    t = u / (u1 - u0) - u0 / (u1 - u0)
    weight = 0.0
    forward = {"fit": [0.0, 0.0, 0.0], "edited": [0.0, 0.0, 0.0]}
    for c in range(4):
        if (seg + c) % n == moved:
            weight = t ** 3 * basis[0][c] + t ** 2 * basis[1][c] + t * basis[2][c] + basis[3][c]
        slope = 3 * t ** 2 * basis[0][c] + 2 * t * basis[1][c] + basis[2][c]
        for name, points in (("fit", fitted), ("edited", edited)):
            for a in range(3):
                forward[name][a] += slope * points[(seg + c) % n][a]
    f, g = forward["edited"], forward["fit"]
    heading = math.degrees(math.atan2(f[0] * g[2] - f[2] * g[0], f[0] * g[0] + f[2] * g[2]))
    expected_x = float(original[i][0]) + 0.5 * weight
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
    expected = times(turn("y", heading), root_rotation(original[i]))
    actual = root_rotation(got)
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
