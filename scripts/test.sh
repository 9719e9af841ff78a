#!/usr/bin/env bash
# Sets everything up, builds, runs a short fuzzing pass over every fuzz target, the unit
# tests again under the address and undefined-behaviour sanitizers, then the whole test
# suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

export QT_QPA_PLATFORM=offscreen

# Unit tests under ASan + UBSan (the end-to-end tests run on the normal build below).
UNIT_TESTS=(companion_tests elements_tests board_tests settings_tests sound_tests operation_tests)
cmake --preset asan >/dev/null
cmake --build build-asan --target "${UNIT_TESTS[@]}"
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in "${UNIT_TESTS[@]}"; do
  echo "== $t (sanitizers)"
  "./build-asan/tests/$t" --gtest_brief=1
done
unset ASAN_OPTIONS UBSAN_OPTIONS

cd build
ctest --output-on-failure --parallel "$(nproc)"
