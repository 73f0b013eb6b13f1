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

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "test.sh: need root or sudo to run: $*" >&2
        return 1
    fi
}

# apt-get waits for a lock held by another installer; the retries cover the
# lists lock of a concurrent update as well.
apt_install() {
    local attempt
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        if as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y "$@"; then
            return 0
        fi
        echo "test.sh: apt-get install $* failed (attempt $attempt), updating lists and retrying" >&2
        as_root apt-get -o DPkg::Lock::Timeout=300 update || true
        sleep 10
    done
    return 1
}

have_gtest() {
    [ -d /usr/src/googletest ] || return 1
    local f
    for f in /usr/lib/*/cmake/GTest/GTestConfig.cmake /usr/lib/cmake/GTest/GTestConfig.cmake \
             /usr/local/lib/cmake/GTest/GTestConfig.cmake; do
        [ -f "$f" ] && return 0
    done
    return 1
}

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
have_gtest || missing+=(libgtest-dev)
# nlohmann JSON (header-only) writes the QCSchema output.
[ -f /usr/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake ] || [ -f /usr/lib/cmake/nlohmann_json/nlohmann_jsonConfig.cmake ] \
    || missing+=(nlohmann-json3-dev)
if [ "${#missing[@]}" -gt 0 ]; then
    echo "test.sh: installing ${missing[*]}"
    apt_install "${missing[@]}"
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DVELKO_TESTS=ON "$@"
cmake --build "$BUILD_DIR" -j"$JOBS"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS"
