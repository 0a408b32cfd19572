#!/usr/bin/env bash
# Shared helpers of the editor's end-to-end scripts (sourced, not a test).
# The scripts run on a private X display without a window manager
# (tests/with-xvfb.sh) and need MPE_EDITOR and MPE_SOURCE_DIR.
#
# After `editor_setup NAME`: $work is the editor's working folder (holding
# dance01.bvh and checker.tga from the source tree), $home its HOME (the file
# chooser keeps its preferences there), and the editor's output goes to
# $work/stdout.txt and $work/stderr.txt.

: "${MPE_EDITOR:?path of motion-path-editor}"
: "${MPE_SOURCE_DIR:?path of the source tree}"

# This folder, absolute: the scripts change into $work.
lib_editor_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

editor_pid=""
editor_status=""
test_name=""
work=""
home=""

editor_cleanup() {
  if [ -n "$editor_pid" ] && kill -0 "$editor_pid" 2>/dev/null; then
    kill "$editor_pid" 2>/dev/null || true
    wait "$editor_pid" 2>/dev/null || true
  fi
  [ -n "$work" ] && rm -rf "$work"
  [ -n "$home" ] && rm -rf "$home"
  return 0
}

editor_setup() {
  test_name=$1
  work=$(mktemp -d)
  home=$(mktemp -d)
  trap editor_cleanup EXIT
  cp "$MPE_SOURCE_DIR/dance01.bvh" "$MPE_SOURCE_DIR/checker.tga" "$work/" ||
    fail "dance01.bvh and checker.tga must be in the source tree"
}

fail() {
  echo "$test_name: FAILED: $*" >&2
  local log
  for log in stdout.txt stderr.txt; do
    if [ -n "$work" ] && [ -f "$work/$log" ]; then
      echo "--- editor $log (tail) ---" >&2
      head -c 600 "$work/$log" >&2; echo "..." >&2; tail -n 20 "$work/$log" >&2
    fi
  done
  exit 1
}

# Starts the editor in $work.
start_editor() {
  (cd "$work" && HOME="$home" exec "$MPE_EDITOR" >stdout.txt 2>stderr.txt) &
  editor_pid=$!
}

# Waits for a visible window named exactly $1 and prints its id.
wait_window() {
  local id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
  [ -n "$id" ] || fail "no window named \"$1\" appeared"
  echo "$id"
}

# Waits until no visible window is named exactly $1.
wait_window_gone() {
  local i
  for i in $(seq 1 200); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window \"$1\" did not close"
}

# Answers the open chooser titled $1 with the name $2 (relative to the folder
# it shows, $work at first), or cancels it when $2 is empty.
# Keys go through XTEST to the focused window: sent to a window directly,
# Escape also reached the editor's main window.
answer_chooser() {
  local chooser
  chooser=$(wait_window "$1")
  xdotool windowfocus --sync "$chooser"
  sleep 0.3
  if [ -z "$2" ]; then
    xdotool key Escape
  else
    xdotool type --delay 30 "$2"
    sleep 0.3
    xdotool key Return
  fi
  wait_window_gone "$1"
}

# Sends WM_DELETE_WINDOW to window $1, as a window manager's close button
# would (Debian's xdotool has no windowclose). The tool is built on first use.
close_window() {
  local tool="$work/close-window"
  if [ ! -x "$tool" ]; then
    cat >"$work/close-window.c" <<'EOF'
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: close-window WINDOW-ID\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "close-window: cannot open the display\n");
    return 1;
  }
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = (Window)strtoul(argv[1], NULL, 0);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);
  return 0;
}
EOF
    cc -o "$tool" "$work/close-window.c" -lX11 || fail "cannot build the close-window tool"
  fi
  "$tool" "$1" || fail "close-window failed"
}

# Waits up to 20 s for the editor to end and sets editor_status.
wait_editor_exit() {
  local i
  for i in $(seq 1 200); do
    if ! kill -0 "$editor_pid" 2>/dev/null; then
      editor_status=0
      wait "$editor_pid" || editor_status=$?
      editor_pid=""
      return 0
    fi
    sleep 0.1
  done
  fail "the editor did not end after its window was closed"
}

# Closes the main window and checks that the editor ends with status 1.
close_editor() {
  local main
  main=$(wait_window "Motion Capture Path Editing")
  close_window "$main"
  wait_editor_exit
  [ "$editor_status" = 1 ] || fail "exit status $editor_status, expected 1"
}

# Prints the first "Name ..." line of the hierarchy the editor printed.
first_joint_line() {
  grep -m 1 '^Name ' "$work/stdout.txt" || true
}

# Takes a picture of the whole screen as raw RGB into file $1.
screenshot() {
  import -window root -depth 8 "rgb:$1" 2>/dev/null || fail "import could not take a screenshot"
}

# Checks that the picture comes to hold still: within about 8 s, three
# screenshots 0.3 s and then 0.6 s apart must match. A slow build may still be
# drawing what came before, and may stall between two pictures, so a change
# after a match is looked at again rather than taken as a failure; fails
# with $1 otherwise.
wait_still() {
  local i
  screenshot "$work/still_a.rgb"
  for i in $(seq 1 20); do
    sleep 0.3
    screenshot "$work/still_b.rgb"
    if cmp -s "$work/still_a.rgb" "$work/still_b.rgb"; then
      sleep 0.6
      screenshot "$work/still_a.rgb"
      cmp -s "$work/still_a.rgb" "$work/still_b.rgb" && return 0
    else
      mv "$work/still_b.rgb" "$work/still_a.rgb"
    fi
  done
  fail "$1"
}

# Prints "K X Y": the fitted control point of clip $1 (default dance01.bvh)
# that stands farthest from the others inside the view, and its view pixel,
# from the fit on the console and the editor's fixed camera (run in $work).
roomiest_control_point() {
  python3 - "$lib_editor_dir" "${1:-dance01.bvh}" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
import lib_path
pixels = lib_path.control_point_pixels(open("stdout.txt").read(), sys.argv[2])
best = lib_path.roomiest_point(pixels)
print(best, round(pixels[best][0]), round(pixels[best][1]))
EOF
}

# Starts the editor on the default clip (the start-up chooser cancelled) with
# the keyboard on its window; sets $editor to the window's id.
start_on_default_clip() {
  start_editor
  answer_chooser "Choose a BVH File: " ""
  editor=$(wait_window "Motion Capture Path Editing")
  xdotool windowfocus --sync "$editor"
  sleep 0.5
}
