#!/usr/bin/env bash
# Builds an optimised tree and runs every Google Benchmark program in Benchmarks/.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOR_BUILD_BENCHMARKS=ON -DQUOR_BUILD_TESTS=ON
cmake --build build/bench
status=0
for bench in build/bench/bin/bench_*; do
  [ -x "$bench" ] || continue
  if [ $# -gt 0 ] && [[ "$(basename "$bench")" != *"$1"* ]]; then continue; fi
  echo "== $(basename "$bench")"
  QT_QPA_PLATFORM=offscreen QUORZUB_RESOURCES="$PWD/build/bench/share/quorzub" "$bench" || status=1
done
exit $status
