#!/bin/sh
# The size series: all-trans alkanes CnH2n+2 in STO-3G (bench/make_molecules.py C<n>),
# velko --diis side by side with NWChem's default SCF (the input of peer_inputs.py),
# on one core (--threads 1 against one NWChem process) and on two (--threads 2
# against mpirun -np 2), and Psi4 PK on one thread up to PSI4_MAX carbons. Prints wall
# time, peak memory, energy and velko's time over NWChem's, then the growth exponent
# b of t ~ n^b (least squares in log t, log n) of each program and core count.
# Usage: bench/size_series.sh [build-dir] [carbons ...]  (default: build, 20 30 40 50 60)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
[ $# -gt 0 ] && shift
velko=$(cd "$here/.." && pwd)/$build/velko
sizes=${*:-"20 30 40 50 60"}
psi4_max=${PSI4_MAX:-30}
mpi="mpirun -np 2"
[ "$(id -u)" = 0 ] && mpi="mpirun --allow-run-as-root -np 2"
work=$(mktemp -d)
LOAD_START=$(cut -d" " -f1-3 /proc/loadavg)
table=$work/table
run() {  # run LABEL CMD...: wall seconds and peak MB of one run into $table
    label=$1; shift
    /usr/bin/time -f '%e %M' -o time.txt "$@" > out.txt 2>&1
    set -- $(tail -1 time.txt)
    echo "$c $n $label $1 $(echo "$2/1024" | bc)" >> "$table"
}
printf '%-5s %5s %-9s %8s %8s %18s %7s\n' alkane n program wall_s peak_MB energy ratio
for c in $sizes; do
    d=$work/C$c && mkdir -p "$d" && cd "$d" || exit 1
    python3 "$here/make_molecules.py" "C$c" mol.in
    python3 "$here/peer_inputs.py" mol.in .
    n=$((5 * c + 2 * c + 2))  # 5 STO-3G functions per carbon, 1 per hydrogen
    for t in 1 2; do
        run "velko-$t" "$velko" --diis --threads "$t" mol.in
        ev=$(grep 'Total energy' out.txt | awk '{print $NF}')
        tv=$(tail -1 "$table" | awk '{print $4}')
        printf '%-5s %5s %-9s %8s %8s %18s\n' "C$c" "$n" "velko-$t" "$tv" "$(tail -1 "$table" | awk '{print $5}')" "$ev"
        if [ "$t" = 1 ]; then run "nwchem-1" nwchem nwchem.nw; else run "nwchem-2" $mpi nwchem nwchem.nw; fi
        rm -f m.* ./*.aoints.* ./*.movecs 2>/dev/null
        en=$(grep 'Total SCF energy' out.txt | tail -1 | awk '{print $NF}')
        tn=$(tail -1 "$table" | awk '{print $4}')
        printf '%-5s %5s %-9s %8s %8s %18s %7.2f\n' "C$c" "$n" "nwchem-$t" "$tn" "$(tail -1 "$table" | awk '{print $5}')" "$en" \
            "$(echo "$tv / $tn" | bc -l)"
    done
    if [ "$c" -le "$psi4_max" ] && command -v psi4 > /dev/null; then
        run "psi4-1" psi4 -n 1 psi4.dat psi4.out
        ep=$(grep 'Total Energy =' psi4.out | tail -1 | awk '{print $NF}')
        printf '%-5s %5s %-9s %8s %8s %18s\n' "C$c" "$n" psi4-1 "$(tail -1 "$table" | awk '{print $4}')" \
            "$(tail -1 "$table" | awk '{print $5}')" "$ep"
    fi
done
echo
echo "growth exponents b of t ~ n^b over n = $(awk '{print $2}' "$table" | sort -n | uniq | tr '\n' ' ')"
for p in velko-1 nwchem-1 velko-2 nwchem-2; do
    awk -v p="$p" '$3 == p { x = log($2); y = log($4); sx += x; sy += y; sxx += x * x; sxy += x * y; k++ }
        END { if (k > 1) printf "%-9s b = %.2f\n", p, (k * sxy - sx * sy) / (k * sxx - sx * sx) }' "$table"
done
echo "load average during the run (start, end): $LOAD_START / $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$work"
