#!/usr/bin/env python3
"""Writes the velko inputs (bohr) of the property references that are not among
examples/ or tests/e2e/reference/: pyridine. Run from this directory."""
import math

A = 1.8897261245650618  # bohr per angstrom, velko's conversion


def write(name, charge, atoms, note):
    with open(name + ".in", "w") as f:
        f.write(f"basis = sto-3g\ncharge = {charge}\natoms = {len(atoms)}\nunits = bohr\n")
        for s, x, y, z in atoms:
            f.write(f"{s} {round(x * A, 10) + 0.0:.10f} {round(y * A, 10) + 0.0:.10f} {round(z * A, 10) + 0.0:.10f}\n")
    print(name, note)


# Pyridine, idealised planar hexagon in the xy plane: ring bonds 1.39 A, r(CH) = 1.08 A
# along the radii, N on +y. Not the experimental C2v ring, a reasonable test geometry.
ring = []
for k in range(6):
    t = math.radians(90 + 60 * k)
    ring.append(("N" if k == 0 else "C", 1.39 * math.cos(t), 1.39 * math.sin(t), 0.0))
hyd = []
for k in range(1, 6):
    t = math.radians(90 + 60 * k)
    hyd.append(("H", 2.47 * math.cos(t), 2.47 * math.sin(t), 0.0))
write("pyridine", 0, ring + hyd, "hexagon of 1.39 A, r(CH) 1.08 A radial")
