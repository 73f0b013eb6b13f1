#!/usr/bin/env bash
# Builds velko (without its tests) and runs it on a bundled example, installing
# what the build needs when it is missing. Usage: bash scripts/example.sh [input]
# (default examples/water.in); a relative input path is taken from the directory
# the script is called in.
set -euo pipefail

input=""
[ $# -ge 1 ] && input="$(realpath -- "$1")"
cd "$(dirname "${BASH_SOURCE[0]}")/.."
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="${JOBS:-2}"
VELKO_NEED_GTEST=0
source scripts/deps.sh

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DVELKO_TESTS=OFF > /dev/null
cmake --build "$BUILD_DIR" -j"$JOBS" --target velko > /dev/null
"$BUILD_DIR/velko" "${input:-examples/water.in}"
