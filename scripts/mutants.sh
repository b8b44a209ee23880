#!/usr/bin/env bash
# Mutation testing: checks that the test suite catches small deliberate faults.
#
#   bash scripts/mutants.sh [SRC_TREE]
#   bash scripts/mutants.sh --sample N [--seed S] [--files GLOB]... [SRC_TREE]
#   bash scripts/mutants.sh --retry LOG [SRC_TREE]
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
# --sample N makes N faults mechanically instead (scripts/mutate.py): a
# comparison's boundary, == and !=, && and ||, a negated condition, + and -,
# * and /, an integer one up or down, true and false, a statement dropped, a
# returned value emptied; on lines the coverage build executes (coverage.sh
# runs first when its counts are missing or older than the code), spread
# over the files matching GLOB (default src/ and tools/, tools/dev/ aside) by
# their size. The same seed (default: drawn, and printed) gives the same
# sample. Each fault is built and run against the tests that need no window,
# then, if they pass, the window tests; a fault is "killed", "timed out"
# (killed by a test's time limit), "SURVIVED", "did not build", or
# "equivalent" when scripts/mutants-equivalent.txt says why no input tells it
# apart (by file and line, with the line above where like lines differ).
# The kill rate leaves out the last two.
#
# --retry LOG runs the survivors of an earlier --sample run's output again,
# each found by its text wherever its line has moved: whether the tests
# written since kill them.
#
# Exit status: 0 when the run completed (whatever survived), 1 when the
# unchanged suite fails, 2 on a usage error.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
mutants=${MUTANTS:-$here/mutants.txt}
usage() {
  echo "usage: $0 [--sample N [--seed S] [--files GLOB]... | --retry LOG] [SRC_TREE]" >&2
  exit 2
}
sample="" seed=$((RANDOM * 32768 + RANDOM)) globs=() retry=""
while [[ ${1:-} == -* ]]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --sample) sample=$2 ;;
    --seed) seed=$2 ;;
    --files) globs+=("$2") ;;
    --retry) retry=$(realpath -e "$2" 2>/dev/null) || usage; sample=retry ;;
    *) usage ;;
  esac
  shift 2
done
[[ -z $sample || $sample =~ ^[1-9][0-9]*$ || -n $retry ]] && [[ $seed =~ ^[0-9]+$ ]] || usage
[ $# -le 1 ] || usage
src=$(cd "${1:-$here/..}" 2>/dev/null && pwd) || { echo "mutants: no such directory: $1" >&2; exit 2; }
[ -f "$src/CMakeLists.txt" ] || { echo "mutants: $src has no CMakeLists.txt" >&2; exit 2; }
[ -n "$sample" ] || [ -f "$mutants" ] || { echo "mutants: no list $mutants" >&2; exit 2; }

bash "$here/setup.sh"

if [ -n "$retry" ]; then
  picks=$(mktemp "${TMPDIR:-/tmp}/kadmer-sample.XXXXXX")
  /usr/bin/python3 "$here/mutate.py" retry "$retry" "$src" >"$picks"
elif [ -n "$sample" ]; then
  coverage=$src/build-coverage/coverage.json
  if [ ! -f "$coverage" ] || [ -n "$(find "$src/src" "$src/tools" "$src/tests" -newer "$coverage" -print -quit)" ]; then
    echo "mutants: measuring what the suite executes (scripts/coverage.sh)"
    bash "$src/scripts/coverage.sh" >/dev/null || { echo "mutants: the coverage build's suite fails"; exit 1; }
  fi
  picks=$(mktemp "${TMPDIR:-/tmp}/kadmer-sample.XXXXXX")
  /usr/bin/python3 "$here/mutate.py" sample "$coverage" "$src" "$sample" "$seed" ${globs[@]+"${globs[@]}"} >"$picks" \
    || { rm -f "$picks"; exit 2; }
fi

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

if [ -n "$sample" ]; then
  mv "$picks" "$tmp/sample"
  equivalent=$here/mutants-equivalent.txt
  run_tests() {  # $1: the ctest label option; 0 when every test passes
    (cd "$build" && ctest "$1" gui --stop-on-failure -j2 --timeout 180 >"$log" 2>&1)
  }
  total=0 killed=0 timedout=0 survived=0 nobuild=0 same=0 survivors=()
  if [ -n "$retry" ]; then
    echo "mutants: $(wc -l <"$tmp/sample") survivors of $retry tried again"
  else
    echo "mutants: $(wc -l <"$tmp/sample") faults sampled with seed $seed${globs[*]:+ from ${globs[*]}}"
  fi
  while IFS= read -r mutant; do
    total=$((total + 1))
    IFS=$'\t' read -r path line what before after <<<"$mutant"
    label=$(printf '%3d %s:%s %s' "$total" "$path" "$line" "$what")
    if /usr/bin/python3 "$here/mutate.py" equivalent "$equivalent" "$tree" "$mutant"; then
      same=$((same + 1))
      echo "$label: equivalent"
      continue
    fi
    mstart=$SECONDS
    cp "$tree/$path" "$tmp/original"
    /usr/bin/python3 "$here/mutate.py" apply "$tree" "$mutant"
    if ! build; then
      result="did not build"
      nobuild=$((nobuild + 1))
    elif ! run_tests -LE || ! run_tests -L; then
      if grep -q '\*\*\*Timeout' "$log"; then
        result="timed out in $(first_failure)"
        timedout=$((timedout + 1))
      else
        result="killed by $(first_failure)"
        killed=$((killed + 1))
      fi
    else
      result="SURVIVED"
      survived=$((survived + 1))
      survivors+=("$path:$line: $what"$'\n'"    - ${before#"${before%%[![:space:]]*}"}"$'\n'"    + ${after#"${after%%[![:space:]]*}"}")
    fi
    cp "$tmp/original" "$tree/$path"  # a fresh time stamp: the next build compiles it again
    echo "$label: $result [$(elapsed "$mstart")]"
  done <"$tmp/sample"
  echo "mutants: total time $(elapsed "$start")"
  for s in ${survivors[@]+"${survivors[@]}"}; do echo "survived: $s"; done
  counted=$((total - nobuild - same))
  what=${retry:+survivors of $retry}
  echo "mutants: ${what:-seed $seed}: $killed killed, $timedout timed out, $survived survived, $nobuild did not build," \
    "$same equivalent (of $total)"
  [ "$counted" -gt 0 ] && echo "mutants: kill rate $(( (100 * (killed + timedout) + counted / 2) / counted )) %" \
    "($((killed + timedout)) of $counted that built)"
  exit 0
fi

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
