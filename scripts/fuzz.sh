#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs each for SECONDS (default 60), starting from the seed
# corpus in fuzz/corpus/<target>. New inputs go to a temporary folder, not
# into the repository; a finding is kept in build-fuzz/findings/ and makes
# the script fail. Prints executions and findings per target.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKADMER_FUZZ=ON \
  -DKADMER_TESTS=OFF -DKADMER_WERROR=ON >/dev/null
cmake --build build-fuzz
findings=build-fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for bin in build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$bin" _fuzz)
  mkdir -p "$work/$name"
  log="$work/$name.log"
  set +e
  "$bin" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/$name-" "$work/$name" "fuzz/corpus/$name" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | head -n 1 | grep -o '[0-9]*$' || echo 0)
  if [ $rc -ne 0 ]; then
    failed=1
    echo "fuzz: $name: FINDING after $runs executions (exit $rc); input in $findings"
    grep -m 5 -E 'ERROR|runtime error|SUMMARY' "$log" || tail -n 20 "$log"
  else
    echo "fuzz: $name: $runs executions in ${seconds}s, no findings"
  fi
done
exit $failed
