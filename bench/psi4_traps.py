#!/usr/bin/env python3
"""Psi4's lowest stable Hartree-Fock energy of random molecules (bench/random_molecules.py),
the referee of bench/scf_traps.py.

    bench/psi4_traps.py [--guesses sad,core,gwh] OUT.json XYZ...

For each molecule a Psi4 1.3.2 input is written beside OUT.json (NAME.dat; same geometry,
velko's STO-3G tables written out by tests/scf/reference/uhf/make_inputs.py, Cartesian, PK
integrals, e_convergence 1e-10, d_convergence 1e-8, at most 100 iterations) that runs the
SCF from the SAD, core and GWH guesses (or those given): UHF for open shells with stability_analysis follow,
RHF for singlets, checked by the lowest eigenvalue of A + B built from Psi4's MO integrals
(Psi4 follows UHF instabilities only; its RHF check printed negative 'singlet' eigenvalues
on ions whose A + B has none). It
prints one line per guess, "TRAP guess converged energy stable". OUT.json keeps per molecule
the lowest energy of a converged run with a stable state, whether the SAD run converged,
and every guess's line."""
import importlib.util, json, os, re, subprocess, sys

HERE = os.path.dirname(os.path.abspath(__file__))
loader_of = importlib.util.spec_from_file_location(
    "make_inputs", os.path.join(HERE, "..", "tests", "scf", "reference", "uhf", "make_inputs.py"))
make_inputs = importlib.util.module_from_spec(loader_of)
loader_of.loader.exec_module(make_inputs)
SYMBOLS = make_inputs.SYMBOLS


def read_xyz(path):
    lines = open(path).read().splitlines()
    charge = int(re.search(r"charge=(-?\d+)", lines[1]).group(1))
    mult = int(re.search(r"multiplicity=(\d+)", lines[1]).group(1))
    atoms = [(l.split()[0], *map(float, l.split()[1:4])) for l in lines[2:2 + int(lines[0])]]
    return charge, mult, atoms


def psi4_input(charge, mult, atoms, guesses=("sad", "core", "gwh")):
    coef, exps = make_inputs.library(3)
    g94 = []
    for s in sorted({a[0] for a in atoms}, key=SYMBOLS.index):
        g94.append(f"{s}     0")
        for l, prims in make_inputs.shells(s, coef, exps):
            g94.append(f"{l}   {len(prims)}   1.00")
            g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
        g94.append("****")
    A = make_inputs.A
    geo = "\n".join(f"  {s} {x * A:.10f} {y * A:.10f} {z * A:.10f}" for s, x, y, z in atoms)
    ref = "uhf" if mult > 1 else "rhf"
    text = f"memory 500 mb\nmolecule m {{\n  {charge} {mult}\n  units bohr\n  no_reorient\n  no_com\n  symmetry c1\n{geo}\n}}\n"
    text += "basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n"
    text += f"set reference {ref}\nset scf_type pk\nset puream false\nset e_convergence 1e-10\nset d_convergence 1e-8\n"
    text += "set maxiter 100\nset fail_on_maxiter true\n"
    if mult > 1:
        text += "set stability_analysis follow\n"
    text += """import numpy as np
def lowest_rhf_hessian(wfn):
    # (A + B)_ia,jb = (e_a - e_i) d_ij d_ab + 4 (ia|jb) - (ib|ja) - (ij|ab) (Seeger and Pople, 1977)
    C = wfn.Ca(); nocc = wfn.nalpha(); n = wfn.nmo(); nv = n - nocc
    eri = np.asarray(psi4.core.MintsHelper(wfn.basisset()).mo_eri(C, C, C, C))
    eps = np.asarray(wfn.epsilon_a())
    M = np.zeros((nocc * nv, nocc * nv))
    for i in range(nocc):
        for a in range(nocc, n):
            for j in range(nocc):
                for b in range(nocc, n):
                    M[i * nv + a - nocc, j * nv + b - nocc] = (4 * eri[i, a, j, b] - eri[i, b, j, a] - eri[i, j, a, b]
                                                               + (eps[a] - eps[i] if i == j and a == b else 0.0))
    return np.linalg.eigvalsh(M)[0] if nv and nocc else 1.0
for guess in GUESSES:
    set_options({'guess': guess})
    try:
        e, wfn = energy('scf', return_wfn=True)
        ok = 1
        if wfn.same_a_b_orbs():
            print_out('\\nAPLUSB lowest %.6f\\n' % lowest_rhf_hessian(wfn))
    except Exception:
        e, ok = float('nan'), 0
    print_out('\\nTRAP ' + 'guess end\\n')  # split so that the echo of this input does not match
    print('TRAP %s %d %.12f' % (guess, ok, e))
    clean()
"""
    return text.replace("GUESSES", repr(tuple(guesses)))


def stable(block):
    """The verdict of the last stability analysis in a stretch of Psi4's output: UHF says
    'Wavefunction stable' or 'unstable' (after following); for RHF the lowest eigenvalue of
    A + B from Psi4's MO integrals decides, stable when not below velko's -1e-4 Hartree."""
    uhf = re.findall(r"Wavefunction (stable|unstable)", block)
    if uhf:
        return uhf[-1] == "stable"
    rhf = re.findall(r"APLUSB lowest (\S+)", block)
    return float(rhf[-1]) >= -1e-4 if rhf else None


def summary(stdout, log):
    blocks = open(log).read().split("TRAP guess end")
    runs = {}
    for k, line in enumerate(re.findall(r"^TRAP (\w+) (\d) (\S+)$", stdout, re.M)):
        guess, ok, e = line
        runs[guess] = {"converged": ok == "1", "energy": float(e), "stable": stable(blocks[k]) if ok == "1" else None}
    good = [r["energy"] for r in runs.values() if r["converged"] and r["stable"]]
    return {"energy": min(good) if good else None, "stable": bool(good),
            "sad_converged": runs.get("sad", {}).get("converged"), "runs": runs}


def main():
    args = sys.argv[1:]
    guesses = ("sad", "core", "gwh")
    if args[0] == "--guesses":
        guesses, args = tuple(args[1].split(",")), args[2:]
    out_json, files = args[0], args[1:]
    work = os.path.dirname(os.path.abspath(out_json))
    result = {}
    for f in files:
        name = os.path.basename(f)
        dat = os.path.join(work, name.replace(".xyz", ".dat"))
        open(dat, "w").write(psi4_input(*read_xyz(f), guesses))
        log = dat.replace(".dat", ".out")
        p = subprocess.run(["nice", "-n", "19", "psi4", "-n", "1", dat, log], cwd=work, capture_output=True, text=True)
        result[name] = summary(p.stdout, log)
        print(name, json.dumps(result[name]), flush=True)
    json.dump(result, open(out_json, "w"), indent=1)


if __name__ == "__main__":
    main()
