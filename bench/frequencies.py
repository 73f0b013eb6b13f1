#!/usr/bin/env python3
"""Frequency runs side by side: velko --frequencies --diis (Hessian by central differences of
analytic gradients, the displaced SCF runs that symmetry does not spare spread over the
threads, one SCF per thread) and Psi4 1.3.2's frequency() (analytic RHF Hessian, scf_type
pk), both on the same number of threads, at the same geometry (not a minimum: this times the
work, the frequencies are not the point). Prints one line per molecule and thread count:
wall and CPU times and the ratio of the wall times, the least of --repeat runs of each
program, the two alternating so that both meet the same load, and the load average (1 min)
before and after the line's runs.

    bench/frequencies.py [--velko build/velko] [--threads 1,2] [--repeat 1] [--only caffeine]

Molecules: caffeine in STO-3G (bench/molecules/caffeine.in) and water in cc-pVTZ
(examples/water.in's geometry). Psi4's time is that of its frequency() call alone (start-up
left out); velko's is the whole process. Both run at nice 19 (a shared machine)."""
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
    before = os.times()
    subprocess.run(["nice", "-n", "19", binary, "--frequencies", "--diis", "--threads", str(threads), path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    after = os.times()
    return time.time() - start, after.children_user + after.children_system - before.children_user - before.children_system


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
        f.write("start, cpu = time.time(), time.process_time()\npsi4.frequency('scf')\n"
                "print('SECONDS', time.time() - start, time.process_time() - cpu)\n")
    out = subprocess.run(["nice", "-n", "19", "/usr/bin/python3", script], check=True, capture_output=True, text=True,
                         env=dict(os.environ, PYTHONPATH="/usr/lib/x86_64-linux-gnu"), cwd=work).stdout
    m = re.search(r"SECONDS (\S+) (\S+)", out)
    return float(m.group(1)), float(m.group(2))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--velko", default=os.path.join(ROOT, "build", "velko"))
    parser.add_argument("--threads", default="2", help="comma-separated thread counts")
    parser.add_argument("--repeat", type=int, default=1)
    parser.add_argument("--only", help="comma-separated molecule names")
    args = parser.parse_args()
    print("| molecule | basis | atoms | threads | velko wall s | Psi4 wall s | velko CPU s | Psi4 CPU s | wall ratio "
          "| CPU ratio | load |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for name, path, basis, pure in CASES:
        if args.only and name not in args.only.split(","):
            continue
        atoms = atoms_of(path)
        for threads in [int(t) for t in args.threads.split(",")]:
            load = os.getloadavg()[0]
            v, p = [], []
            for _ in range(args.repeat):
                with tempfile.TemporaryDirectory() as work:
                    v.append(velko_time(args.velko, atoms, basis, threads, work))
                    p.append(psi4_time(atoms, basis, pure, threads, work))
            v, p = min(v), min(p)
            print("| %s | %s | %d | %d | %.1f | %.1f | %.1f | %.1f | %.2f | %.2f | %.1f-%.1f |" % (
                name, basis, len(atoms), threads, v[0], p[0], v[1], p[1], v[0] / p[0], v[1] / p[1], load,
                os.getloadavg()[0]), flush=True)


if __name__ == "__main__":
    main()
