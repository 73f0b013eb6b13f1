#!/bin/sh
# The cost of velko's analytic SCF gradient against one SCF energy run, and Psi4 1.3.2's
# gradient of the same molecule (scf_type pk, same basis and geometry, one thread each):
# caffeine (bench/molecules/caffeine.in) in STO-3G and in cc-pVDZ. Prints per case the wall
# seconds of velko's energy run, of its energy-plus-gradient run, the gradient's own time
# (their difference), Psi4's energy and gradient runs, and the ratios:
#   gradient/energy (velko), velko gradient run / Psi4 gradient run.
# Usage: bench/gradient_speed.sh [build-dir] [threads]   (defaults build, 1)
set -u
here=$(cd "$(dirname "$0")" && pwd)
velko=$(cd "$here/.." && pwd)/${1:-build}/velko
threads=${2:-1}
work=$(mktemp -d)
cd "$work" || exit 1
wall() { /usr/bin/time -f '%e' -o t.txt "$@" > /dev/null 2>&1; tail -1 t.txt; }
printf '%-9s %9s %9s %9s %9s %9s %9s %9s\n' basis E_velko EG_velko G_velko E_psi4 EG_psi4 G/E vs_psi4
for basis in sto-3g cc-pvdz; do
    sed "s/^basis = .*/basis = $basis/" "$here/molecules/caffeine.in" > mol.in
    e=$(wall "$velko" --diis --threads "$threads" mol.in)
    eg=$(wall "$velko" --diis --threads "$threads" --gradient mol.in)
    python3 - "$basis" > psi4_e.dat <<'PY'
import sys
atoms = []
for line in open("mol.in"):
    f = line.split()
    if len(f) == 4 and f[0].isalpha() and f[0] not in ("basis", "charge", "atoms", "units"):
        atoms.append(line.strip())
print("molecule {\nunits bohr\nno_com\nno_reorient\nsymmetry c1\n0 1\n" + "\n".join(atoms) + "\n}")
print("set { basis %s\n scf_type pk\n puream true\n e_convergence 1e-8\n d_convergence 1e-7 }" % sys.argv[1])
PY
    cp psi4_e.dat psi4_g.dat
    echo 'energy("scf")' >> psi4_e.dat
    echo 'gradient("scf")' >> psi4_g.dat
    pe=$(wall psi4 -n 1 psi4_e.dat psi4_e.out)
    pg=$(wall psi4 -n 1 psi4_g.dat psi4_g.out)
    printf '%-9s %9s %9s %9.2f %9s %9s %9.2f %9.2f\n' "$basis" "$e" "$eg" "$(echo "$eg - $e" | bc -l)" "$pe" "$pg" \
        "$(echo "($eg - $e) / $e" | bc -l)" "$(echo "$eg / $pg" | bc -l)"
done
rm -rf "$work"
