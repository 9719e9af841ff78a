#!/usr/bin/env bash
# Builds every fuzz target with clang (the libraries they link instrumented too) and runs
# each for N seconds (default 30) on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-30}"
MAX_LEN="${FUZZ_MAX_LEN:-65536}"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMINAMO_FUZZ=ON -DMINAMO_TESTS=OFF -DMINAMO_BENCHMARKS=OFF >/dev/null
TARGETS=(fuzz_hy3 fuzz_sound fuzz_pcf fuzz_in4)
cmake --build build-fuzz --target "${TARGETS[@]}"

# Seeds per target: the files each reader is meant for.
seed() {
  case "$1" in
    fuzz_hy3) cp demo/*.hy3 "$2"/ ;;
    fuzz_sound) cp demo/sounds/*.wav demo/sounds/*.mid "$2"/ ;;
    fuzz_in4) ./build/app/in4 new "$2/defaults.in4" 2>/dev/null || true ;;
    fuzz_pcf) zcat /usr/share/fonts/X11/misc/9x18gm.pcf.gz >"$2/9x18gm.pcf" ;;
  esac
}

for t in "${TARGETS[@]}"; do
  corpus="build-fuzz/corpus-$t"
  mkdir -p "$corpus"
  seed "$t" "$corpus"
  echo "== $t"
  "./build-fuzz/fuzz/$t" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
    "$corpus" 2>&1 | tail -n 12
done
