#!/usr/bin/env python3
"""Random small molecules through a sanitizer build of velko.

Usage: random_molecules.py VELKO COUNT [SEED]

Makes COUNT molecules of 1 to 5 atoms of H to Ne in STO-3G (random charge -1..+1,
now and then a higher multiplicity, bond lengths from 0.3 to 6 bohr, now and then
two atoms closer than velko accepts) and computes each with and without --diis,
in --batch runs of 50 molecules. Prints the counts of each status after every
50 molecules, and every finding: a sanitizer report, a crash, a status other
than the documented ones, or standard output that is not one JSON line per
molecule. Exits 1 on a finding.
Build VELKO with -fsanitize=address,undefined; run it with nice -n 19.
"""
import json
import os
import random
import subprocess
import sys
import tempfile
from collections import Counter

ELEMENTS = ["H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"]
CHUNK = 50
ANGSTROM_PER_BOHR = 0.529177210903


def molecule(rng):
    """XYZ text of one molecule: each atom bonded to a random earlier one."""
    n = rng.randint(1, 5)
    atoms = []
    for k in range(n):
        symbol = rng.choice(ELEMENTS[:6] if rng.random() < 0.7 else ELEMENTS)
        if k == 0:
            xyz = (0.0, 0.0, 0.0)
        else:
            base = atoms[rng.randrange(k)][1]
            r = rng.uniform(0.3, 6.0) if rng.random() > 0.01 else 10.0 ** rng.uniform(-12, -4)
            d = [rng.gauss(0, 1) for _ in range(3)]
            norm = sum(x * x for x in d) ** 0.5 or 1.0
            xyz = tuple(b + r * x / norm for b, x in zip(base, d))
        atoms.append((symbol, xyz))
    charge = rng.choice([-1, 0, 0, 0, 1])
    comment = f"charge={charge}"
    electrons = sum(ELEMENTS.index(s) + 1 for s, _ in atoms) - charge
    if rng.random() < 0.15 and electrons >= 2:
        comment += f" multiplicity={electrons % 2 + 3}"  # a triplet or a quartet
    # XYZ positions are in angstrom.
    lines = [str(n), comment] + [f"{s} {x * ANGSTROM_PER_BOHR:.12g} {y * ANGSTROM_PER_BOHR:.12g} {z * ANGSTROM_PER_BOHR:.12g}"
                                 for s, (x, y, z) in atoms]
    return "\n".join(lines) + "\n"


def run_chunk(velko, files, extra):
    env = dict(os.environ,
               ASAN_OPTIONS="detect_leaks=1:abort_on_error=1",
               UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
    p = subprocess.run([velko, "--batch", *extra, *files], capture_output=True, text=True, env=env, timeout=3600)
    findings = []
    if "Sanitizer" in p.stderr or "runtime error" in p.stderr:
        findings.append("sanitizer report:\n" + p.stderr[-3000:])
    if p.returncode not in (0, 8):
        findings.append(f"status {p.returncode}")
    lines = p.stdout.splitlines()
    if len(lines) != len(files):
        findings.append(f"{len(lines)} lines for {len(files)} molecules")
    statuses = Counter()
    for line in lines:
        try:
            r = json.loads(line)
        except ValueError:
            findings.append("not JSON: " + line[:200])
            continue
        statuses[0 if r.get("success") else r.get("error", {}).get("extras", {}).get("exit_status", "?")] += 1
    return statuses, findings


def main():
    velko, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 2026)
    folder = tempfile.mkdtemp(prefix="velko_random_")
    files = []
    for k in range(count):
        path = os.path.join(folder, f"m{k:05d}.xyz")
        with open(path, "w") as f:
            f.write(molecule(rng))
        files.append(path)
    found = False
    modes = (("plain", []), ("--diis", ["--diis"]))
    total = {mode: Counter() for mode, _ in modes}
    for at in range(0, count, CHUNK):
        chunk = files[at:at + CHUNK]
        for mode, extra in modes:
            statuses, findings = run_chunk(velko, chunk, extra)
            total[mode].update(statuses)
            for f in findings:
                found = True
                print(f"FINDING ({mode}, {chunk[0]} ..): {f}", flush=True)
        done = at + len(chunk)
        print(f"{done} molecules: " + "; ".join(f"{mode} statuses {dict(sorted(total[mode].items(), key=str))}"
                                               for mode, _ in modes), flush=True)
    print("molecules kept in", folder)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
