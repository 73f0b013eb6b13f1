"""An ASE calculator for velko: Hartree-Fock energies and analytic forces.

    from velko_ase import Velko
    atoms.calc = Velko(basis="sto-3g")          # velko from PATH, or binary="/path/to/velko"
    atoms.get_potential_energy(); atoms.get_forces()

Each call runs `velko --gradient --json FILE` on the atoms (positions in bohr) in a
temporary folder and reads the QCSchema AtomicResult: properties.return_energy (Eh) and
return_result, the gradient (Eh/bohr), given to ASE in eV and eV/angstrom. A run that
fails raises ase.calculators.calculator.CalculationFailed with velko's message and exit
status. ASE's optimisers, vibrations and molecular dynamics then work on velko's surface.
"""
import json
import os
import shutil
import subprocess
import tempfile

import numpy as np
from ase.calculators.calculator import Calculator, CalculationFailed, all_changes
from ase.units import Bohr, Hartree


class Velko(Calculator):
    implemented_properties = ["energy", "forces"]
    default_parameters = {"basis": "sto-3g", "charge": 0, "multiplicity": None, "threads": None, "diis": False}

    def __init__(self, binary=None, **kwargs):
        Calculator.__init__(self, **kwargs)
        self.binary = binary or shutil.which("velko") or "velko"

    def calculate(self, atoms=None, properties=("energy",), system_changes=all_changes):
        Calculator.calculate(self, atoms, properties, system_changes)
        p = self.parameters
        with tempfile.TemporaryDirectory(prefix="velko_ase_") as work:
            path = os.path.join(work, "molecule.in")
            with open(path, "w") as f:
                f.write(f"basis = {p.basis}\ncharge = {p.charge}\natoms = {len(self.atoms)}\nunits = bohr\n")
                for symbol, (x, y, z) in zip(self.atoms.get_chemical_symbols(), self.atoms.positions / Bohr):
                    f.write(f"{symbol} {x:.12f} {y:.12f} {z:.12f}\n")
            out = os.path.join(work, "result.json")
            command = [self.binary, "--gradient", "--json", out, path]
            if p.multiplicity:
                command[1:1] = ["--multiplicity", str(p.multiplicity)]
            if p.threads:
                command[1:1] = ["--threads", str(p.threads)]
            if p.diis:
                command.insert(1, "--diis")
            run = subprocess.run(command, capture_output=True, text=True)
            if run.returncode != 0:
                raise CalculationFailed(f"velko exited with status {run.returncode}: {run.stderr.strip()}")
            result = json.load(open(out))
        gradient = np.array(result["return_result"], dtype=float).reshape(-1, 3)
        self.results["energy"] = result["properties"]["return_energy"] * Hartree
        self.results["forces"] = -gradient * Hartree / Bohr
