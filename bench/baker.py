#!/usr/bin/env python3
"""Baker's 30 molecules (J. Comput. Chem. 14, 1085 (1993)) at RHF/STO-3G: velko --optimize
and Psi4's optimize() (optking, g_convergence gau) side by side, one molecule after the
other, each program on one thread. Prints (and with --out writes) the per-molecule table of
gradient evaluations, final energies and wall times, and the totals.

    bench/baker.py [--velko build/velko] [--only water,ammonia] [--out docs/baker.md]
                   [--psi4-cache bench/baker_psi4.json [--reuse-psi4]] [--velko-cache F [--reuse-velko]]

The starting geometries (bohr) are those of Psi4's database BAKERJCC93 (Debian psi4-data),
with the charge and multiplicity each entry gives. velko reads the STO-3G of its library
(basis/sto-3g.gbs, the numbers of Psi4's own sto-3g.gbs) through --basis-file, so that both
programs compute in the same basis: velko's built-in tables of H to Ne carry other digits of
the same contractions and give energies about 5e-7 Eh above. Its SCF is DIIS (--diis), as
Psi4's is: the plain loop of the default mode does not converge for the larger molecules.
Psi4's results are written to --psi4-cache after each molecule; --reuse-psi4 takes the
molecules found there from it instead of running Psi4 again (the summary names them);
--velko-cache and --reuse-velko do the same for velko.
Psi4's wall and CPU times are those of its optimize() call alone (its start-up is left out);
velko's are the whole process's. On a shared machine the CPU times are the fairer measure."""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import time

DATABASE = "/usr/share/psi4/databases/BAKERJCC93.py"


def read_database(path):
    """{name: (charge, multiplicity, [(symbol, x, y, z)], unit)} in the database's order."""
    text = open(path).read()
    order = re.search(r"HRXN = \[(.*?)\]", text, re.S).group(1)
    names = re.findall(r"'([^']+)'", order)
    molecules = {}
    for m in re.finditer(r"GEOS\['%s-%s-reagent' % \(dbse, '([^']+)'\)\] = qcdb.Molecule\(\"\"\"(.*?)\"\"\"\)", text, re.S):
        lines = [l.split() for l in m.group(2).strip().splitlines()]
        charge, mult = int(lines[0][0]), int(lines[0][1])
        atoms = [(l[0], float(l[1]), float(l[2]), float(l[3])) for l in lines[1:] if len(l) == 4]
        unit = next((l[1] for l in lines if l[0] == "units"), "angstrom")
        molecules[m.group(1)] = (charge, mult, atoms, unit)
    return [(n, molecules[n]) for n in names]


LIBRARY_STO3G = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "basis", "sto-3g.gbs")


def run_velko(binary, name, mol, work, basis_file):
    charge, mult, atoms, unit = mol
    path = os.path.join(work, name + ".in")
    with open(path, "w") as f:
        f.write(f"basis = sto-3g\ncharge = {charge}\natoms = {len(atoms)}\nunits = {unit}\n")
        for s, x, y, z in atoms:
            f.write(f"{s} {x:.8f} {y:.8f} {z:.8f}\n")
    t = time.time()
    before = os.times()
    p = subprocess.run(["nice", "-n", "5", binary, "--optimize", "--diis", "--threads", "1", "--basis-file", basis_file,
                        "--multiplicity", str(mult), path], capture_output=True, text=True)
    wall = time.time() - t
    after = os.times()
    cpu = after.children_user + after.children_system - before.children_user - before.children_system
    steps = re.findall(r"^\s*(\d+)C?\s+(-\d+\.\d+)\s", p.stdout, re.M)
    return {"converged": p.returncode == 0, "status": p.returncode, "steps": len(steps),
            "energy": float(steps[-1][1]) if steps else float("nan"), "time": wall, "cpu": cpu,
            "error": p.stderr.strip().splitlines()[-1] if p.returncode != 0 and p.stderr.strip() else ""}


PSI4_INPUT = """
import json, time
memory 2 gb
molecule m {{
{charge} {mult}
{atoms}
units {unit}
}}
set basis sto-3g
set scf_type pk
set reference {reference}
set g_convergence gau
set geom_maxiter 100
t = time.time()
c = time.process_time()
try:
    e, history = optimize('scf', return_history=True)
    result = {{"converged": True, "energy": e, "steps": len(history["energy"])}}
except Exception as ex:
    result = {{"converged": False, "energy": float("nan"), "steps": 0, "error": str(ex)[:200]}}
result["time"] = time.time() - t
result["cpu"] = time.process_time() - c
json.dump(result, open("{out}", "w"))
"""


def run_psi4(name, mol, work):
    charge, mult, atoms, unit = mol
    dat = os.path.join(work, name + ".dat")
    out = os.path.join(work, name + ".psi4.json")
    lines = "\n".join(f"{s} {x:.8f} {y:.8f} {z:.8f}" for s, x, y, z in atoms)
    open(dat, "w").write(PSI4_INPUT.format(charge=charge, mult=mult, reference="rhf" if mult == 1 else "uhf", atoms=lines, unit=unit, out=out))
    subprocess.run(["nice", "-n", "5", "psi4", "-n", "1", dat, os.path.join(work, name + ".out")], cwd=work,
                   capture_output=True, text=True)
    try:
        return json.load(open(out))
    except (OSError, ValueError):
        return {"converged": False, "energy": float("nan"), "steps": 0, "time": 0.0, "cpu": 0.0, "error": "psi4 failed"}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--velko", default=os.path.join(os.path.dirname(__file__), "..", "build", "velko"))
    ap.add_argument("--only", help="comma-separated molecule names")
    ap.add_argument("--small", action="store_true", help="the database's small subset (15 molecules)")
    ap.add_argument("--out", help="write the table (markdown) here too")
    ap.add_argument("--database", default=DATABASE)
    ap.add_argument("--velko-only", action="store_true", help="skip Psi4 (its columns stay empty)")
    ap.add_argument("--basis-file", default=LIBRARY_STO3G, help="velko's basis (default: the library's STO-3G)")
    ap.add_argument("--psi4-cache", help="JSON file of Psi4's results by molecule, written as they come")
    ap.add_argument("--reuse-psi4", action="store_true", help="take Psi4's results found in --psi4-cache")
    ap.add_argument("--velko-cache", help="the same for velko's results")
    ap.add_argument("--reuse-velko", action="store_true", help="take velko's results found in --velko-cache")
    args = ap.parse_args()
    molecules = read_database(args.database)
    if args.small:
        small = re.search(r"HRXN_SM = \[(.*?)\]", open(args.database).read(), re.S).group(1)
        molecules = [m for m in molecules if m[0] in re.findall(r"'([^']+)'", small)]
    if args.only:
        keep = args.only.split(",")
        molecules = [m for m in molecules if m[0] in keep]
    rows = []
    head = "| molecule | atoms | velko steps | Psi4 steps | velko energy (Eh) | Psi4 energy (Eh) | velko - Psi4 | velko s | Psi4 s | velko CPU s | Psi4 CPU s |"
    table = [head, "|" + "---|" * 11]
    print(head, flush=True)
    caches = {who: json.load(open(path)) if path and os.path.exists(path) else {}
              for who, path in (("psi4", args.psi4_cache), ("velko", args.velko_cache))}
    reused = {"psi4": [], "velko": []}

    def result(who, name, run, path, reuse):
        """The program's result for the molecule: from its cache when asked, else run and stored there."""
        if reuse and name in caches[who]:
            reused[who].append(name)
            return caches[who][name]
        r = run()
        if path:
            caches[who][name] = r
            with open(path, "w") as f:
                json.dump(caches[who], f, indent=1, sort_keys=True)
        return r

    with tempfile.TemporaryDirectory() as work:
        for name, mol in molecules:
            v = result("velko", name, lambda: run_velko(args.velko, name, mol, work, args.basis_file), args.velko_cache,
                       args.reuse_velko)
            if args.velko_only:
                p = {"converged": False, "energy": float("nan"), "steps": 0, "time": 0.0, "cpu": 0.0}
            else:
                p = result("psi4", name, lambda: run_psi4(name, mol, work), args.psi4_cache, args.reuse_psi4)
            rows.append((name, v, p))
            mark = lambda r: "" if r["converged"] else " (not converged)"
            line = (f"| {name} | {len(mol[2])} | {v['steps']}{mark(v)} | "
                    f"{p['steps']}{mark(p)} | {v['energy']:.8f} | "
                    f"{p['energy']:.8f} | {v['energy'] - p['energy']:+.1e} | {v['time']:.2f} | {p['time']:.2f} | "
                    f"{v['cpu']:.2f} | {p['cpu']:.2f} |")
            table.append(line)
            print(line, flush=True)
            for who, r in (("velko", v), ("Psi4", p)):
                if r.get("error"):
                    print(f"  {who}: {r['error']}", file=sys.stderr)
    total = lambda who, key: sum(r[1 if who == "v" else 2][key] for r in rows)
    conv = lambda k: sum(1 for r in rows if r[k]["converged"])
    within = sum(1 for _, v, p in rows if v["energy"] - p["energy"] < 1e-6)
    summary = [
        f"| total ({len(rows)}) | | {total('v', 'steps')} | {total('p', 'steps')} | | | | {total('v', 'time'):.1f} | "
        f"{total('p', 'time'):.1f} | {total('v', 'cpu'):.1f} | {total('p', 'cpu'):.1f} |",
        "",
        f"Converged: velko {conv(1)}/{len(rows)}, Psi4 {conv(2)}/{len(rows)}. Final energy within 1e-6 Eh of Psi4's "
        f"or lower: {within}/{len(rows)}. Gradient evaluations: velko {total('v', 'steps')}, Psi4 {total('p', 'steps')}. "
        f"Wall time: velko {total('v', 'time'):.1f} s, Psi4 {total('p', 'time'):.1f} s "
        f"(ratio {total('v', 'time') / max(total('p', 'time'), 1e-9):.2f}); CPU time: velko {total('v', 'cpu'):.1f} s, "
        f"Psi4 {total('p', 'cpu'):.1f} s (ratio {total('v', 'cpu') / max(total('p', 'cpu'), 1e-9):.2f}).",
    ]
    for who, path in (("psi4", args.psi4_cache), ("velko", args.velko_cache)):
        if reused[who]:
            summary.append(f"{who}'s results taken from {os.path.basename(path)}, not run here: {', '.join(reused[who])}.")
    for line in summary:
        print(line)
    if args.out:
        open(args.out, "w").write("\n".join(table + summary) + "\n")


if __name__ == "__main__":
    main()
