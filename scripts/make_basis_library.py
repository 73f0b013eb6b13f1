#!/usr/bin/env python3
"""Writes velko's basis-set library (basis/*.gbs, Gaussian94 format) from the
Debian packages psi4-data and nwchem-data, keeping the elements H to Kr.

The numbers are copied as they stand; each file keeps its source's reference
header and its first line declares the conventional function kind
("spherical" or "cartesian") as Psi4's library does. STO-6G, which Psi4 does
not ship, comes from NWChem's library and is written out in Gaussian94 form.

    python3 scripts/make_basis_library.py [OUTDIR]     (default: basis/)
"""
import os
import re
import sys

PSI4 = "/usr/share/psi4/basis"
NWCHEM = "/usr/share/nwchem/libraries"
SOURCES = {"psi4": "psi4-data 1:1.3.2+dfsg-5", "nwchem": "nwchem-data 7.0.2-4"}

SYMBOLS = ("H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn "
           "Ga Ge As Se Br Kr").split()
LAST = len(SYMBOLS)

# (name, file in the library, file in the source package, source)
LIBRARY = [
    ("STO-3G", "sto-3g.gbs", "sto-3g.gbs", "psi4"),
    ("STO-6G", "sto-6g.gbs", "sto-6g", "nwchem"),
    ("3-21G", "3-21g.gbs", "3-21g.gbs", "psi4"),
    ("6-31G", "6-31g.gbs", "6-31g.gbs", "psi4"),
    ("6-31G*", "6-31gs.gbs", "6-31gs.gbs", "psi4"),
    ("6-31G**", "6-31gss.gbs", "6-31gss.gbs", "psi4"),
    ("6-31+G*", "6-31pgs.gbs", "6-31pgs.gbs", "psi4"),
    ("6-31++G**", "6-31ppgss.gbs", "6-31ppgss.gbs", "psi4"),
    ("6-311G**", "6-311gss.gbs", "6-311gss.gbs", "psi4"),
    ("cc-pVDZ", "cc-pvdz.gbs", "cc-pvdz.gbs", "psi4"),
    ("cc-pVTZ", "cc-pvtz.gbs", "cc-pvtz.gbs", "psi4"),
    ("cc-pVQZ", "cc-pvqz.gbs", "cc-pvqz.gbs", "psi4"),
    ("aug-cc-pVDZ", "aug-cc-pvdz.gbs", "aug-cc-pvdz.gbs", "psi4"),
    ("aug-cc-pVTZ", "aug-cc-pvtz.gbs", "aug-cc-pvtz.gbs", "psi4"),
    ("def2-SVP", "def2-svp.gbs", "def2-svp.gbs", "psi4"),
    ("def2-TZVP", "def2-tzvp.gbs", "def2-tzvp.gbs", "psi4"),
    ("def2-TZVPP", "def2-tzvpp.gbs", "def2-tzvpp.gbs", "psi4"),
    ("def2-QZVP", "def2-qzvp.gbs", "def2-qzvp.gbs", "psi4"),
]

# References the source's header leaves out.
NOTES = {"STO-6G": [
    "! K - Kr: the STO-nG expansions of R.F. Stewart, J. Chem. Phys. 52, 431 (1970), with the",
    "! exponent scaling of W.J. Pietro, B.A. Levy, W.J. Hehre and R.F. Stewart, Inorg. Chem. 19, 2225",
    "! (1980) and, for Sc - Zn, W.J. Pietro and W.J. Hehre, J. Comput. Chem. 4, 241 (1983).",
    "!"]}


def z_of(symbol):
    s = symbol.capitalize()
    return SYMBOLS.index(s) + 1 if s in SYMBOLS else LAST + 1


def from_psi4(path):
    """(kind, reference comment lines, {Z: block lines}) of a Psi4 .gbs file."""
    lines = open(path).read().splitlines()
    kind = lines[0].strip().lower()
    assert kind in ("spherical", "cartesian"), path
    comments, blocks, current = [], {}, None
    for line in lines[1:]:
        if current is None:
            m = re.match(r"^\s*-?([A-Za-z]{1,2})\s+0\s*$", line)
            if m:
                current = z_of(m.group(1))
                blocks.setdefault(current, []).append(line.strip())
            elif line.startswith("!") and not blocks:
                comments.append(line.rstrip())
            elif re.match(r"^\s*[A-Za-z]{1,2}-ECP", line):
                break
        else:
            blocks[current].append(line.rstrip())
            if line.strip() == "****":
                current = None
    return kind, comments, blocks


def from_nwchem(path):
    """The same from an NWChem library file of segmented shells."""
    lines = open(path).read().splitlines()
    comments, blocks, current, kind = [], {}, None, None
    for line in lines:
        f = line.split()
        if line.startswith("#") and not blocks:
            comments.append("!" + line[1:].rstrip())
        elif f and f[0].lower() == "basis":
            kind = f[2].lower() if len(f) > 2 else "cartesian"
            current = None
        elif f and f[0].lower() == "end":
            if current is not None:
                blocks[current].append("****")
            current = None
        elif len(f) == 2 and re.match(r"^[A-Za-z]{1,2}$", f[0]) and re.match(r"^[A-Za-z]+$", f[1]):
            z = z_of(f[0])
            if current is None:
                current = z
                blocks[z] = [f"{SYMBOLS[z - 1] if z <= LAST else f[0]}     0"]
            blocks[current].append([f[1].upper()])
        elif f and current is not None:
            # Fortran exponents as E: the same numbers, read by every Gaussian94 parser.
            blocks[current].append(re.sub(r"(\d)[dD]([+-]?\d)", r"\1E\2", line.rstrip()))
    for z, block in blocks.items():
        # Shell header lines carry their number of primitives in Gaussian94.
        out, i = [], 0
        while i < len(block):
            item = block[i]
            if isinstance(item, list):
                n = 0
                while i + 1 + n < len(block) and isinstance(block[i + 1 + n], str) and block[i + 1 + n] != "****":
                    n += 1
                out.append(f"{item[0]:<3}{n:>3}   1.00")
            else:
                out.append(item)
            i += 1
        blocks[z] = out
    return kind, comments, blocks


def write(outdir, name, target, source_file, source):
    path = os.path.join(PSI4 if source == "psi4" else NWCHEM, source_file)
    kind, comments, blocks = (from_psi4 if source == "psi4" else from_nwchem)(path)
    kept = sorted(z for z in blocks if z <= LAST)
    head = [kind,
            "!",
            f"! {name} for the elements it defines from H to Kr ({len(kept)} elements), velko's basis-set library.",
            f"! Copied unchanged from {path} ({SOURCES[source]}),"
            + (" Fortran exponents D written E," if source == "nwchem" else ""),
            "! written by scripts/make_basis_library.py; the first line is the conventional function kind",
            "! as the source library declares it. The source's own header with the original papers follows.",
            "!"] + NOTES.get(name, [])
    body = []
    for z in kept:
        body.extend(blocks[z])
    with open(os.path.join(outdir, target), "w") as out:
        out.write("\n".join(head + comments + ["", "****"] + body) + "\n")
    return kind, [SYMBOLS[z - 1] for z in kept]


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "basis")
    os.makedirs(outdir, exist_ok=True)
    for name, target, source_file, source in LIBRARY:
        kind, elements = write(outdir, name, target, source_file, source)
        print(f"{name:12} {target:18} {kind:10} {len(elements):2} elements: {' '.join(elements)}")


if __name__ == "__main__":
    main()
