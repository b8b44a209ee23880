#!/usr/bin/env bash
# Builds kadmer with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test (the window tests on a private Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADMER_SANITIZE=ON -DKADMER_WERROR=ON >/dev/null
cmake --build build-test
cd build-test
ctest --output-on-failure -j2
