#!/usr/bin/env bash
# Sets everything up and checks everything, from one build: clang with the address and
# undefined-behaviour sanitizers, which serves the unit tests, the end-to-end tests (the
# program itself instrumented) and the fuzz targets. Then a short, repeatable fuzzing pass
# over every fuzz target, the whole test suite headless, and the tests of the threaded
# parts again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build-checked.sh
# A fixed number of inputs from a fixed seed: the same check on every run.
FUZZ_RUNS="${FUZZ_RUNS:-3000}" FUZZ_BUILD=build-check bash scripts/fuzz.sh

export QT_QPA_PLATFORM=offscreen
# Leaks are not looked for: Qt, fontconfig and the sound libraries keep what they load
# for the whole run. A small quarantine keeps the instrumented program's memory near the
# real one's (a test bounds what a greedy client may cost).
export ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=16
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd build-check && ctest --output-on-failure --parallel "$(nproc)")
unset ASAN_OPTIONS UBSAN_OPTIONS
bash scripts/tsan.sh
