#!/usr/bin/env python3
"""Seeded random small molecules and ions of H, He, Li, B, N and O in STO-3G, as XYZ files
(angstrom, `charge=` and `multiplicity=` on the comment line), for hunting SCF traps:
stretched bonds, ions and open shells where several SCF solutions compete.

    bench/random_molecules.py SEED COUNT DIR [closed|open]

Each molecule has 2 to 6 atoms. Every atom after the first is bonded to a random earlier
one at 0.9 to 2.4 angstrom in a random direction (so a third of the bonds are stretched
well beyond equilibrium), and no two atoms come closer than 0.8 angstrom. The charge is
-1, 0, +1 or +2. `closed` keeps even electron counts (singlets, restricted HF); `open`
(the default) gives doublets for odd counts and triplets for even ones, a quartet now
and then. At most 30 basis functions, as many alpha electrons as functions at most.
The same SEED always writes the same files, named rNNNN.xyz."""
import math, os, random, sys

ELEMENTS = {"H": 1, "He": 2, "Li": 3, "B": 5, "N": 7, "O": 8}
WEIGHTS = {"H": 4, "He": 1, "Li": 1, "B": 1, "N": 2, "O": 2}
MAX_FUNCTIONS = 30


def functions(symbols):
    return sum(1 if ELEMENTS[s] <= 2 else 5 for s in symbols)


def geometry(rng, symbols):
    atoms = [(symbols[0], 0.0, 0.0, 0.0)]
    for s in symbols[1:]:
        for _ in range(1000):
            _, bx, by, bz = rng.choice(atoms)
            d = rng.uniform(0.9, 2.4)
            u, phi = rng.uniform(-1.0, 1.0), rng.uniform(0.0, 2.0 * math.pi)
            r = math.sqrt(1.0 - u * u)
            p = (bx + d * r * math.cos(phi), by + d * r * math.sin(phi), bz + d * u)
            if all(math.dist(p, a[1:]) >= 0.8 for a in atoms):
                atoms.append((s, *p))
                break
        else:
            return None
    return atoms


def molecule(rng, kind):
    while True:
        n = rng.randint(2, 6)
        symbols = rng.choices(list(WEIGHTS), weights=list(WEIGHTS.values()), k=n)
        nbf = functions(symbols)
        if nbf > MAX_FUNCTIONS:
            continue
        charge = rng.choice([-1, 0, 0, 1, 2])
        electrons = sum(ELEMENTS[s] for s in symbols) - charge
        if kind == "closed":
            if electrons % 2:
                charge += rng.choice([-1, 1])
                electrons = sum(ELEMENTS[s] for s in symbols) - charge
            mult = 1
        else:
            mult = 2 if electrons % 2 else 3
            if rng.random() < 0.1:
                mult += 2
        alpha = (electrons + mult - 1) // 2
        if electrons < 2 or alpha > nbf or (electrons + mult - 1) % 2:
            continue
        atoms = geometry(rng, symbols)
        if atoms is not None:
            return charge, mult, atoms


def main():
    seed, count, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    kind = sys.argv[4] if len(sys.argv) > 4 else "open"
    rng = random.Random(seed)
    os.makedirs(out, exist_ok=True)
    for k in range(count):
        charge, mult, atoms = molecule(rng, kind)
        with open(os.path.join(out, f"r{k:04d}.xyz"), "w") as f:
            f.write(f"{len(atoms)}\ncharge={charge} multiplicity={mult} random molecule {seed}/{k}\n")
            f.writelines(f"{s} {x:.8f} {y:.8f} {z:.8f}\n" for s, x, y, z in atoms)


if __name__ == "__main__":
    main()
