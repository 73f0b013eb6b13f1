#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for a bounded time:
#   fuzz_input  the bytes of an input file through the reader, seeded with examples/
#   fuzz_cli    whole runs of the program, argument vectors and files built from
#               the fuzz data, seeded with fuzz/cli_seeds/
# Fails on any finding (crash, sanitizer report, unexpected exception, a broken
# invariant); the reproducer is left in $FUZZ_DIR/artifacts/ (prefixed with the
# target's name for fuzz_cli).
#
# Environment:
#   FUZZ_DIR      build directory (default: build-fuzz)
#   FUZZ_SECONDS  fuzzing time of each target (default: 60)
#   JOBS          parallel build jobs (default: 2)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
FUZZ_DIR="${FUZZ_DIR:-build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
JOBS="${JOBS:-2}"

cmake -S . -B "$FUZZ_DIR" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELKO_TESTS=OFF -DVELKO_FUZZ=ON
cmake --build "$FUZZ_DIR" -j"$JOBS" --target fuzz_input fuzz_cli

# The working corpora grow between runs; the seeds are only read.
mkdir -p "$FUZZ_DIR/corpus" "$FUZZ_DIR/corpus-cli" "$FUZZ_DIR/artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
echo "=== fuzz_input: input files (${FUZZ_SECONDS} s) ==="
"$FUZZ_DIR/fuzz/fuzz_input" "$FUZZ_DIR/corpus" examples \
    -max_total_time="$FUZZ_SECONDS" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$FUZZ_DIR/artifacts/" -print_final_stats=1
# A whole run computes the molecule: the target keeps files small, the time
# limit allows for a loaded machine.
echo "=== fuzz_cli: command lines and output files (${FUZZ_SECONDS} s) ==="
"$FUZZ_DIR/fuzz/fuzz_cli" "$FUZZ_DIR/corpus-cli" fuzz/cli_seeds \
    -max_total_time="$FUZZ_SECONDS" -max_len=1024 -timeout=60 -rss_limit_mb=2048 \
    -artifact_prefix="$FUZZ_DIR/artifacts/cli-" -print_final_stats=1
