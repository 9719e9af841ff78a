#!/usr/bin/env bash
# Builds the fare data reader's fuzz target with clang and runs it for N seconds
# (default 30) on the demo routes as seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-30}"
CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/corpus
cp demo/*.hy3 build-fuzz/corpus/
./build-fuzz/fuzz_hy3 -max_total_time="$SECONDS_TO_RUN" -max_len=8192 -print_final_stats=1 \
  build-fuzz/corpus 2>&1 | tail -n 12
