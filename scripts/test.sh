#!/usr/bin/env bash
# Sets everything up, builds, runs a short fuzzing pass over the fare data reader, then
# the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)"
