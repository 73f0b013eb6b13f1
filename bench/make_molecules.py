#!/usr/bin/env python3
"""Writes the benchmark molecules in velko's input format (bohr), both basis sets.
Idealised geometries: planar rings with C-C 1.40 A (1.39 in benzene), C-H 1.09 A;
all-trans octane with C-C 1.53 A, C-H 1.09 A, tetrahedral angles; caffeine as a
planar purine skeleton of regular rings (1.38 A bonds) with methyl groups and
carbonyl oxygens; the 2-naphthyl radical as naphthalene less one hydrogen, and the naphthalene
cation (charge = 1) at the neutral geometry. Good enough for timing and for comparing programs on the same input."""
import math, os, sys
ANG = 1.8897261245650618

def ring(n, r, phase=0.0):
    return [(r * math.cos(phase + 2 * math.pi * k / n), r * math.sin(phase + 2 * math.pi * k / n)) for k in range(n)]

def benzene():
    atoms = []
    for (x, y) in ring(6, 1.39):
        atoms.append(("C", x, y, 0.0))
    for (x, y) in ring(6, 1.39 + 1.09):
        atoms.append(("H", x, y, 0.0))
    return atoms

def naphthalene():
    d = 1.40
    h = d * math.sqrt(3) / 2
    # two hexagons sharing the bond x = 0, y = +-d/2
    carbons = [(0, d / 2), (0, -d / 2)]
    for s in (1, -1):
        carbons += [(s * h, d), (s * 2 * h, d / 2), (s * 2 * h, -d / 2), (s * h, -d)]
    atoms = [("C", x, y, 0.0) for x, y in carbons]
    for s in (1, -1):
        cx = s * h
        for (x, y) in [(s * h, d), (s * 2 * h, d / 2), (s * 2 * h, -d / 2), (s * h, -d)]:
            vx, vy = x - cx, y
            n = math.hypot(vx, vy)
            atoms.append(("H", x + 1.09 * vx / n, y + 1.09 * vy / n, 0.0))
    return atoms

def naphthyl():
    """The 2-naphthyl radical C10H7, naphthalene without the hydrogen at a beta carbon:
    the open-shell benchmark (a doublet)."""
    atoms = naphthalene()
    del atoms[11]  # the H on C4 at (2h, d/2)
    return atoms

def octane():
    return alkane(8)

def caffeine():
    b = 1.38
    # six-membered ring: N1 C2 N3 C4 C5 C6; five-membered ring: C4 C5 N7 C8 N9
    six = ring(6, b, math.pi / 6)
    N1, C2, N3, C4, C5, C6 = six[2], six[3], six[4], six[5], six[0], six[1]
    # five ring fused on C4-C5 (right side)
    mx, my = (C4[0] + C5[0]) / 2, (C4[1] + C5[1]) / 2
    r5 = b / (2 * math.sin(math.pi / 5))
    cx = mx + r5 * math.cos(math.pi / 5)
    cy = my
    a5 = math.atan2(C5[1] - cy, C5[0] - cx)
    five = [(cx + r5 * math.cos(a5 - 2 * math.pi * k / 5), cy + r5 * math.sin(a5 - 2 * math.pi * k / 5)) for k in range(5)]
    N7, C8, N9 = five[1], five[2], five[3]
    def out(p, centre, dist):
        vx, vy = p[0] - centre[0], p[1] - centre[1]
        n = math.hypot(vx, vy)
        return (p[0] + dist * vx / n, p[1] + dist * vy / n)
    atoms = [("N", *N1, 0.0), ("C", *C2, 0.0), ("N", *N3, 0.0), ("C", *C4, 0.0), ("C", *C5, 0.0),
             ("C", *C6, 0.0), ("N", *N7, 0.0), ("C", *C8, 0.0), ("N", *N9, 0.0)]
    atoms.append(("O", *out(C2, (0, 0), 1.22), 0.0))
    atoms.append(("O", *out(C6, (0, 0), 1.22), 0.0))
    atoms.append(("H", *out(C8, (cx, cy), 1.08), 0.0))
    for n_atom, centre in ((N1, (0, 0)), (N3, (0, 0)), (N7, (cx, cy))):
        c = out(n_atom, centre, 1.47)
        atoms.append(("C", *c, 0.0))
        vx, vy = c[0] - n_atom[0], c[1] - n_atom[1]
        n = math.hypot(vx, vy)
        ux, uy = vx / n, vy / n
        # three hydrogens at 109.5 deg from the N-C bond, staggered about it
        for k in range(3):
            th = 2 * math.pi * k / 3
            ex, ey, ez = -uy * math.cos(th), ux * math.cos(th), math.sin(th)
            atoms.append(("H", c[0] + 0.364 * ux + 1.027 * ex, c[1] + 0.364 * uy + 1.027 * ey, 1.027 * ez))
    return atoms

def write(name, atoms, basis, path, charge=0):
    with open(path, "w") as f:
        f.write(f"basis = {basis}\ncharge = {charge}\natoms = {len(atoms)}\nunits = bohr\n")
        for s, x, y, z in atoms:
            f.write(f"{s} {x * ANG:.10f} {y * ANG:.10f} {z * ANG:.10f}\n")

def alkane(nc):
    """All-trans CnH2n+2 (n >= 2) as a planar zigzag along x, as octane."""
    cc, ch = 1.53, 1.09
    t = math.radians(109.47 / 2)
    atoms = []
    cs = []
    for k in range(nc):
        x = k * cc * math.sin(t)
        y = (cc * math.cos(t) / 2) * (1 if k % 2 else -1)
        cs.append((x, y))
        atoms.append(("C", x, y, 0.0))
    for k, (x, y) in enumerate(cs):
        s = 1 if k % 2 else -1
        for zs in (1, -1):
            atoms.append(("H", x, y + s * ch * math.cos(math.radians(54.75)), zs * ch * math.sin(math.radians(54.75))))
        if k in (0, nc - 1):
            j = -1 if k == 0 else nc
            nx, ny = j * cc * math.sin(t), (cc * math.cos(t) / 2) * (1 if j % 2 else -1)
            atoms.append(("H", x + ch / cc * (nx - x), y + ch / cc * (ny - y), 0.0))
    return atoms

def alkyl(nc):
    """The 1-alkyl radical CnH2n+1: the alkane less the hydrogen at the end of the chain that
    lies in its plane (a doublet, the open-shell member of the size series)."""
    atoms = alkane(nc)
    del atoms[nc + 2]  # the in-plane H of the first carbon, after its two out-of-plane ones
    return atoms

here = os.path.dirname(os.path.abspath(__file__))
if len(sys.argv) == 3 and sys.argv[1].startswith("C"):
    # make_molecules.py C<n> FILE: the alkane CnH2n+2 in STO-3G, for the size series;
    # C<n>r: the 1-alkyl radical CnH2n+1.
    if sys.argv[1].endswith("r"):
        write("alkyl", alkyl(int(sys.argv[1][1:-1])), "sto-3g", sys.argv[2])
    else:
        write("alkane", alkane(int(sys.argv[1][1:])), "sto-3g", sys.argv[2])
    sys.exit(0)
for name, fn in (("benzene", benzene), ("naphthalene", naphthalene), ("naphthyl", naphthyl), ("octane", octane),
                 ("caffeine", caffeine)):
    atoms = fn()
    for basis, suffix in (("sto-3g", ""), ("sto-6g", "_sto6g")):
        write(name, atoms, basis, os.path.join(here, "molecules", f"{name}{suffix}.in"))
        if name == "naphthalene":  # the open-shell benchmark of the same molecule: its cation, a doublet
            write(name, atoms, basis, os.path.join(here, "molecules", f"naphthalene_cation{suffix}.in"), charge=1)
    # closest contacts, as a sanity check of the idealised geometry
    dmin = min(math.dist(a[1:], b[1:]) for i, a in enumerate(atoms) for b in atoms[i + 1:])
    print(f"{name}: {len(atoms)} atoms, shortest distance {dmin:.3f} A")
# The speed benchmarks of the integral engine against the peers (bench/engine_peers.sh).
for name, atoms, basis in (("caffeine_ccpvdz", caffeine(), "cc-pVDZ"), ("naphthalene_631gs", naphthalene(), "6-31G*"),
                           ("c20h42_631gs", alkane(20), "6-31G*")):
    write(name, atoms, basis, os.path.join(here, "molecules", f"{name}.in"))
