#!/usr/bin/env bash
# The single test command: installs what the build needs, configures a Release
# build, builds it and runs the whole test suite. Fails when any test fails.
#
# Environment:
#   BUILD_DIR   build directory (default: build)
#   JOBS        parallel build jobs (default: 2)
# Any arguments are passed to the CMake configure step, for example
#   BUILD_DIR=build-m32 bash scripts/test.sh -DCMAKE_CXX_FLAGS="-m32"
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="${JOBS:-2}"

source scripts/deps.sh

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DVELKO_TESTS=ON "$@"
cmake --build "$BUILD_DIR" -j"$JOBS"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS"
