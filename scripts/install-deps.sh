#!/usr/bin/env bash
# Installs what the build, the editor and the tests need, from Debian's packages.
# Quick when everything is already present: apt is only called for what is missing.
set -euo pipefail

packages=(
  build-essential cmake
  libfltk1.3-dev fluid        # FLTK's CMake package fails to load without fluid
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  googletest libgtest-dev
  xvfb xauth xdotool libx11-dev
  imagemagick
  assimp-utils
  python3                     # the end-to-end edit test checks the written clip with it
  clang libclang-rt-14-dev
  clang-format                # CI fails on a file that differs from .clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
