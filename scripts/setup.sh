#!/usr/bin/env bash
# Installs the Debian packages kadmer needs to build, test and run its demo,
# and any named as arguments, if any is missing.
set -euo pipefail
packages=(g++ clang libclang-rt-14-dev cmake ninja-build libx11-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xfonts-base xdotool x11-apps imagemagick man-db util-linux
          libcairo2-dev  # kadmer-plot's PNG and PDF
          libexpat1-dev  # only the output fuzz target's XML parser
          "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
