#!/bin/sh
# Cost of an open-shell (UHF) run against a closed-shell --diis run of the same size:
# naphthalene as a closed-shell singlet, its cation (a doublet, UHF) and its triplet
# (UHF), and the 2-naphthyl radical C10H7 (a doublet, UHF), in both basis sets. Prints the
# CPU time (user + system, the least of N runs: the development machine is shared, so
# wall times vary), the SCF steps, the energy and <S^2>.
# Usage: bench/run_open_shell.sh [build-dir] [runs]   (defaults: build, 5)
set -u
here=$(cd "$(dirname "$0")" && pwd)
velko=$(cd "$here/.." && pwd)/${1:-build}/velko
runs=${2:-5}
out=$(mktemp)
printf '%-24s %-17s %8s %6s %16s %9s\n' molecule run cpu_s steps energy S2
for basis in "" _sto6g; do
    for case in "naphthalene --diis" "naphthalene_cation --diis" "naphthalene --multiplicity 3" "naphthyl --diis"; do
        set -- $case
        mol=$1$basis
        shift
        best=""
        i=0
        while [ $i -lt "$runs" ]; do
            /usr/bin/time -f '%U %S' -o "$out.t" "$velko" "$@" "$here/molecules/$mol.in" > "$out"
            t=$(awk '{print $1 + $2}' "$out.t")
            best=$(echo "$best $t" | awk '{m = $1; for (k = 2; k <= NF; ++k) if ($k < m) m = $k; print m}')
            i=$((i + 1))
        done
        steps=$(grep 'Number of iterations' "$out" | awk '{print $NF}')
        e=$(grep 'Total energy' "$out" | awk '{print $NF}')
        s2=$(grep '^<S^2>' "$out" | awk '{print $2}')
        printf '%-24s %-17s %8s %6s %16s %9s\n' "$mol" "$*" "$best" "$steps" "$e" "${s2:--}"
    done
done
rm -f "$out" "$out.t"
