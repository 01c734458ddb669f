#!/usr/bin/env bash
# Builds the benchmarks (preset "bench") and prints every case beside a copy of
# the same page measured in the same run. Extra arguments go to the benchmark,
# e.g. --benchmark_filter=10MB.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 >/dev/null
exec build/bench/bench/zarvo_bench --benchmark_repetitions=5 "$@"
