#!/usr/bin/env bash
# The tests of the parts that run threads of their own (sound loading and mixing, the
# video recorder's encoder, the control server's protocol) built again with clang's
# ThreadSanitizer and run: a data race fails the run. Only those test programs and what
# they link are built.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/compiler-cache.sh
TESTS=(sound_tests record_tests remote_tests)
CXX=clang++ CC=clang cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${CACHE_LAUNCHER[@]}" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG -fsanitize=thread" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DMINAMO_TESTS=ON -DMINAMO_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan --target "${TESTS[@]}"
export QT_QPA_PLATFORM=offscreen
# Qt itself is not instrumented: what it hands between threads through its own locks is
# described in the suppressions, nothing of ours.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
for t in "${TESTS[@]}"; do
  echo "== $t (threads)"
  "./build-tsan/tests/$t" --gtest_brief=1
done
