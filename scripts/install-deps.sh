#!/usr/bin/env bash
# Installs the Debian packages the simulator needs to build, run and test.
# Only what is missing is installed, so a second run is quick.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfluidsynth-dev libsndfile1-dev fluid-soundfont-gm sox
  clang libclang-rt-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dseg xfonts-ayu
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
