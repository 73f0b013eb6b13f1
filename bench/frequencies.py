#!/usr/bin/env python3
"""Frequency runs side by side: velko --frequencies --diis (Hessian by central differences of
analytic gradients, the 6N displaced SCF runs spread over the threads, one SCF per thread)
and Psi4 1.3.2's frequency() (analytic RHF Hessian, scf_type pk), both on the same number
of threads, at the same geometry (not a minimum: this times the work, the frequencies are
not the point). Prints one line per molecule: wall times and their ratio.

    bench/frequencies.py [--velko build/velko] [--threads 2]

Molecules: caffeine in STO-3G (bench/molecules/caffeine.in) and water in cc-pVTZ
(examples/water.in's geometry). Psi4's time is that of its frequency() call alone (start-up
left out); velko's is the whole process."""
import argparse
import os
import re
import subprocess
import tempfile
import time

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
CASES = [("caffeine", "bench/molecules/caffeine.in", "sto-3g", False),
         ("water", "examples/water.in", "cc-pVTZ", True)]


def atoms_of(path):
    """Symbol and position (bohr) of every atom of a velko-format input."""
    lines = open(os.path.join(ROOT, path)).read().splitlines()
    atoms = []
    for line in lines:
        f = line.split()
        if len(f) == 4 and re.match(r"^[A-Z][a-z]?$", f[0]):
            atoms.append((f[0], float(f[1]), float(f[2]), float(f[3])))
    return atoms


def velko_time(binary, atoms, basis, threads, work):
    path = os.path.join(work, "molecule.in")
    with open(path, "w") as f:
        f.write("basis = %s\ncharge = 0\natoms = %d\nunits = bohr\n" % (basis, len(atoms)))
        f.writelines("%s %.10f %.10f %.10f\n" % a for a in atoms)
    start = time.time()
    subprocess.run([binary, "--frequencies", "--diis", "--threads", str(threads), path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.time() - start


def psi4_time(atoms, basis, pure, threads, work):
    script = os.path.join(work, "frequency.py")
    with open(script, "w") as f:
        f.write("import time, psi4\n")
        f.write("psi4.set_num_threads(%d)\npsi4.set_memory('2 GB')\n" % threads)
        f.write("psi4.core.set_output_file('%s', False)\n" % os.path.join(work, "psi4.out"))
        geometry = "units bohr\\nno_com\\nno_reorient\\nsymmetry c1\\n" + "".join(
            "%s %.10f %.10f %.10f\\n" % a for a in atoms)
        f.write("psi4.geometry('%s')\n" % geometry)
        f.write("psi4.set_options({'basis': '%s', 'puream': %s, 'scf_type': 'pk', 'e_convergence': 1e-10,"
                " 'd_convergence': 1e-10})\n" % (basis, pure))
        f.write("start = time.time()\npsi4.frequency('scf')\nprint('SECONDS', time.time() - start)\n")
    out = subprocess.run(["/usr/bin/python3", script], check=True, capture_output=True, text=True,
                         env=dict(os.environ, PYTHONPATH="/usr/lib/x86_64-linux-gnu"), cwd=work).stdout
    return float(re.search(r"SECONDS (\S+)", out).group(1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--velko", default=os.path.join(ROOT, "build", "velko"))
    parser.add_argument("--threads", type=int, default=2)
    args = parser.parse_args()
    print("%-10s %-8s %6s %10s %10s %7s" % ("molecule", "basis", "atoms", "velko [s]", "Psi4 [s]", "ratio"))
    for name, path, basis, pure in CASES:
        atoms = atoms_of(path)
        with tempfile.TemporaryDirectory() as work:
            v = velko_time(args.velko, atoms, basis, args.threads, work)
            p = psi4_time(atoms, basis, pure, args.threads, work)
        print("%-10s %-8s %6d %10.1f %10.1f %7.2f" % (name, basis, len(atoms), v, p, v / p))


if __name__ == "__main__":
    main()
