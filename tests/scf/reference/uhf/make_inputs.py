#!/usr/bin/env python3
"""Writes the open-shell reference inputs: for every species below, velko's own
input <name>.in (geometry in bohr) and the Psi4 input <name>.dat with the same
geometry and velko's basis tables written out (src/basis/basis_sto*g.cpp),
Cartesian functions, PK integrals, UHF, tight convergence and the UHF stability
analysis following any instability. Run from this directory:
    python3 make_inputs.py
    for f in *.dat; do (cd /tmp && psi4 -n 1 "$OLDPWD/$f" "/tmp/${f%.dat}.out"); done
and read "@UHF Final Energy" and "S^2" from the outputs (energies.txt holds them)."""
import math, os, re

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..")
SYMBOLS = ["H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"]
A = 1.8897261245650618  # bohr per angstrom, as velko converts

def numbers(text):
    return [float(x) for x in re.findall(r"-?\d+\.?\d*(?:e-?\d+)?", text)]

def library(n):
    src = open(os.path.join(ROOT, "src", "basis", f"basis_sto{n}g.cpp")).read()
    coef = {k: numbers(re.search(rf"const double {k}\[{n}\] = \{{([^}}]*)\}}", src).group(1)) for k in ("c1s", "c2s", "c2p")}
    rows = re.findall(r"\{\{([^}]*)\},\s*\{([^}]*)\}\},\s*//\s*(\w+)", src)
    return coef, {sym: (numbers(a), numbers(b)) for a, b, sym in rows}

def shells(sym, coef, exps):
    e1, e2 = exps[sym]
    out = [("S", list(zip(e1, coef["c1s"])))]
    if SYMBOLS.index(sym) >= 2:  # Li to Ne: 2s and 2p with shared exponents
        out.append(("S", list(zip(e2, coef["c2s"]))))
        out.append(("P", list(zip(e2, coef["c2p"]))))
    return out

def bent(x, y, r1, r2, angle):
    """x-y-x' style: atom y at the origin, bonds r1, r2 (angstrom) at angle (degrees) in the xz plane."""
    t = math.radians(angle) / 2
    return [(x, r1 * math.sin(t), 0.0, r1 * math.cos(t)), (y, 0.0, 0.0, 0.0)]

# name, multiplicity, atoms in angstrom[, charge]
SPECIES = [
    ("ch3", 2, [("C", 0, 0, 0), ("H", 1.079, 0, 0), ("H", -0.5395, 0.934441, 0), ("H", -0.5395, -0.934441, 0)]),
    ("oh", 2, [("O", 0, 0, 0), ("H", 0, 0, 0.970)]),
    ("nh2", 2, [("N", 0, 0, 0), ("H", 1.024 * math.sin(math.radians(51.7)), 0, 1.024 * math.cos(math.radians(51.7))),
                ("H", -1.024 * math.sin(math.radians(51.7)), 0, 1.024 * math.cos(math.radians(51.7)))]),
    ("no", 2, [("N", 0, 0, 0), ("O", 0, 0, 1.151)]),
    ("ho2", 2, [("O", 0, 0, 0), ("O", 0, 0, 1.331),
                ("H", 0.971 * math.sin(math.radians(104.3)), 0, 0.971 * math.cos(math.radians(104.3)))]),
    ("ch2", 3, [("C", 0, 0, 0), ("H", 1.078 * math.sin(math.radians(66.95)), 0, 1.078 * math.cos(math.radians(66.95))),
                ("H", -1.078 * math.sin(math.radians(66.95)), 0, 1.078 * math.cos(math.radians(66.95)))]),
    ("o2", 3, [("O", 0, 0, 0), ("O", 0, 0, 1.208)]),
    ("h", 2, [("H", 0, 0, 0)]),
    ("li", 2, [("Li", 0, 0, 0)]),
    ("b", 2, [("B", 0, 0, 0)]),
    ("c", 3, [("C", 0, 0, 0)]),
    ("n", 4, [("N", 0, 0, 0)]),
    ("o", 3, [("O", 0, 0, 0)]),
    ("f", 2, [("F", 0, 0, 0)]),
    # the water cation at the neutral molecule's geometry (examples/water.in: 1.81 bohr, 105 degrees)
    ("h2o_cation", 2, [("O", 0, 0, 0), ("H", 1.81 / A * math.sin(math.radians(52.5)), 0, 1.81 / A * math.cos(math.radians(52.5))),
                       ("H", -1.81 / A * math.sin(math.radians(52.5)), 0, 1.81 / A * math.cos(math.radians(52.5)))], 1),
]

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for basis, n in (("sto-3g", 3), ("sto-6g", 6)):
        coef, exps = library(n)
        for name, mult, atoms, *rest in SPECIES:
            charge = rest[0] if rest else 0
            tag = name if n == 3 else name + "_sto6g"
            bohr = [(s, x * A, y * A, z * A) for s, x, y, z in atoms]
            with open(os.path.join(here, tag + ".in"), "w") as f:
                f.write(f"basis = {basis}\ncharge = {charge}\natoms = {len(bohr)}\nunits = bohr\n")
                f.writelines(f"{s} {x:.10f} {y:.10f} {z:.10f}\n" for s, x, y, z in bohr)
            elements = sorted({a[0] for a in atoms}, key=SYMBOLS.index)
            g94 = []
            for s in elements:
                g94.append(f"{s}     0")
                for l, prims in shells(s, coef, exps):
                    g94.append(f"{l}   {len(prims)}   1.00")
                    g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
                g94.append("****")
            geo = "\n".join(f"  {s} {x:.10f} {y:.10f} {z:.10f}" for s, x, y, z in bohr)
            with open(os.path.join(here, tag + ".dat"), "w") as f:
                f.write(f"memory 1 gb\nmolecule m {{\n  {charge} {mult}\n  units bohr\n  no_reorient\n  no_com\n  symmetry c1\n{geo}\n}}\n")
                f.write("basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n")
                f.write("set reference uhf\nset scf_type pk\nset puream false\n")
                f.write("set e_convergence 1e-11\nset d_convergence 1e-9\n")
                # The alpha electrons of H and Li fill all their functions, leaving at most
                # one beta rotation; Psi4's stability code does not finish on them.
                if name in ("no", "o"):
                    # Psi4's SAD start stalls on NO (above the ground state) and on O in
                    # STO-6G; the core start converges.
                    f.write("set maxiter 300\nset guess core\n")
                # The alpha electron of H fills its one function, leaving no rotation;
                # Psi4's stability code does not finish on it. On the O atom in STO-6G it
                # stops with an error (stability.cc, line 166); in STO-3G it finds the
                # atom stable.
                if name != "h" and tag != "o_sto6g":
                    f.write("set stability_analysis follow\n")
                f.write("energy('scf')\n")

if __name__ == "__main__":
    main()
