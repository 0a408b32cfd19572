#!/usr/bin/env bash
# Cancelling the chooser at start loads dance01.bvh silently and prints its
# hierarchy; closing the window then ends the editor with status 1.
set -euo pipefail
source "$(dirname "$0")/lib_editor.sh"
editor_setup start_cancel

start_editor
answer_chooser "Choose a BVH File: " ""
wait_window "Motion Capture Path Editing" >/dev/null
close_editor

expected_root=$(grep -m 1 -o 'ROOT [^[:space:]]*' "$work/dance01.bvh" | cut -d' ' -f2)
expected_frames=$(grep -m 1 -o 'Frames:[[:space:]]*[0-9]*' "$work/dance01.bvh" | grep -o '[0-9]*$')
first=$(first_joint_line)
case "$first" in
  "Name $expected_root, Offset XYZ "*) ;;
  *) fail "first joint line is \"$first\", expected the root $expected_root" ;;
esac
grep -q "Number of Frames: $expected_frames\$" "$work/stdout.txt" ||
  fail "no fit of $expected_frames frames reported"
grep -q "Failed to load" "$work/stdout.txt" && fail "a cancel must not report a failed load"
echo "start_cancel: ok"
