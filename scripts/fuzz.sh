#!/usr/bin/env bash
# Builds the libFuzzer target of the input reader with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs it for a bounded time, seeded with the
# example inputs. Fails on any finding (crash, sanitizer report, unexpected
# exception); the reproducer is left in $FUZZ_DIR/artifacts/.
#
# Environment:
#   FUZZ_DIR      build directory (default: build-fuzz)
#   FUZZ_SECONDS  fuzzing time (default: 60)
#   JOBS          parallel build jobs (default: 2)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
FUZZ_DIR="${FUZZ_DIR:-build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
JOBS="${JOBS:-2}"

cmake -S . -B "$FUZZ_DIR" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELKO_TESTS=OFF -DVELKO_FUZZ=ON
cmake --build "$FUZZ_DIR" -j"$JOBS" --target fuzz_input

# The working corpus grows between runs; the examples are only read.
mkdir -p "$FUZZ_DIR/corpus" "$FUZZ_DIR/artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"$FUZZ_DIR/fuzz/fuzz_input" "$FUZZ_DIR/corpus" examples \
    -max_total_time="$FUZZ_SECONDS" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$FUZZ_DIR/artifacts/" -print_final_stats=1
