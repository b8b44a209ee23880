#!/usr/bin/env bash
# The threaded readers under ThreadSanitizer on a generated market: every
# list of a scan, the A/D line of all stocks and of all groups, and a group
# load in both modes, with four threads whatever the machine has. Any report
# ends the tool with status 66 and fails the script.
#   bash scripts/tsan-market.sh BUILD_DIR   (a build with -DKADMER_TSAN=ON)
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}"
market=$(mktemp -d)
trap 'rm -rf "$market"' EXIT
"$build/kadmer-gen" --out "$market" --stocks 400 --funds 20 --days 80 --end 261204 >/dev/null
echo "threads=4" >>"$market/.kadmer"
cd "$market"
run() {
  if ! "$@" >/dev/null 2>"$market/err"; then
    echo "tsan-market: $* failed:"
    head -n 40 "$market/err"
    exit 1
  fi
}
for list in price percent volume "dollar value" volatity gaps top/bottom "moving avg" bolinger groups \
            "high volume" rsi fibonacci distribution "low count" "high count"; do
  run "$build/kadmer-scan" --start 2026-09-01 --end 2026-12-04 --compare 2026-10-01 --list "$list"
done
for depth in S G TECH; do
  run "$build/kadmer-dump" --adline "$depth" --first 2026-09-01 --last 2026-12-04
done
for mode in t s; do
  run "$build/kadmer-dump" --group TECH --group-mode "$mode"
done
echo "tsan-market: 16 lists, 3 A/D lines and 2 group loads with 4 threads, no report"
