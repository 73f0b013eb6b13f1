#!/usr/bin/env python3
"""peer_inputs.py MOLECULE.in OUTDIR: writes psi4.dat and nwchem.nw for the same
geometry (bohr) and the same basis, written out from velko's own tables
(src/basis/basis_sto*g.cpp), Cartesian functions, conventional integrals."""
import os, re, sys

SYMBOLS = ["H", "He", "Li", "Be", "B", "C", "N", "O"]
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

def numbers(text):
    return [float(x) for x in re.findall(r"-?\d+\.?\d*(?:e-?\d+)?", text)]

def library(n):
    src = open(os.path.join(ROOT, "src", "basis", f"basis_sto{n}g.cpp")).read()
    coef = {k: numbers(re.search(rf"const double {k}\[{n}\] = \{{([^}}]*)\}}", src).group(1)) for k in ("c1s", "c2s", "c2p")}
    rows = re.findall(r"\{\{([^}]*)\},\s*\{([^}]*)\}\},\s*//\s*(\w+)", src)
    exps = {sym: (numbers(a), numbers(b)) for a, b, sym in rows}
    return coef, exps

def read(path):
    lines = open(path).read().split("\n")
    basis = lines[0].split("=")[1].strip()
    atoms = []
    for l in lines[4:]:
        if l.strip():
            s, x, y, z = l.split()
            atoms.append((s, float(x), float(y), float(z)))
    return basis, atoms

def shells(sym, coef, exps):
    e1, e2 = exps[sym]
    out = [("S", [(e, c) for e, c in zip(e1, coef["c1s"])])]
    if SYMBOLS.index(sym) >= 2:
        out.append(("S", [(e, c) for e, c in zip(e2, coef["c2s"])]))
        if SYMBOLS.index(sym) >= 2:
            out.append(("P", [(e, c) for e, c in zip(e2, coef["c2p"])]))
    return out

def main():
    path, outdir = sys.argv[1], sys.argv[2]
    basis, atoms = read(path)
    n = 3 if basis == "sto-3g" else 6
    coef, exps = library(n)
    elements = sorted({a[0] for a in atoms}, key=SYMBOLS.index)
    geo = "\n".join(f"  {s} {x:.10f} {y:.10f} {z:.10f}" for s, x, y, z in atoms)
    # Psi4: Gaussian94 basis block, Cartesian, PK integrals, one thread.
    g94 = []
    for s in elements:
        g94.append(f"{s}     0")
        for l, prims in shells(s, coef, exps):
            g94.append(f"{l}   {len(prims)}   1.00")
            g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
        g94.append("****")
    with open(os.path.join(outdir, "psi4.dat"), "w") as f:
        f.write("memory 1 gb\nmolecule m {\n  units bohr\n  no_reorient\n  no_com\n  symmetry c1\n" + geo + "\n}\n")
        f.write("basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n")
        f.write("set scf_type pk\nset puream false\nset e_convergence 1e-10\nset d_convergence 1e-8\n")
        f.write("set guess core\nenergy('scf')\n")
    # NWChem: explicit basis, Cartesian, conventional (stored) integrals, one process.
    nb = []
    for s in elements:
        for l, prims in shells(s, coef, exps):
            nb.append(f"{s} {l}")
            nb += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
    with open(os.path.join(outdir, "nwchem.nw"), "w") as f:
        f.write("start m\nscratch_dir .\npermanent_dir .\n")
        f.write("geometry units bohr noautoz nocenter noautosym\n" + geo + "\nend\n")
        f.write("basis cartesian\n" + "\n".join(nb) + "\nend\n")
        f.write("scf\n  singlet\n  rhf\n  thresh 1e-8\n  maxiter 200\nend\n")
        f.write("set int:cando_txs f\nset fock:replicated t\n")
        f.write("task scf energy\n")

main()
