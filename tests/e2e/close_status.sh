#!/usr/bin/env bash
# Closing the editor's window ends the process with exit status 1, after a
# session that used a few controls.
set -euo pipefail
source "$(dirname "$0")/lib_editor.sh"
editor_setup close_status

start_editor
answer_chooser "Choose a BVH File: " ""
main=$(wait_window "Motion Capture Path Editing")
# "Frame Forward", "\nStrobing" and "Uses Path", as window coordinates.
xdotool mousemove --window "$main" 555 20 click 1
xdotool mousemove --window "$main" 15 20 click 1
xdotool mousemove --window "$main" 95 50 click 1
sleep 0.5
kill -0 "$editor_pid" 2>/dev/null || fail "the editor ended before its window was closed"
close_editor
echo "close_status: ok"
