#!/usr/bin/env bash
# The golden run: every example and benchmark molecule in every mode, with the
# timings masked, written into one folder. Run it with the program before a
# change and after it; the two folders must be identical:
#
#   tests/golden_run.sh /tmp/velko-before /tmp/golden-before
#   tests/golden_run.sh build/velko /tmp/golden-after
#   diff -r /tmp/golden-before /tmp/golden-after
#
# Modes: default, -m, --diis, --diis -m, --integrals fast, --properties, --json,
# --json --json-wavefunction, --molden, and --batch over all inputs. GOLDEN_QUICK=1
# leaves out the benchmark molecules.
set -uo pipefail

VELKO="$(realpath "$1")"
OUT="$2"
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mkdir -p "$OUT"

inputs=(examples/*.in examples/*.xyz)
[ "${GOLDEN_QUICK:-0}" = 1 ] || inputs+=(bench/molecules/*.in)

# Timings vary from run to run: the step times of -m, the phase times and the total.
mask() {
    sed -E -e 's/^compiled on: .*/compiled on: T/' -e 's/\[ [0-9.]+ ms \]/[ T ms ]/g' -e 's/after [0-9]+ms\./after Tms./' \
        -e 's/"(wall_time|cpu_time|elapsed)[^"]*": *[0-9.eE+-]+/"\1": T/g'
}

run() {  # name, then the arguments
    local name="$1"
    shift
    local status=0
    "$VELKO" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err" || status=$?
    mask <"$OUT/$name.out" >"$OUT/$name.tmp" && mv "$OUT/$name.tmp" "$OUT/$name.out"
    echo "$status" >"$OUT/$name.status"
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for input in "${inputs[@]}"; do
    base="$(basename "$input")"
    run "$base.default" "$input"
    run "$base.m" -m "$input"
    run "$base.diis" --diis "$input"
    run "$base.diis_m" --diis -m "$input"
    run "$base.fast" --integrals fast "$input"
    run "$base.properties" --properties "$input"
    run "$base.diis_properties" --diis --properties "$input"
    run "$base.json" --json "$tmp/r.json" "$input"
    mask <"$tmp/r.json" >"$OUT/$base.json.json"
    run "$base.jsonwf" --json "$tmp/w.json" --json-wavefunction "$input"
    mask <"$tmp/w.json" >"$OUT/$base.jsonwf.json"
    run "$base.molden" --molden "$tmp/m.molden" "$input"
    cp "$tmp/m.molden" "$OUT/$base.molden"
    rm -f "$tmp"/*
done
run batch --batch --jobs 2 "${inputs[@]}"
echo "golden run of $VELKO: ${#inputs[@]} inputs in $OUT"
