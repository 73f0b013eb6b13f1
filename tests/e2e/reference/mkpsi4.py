#!/usr/bin/env python3
"""mkpsi4.py [--library] MOLECULE.in ...: writes MOLECULE.dat, a Psi4 input for
the same molecule: the geometry converted to bohr with velko's factor, the
charge of header line 2, Cartesian functions (puream false), conventional PK
integrals and tight convergence. The basis set is written out either from
velko's own tables (src/basis/basis_sto*g.cpp), or with --library from the
standard library: Psi4's own sto-3g, and for STO-6G (which Psi4 does not ship)
the EMSL set in NWChem's library (/usr/share/nwchem/libraries/sto-6g).
Run each one in a scratch directory:  cd /tmp && psi4 -n 1 path/MOLECULE.dat"""
import math, os, re, sys

SYMBOLS = ["H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"]
BOHR_PER_ANGSTROM = 1.8897261245650618
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")


def numbers(text):
    return [float(x) for x in re.findall(r"-?\d+\.?\d*(?:e-?\d+)?", text)]


def velko_tables(n):
    src = open(os.path.join(ROOT, "src", "basis", f"basis_sto{n}g.cpp")).read()
    coef = {k: numbers(re.search(rf"const double {k}\[{n}\] = \{{([^}}]*)\}}", src).group(1)) for k in ("c1s", "c2s", "c2p")}
    rows = re.findall(r"\{\{([^}]*)\},\s*\{([^}]*)\}\},\s*//\s*(\w+)", src)
    return coef, {sym: (numbers(a), numbers(b)) for a, b, sym in rows}


def velko_g94(sym, n):
    coef, exps = velko_tables(n)
    e1, e2 = exps[sym]
    out = [f"{sym}     0", f"S   {n}   1.00"] + [f"  {e:.10f}  {c:.11f}" for e, c in zip(e1, coef["c1s"])]
    if SYMBOLS.index(sym) >= 2:
        out += [f"SP   {n}   1.00"] + [f"  {e:.10f}  {s:.11f}  {p:.11f}" for e, s, p in zip(e2, coef["c2s"], coef["c2p"])]
    return out + ["****"]


def nwchem_library_g94(sym, name):
    """The element's block of an NWChem library file, in Gaussian94 form."""
    text = open(f"/usr/share/nwchem/libraries/{name}").read()
    block = re.search(rf'basis "{sym}_[^"]*"[^\n]*\n(.*?)\nend', text, re.S).group(1)
    out, shell = [f"{sym}     0"], None
    for line in block.splitlines():
        words = line.split()
        if words and words[0] == sym:
            shell = [words[1]]
            out.append(shell)
        elif words:
            shell.append("  " + "  ".join(words))
    lines = []
    for item in out:
        if isinstance(item, list):
            lines += [f"{item[0]}   {len(item) - 1}   1.00"] + item[1:]
        else:
            lines.append(item)
    return lines + ["****"]


def read(path):
    lines = open(path).read().split("\n")
    value = lambda k: lines[k].split("=", 1)[1].strip()
    basis, charge, count, unit = value(0).lower(), int(value(1)), int(value(2).split()[0]), value(3).lower()
    scale = BOHR_PER_ANGSTROM if unit.startswith("ang") else 1.0
    atoms = []
    for l in lines[4:4 + count]:
        s, x, y, z = l.split()[:4]
        atoms.append((s, float(x) * scale, float(y) * scale, float(z) * scale))
    return basis, charge, atoms


def write(path, library):
    basis, charge, atoms = read(path)
    n = 3 if basis.replace("-", "") == "sto3g" else 6
    elements = sorted({a[0] for a in atoms}, key=SYMBOLS.index)
    geo = "\n".join(f"  {s} {x:.12f} {y:.12f} {z:.12f}" for s, x, y, z in atoms)
    out = ["memory 1 gb", "molecule m {", f"  {charge} 1", "  units bohr", "  no_reorient", "  no_com",
           "  symmetry c1", geo, "}"]
    if library and n == 3:
        out += ["set basis sto-3g"]
    else:
        g94 = []
        for s in elements:
            g94 += nwchem_library_g94(s, "sto-6g") if library else velko_g94(s, n)
        out += ["basis {", "cartesian", "****"] + g94 + ["}"]
    out += ["set reference rhf", "set scf_type pk", "set puream false", "set e_convergence 1e-12",
            "set d_convergence 1e-10", "set maxiter 200", "energy('scf')"]
    with open(os.path.splitext(path)[0] + ".dat", "w") as f:
        f.write("\n".join(out) + "\n")


library = "--library" in sys.argv
for p in sys.argv[1:]:
    if p != "--library":
        write(p, library)
