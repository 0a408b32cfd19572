#!/usr/bin/env bash
# Runs a command on a private Xvfb display. -displayfd lets parallel runs
# pick free display numbers without racing each other.
set -u
if ! command -v Xvfb >/dev/null; then
  echo "with-xvfb: Xvfb is not installed (run scripts/install-deps.sh)" >&2
  exit 1
fi
fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo_dir/displayfd" 2>"$fifo_dir/xvfb.log" &
xvfb_pid=$!
read -r display_number <"$fifo_dir/displayfd"
cleanup() { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -rf "$fifo_dir"; }
trap cleanup EXIT
if [ -z "${display_number:-}" ]; then
  echo "with-xvfb: Xvfb did not start:" >&2
  cat "$fifo_dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display_number"
"$@"
status=$?
exit $status
