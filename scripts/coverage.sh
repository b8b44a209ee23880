#!/usr/bin/env bash
# What the suite runs: line and branch coverage of src/ and tools/.
#
#   bash scripts/coverage.sh [BUILD_DIR]
#
# Makes a Debug build with GCC's --coverage in BUILD_DIR (default
# build-coverage), runs the whole suite there (the window tests on their
# private Xvfb), and prints line and branch coverage per file and overall;
# the HTML report is BUILD_DIR/coverage/index.html and the per-line counts
# BUILD_DIR/coverage.json (what `mutants.sh --sample` draws its lines from).
# Branches the compiler adds for exceptions, and those it proves
# unreachable, are left out (and gcov's rare count of -1, from a counter
# written as a stopped program dies, is skipped); so are tools/dev/, the tests, the benchmarks
# and the fuzz targets.
#
# Exit status: 0 when the suite passed and the report was written, 1 when
# the suite failed (the report is written all the same), 2 on a usage error.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -le 1 ] && [[ ${1:-} != -* ]] || { echo "usage: $0 [BUILD_DIR]" >&2; exit 2; }
build=${1:-build-coverage}

bash scripts/setup.sh gcovr

# The readers run on several threads: their counters are updated atomically.
# KADMER_COVERAGE has the program write its counts when a window test stops it.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_SANITIZE=OFF -DKADMER_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic -DKADMER_COVERAGE" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$build"
find "$build" -name '*.gcda' -delete  # counts of this run only
status=0
# A test that limits a file's size stops the counts' own write too: say it nowhere.
(cd "$build" && GCOV_ERROR_FILE=/dev/null ctest -j2 --timeout 600 >ctest.log 2>&1) || status=1
tail -n 3 "$build/ctest.log"

mkdir -p "$build/coverage"
common=(-r . --object-directory "$build" --filter 'src/' --filter 'tools/' --exclude 'tools/dev/'
        --exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors -j 2)
gcovr "${common[@]}" --json "$build/coverage.json" --html-details "$build/coverage/index.html" \
  --txt "$build/coverage.txt" --print-summary >/dev/null 2>"$build/gcovr.log" \
  || { cat "$build/gcovr.log"; exit 1; }
# Lines and branches side by side, one file a line, the weakest first.
/usr/bin/python3 - "$build/coverage.json" <<'EOF'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
rows, tl, cl, tb, cb = [], 0, 0, 0, 0
for f in files:
    lines = [l for l in f["lines"] if not l.get("gcovr/noncode")]
    l_total = len(lines)
    l_cov = sum(1 for l in lines if l["count"] > 0)
    branches = [b for l in lines for b in l["branches"]]
    b_total = len(branches)
    b_cov = sum(1 for b in branches if b["count"] > 0)
    if l_total == 0:
        continue
    rows.append((l_cov / l_total, f["file"], l_cov, l_total, b_cov, b_total))
    tl, cl, tb, cb = tl + l_total, cl + l_cov, tb + b_total, cb + b_cov
pct = lambda c, t: f"{100 * c / t:5.1f} %" if t else "    - "
print(f"{'file':44} {'lines':>18} {'branches':>18}")
for _, name, lc, lt, bc, bt in sorted(rows):
    print(f"{name:44} {lc:5}/{lt:5} {pct(lc, lt)} {bc:5}/{bt:5} {pct(bc, bt)}")
print(f"{'overall':44} {cl:5}/{tl:5} {pct(cl, tl)} {cb:5}/{tb:5} {pct(cb, tb)}")
for folder in ("src/ui/", "src/paint/", "src/views/", "tools/"):
    fs = [r for r in rows if r[1].startswith(folder)]
    print(f"{folder:44} {pct(sum(r[2] for r in fs), sum(r[3] for r in fs)):>18} "
          f"{pct(sum(r[4] for r in fs), sum(r[5] for r in fs)):>18}")
EOF
echo "coverage: report in $build/coverage/index.html"
exit $status
