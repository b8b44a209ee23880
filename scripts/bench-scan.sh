#!/usr/bin/env bash
# Whole-market reads against the speed of the disk, in one run: the percent
# screen, the A/D line and a group load from day files beside `cat` of the
# same files (in the page cache), the percent screen beside DuckDB's CSV
# reader, a 30-year market screened over 1 to 30 years, and the screen's
# peak memory. Medians of $RUNS runs (default 5) of the whole process.
#
#   bash scripts/bench-scan.sh            every core (the settings' default)
#   THREADS=1 bash scripts/bench-scan.sh  one thread
#
# The markets are generated once into ${TMPDIR:-/tmp}/kadmer-bench. DuckDB
# runs when node and npm are installed: @duckdb/node-api is installed into
# that folder (never a dependency of the build or the tests); NO_DUCKDB=1
# leaves it out.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
threads=${THREADS:-0}
build=build-scan
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADMER_TESTS=OFF -DKADMER_BENCH=OFF >/dev/null
cmake --build $build --target kadmer-scan kadmer-dump kadmer-gen >/dev/null
[ -x /usr/bin/time ] || { echo "bench-scan: needs /usr/bin/time (the Debian package time)" >&2; exit 1; }
scratch=${TMPDIR:-/tmp}/kadmer-bench
mkdir -p "$scratch"
tmp=$(mktemp -d "$scratch/scan.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# A market and settings that name it by absolute paths.
market() {  # DIR STOCKS FUNDS DAYS [PROFILE [SYMBOL_EVERY]]
  [ -f "$1/days/s261204" ] ||
    $build/kadmer-gen --out "$1" --stocks "$2" --funds "$3" --days "$4" --end 261204 --symbol-every "${6:-1000000}" \
      --profile "${5:-demo}" >/dev/null
  printf 'generaldir=%s/general\nsymboldir=%s/symbols\ndaydir=%s/days\nthreads=%s\n' "$1" "$1" "$1" "$threads" \
    >"$tmp/${1##*/}.kadmer"
}
market "$scratch/market" 9000 200 500  # the benchmarks' market (bench/market.cpp)
market "$scratch/market30" 2000 0 7500
market "$scratch/real" 9000 200 500 real  # the same size with penny stocks, halts, sectors that list and delist
market "$scratch/history" 9000 200 500 demo 1  # a history file for every security: what the averages read
printf 'mvavgtype=1\nmvavgdays=20\n' >>"$tmp/history.kadmer"
m1=$scratch/market m30=$scratch/market30

# Seconds of the median run of a command.
median() {
  local t=()
  for _ in $(seq "$runs"); do
    local s=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    t+=($((($(date +%s%N) - s) / 1000)))
  done
  printf '%s\n' "${t[@]}" | sort -n | awk -v n="$runs" '{v[NR]=$1} END {printf "%.3f", v[int((n + 1) / 2)] / 1e6}'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", a / b}'; }
# The stock day files in date order (two-digit years from 69 on are the
# 1900s), from the one before START (YYMMDD) up to the end, and the last N.
dated() { ls "$1"/days/s* | awk '{d = substr($0, length($0) - 5); print (d >= "69" ? "19" : "20") d, $0}' | sort; }
full() { awk -v d="$1" 'BEGIN {print (d >= "69" ? "19" : "20") d}'; }
files_from() { dated "$1" | awk -v f="$(full "$2")" '$1 < f {last = $2; next} {if (last) print last; last = ""; print $2}'; }
last_files() { dated "$1" | tail -n "$2" | cut -d" " -f2; }
mb() { cat "$@" | wc -c | awk '{printf "%.0f", $1 / 1e6}'; }

last252=$(last_files "$m1" 252 | sed -n 1p)  # sed reads on: no SIGPIPE for the pipeline
start252=${last252##*/s}
files_from "$m1" "$start252" >"$tmp/screen"
last_files "$m1" 500 >"$tmp/ad"
first500=$(head -n 1 "$tmp/ad") first500=${first500##*/s}
cat $(cat "$tmp/screen" "$tmp/ad") >/dev/null  # into the page cache

screen=(--config "$tmp/market.kadmer" --list percent --csv --start "$start252" --end 261204)
t_screen=$(median $build/kadmer-scan "${screen[@]}")
t_screen_cat=$(median cat $(cat "$tmp/screen"))
# Screens of one's own beside the lists they compare with: one naming only
# the query's measures against the percent list, one naming history
# measures against the moving-average list (both read every history file).
range=(--config "$tmp/market.kadmer" --csv --start "$start252" --end 261204)
history=(--config "$tmp/history.kadmer" --csv --start "$start252" --end 261204)
where=(--where "pct > 5 and 10 <= close <= 200 and volsum > 0")
where_hist=(--where "close > mvavg and rsi > 50 and hivol > 1")
t_where=$(median $build/kadmer-scan "${range[@]}" "${where[@]}")
cat "$scratch"/history/days/s* "$scratch"/history/symbols/* >/dev/null
t_mvavg=$(median $build/kadmer-scan "${history[@]}" --list "moving avg")
t_where_hist=$(median $build/kadmer-scan "${history[@]}" "${where_hist[@]}")
t_ad=$(median $build/kadmer-dump --config "$tmp/market.kadmer" --adline S --first "$first500" --last 261204)
t_ad_cat=$(median cat $(cat "$tmp/ad"))
t_group=$(median $build/kadmer-dump --config "$tmp/market.kadmer" --group TECH)
cat "$scratch"/real/days/s* >/dev/null
t_real_screen=$(median $build/kadmer-scan --config "$tmp/real.kadmer" --list percent --csv --start "$start252" --end 261204)
t_real_group=$(median $build/kadmer-dump --config "$tmp/real.kadmer" --group TECH)

echo "kadmer-bench-scan: $(nproc) cores, threads=$threads (0: every core), medians of $runs"
printf '%-52s %9s %9s %7s %s\n' work kadmer cat ratio goal
printf '%-52s %8ss %8ss %6sx %s\n' "percent screen, 252 days ($(mb $(cat "$tmp/screen")) MB)" "$t_screen" "$t_screen_cat" \
  "$(ratio "$t_screen" "$t_screen_cat")" "<= 2.5x"
printf '%-52s %8ss %8ss %6sx %s\n' "screen of query measures (screen, percent list)" "$t_where" "$t_screen" \
  "$(ratio "$t_where" "$t_screen")" "<= 1.15x"
printf '%-52s %8ss %8ss %6sx %s\n' "screen of history measures (screen, moving avg)" "$t_where_hist" "$t_mvavg" \
  "$(ratio "$t_where_hist" "$t_mvavg")" "<= 1.15x"
printf '%-52s %8ss %8ss %6sx %s\n' "A/D line S, 500 days ($(mb $(cat "$tmp/ad")) MB)" "$t_ad" "$t_ad_cat" \
  "$(ratio "$t_ad" "$t_ad_cat")" "<= 2.5x"
printf '%-52s %8ss %8ss %6sx\n' "group TECH from day files, 500 days" "$t_group" "$t_ad_cat" "$(ratio "$t_group" "$t_ad_cat")"
printf '%-52s %8ss\n' "real profile: percent screen, 252 days" "$t_real_screen"
printf '%-52s %8ss\n' "real profile: sector TECH ($(grep -c ':TECH' "$scratch/real/general/companys") members), 500 days" \
  "$t_real_group"

# DuckDB's multi-threaded CSV reader on the same screen: the first and last
# close of each symbol, by file date, and the percent between them.
if [ -z "${NO_DUCKDB:-}" ] && command -v node >/dev/null && command -v npm >/dev/null; then
  duck=$scratch/duckdb
  [ -d "$duck/node_modules/@duckdb/node-api" ] ||
    (mkdir -p "$duck" && cd "$duck" && npm install --no-audit --no-fund --silent @duckdb/node-api >/dev/null 2>&1) || true
  if [ -d "$duck/node_modules/@duckdb/node-api" ]; then
    cat >"$duck/percent.mjs" <<'EOF'
import { DuckDBInstance } from '@duckdb/node-api';
import { readFileSync } from 'node:fs';
const files = readFileSync(process.argv[2], 'utf8').trim().split('\n').map((f) => `'${f}'`).join(',');
const db = await DuckDBInstance.create(':memory:');
const c = await db.connect();
const r = await c.runAndReadAll(`
  WITH q AS (SELECT symbol, close, filename FROM read_csv([${files}], header = false, filename = true, delim = ',', quote = '', comment = '#', auto_detect = false,
             columns = {'symbol': 'VARCHAR', 'high': 'DOUBLE', 'low': 'DOUBLE', 'close': 'DOUBLE', 'volume': 'DOUBLE'}))
  SELECT symbol, arg_min(close, filename) AS first, arg_max(close, filename) AS last,
         (last - first) / first * 100 AS pct FROM q GROUP BY symbol HAVING first <> last ORDER BY pct DESC`);
process.stdout.write(r.getRows().map((row) => row.join(',')).join('\n') + '\n');
EOF
    t_duck=$(median node "$duck/percent.mjs" "$tmp/screen")
    printf '%-52s %8ss %8ss %6sx %s\n' "percent screen against DuckDB (kadmer, DuckDB)" "$t_screen" "$t_duck" \
      "$(ratio "$t_screen" "$t_duck" | awk '{print $1}')" "<= 0.15x"
  else
    echo "DuckDB: @duckdb/node-api could not be installed; left out"
  fi
else
  echo "DuckDB: left out (NO_DUCKDB, or no node and npm)"
fi

# The 30-year market over 1 to 30 years: the time a year should stay flat.
echo
printf '%-52s %9s %9s\n' "2,000 securities, percent screen over" seconds "ms/year"
cat "$m30"/days/s* >/dev/null
second=$(dated "$m30" | sed -n 2p | cut -d" " -f2)
for years in 1 2 5 10 20 30; do
  start=$(awk -v y="$years" 'BEGIN {printf "%02d1204", (26 - y + 100) % 100}')
  [ "$years" = 30 ] && start=${second##*/s}  # the whole market: its first file starts the screen
  t=$(median $build/kadmer-scan --config "$tmp/market30.kadmer" --list percent --csv --start "$start" --end 261204)
  printf '%-52s %8ss %9s\n' "$years years from $start ($(files_from "$m30" "$start" | wc -l) day files)" "$t" \
    "$(awk -v t="$t" -v y="$years" 'BEGIN {printf "%.1f", t * 1000 / y}')"
done

# Peak memory of the screens: above the tool's own (tables read, no day
# file), against twice the query table and one file a thread.
printf '#include <cstdio>\n#include "query/query.h"\nint main() { std::printf("%%zu", sizeof(QueryRec)); }\n' >"$tmp/size.cpp"
c++ -std=c++20 -Isrc "$tmp/size.cpp" -o "$tmp/size"
row=$("$tmp/size")
workers=$threads
[ "$workers" = 0 ] && workers=$(nproc)
echo
printf '%-30s %9s %9s %9s %9s\n' "peak resident (KB)" screen tool above bound
for m in market market30; do
  list=$tmp/screen
  start=$start252
  [ $m = market30 ] && start=${second##*/s} && files_from "$m30" "$start" >"$list.30" && list=$list.30
  peak() { { /usr/bin/time -f %M "$@" 2>&1 >/dev/null || true; } | tail -n 1; }
  used=$(peak $build/kadmer-scan --config "$tmp/$m.kadmer" --list percent --csv --start "$start" --end 261204)
  base=$(peak $build/kadmer-scan --config "$tmp/$m.kadmer" --list percent --csv --start 800101 --end 800201)
  rows=$(cut -d, -f1 $(cat "$list") | grep -v '^#' | sort -u | wc -l)
  largest=$(ls -l $(cat "$list") | awk '$5 > m {m = $5} END {print m}')
  bound=$(((2 * rows * row + workers * largest) / 1024))
  printf '%-30s %9s %9s %9s %9s\n' "$m ($rows rows of $row bytes)" "$used" "$base" "$((used - base))" "$bound"
done
# A screen holds no more than the list it is compared with, and its result.
for pair in "percent|${where[1]}" "moving avg|${where_hist[1]}"; do
  on=("${range[@]}")
  [ "${pair%%|*}" = "moving avg" ] && on=("${history[@]}")
  used_list=$(peak $build/kadmer-scan "${on[@]}" --list "${pair%%|*}")
  used_where=$(peak $build/kadmer-scan "${on[@]}" --where "${pair#*|}")
  printf '%-52s %9s %9s\n' "screen \"${pair#*|}\" (KB; list ${pair%%|*})" "$used_where" "$used_list"
done
