#!/usr/bin/python3
"""ASE's BFGS minimising water on velko's RHF/STO-3G surface (python/velko_ase.py), beside
velko's own --optimize from the same start. Run from the source tree after a build:

    /usr/bin/python3 python/ase_water_example.py [path/to/velko]

(Debian's python3-ase; /usr/bin/python3 is the interpreter that sees it.)"""
import os
import re
import subprocess
import sys
import tempfile

from ase import Atoms
from ase.optimize import BFGS
from ase.units import Bohr, Hartree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from velko_ase import Velko  # noqa: E402

binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "velko")
start = [("O", 0.0, 0.0, 0.0), ("H", 2.6, 0.0, 0.0), ("H", -1.545, 0.414, 0.0)]  # bohr, far from the minimum

water = Atoms([s for s, *_ in start], positions=[[x * Bohr, y * Bohr, z * Bohr] for _, x, y, z in start])
water.calc = Velko(binary=binary, basis="sto-3g")
opt = BFGS(water, logfile="-")
opt.run(fmax=0.001)  # eV/angstrom: 2e-5 Eh/bohr
ase_energy = water.get_potential_energy() / Hartree
print(f"ASE BFGS: {opt.nsteps} steps, energy {ase_energy:.8f} Eh, O-H {water.get_distance(0, 1):.4f} "
      f"and {water.get_distance(0, 2):.4f} angstrom, H-O-H {water.get_angle(1, 0, 2):.2f} degrees")

with tempfile.NamedTemporaryFile("w", suffix=".in", delete=False) as f:
    f.write("basis = sto-3g\ncharge = 0\natoms = 3\nunits = bohr\n" + "".join(f"{s} {x} {y} {z}\n" for s, x, y, z in start))
out = subprocess.run([binary, "--optimize=tight", f.name], capture_output=True, text=True).stdout
os.unlink(f.name)
steps = re.findall(r"^\s*(\d+)C?\s+(-\d+\.\d+)\s", out, re.M)
print(f"velko --optimize=tight: {len(steps)} steps, energy {float(steps[-1][1]):.8f} Eh")
