#!/usr/bin/env python3
"""Rates of SCF traps on a sample of random molecules (bench/random_molecules.py), for one or
more velko builds: runs every build in every mode on every molecule (one `--batch` run per
build and mode, under nice -n 19), then counts per build and mode
  limit     runs stopped at the iteration limit (status 6),
  unstable  runs that end on a solution their own stability check calls unstable,
            split into those reported as success (status 0) and as status 7,
  higher    successes (status 0) more than 1e-6 Hartree above the lowest energy any build,
            mode or reference reached on that molecule (a converged, stable state),
  status 7  the other runs flagged as not the lowest (unstable, or a lower state known),
and per build the molecules whose exact and fast integral paths both succeed on states
more than 1e-6 Hartree apart.

    bench/scf_traps.py SAMPLE_DIR OUT.json NAME=VELKO [NAME=VELKO ...] [--modes "M1;M2"]
        [--reference psi4.json] [--reuse]

The modes default to the default mode, `--diis` and `--diis --integrals fast`. A reference
file (bench/psi4_traps.py) adds Psi4's energies to the lowest known ones, and a row of the
same counts for Psi4's run from its SAD guess (unstable: converged on an unstable state). OUT.json keeps
every run (file, build, mode, status, energy, stability) for a closer look; with --reuse
the runs it holds are read instead of made again."""
import glob, json, os, subprocess, sys

LOWER = 1e-6  # Hartree: a success this far above the lowest known state is a trap


def apart(energy):
    """Two states of velko and Psi4 differ: their integrals agree to 1e-8 relative."""
    return max(LOWER, 2e-8 * abs(energy))


def run_batch(velko, mode, files):
    cmd = ["nice", "-n", "19", velko, "--batch", *mode.split(), *files]
    out = subprocess.run(cmd, capture_output=True, text=True).stdout
    rows = {}
    for line in out.splitlines():
        d = json.loads(line)
        ex = d.get("extras", {})
        name = ex.get("input_file") or d.get("input_data", {}).get("extras", {}).get("input_file")
        status = 0 if d.get("success") else d.get("error", {}).get("extras", {}).get("exit_status", -1)
        eig = ex.get("lowest_orbital_hessian_eigenvalue", ex.get("scf_lowest_hessian_eigenvalue"))
        stable = ex.get("scf_stable")
        if d.get("keywords", {}).get("reference") == "uhf":
            stable = None if eig is None else eig >= -1e-5
        rows[name] = {"status": status, "energy": d.get("return_result"), "stable": stable, "eigenvalue": eig}
    return rows


def main():
    args = sys.argv[1:]
    modes = ["", "--diis", "--diis --integrals fast"]
    reference = None
    if "--modes" in args:
        i = args.index("--modes")
        modes = args[i + 1].split(";")
        del args[i:i + 2]
    if "--reference" in args:
        i = args.index("--reference")
        reference = json.load(open(args[i + 1]))
        del args[i:i + 2]
    reuse = "--reuse" in args
    if reuse:
        args.remove("--reuse")
    sample, out, builds = args[0], args[1], [a.split("=", 1) for a in args[2:]]
    files = sorted(glob.glob(os.path.join(sample, "*.xyz")))
    # --reuse: the runs of an earlier OUT.json stand for those of the same build and mode.
    old = {}
    if reuse and os.path.exists(out):
        old = {tuple(k.split("|", 1)): rows for k, rows in json.load(open(out))["runs"].items()}
    runs = {(b, m): old.get((b, m)) or run_batch(v, m, files) for b, v in builds for m in modes}
    # The lowest converged stable state any run or the reference reached.
    lowest = {}
    for rows in runs.values():
        for f, r in rows.items():
            if r["status"] in (0, 7) and r["stable"] is not False and r["energy"] is not None:
                lowest[f] = min(lowest.get(f, r["energy"]), r["energy"])
    if reference:
        # A Psi4 energy stands for a lower state only when distinctly lower: Psi4's integrals
        # sit up to 1e-8 relative from velko's.
        for f in files:
            e = reference.get(os.path.basename(f))
            if e is not None and e.get("stable") and (f not in lowest or e["energy"] < lowest[f] - apart(e["energy"])):
                lowest[f] = e["energy"]
    print(f"{len(files)} molecules in {sample}")
    print(f"{'build':10} {'mode':26} {'limit':>6} {'unstable0':>9} {'unstable7':>9} {'higher':>6} {'other7':>6}")
    for (b, m), rows in runs.items():
        c = dict(limit=0, u0=0, u7=0, higher=0, other7=0)
        for f, r in rows.items():
            if r["status"] == 6:
                c["limit"] += 1
            elif r["stable"] is False:
                c["u0" if r["status"] == 0 else "u7"] += 1
            elif r["status"] == 0 and f in lowest and r["energy"] > lowest[f] + LOWER:
                c["higher"] += 1
            elif r["status"] == 7:
                c["other7"] += 1
        print(f"{b:10} {m or 'default':26} {c['limit']:6} {c['u0']:9} {c['u7']:9} {c['higher']:6} {c['other7']:6}")
    if reference:
        # Psi4's run from its default (SAD) guess on the same molecules: stopped at its limit,
        # converged on an unstable state, or on a stable one above the lowest known (its
        # integrals sit up to 1e-8 relative from velko's).
        c = dict(limit=0, unstable=0, higher=0)
        for f in files:
            r = reference.get(os.path.basename(f), {}).get("runs", {}).get("sad")
            if r is None:
                continue
            if not r["converged"]:
                c["limit"] += 1
            elif r["stable"] is False:
                c["unstable"] += 1
            elif f in lowest and r["energy"] > lowest[f] + apart(lowest[f]):
                c["higher"] += 1
        print(f"{'psi4':10} {'SAD guess':26} {c['limit']:6} {c['unstable']:9} {'':9} {c['higher']:6}")
    # The integral path decides the state: the exact and the fast path both succeed, apart.
    for b, _ in builds:
        for m in modes:
            fast = (m + " --integrals fast").strip()
            if "fast" in m or (b, fast) not in runs:
                continue
            split = sum(1 for f, r in runs[(b, m)].items()
                        if r["status"] == 0 and runs[(b, fast)][f]["status"] == 0
                        and abs(r["energy"] - runs[(b, fast)][f]["energy"]) > LOWER)
            print(f"{b:10} {m or 'default':26} both paths status 0, states apart: {split}")
    json.dump({"lowest": lowest, "runs": {f"{b}|{m}": rows for (b, m), rows in runs.items()}}, open(out, "w"), indent=1)


if __name__ == "__main__":
    main()
