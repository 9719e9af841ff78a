#!/usr/bin/env bash
# Configures and builds everything into build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
# Line tables are debug information enough for backtraces and profiles, at a fraction of
# the compile time of full debug information. MINAMO_BENCHMARKS=OFF leaves the benchmarks
# out (the test command does; they are timed by hand, never in CI).
# MINAMO_OPT sets the optimisation (the test command builds at -O1, quicker to compile).
source scripts/compiler-cache.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="${MINAMO_OPT:--O2} -g1 -DNDEBUG" "${CACHE_LAUNCHER[@]}" \
  -DMINAMO_BENCHMARKS="${MINAMO_BENCHMARKS:-ON}" >/dev/null
cmake --build build --parallel "$(nproc)"
