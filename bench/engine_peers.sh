#!/bin/sh
# Whole runs of velko against Psi4 (scf_type pk) and NWChem (its default semidirect SCF)
# on the molecules of the integral engine's benchmark, side by side in one run, on one
# core and on two (velko --threads 2, psi4 -n 2, mpirun -np 2 nwchem), and Psi4's default
# density fitting (scf_type df) beside them. Each peer reads the same geometry (bohr) and
# names the same set of its own library, with the set's usual function kind (the Pople
# sets Cartesian, the others pure); SAD start for Psi4, DIIS for all (velko --diis).
# Prints wall and CPU (user + system) seconds, the total energy, and the ratio of velko's
# wall time to the faster peer's (pk and NWChem) at the same core count.
# Usage: [PROGRAMS="velko nwchem"] bench/engine_peers.sh [build-dir] [molecule ...]
#   (default build; default molecules: caffeine_ccpvdz naphthalene_631gs c20h42_631gs;
#   PROGRAMS, default "velko psi4-pk psi4-df nwchem", the programs to run: Psi4 pk takes
#   about 35 minutes of the two core counts on C20H42).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
[ $# -gt 0 ] && shift
velko=$(cd "$here/.." && pwd)/$build/velko
mols=${*:-"caffeine_ccpvdz naphthalene_631gs c20h42_631gs"}
programs=${PROGRAMS:-"velko psi4-pk psi4-df nwchem"}
runs() { case " $programs " in *" $1 "*) return 0 ;; esac; return 1; }
work=$(mktemp -d)
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 OMP_NUM_THREADS=1
# wall, CPU seconds of the last timed command
timed() { /usr/bin/time -f '%e %U %S' -o time.txt "$@"; }
seconds() { set -- $(tail -1 time.txt); echo "$1 $(echo "$2 + $3" | bc -l)"; }
row() { printf '%-20s %2s %-8s %9s %9s %20s %s\n' "$@"; }
row molecule np program wall_s cpu_s energy "velko/faster"
for m in $mols; do
    in=$here/molecules/$m.in
    d=$work/$m && mkdir -p "$d" && cd "$d" || exit 1
    basis=$(head -1 "$in" | sed 's/.*= *//')
    lower=$(echo "$basis" | tr 'A-Z' 'a-z')
    case "$lower" in 6-31*|3-21*) kind=cartesian ;; *) kind=spherical ;; esac
    geo=$(tail -n +5 "$in")
    for scf in pk df; do
        cat > psi4_$scf.dat <<PSI
memory 4 gb
molecule m {
units bohr
no_reorient
no_com
symmetry c1
$geo
}
set basis $lower
set scf_type $scf
set guess sad
set e_convergence 1e-8
set d_convergence 1e-6
energy('scf')
PSI
    done
    cat > nwchem.nw <<NW
start m
memory total 3000 mb
geometry units bohr noautoz nocenter noautosym
 symmetry c1
$geo
end
basis $kind
 * library $basis
end
scf
 maxiter 100
end
task scf
NW
    for np in 1 2; do
        tv= tp= tn=
        if runs velko; then
            timed "$velko" --diis --threads $np "$in" > velko.out 2>&1
            set -- $(seconds)
            tv=$1
            row "$m" $np velko "$1" "$2" "$(grep 'Total energy' velko.out | awk '{print $NF}')" ""
        fi
        for scf in pk df; do
            runs psi4-$scf || continue
            timed psi4 -n $np psi4_$scf.dat psi4_$scf.out > /dev/null 2>&1
            set -- $(seconds)
            [ $scf = pk ] && tp=$1
            row "$m" $np psi4-$scf "$1" "$2" "$(grep 'Total Energy =' psi4_$scf.out | tail -1 | awk '{print $NF}')" ""
        done
        if runs nwchem; then
            rm -f m.* *.movecs
            if [ $np = 1 ]; then timed nwchem nwchem.nw > nwchem.out 2>&1; else timed mpirun -np 2 nwchem nwchem.nw > nwchem.out 2>&1; fi
            set -- $(seconds)
            tn=$1
            row "$m" $np nwchem "$1" "$2" "$(grep 'Total SCF energy' nwchem.out | tail -1 | awk '{print $NF}')" ""
        fi
        # the faster of Psi4 pk and NWChem, of those run
        best=${tp:-$tn}
        [ -n "$tp" ] && [ -n "$tn" ] && best=$(echo "if ($tp < $tn) $tp else $tn" | bc -l)
        [ -n "$tv" ] && [ -n "$best" ] && row "$m" $np ratio "" "" "" "$(echo "$tv / $best" | bc -l | cut -c1-5)"
    done
done
rm -rf "$work"
