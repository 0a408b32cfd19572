#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target]  (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMPE_FUZZ=ON -DMPE_GUI=OFF -DMPE_TESTS=OFF -DMPE_WERROR=ON
cmake --build build-fuzz -j"$(nproc)"

root=$(pwd)
status=0
for source in tests/fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  options=()
  case "$name" in
    # Long runs of frame lines and lone carriage returns are where the
    # reader's costs hide: its inputs may be long from the start (32 KiB
    # still runs well over a thousand inputs a second).
    BvhReaderFuzz) seeds=tests/fuzz/corpus/reader
      options=(-dict="$root/tests/fuzz/BvhReaderFuzz.dict" -max_len=32768 -len_control=0) ;;
    ReadFitWriteFuzz) seeds=tests/fuzz/corpus/readfitwrite ;;
    TgaLoadFuzz) seeds=tests/fuzz/corpus/tga ;;
    *) seeds=tests/fuzz/corpus/$name ;;
  esac
  work=$(mktemp -d)
  echo "== $name for ${seconds}s (seeds: $seeds)"
  # Output of the code under test is noise here; findings go to stderr.
  if ! (cd "$work" && "$root/build-fuzz/$name" -max_total_time="$seconds" -timeout=20 \
        -rss_limit_mb=4096 "${options[@]}" -print_final_stats=1 "$work" "$root/$seeds" >/dev/null); then
    echo "!! $name found a failure; reproducer left in $work" >&2
    status=1
  else
    rm -rf "$work"
  fi
done
exit $status
