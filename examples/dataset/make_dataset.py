#!/usr/bin/env python3
"""Writes molecules/NNN.in and molecules/index.csv: a few hundred small
neutral closed-shell molecules of H, C, N, O and F, each a core with at most one
substituent, with 3D geometries from Open Babel (Debian `openbabel`:
obabel --gen3d, MMFF94).

    python3 examples/dataset/make_dataset.py [--out DIR]

The files are velko's own format with positions in bohr written to 8 decimals:
qcelemental rounds every geometry to 1e-8 bohr, so with these digits velko reads
the very same numbers from the file as from a QCSchema molecule, and the batch
and QCEngine runs compute identical molecules. index.csv gives the SMILES of each.
obabel's 3D builder is not bit-for-bit repeatable (a fresh run gives other
conformers within force-field noise), so the geometries the example uses are
the ones kept in molecules/.
"""
import argparse
import csv
import os
import subprocess

# Cores: the first atom is a carbon with a hydrogen to replace.
CORES = ["C", "CC", "CCC", "CCCC", "CC(C)C", "C1CC1", "C1CCC1", "C1CCCC1", "C=C", "C#C", "C=O", "CO", "CN",
         "CF", "CC=C", "CC#C", "CC=O", "COC", "CNC", "CC(F)(F)F", "c1ccccc1", "c1ccncc1", "c1ccoc1",
         "c1cc[nH]c1", "C1COC1", "CC#N", "CC(=O)C", "CC(=O)O", "CC(=O)N", "C1CCOC1", "CC(C)(C)C"]
# Substituents, written as a branch on the core's first atom.
SUBSTITUENTS = ["", "O", "N", "F", "C#N", "C=O", "OC", "C(=O)O", "C(F)(F)F", "NC", "C"]
ELEMENTS = {"H", "C", "N", "O", "F"}
BOHR_PER_ANGSTROM = 1.8897261245650618  # velko's conversion


def smiles_list():
    for core in CORES:
        for sub in SUBSTITUENTS:
            yield core if not sub else core[0] + "(" + sub + ")" + core[1:]


def obabel(smiles, *options):
    """Runs obabel once on a list of SMILES; returns its standard output."""
    text = "".join(s + "\n" for s in smiles)
    return subprocess.run(["obabel", "-ismi", "-"] + list(options), input=text, capture_output=True, text=True,
                          check=True).stdout


def xyz_atoms(smiles, text):
    """The atoms (symbol, x, y, z in angstrom) of each molecule of obabel's XYZ output."""
    lines = text.splitlines()
    at = 0
    for s in smiles:
        n = int(lines[at])
        atoms = [line.split() for line in lines[at + 2:at + 2 + n]]
        at += 2 + n
        assert {a[0] for a in atoms} <= ELEMENTS, s
        yield [(a[0], float(a[1]), float(a[2]), float(a[3])) for a in atoms]


def velko_input(atoms):
    """velko's input format, STO-3G, positions in bohr to 8 decimals."""
    lines = ["basis = sto-3g", "charge = 0", f"atoms = {len(atoms)}", "units = bohr"]
    for symbol, x, y, z in atoms:
        lines.append(f"{symbol:<2} " + " ".join(f"{v * BOHR_PER_ANGSTROM:14.8f}" for v in (x, y, z)))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "molecules"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    seen = []
    for can in obabel(list(smiles_list()), "-ocan").split("\n"):
        can = can.strip()
        if can and can not in seen:
            seen.append(can)
    with open(os.path.join(args.out, "index.csv"), "w", newline="") as index:
        table = csv.writer(index)
        table.writerow(["file", "smiles"])
        for k, atoms in enumerate(xyz_atoms(seen, obabel(seen, "--gen3d", "-oxyz"))):
            name = f"{k:03d}.in"
            with open(os.path.join(args.out, name), "w") as f:
                f.write(velko_input(atoms))
            table.writerow([name, seen[k]])
    print(f"{len(seen)} molecules in {args.out}")


if __name__ == "__main__":
    main()
