#!/usr/bin/env bash
# Mutation testing: checks that the test suite catches small deliberate faults.
#
#   bash scripts/mutants.sh [SRC_TREE]
#
# Copies SRC_TREE (default: this repository; build*/ and .git left out) to a
# temporary directory, makes one Debug build there without sanitizers, and
# runs the whole suite once unchanged. Then, for each line of
# scripts/mutants.txt (or of the file named by $MUTANTS), it applies the
# fault, rebuilds, runs the suite until the first failure, and puts the file
# back ($TESTS, a ctest regular expression, runs only the tests it names). A
# mutant is "killed" when a test fails (or the build does), "survived"
# when every test passes, and "stale" when its original text no longer occurs
# exactly once. The window tests start their own private Xvfb.
#
# Exit status: 0 when the run completed (whatever survived), 1 when the
# unchanged suite fails, 2 on a usage error.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
mutants=${MUTANTS:-$here/mutants.txt}
if [ $# -gt 1 ] || [[ ${1:-} == -* ]]; then
  echo "usage: $0 [SRC_TREE]" >&2
  exit 2
fi
src=$(cd "${1:-$here/..}" 2>/dev/null && pwd) || { echo "mutants: no such directory: $1" >&2; exit 2; }
[ -f "$src/CMakeLists.txt" ] || { echo "mutants: $src has no CMakeLists.txt" >&2; exit 2; }
[ -f "$mutants" ] || { echo "mutants: no list $mutants" >&2; exit 2; }

bash "$here/setup.sh"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kadmer-mutants.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
tree=$tmp/src build=$tmp/build log=$tmp/log
mkdir -p "$tree"
shopt -s dotglob nullglob
for entry in "$src"/*; do
  name=${entry##*/}
  [[ $name == .git || ( -d $entry && $name == build* ) ]] && continue
  cp -a "$entry" "$tree/"
done
shopt -u dotglob nullglob

start=$SECONDS
elapsed() { local s=$((SECONDS - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }

build() { cmake --build "$build" -j2 >"$log" 2>&1; }
# $TESTS (a ctest regular expression) runs only the tests it names: how many
# of the faults one group of tests catches on its own.
suite() { (cd "$build" && ctest ${TESTS:+-R "$TESTS"} --stop-on-failure -j2 --timeout 180 >"$log" 2>&1); }
# The first failed test named in the ctest log.
first_failure() { sed -nE 's/^[[:space:]]+[0-9]+ - ([^ ]+).*/\1/p' "$log" | head -n 1; }

echo "mutants: building $src in $tmp"
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_SANITIZE=OFF \
  -DKADMER_BENCH=OFF >"$log" 2>&1 || { cat "$log"; exit 1; }
build || { tail -n 40 "$log"; echo "mutants: the unchanged tree does not build"; exit 1; }
if ! suite; then
  tail -n 40 "$log"
  echo "mutants: the unchanged suite fails ($(first_failure)); nothing to measure"
  exit 1
fi
echo "mutants: the unchanged suite passes ($(elapsed "$start"))"

# How often the literal text $2 occurs in $1.
occurrences() {
  local text=$1 n=0
  while [[ $text == *"$2"* ]]; do
    text=${text#*"$2"}
    n=$((n + 1))
  done
  echo "$n"
}

total=0 killed=0 compile=0 survived=0 stale=0
while IFS='|' read -r path original replacement what; do
  [[ -z $path || $path == \#* ]] && continue
  total=$((total + 1))
  mstart=$SECONDS
  file=$tree/$path
  label=$(printf '%2d %-30s %s' "$total" "$path" "$what")
  if [ ! -f "$file" ] || [ "$(occurrences "$(<"$file")" "$original")" != 1 ]; then
    stale=$((stale + 1))
    echo "$label: stale"
    continue
  fi
  cp "$file" "$tmp/original"
  text=$(<"$file")
  printf '%s\n' "${text/"$original"/"$replacement"}" >"$file"
  if ! build; then
    result="killed (compile)"
    killed=$((killed + 1)) compile=$((compile + 1))
  elif ! suite; then
    result="killed by $(first_failure)"
    killed=$((killed + 1))
  else
    result="SURVIVED"
    survived=$((survived + 1))
  fi
  cp "$tmp/original" "$file"  # a fresh time stamp: the next build compiles it again
  echo "$label: $result [$(elapsed "$mstart")]"
done <"$mutants"

[ "$compile" -gt 0 ] && echo "mutants: $compile of the killed failed to build"
echo "mutants: total time $(elapsed "$start")"
echo "mutants: $killed killed, $survived survived, $stale stale (of $total)"
exit 0
