#!/usr/bin/env bash
# A chosen file that is not a clip gives the failure line, then dance01.bvh.
set -euo pipefail
source "$(dirname "$0")/lib_editor.sh"
editor_setup start_badfile
printf 'these are not\nmotion-capture data\n' >"$work/bad.bvh"

start_editor
answer_chooser "Choose a BVH File: " "bad.bvh"
wait_window "Motion Capture Path Editing" >/dev/null
close_editor

[ "$(grep -c '^Failed to load, loading dance instead$' "$work/stdout.txt")" = 1 ] ||
  fail "expected one \"Failed to load, loading dance instead\" line"
expected_root=$(grep -m 1 -o 'ROOT [^[:space:]]*' "$work/dance01.bvh" | cut -d' ' -f2)
expected_frames=$(grep -m 1 -o 'Frames:[[:space:]]*[0-9]*' "$work/dance01.bvh" | grep -o '[0-9]*$')
first=$(first_joint_line)
case "$first" in
  "Name $expected_root, Offset XYZ "*) ;;
  *) fail "first joint line is \"$first\", expected the default clip's root" ;;
esac
grep -q "Number of Frames: $expected_frames\$" "$work/stdout.txt" ||
  fail "the default clip was not fitted"
# The failure line comes before the default clip's hierarchy.
failed_at=$(grep -n -m 1 '^Failed to load' "$work/stdout.txt" | cut -d: -f1)
root_at=$(grep -n -m 1 '^Name ' "$work/stdout.txt" | cut -d: -f1)
[ "$failed_at" -lt "$root_at" ] || fail "the failure line should precede the hierarchy"
echo "start_badfile: ok"
