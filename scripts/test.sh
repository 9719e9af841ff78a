#!/usr/bin/env bash
# Sets everything up, builds, runs a short, repeatable fuzzing pass over every fuzz target, the unit
# tests again under the address and undefined-behaviour sanitizers (from the same clang
# build as the fuzz targets), then the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
MINAMO_BENCHMARKS=OFF MINAMO_OPT=-O1 bash scripts/build.sh
# A fixed number of inputs from a fixed seed: the same check on every run.
FUZZ_RUNS="${FUZZ_RUNS:-3000}" SANITIZED_UNIT_TESTS=1 bash scripts/fuzz.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in base_tests ticket_tests elements_tests board_tests settings_tests sound_tests operation_tests remote_tests record_tests gtfs_tests; do
  echo "== $t (sanitizers)"
  "./build-fuzz/tests/$t" --gtest_brief=1
done
unset ASAN_OPTIONS UBSAN_OPTIONS

cd build
ctest --output-on-failure --parallel "$(nproc)"
