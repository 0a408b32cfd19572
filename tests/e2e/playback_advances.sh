#!/usr/bin/env bash
# The clip plays on its own: two pictures taken a moment apart differ. With
# "Animated" switched off the picture then holds still.
set -euo pipefail
source "$(dirname "$0")/lib_editor.sh"
editor_setup playback_advances

start_editor
answer_chooser "Choose a BVH File: " ""
main=$(wait_window "Motion Capture Path Editing")

# Playing: some pair of pictures half a second apart differs.
moved=""
for attempt in 1 2 3 4 5 6; do
  screenshot "$work/before.rgb"
  sleep 0.5
  screenshot "$work/after.rgb"
  if ! cmp -s "$work/before.rgb" "$work/after.rgb"; then
    moved=yes
    break
  fi
done
[ -n "$moved" ] || fail "the picture did not change while playing"

# "Animated" is the check button at (80, 5, 30, 30) in the window.
xdotool mousemove --window "$main" 95 20 click 1
wait_still "the picture changed after stopping"

close_editor
echo "playback_advances: ok"
