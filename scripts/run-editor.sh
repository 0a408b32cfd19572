#!/usr/bin/env bash
# Builds the editor and starts it in the folder that holds the default clip
# (dance01.bvh) and the ground texture (checker.tga). Cancel the file chooser
# to edit the default clip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target motion-path-editor
exec ./build/motion-path-editor
