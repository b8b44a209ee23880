#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them; prints medians of 10 runs.
# The first run generates a whole market (9,000 securities, 500 days) in
# the temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADMER_TESTS=OFF -DKADMER_BENCH=ON >/dev/null
cmake --build build-bench
build-bench/bench/kadmer_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true "$@"
