#!/usr/bin/env bash
# Builds the Debian package build/minamo_<version>_amd64.deb (CPack), after the same
# set-up and build as the other commands.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
ls build/minamo_*_amd64.deb
