#!/usr/bin/env python3
"""make_psi4_inputs.py NAME=VELKO_INPUT:CHARGE ...: writes NAME.dat, a Psi4 input for the
same molecule (geometry in bohr, not moved or turned), charge and basis set, written out
from velko's own tables (src/basis/basis_sto*g.cpp) as Cartesian functions, with
conventional integrals and tight convergence, followed by oeprop for the dipole,
Mulliken and Loewdin charges. Each .dat prints one line per reference value,
"REF <key> <value>", to its output file; they were run as
    cd /tmp && psi4 -n 1 NAME.dat NAME.out && grep ^REF NAME.out"""
import os, re, sys

SYMBOLS = ["H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"]
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
BOHR_PER_ANGSTROM = 1.8897261245650618


def numbers(text):
    return [float(x) for x in re.findall(r"-?\d+\.?\d*(?:e-?\d+)?", text)]


def library(n):
    src = open(os.path.join(ROOT, "src", "basis", f"basis_sto{n}g.cpp")).read()
    coef = {k: numbers(re.search(rf"const double {k}\[{n}\] = \{{([^}}]*)\}}", src).group(1))
            for k in ("c1s", "c2s", "c2p")}
    rows = re.findall(r"\{\{([^}]*)\},\s*\{([^}]*)\}\},\s*//\s*(\w+)", src)
    return coef, {sym: (numbers(a), numbers(b)) for a, b, sym in rows}


def read(path):
    lines = open(path).read().split("\n")
    basis = lines[0].split("=")[1].strip()
    count = int(lines[2].split("=")[1].split()[0])
    scale = BOHR_PER_ANGSTROM if lines[3].split("=")[1].strip().lower() == "angstrom" else 1.0
    atoms = []
    for l in lines[4:4 + count]:
        s, x, y, z = l.split()[:4]
        atoms.append((s, float(x) * scale, float(y) * scale, float(z) * scale))
    return basis, atoms


def shells(sym, coef, exps):
    e1, e2 = exps[sym]
    out = [("S", list(zip(e1, coef["c1s"])))]
    if SYMBOLS.index(sym) >= 2:
        out.append(("S", list(zip(e2, coef["c2s"]))))
        if SYMBOLS.index(sym) >= 4:
            out.append(("P", list(zip(e2, coef["c2p"]))))
    return out


def psi4_input(path, charge):
    basis, atoms = read(path)
    n = 3 if basis == "sto-3g" else 6
    coef, exps = library(n)
    electrons = sum(SYMBOLS.index(a[0]) + 1 for a in atoms) - charge
    geo = "\n".join(f"  {s} {x:.12f} {y:.12f} {z:.12f}" for s, x, y, z in atoms)
    g94 = []
    for s in sorted({a[0] for a in atoms}, key=SYMBOLS.index):
        g94.append(f"{s}     0")
        for l, prims in shells(s, coef, exps):
            g94.append(f"{l}   {len(prims)}   1.00")
            g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
        g94.append("****")
    return (
        "memory 1 gb\n"
        f"molecule m {{\n  {charge} 1\n  units bohr\n  no_reorient\n  no_com\n  symmetry c1\n{geo}\n}}\n"
        "basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n"
        "set scf_type pk\nset puream false\nset reference rhf\n"
        "set e_convergence 1e-12\nset d_convergence 1e-10\n"
        "e, wfn = energy('scf', return_wfn=True)\n"
        "oeprop(wfn, 'DIPOLE', 'MULLIKEN_CHARGES', title='SCF')\n"
        "mulliken = wfn.atomic_point_charges().to_array()\n"
        "oeprop(wfn, 'LOWDIN_CHARGES', title='SCF')\n"
        "lowdin = wfn.atomic_point_charges().to_array()\n"
        "def ref(key, value):\n"
        "    psi4.core.print_out('REF %s %.12f\\n' % (key, value))\n"
        "ref('energy', e)\n"
        "ref('nuclear_repulsion', m.nuclear_repulsion_energy())\n"
        "ref('one_electron', variable('ONE-ELECTRON ENERGY'))\n"
        "ref('two_electron', variable('TWO-ELECTRON ENERGY'))\n"
        "# Psi4 1.3.2 keeps SCF DIPOLE X/Y/Z in debye; back to e a0 with its own factor.\n"
        "ref('au2debye', psi4.constants.dipmom_au2debye)\n"
        "for axis in 'XYZ':\n"
        "    ref('dipole_' + axis.lower(), variable('SCF DIPOLE ' + axis) / psi4.constants.dipmom_au2debye)\n"
        f"nocc = {electrons // 2}\n"
        "eps = wfn.epsilon_a().to_array()\n"
        "ref('homo', eps[nocc - 1])\n"
        "if nocc < len(eps): ref('lumo', eps[nocc])\n"
        "for a in range(len(mulliken)): ref('mulliken_%d' % (a + 1), mulliken[a])\n"
        "for a in range(len(lowdin)): ref('lowdin_%d' % (a + 1), lowdin[a])\n"
    )


for arg in sys.argv[1:]:
    name, rest = arg.split("=", 1)
    path, charge = rest.rsplit(":", 1)
    with open(name + ".dat", "w") as f:
        f.write(psi4_input(path, int(charge)))
