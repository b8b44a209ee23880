#!/usr/bin/env bash
# Builds kadmer and runs the tests, as CI does:
#   1. g++ with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as
#      errors: every test, the window tests on a private Xvfb;
#   2. the plain Release build a packager runs (no extra flags): the tests
#      without the window, and an install into a temporary prefix;
#   3. clang, warnings as errors: the tests without the window;
#   4. without the window (-DKADMER_WINDOW=OFF): the layers and the tools,
#      built where an X header would stop the compiler, and their tests;
#   5. clang with ThreadSanitizer, without the window: the tests, and the
#      threaded readers on a generated market with four threads;
#   6. every fuzz target for FUZZ_SECONDS (default 20) seconds.
# "bash scripts/test.sh quick" runs the first stage only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
stage() { echo "== test: $*"; }

stage "layers"
bash scripts/check-layers.sh

stage "g++, sanitizers"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_SANITIZE=ON -DKADMER_WERROR=ON >/dev/null
cmake --build build-test
(cd build-test && ctest --output-on-failure -j2)
[ "${1:-}" = quick ] && exit 0

stage "plain Release build"
cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-plain
(cd build-plain && ctest --output-on-failure -j2 -LE gui)
bash scripts/check-install.sh build-plain

stage "clang"
CC=clang CXX=clang++ cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_WERROR=ON >/dev/null
cmake --build build-clang
(cd build-clang && ctest --output-on-failure -j2 -LE gui)

stage "without the window"
poison=$(mktemp -d)
trap 'rm -rf "$poison"' EXIT
mkdir -p "$poison/X11"
for h in X.h Xlib.h Xutil.h Xresource.h keysym.h cursorfont.h; do
  echo '#error "below the user interface nothing includes X"' >"$poison/X11/$h"
done
cmake -S . -B build-nox -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADMER_WINDOW=OFF -DKADMER_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-isystem $poison" >/dev/null
cmake --build build-nox
(cd build-nox && ctest --output-on-failure -j2)

stage "ThreadSanitizer"
# The size limit of the failed-write test stops the sanitizer's own writes.
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_TSAN=ON -DKADMER_WINDOW=OFF \
  -DKADMER_WERROR=ON >/dev/null
cmake --build build-tsan
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 exitcode=66" ctest --output-on-failure -j2 -E AFailedWrite)
bash scripts/tsan-market.sh build-tsan

stage "fuzz targets"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
