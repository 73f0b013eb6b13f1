#!/usr/bin/env python3
"""Molecules per core-second on the dataset example: velko's batch mode against
Psi4's Python API looping over the same molecules, side by side in one run.

    python3 bench/dataset_peers.py [--velko build/velko] [--limit N]

velko: `velko --batch --jobs 1 --diis` on the files of examples/dataset/molecules,
with its default integrals (the fast path) and with `--integrals auto` (the exact
path for every molecule here, a single run's default), CPU time of the child
process (user + system). Psi4 (Debian `psi4`, its Python
module in /usr/lib/x86_64-linux-gnu): psi4.energy('scf') with basis sto-3g,
scf_type pk, puream false, one thread, geometry in bohr as given (no_com,
no_reorient, c1), CPU time of this process over the loop. Both converge with
DIIS. Runs in a fresh directory under $TMPDIR, since Psi4 writes files where it runs.
"""
import argparse
import glob
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "examples", "dataset"))
from run_dataset import read_molecule  # noqa: E402


def child_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def run_velko(velko, files, options=()):
    cpu, wall = child_cpu(), time.perf_counter()
    proc = subprocess.run([velko, "--batch", "--jobs", "1", "--diis", *options] + files, capture_output=True,
                          text=True)
    cpu, wall = child_cpu() - cpu, time.perf_counter() - wall
    energies = {}
    for line in proc.stdout.splitlines():
        data = json.loads(line)
        if data["success"]:
            energies[os.path.basename(data["extras"]["input_file"])] = data["return_result"]
    return energies, cpu, wall


def run_psi4(files):
    sys.path.insert(0, "/usr/lib/x86_64-linux-gnu")
    import psi4

    psi4.core.set_output_file("psi4.out", False)
    psi4.set_num_threads(1)
    psi4.set_memory("1 GiB")
    energies = {}
    cpu, wall = time.process_time(), time.perf_counter()
    for path in files:
        symbols, geometry = read_molecule(path)
        atoms = "\n".join(f"{s} {geometry[3 * k]:.8f} {geometry[3 * k + 1]:.8f} {geometry[3 * k + 2]:.8f}"
                          for k, s in enumerate(symbols))
        psi4.geometry(f"units bohr\nno_com\nno_reorient\nsymmetry c1\n{atoms}\n")
        psi4.set_options({"basis": "sto-3g", "scf_type": "pk", "puream": False,
                          "e_convergence": 1e-8, "d_convergence": 1e-8})
        energies[os.path.basename(path)] = psi4.energy("scf")
        psi4.core.clean()
    return energies, time.process_time() - cpu, time.perf_counter() - wall


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--velko", default=os.path.join(REPO, "build", "velko"))
    parser.add_argument("--limit", type=int, default=0)
    args = parser.parse_args()
    velko = os.path.abspath(args.velko)
    files = sorted(glob.glob(os.path.join(REPO, "examples", "dataset", "molecules", "*.in")))
    if args.limit:
        files = files[: args.limit]

    # Psi4 writes its output and scratch files until the interpreter exits: the directory stays.
    os.chdir(tempfile.mkdtemp(prefix="velko_peers_"))
    v, v_cpu, v_wall = run_velko(velko, files)
    f, f_cpu, f_wall = run_velko(velko, files, ("--integrals", "auto"))
    p, p_cpu, p_wall = run_psi4(files)

    n = len(files)
    both = [k for k in v if k in p]
    worst = max(abs(v[k] - p[k]) for k in both)
    paths = max(abs(v[k] - f[k]) for k in v if k in f)
    print(f"{n} molecules (velko converged {len(v)}, Psi4 {len(p)}); largest |E(velko) - E(Psi4)| = {worst:.1e} Hartree; "
          f"velko's two integral paths differ by at most {paths:.1e} Hartree")
    print("| | CPU time | wall time | molecules per core-second |")
    print("|---|---|---|---|")
    print(f"| velko --batch --jobs 1 (fast integrals) | {v_cpu:.2f} s | {v_wall:.2f} s | {n / v_cpu:.1f} |")
    print(f"| velko --batch --jobs 1 --integrals auto | {f_cpu:.2f} s | {f_wall:.2f} s | {n / f_cpu:.1f} |")
    print(f"| Psi4 Python API loop | {p_cpu:.2f} s | {p_wall:.2f} s | {n / p_cpu:.1f} |")
    print(f"velko / Psi4: {p_cpu / v_cpu:.1f} (fast integrals), {p_cpu / f_cpu:.1f} (--integrals auto) "
          "times the molecules per core-second")
    # Psi4 ends the interpreter its own way, which loses what is still buffered.
    sys.stdout.flush()


if __name__ == "__main__":
    main()
