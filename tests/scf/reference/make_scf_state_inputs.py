#!/usr/bin/env python3
"""make_scf_state_inputs.py: writes the Psi4 inputs of the SCF-state references beside this
script, one per molecule and start (SAD and core guess), with velko's own STO-3G
tables written out (bench/peer_inputs.py), Cartesian functions, PK integrals and
Psi4's RHF stability analysis. Run each in a scratch directory:
    cd /tmp && psi4 -n 1 <path>/n2_1.3_sad.dat n2_1.3_sad.out"""
import os, sys
HERE = os.path.dirname(os.path.abspath(__file__))
PEER = os.path.join(HERE, "..", "..", "..", "bench", "peer_inputs.py")
# The basis-table reader of bench/peer_inputs.py, without its main().
peer = {"__file__": PEER}
exec(compile(open(PEER).read().replace("\nmain()\n", "\n"), PEER, "exec"), peer)
peer["SYMBOLS"] = ["H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"]

BOHR_PER_ANGSTROM = 1.8897261245650618
# name: (atom a, atom b, distance in bohr)
CASES = {f"n2_{r}": ("N", "N", float(r) * BOHR_PER_ANGSTROM) for r in ("1.1", "1.2", "1.3", "1.6", "2.0", "2.2", "2.5")}
CASES.update({"c2_4": ("C", "C", 4.0), "bh": ("B", "H", 2.336), "o2": ("O", "O", 2.28), "h2_20": ("H", "H", 20.0), "hf_5": ("H", "F", 5.0)})

coef, exps = peer["library"](3)
for name, (a, b, r) in CASES.items():
    atoms = [(a, 0.0, 0.0, 0.0), (b, 0.0, 0.0, r)]
    elements = sorted({a, b}, key=peer["SYMBOLS"].index)
    geo = "\n".join(f"  {s} {x!r} {y!r} {z!r}" for s, x, y, z in atoms)
    g94 = []
    for s in elements:
        g94.append(f"{s}     0")
        for l, prims in peer["shells"](s, coef, exps):
            g94.append(f"{l}   {len(prims)}   1.00")
            g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
        g94.append("****")
    for guess in ("sad", "core"):
        with open(os.path.join(HERE, f"{name}_{guess}.dat"), "w") as f:
            f.write("memory 1 gb\nmolecule m {\n  0 1\n  units bohr\n  no_reorient\n  no_com\n  symmetry c1\n" + geo + "\n}\n")
            f.write("basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n")
            f.write("set reference rhf\nset scf_type pk\nset puream false\nset e_convergence 1e-11\nset d_convergence 1e-9\n")
            f.write(f"set guess {guess}\nset maxiter 300\nset fail_on_maxiter false\nset stability_analysis check\n")
            f.write("energy('scf')\n")

# Every occupation pattern allowed by symmetry (D2h for N2, C2v for HF), the molecule
# centred for the point group; the lowest pattern's solution is then checked by Psi4's
# RHF->RHF stability analysis in all irreducible representations:
#     cd /tmp && psi4 -n 1 <path>/n2_2.0_patterns.dat n2_2.0_patterns.out
# (each run prints "pattern [...] energy E" on standard output).
import itertools
for name, (a, b, r) in CASES.items():
    if name not in ("n2_1.6", "n2_2.0", "n2_2.2", "n2_2.5", "hf_5"):
        continue
    atoms = [(a, 0.0, 0.0, -r / 2), (b, 0.0, 0.0, r / 2)]
    elements = sorted({a, b}, key=peer["SYMBOLS"].index)
    geo = "\n".join(f"  {s} {x!r} {y!r} {z!r}" for s, x, y, z in atoms)
    g94 = []
    for s in elements:
        g94.append(f"{s}     0")
        for l, prims in peer["shells"](s, coef, exps):
            g94.append(f"{l}   {len(prims)}   1.00")
            g94 += [f"  {e:.10f}  {c:.10f}" for e, c in prims]
        g94.append("****")
    if a == b:  # D2h: Ag B1g B2g B3g Au B1u B2u B3u; sigma_g, sigma_u up to 3, each pi 1
        caps = [3, 0, 1, 1, 0, 3, 1, 1]
        group = "d2h"
    else:       # C2v: A1 A2 B1 B2; sigma up to 4, each pi 1
        caps = [4, 0, 1, 1]
        group = "c2v"
    nocc = 7 if a == b else 5
    patterns = [list(p) for p in itertools.product(*[range(c + 1) for c in caps]) if sum(p) == nocc]
    with open(os.path.join(HERE, f"{name}_patterns.dat"), "w") as f:
        f.write(f"memory 1 gb\nmolecule m {{\n  0 1\n  units bohr\n  no_reorient\n  no_com\n  symmetry {group}\n" + geo + "\n}\n")
        f.write("basis {\ncartesian\n****\n" + "\n".join(g94) + "\n}\n")
        f.write("set reference rhf\nset scf_type pk\nset puream false\nset e_convergence 1e-11\nset d_convergence 1e-9\n")
        f.write("set maxiter 300\nset fail_on_maxiter false\nset guess core\n")
        f.write(f"results = []\nfor docc in {patterns!r}:\n")
        f.write("    psi4.set_options({'docc': docc})\n    try:\n        e = energy('scf')\n    except Exception:\n        continue\n")
        f.write("    results.append((e, docc))\n    print('pattern', docc, 'energy %.10f' % e)\n")
        f.write("e, docc = min(results)\npsi4.set_options({'docc': docc, 'stability_analysis': 'check'})\n")
        f.write("e = energy('scf')\nprint('lowest', docc, 'energy %.10f' % e)\n")
