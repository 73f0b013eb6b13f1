#!/usr/bin/env python3
"""Computes the molecules of examples/dataset/molecules twice and compares:
(a) with `velko --batch --jobs 2`, (b) through the QCEngine harness
(qcengine_velko) on a dask.distributed cluster. Both use STO-3G, DIIS and the
fast integrals (the default of --batch).

    python3 examples/dataset/run_dataset.py [--velko build/velko] [--limit N]
            [--scheduler tcp://host:8786] [--workers 2] [--workdir DIR]

Without --scheduler a LocalCluster of --workers single-threaded worker
processes is started on this machine. With --scheduler the same tasks go to an
existing cluster (dask-scheduler on one machine, dask-worker tcp://host:8786
--nthreads 1 on each of the others); every worker needs velko at the path given
by --velko (or on PATH) and this repository on PYTHONPATH.
Writes <workdir>/energies.csv and prints whether both ways give the same
energies, to the last bit (the files hold the geometry to 1e-8 bohr, as
qcelemental rounds it, so both ways compute the very same molecule).
"""
import argparse
import csv
import glob
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))


def read_molecule(path):
    """Symbols and positions in bohr of a molecule file of molecules/ (velko's format, bohr)."""
    with open(path) as f:
        lines = f.read().splitlines()
    symbols, geometry = [], []
    for line in lines[4:4 + int(lines[2].split("=")[1])]:
        fields = line.split()
        symbols.append(fields[0])
        geometry += [float(x) for x in fields[1:4]]
    return symbols, geometry


def atomic_input(path):
    symbols, geometry = read_molecule(path)
    return {
        "id": os.path.basename(path),
        "molecule": {"symbols": symbols, "geometry": geometry, "fix_com": True, "fix_orientation": True},
        "driver": "energy",
        "model": {"method": "hf", "basis": "sto-3g"},
        "keywords": {"diis": True, "integrals": "fast"},
    }


def compute_on_worker(task, velko, repo):
    """Runs on a Dask worker: one AtomicInput through qcengine and the velko harness."""
    if repo not in sys.path:
        sys.path.insert(0, repo)
    import qcengine
    import qcengine_velko

    qcengine_velko.register(velko)
    result = qcengine.compute(task, "velko")
    return task["id"], result.success, result.return_result if result.success else None


def with_batch(velko, files, jobs):
    start = time.perf_counter()
    proc = subprocess.run([velko, "--batch", "--jobs", str(jobs), "--diis"] + files, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    energies = {}
    for line in proc.stdout.splitlines():
        data = json.loads(line)
        name = os.path.basename(data["extras"]["input_file"])
        energies[name] = data["return_result"] if data["success"] else None
    return energies, elapsed


def with_dask(velko, files, scheduler, workers):
    from dask.distributed import Client, LocalCluster

    cluster = None
    if scheduler:
        client = Client(scheduler)
    else:
        cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=":0")
        client = Client(cluster)
    try:
        start = time.perf_counter()
        futures = [client.submit(compute_on_worker, atomic_input(f), velko, REPO, pure=False) for f in files]
        results = client.gather(futures)
        elapsed = time.perf_counter() - start
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return {name: energy if ok else None for name, ok, energy in results}, elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--velko", default=os.path.join(REPO, "build", "velko"))
    parser.add_argument("--limit", type=int, default=0, help="only the first N molecules")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--scheduler", default="")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--workdir", default=".")
    args = parser.parse_args()
    velko = os.path.abspath(args.velko)

    files = sorted(glob.glob(os.path.join(HERE, "molecules", "*.in")))
    with open(os.path.join(HERE, "molecules", "index.csv")) as f:
        smiles_of = {row["file"]: row["smiles"] for row in csv.DictReader(f)}
    if args.limit:
        files = files[: args.limit]
    batch, t_batch = with_batch(velko, files, args.jobs)
    dask, t_dask = with_dask(velko, files, args.scheduler, args.workers)

    os.makedirs(args.workdir, exist_ok=True)
    worst = 0.0
    disagree = []
    with open(os.path.join(args.workdir, "energies.csv"), "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["molecule", "smiles", "batch_energy", "dask_energy"])
        for path in files:
            name = os.path.basename(path)
            smiles = smiles_of.get(name, "")
            a, b = batch.get(name), dask.get(name)
            out.writerow([name, smiles, repr(a), repr(b)])
            if a is None or b is None:
                disagree.append(name)
            else:
                worst = max(worst, abs(a - b))
                if a != b:
                    disagree.append(name)
    print(f"batch --jobs {args.jobs}: {t_batch:.2f} s; dask ({args.scheduler or f'{args.workers} local workers'}): "
          f"{t_dask:.2f} s")
    if disagree:
        print(f"{len(files)} molecules: {len(disagree)} disagree or failed: {' '.join(disagree)}")
        sys.exit(1)
    print(f"{len(files)} molecules: batch and dask agree (the same energies, largest difference {worst:.1e} Hartree)")


if __name__ == "__main__":
    main()
