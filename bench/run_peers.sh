#!/bin/sh
# Times whole runs of velko, Psi4 and NWChem (one process each) on the molecules
# of bench/molecules, same geometry and basis, and prints wall time, peak memory
# and total energy, and for each peer the time its two-electron integrals take:
# Psi4's timer.dat line "Total PK formation time" (wall); for NWChem the time from
# "Starting SCF solution at" to the first iteration, spent computing and caching
# the integrals (plus one Fock build from the cache). Usage: bench/run_peers.sh [build-dir] [molecule ...]
# (default build dir build-fast; default molecules: all, both basis sets).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build-fast}
[ $# -gt 0 ] && shift
velko=$(cd "$here/.." && pwd)/$build/velko
mols=${*:-"benzene benzene_sto6g naphthalene naphthalene_sto6g octane octane_sto6g caffeine caffeine_sto6g"}
work=$(mktemp -d)
printf '%-18s %-7s %9s %10s %20s %s\n' molecule program wall_s peak_MB energy note
for m in $mols; do
    in=$here/molecules/$m.in
    d=$work/$m && mkdir -p "$d" && cd "$d" || exit 1
    /usr/bin/time -f '%e %M' -o time.velko "$velko" -m "$in" > velko.out
    e=$(grep 'Total energy' velko.out | awk '{print $NF}')
    te=$(grep 'iterations$' velko.out | sed 's/.*\[ \([0-9]*\) ms.*/\1/')
    set -- $(tail -1 time.velko)
    printf '%-18s %-7s %9s %10.1f %20s %s\n' "$m" velko "$1" "$(echo "$2/1024" | bc -l)" "$e" "two-electron table ${te} ms"
    python3 "$here/peer_inputs.py" "$in" .
    if command -v psi4 > /dev/null; then
        /usr/bin/time -f '%e %M' -o time.psi4 psi4 -n 1 psi4.dat psi4.out > /dev/null 2>&1
        e=$(grep 'Total Energy =' psi4.out | tail -1 | awk '{print $NF}')
        pk=$(grep 'Total PK formation time' timer.dat 2>/dev/null | head -1 | awk '{print $(NF-2)}')
        set -- $(tail -1 time.psi4)
        printf '%-18s %-7s %9s %10.1f %20s %s\n' "$m" psi4 "$1" "$(echo "$2/1024" | bc -l)" "$e" "PK integrals ${pk}"
    fi
    if command -v nwchem > /dev/null; then
        /usr/bin/time -f '%e %M' -o time.nwchem nwchem nwchem.nw > nwchem.out 2>&1
        e=$(grep 'Total SCF energy' nwchem.out | tail -1 | awk '{print $NF}')
        t0=$(grep 'Starting SCF solution at' nwchem.out | head -1 | awk '{print $NF}' | tr -d s)
        t1=$(awk '/iter +energy +gnorm/ {getline; getline; print $NF; exit}' nwchem.out)
        ints=$(echo "$t1 - $t0" | bc -l 2>/dev/null)
        set -- $(tail -1 time.nwchem)
        printf '%-18s %-7s %9s %10.1f %20s %s\n' "$m" nwchem "$1" "$(echo "$2/1024" | bc -l)" "$e" "integrals ${ints} s"
    fi
done
rm -rf "$work"
