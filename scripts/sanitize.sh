#!/usr/bin/env bash
# Builds with the address and undefined-behaviour sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMPE_SANITIZE=ON
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Mesa's render threads can trip LeakSanitizer's exit-time scan; draw on one thread.
export LP_NUM_THREADS=0
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
