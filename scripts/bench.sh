#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them; prints medians of 10 runs.
# The first run generates a whole market (9,000 securities, 500 days) in
# the temporary folder. Without a DISPLAY the drawing benchmarks get a
# private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADMER_TESTS=OFF -DKADMER_BENCH=ON >/dev/null
cmake --build build-bench
if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 2400x1000x24 -nolisten tcp -noreset 2>/dev/null)
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  read -r -t 15 number <&3 || { echo "bench: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$number"
fi
build-bench/bench/kadmer_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true "$@"
