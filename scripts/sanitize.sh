#!/usr/bin/env bash
# Builds with the address and undefined-behaviour sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMPE_SANITIZE=ON -DMPE_WERROR=ON
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Mesa's render threads can trip LeakSanitizer's exit-time scan; draw on one thread.
export LP_NUM_THREADS=0
# Mesa's shader-cache thread likewise: LeakSanitizer's tracer crashed on it at
# exit (the editor aborted with "Tracer caught signal 11") on a busy machine.
export MESA_SHADER_CACHE_DISABLE=true
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
