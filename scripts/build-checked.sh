#!/usr/bin/env bash
# Configures and builds everything into build-check/ with clang, every library, the
# program and the tests instrumented with the address and undefined-behaviour sanitizers
# (and for libFuzzer, whose targets are built too): the one build the test command runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/compiler-cache.sh
CXX=clang++ CC=clang cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr "${CACHE_LAUNCHER[@]}" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DMINAMO_FUZZ=ON -DMINAMO_TESTS=ON -DMINAMO_BENCHMARKS=OFF >/dev/null
cmake --build build-check --parallel "$(nproc)"
