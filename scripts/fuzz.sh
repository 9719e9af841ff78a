#!/usr/bin/env bash
# Builds every fuzz target with clang (the libraries they link instrumented with ASan and
# UBSan too) and runs each for N seconds (default 30) on its seed corpus. With FUZZ_RUNS
# set, each runs that many inputs from a fixed seed instead: the same inputs every time,
# so a test run is repeatable (longer, open-ended fuzzing is the timed form). With
# FUZZ_BUILD naming a tree already built with them (the test command's build-check), the
# targets there are run and nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-30}"
MAX_LEN="${FUZZ_MAX_LEN:-65536}"
TARGETS=(fuzz_hy3 fuzz_sound fuzz_pcf fuzz_in4 fuzz_broadcast fuzz_plugin fuzz_protocol fuzz_http fuzz_gtfs)
B="${FUZZ_BUILD:-}"
if [ -z "$B" ]; then
  B=build-fuzz
  source scripts/compiler-cache.sh
  CXX=clang++ CC=clang cmake -S . -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${CACHE_LAUNCHER[@]}" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DMINAMO_FUZZ=ON -DMINAMO_TESTS=OFF -DMINAMO_BENCHMARKS=OFF >/dev/null
  cmake --build "$B" --target "${TARGETS[@]}" in4
fi

# Seeds per target: the files each reader is meant for.
seed() {
  case "$1" in
    fuzz_hy3) cp demo/*.hy3 "$2"/ ;;
    fuzz_sound) cp demo/sounds/*.wav demo/sounds/*.mid "$2"/ ;;
    fuzz_in4) "./$B/tools/in4" new "$2/defaults.in4" 2>/dev/null || true ;;
    fuzz_pcf) zcat /usr/share/fonts/X11/misc/9x18gm.pcf.gz >"$2/9x18gm.pcf" ;;
    fuzz_broadcast) cp demo/*tp.csv demo/*Tp.csv demo/yomi.csv "$2"/ ;;
    fuzz_plugin) cp demo/plugins/*.4SP "$2"/ ;;
    fuzz_protocol) cp docs/examples/requests/*.json "$2"/ ;;
    fuzz_http) cp docs/examples/http/*.http "$2"/ ;;
    fuzz_gtfs) cp tests/gtfs/seeds/*.feed "$2"/ ;;
  esac
}

for t in "${TARGETS[@]}"; do
  corpus="$B/corpus-$t"
  mkdir -p "$corpus"
  seed "$t" "$corpus"
  echo "== $t"
  # Sounds are decoded and resampled whole: short inputs keep the pass quick.
  LEN="$MAX_LEN"
  if [ "$t" = fuzz_sound ] && [ "$LEN" -gt 8192 ]; then LEN=8192; fi
  if [ -n "${FUZZ_RUNS:-}" ]; then
    LIMIT=(-seed=1 -runs="$FUZZ_RUNS")
  else
    LIMIT=(-max_total_time="$SECONDS_TO_RUN")
  fi
  "./$B/fuzz/$t" "${LIMIT[@]}" -max_len="$LEN" -print_final_stats=1 \
    "$corpus" 2>&1 | tail -n 12
done
