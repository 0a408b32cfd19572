#!/usr/bin/env bash
# A clip named in the chooser at start is the one loaded, printed and fitted.
set -euo pipefail
source "$(dirname "$0")/lib_editor.sh"
: "${MPE_CLIP_DATA_DIR:?folder of the sample clips}"
editor_setup start_choose
cp "$MPE_CLIP_DATA_DIR/makehuman-zombieWalk1.bvh" "$work/zombie.bvh"

start_editor
answer_chooser "Choose a BVH File: " "zombie.bvh"
wait_window "Motion Capture Path Editing" >/dev/null
close_editor

first=$(first_joint_line)
case "$first" in
  "Name Root, Offset XYZ "*) ;;
  *) fail "first joint line is \"$first\", expected the root of zombie.bvh" ;;
esac
grep -q "Number of Frames: 31\$" "$work/stdout.txt" || fail "no fit of the clip's 31 frames"
grep -q "Failed to load" "$work/stdout.txt" && fail "the chosen clip should have loaded"
echo "start_choose: ok"
