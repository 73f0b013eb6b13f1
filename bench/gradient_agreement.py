#!/usr/bin/env python3
"""velko's analytic SCF gradients beside Psi4 1.3.2's on the molecules of
tests/reference/psi4_gradient/psi4_gradients.json: per molecule the largest
|velko - Psi4| over the components, and the largest of all. Every case there
uses its set's own function kind, which is what velko --qcschema computes.
Usage: bench/gradient_agreement.py [path/to/velko]   (default build/velko)"""
import json
import os
import subprocess
import sys

top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
velko = sys.argv[1] if len(sys.argv) > 1 else os.path.join(top, "build", "velko")
cases = json.load(open(os.path.join(top, "tests/reference/psi4_gradient/psi4_gradients.json")))["cases"]
worst = 0.0
print("%-20s %-9s %-4s %14s" % ("molecule", "basis", "ref", "max |diff|"))
for c in cases:
    atomic_input = {"schema_name": "qcschema_input", "driver": "gradient",
                    "molecule": {"symbols": [a[0] for a in c["atoms"]], "geometry": [x for a in c["atoms"] for x in a[1:]],
                                 "molecular_charge": c["charge"], "molecular_multiplicity": c["multiplicity"]},
                    "model": {"method": "hf", "basis": c["basis"]},
                    "keywords": {"reference": "rhf" if c["multiplicity"] == 1 else "uhf"}}
    out = subprocess.run([velko, "--qcschema", "-"], input=json.dumps(atomic_input), capture_output=True, text=True)
    result = json.loads(out.stdout)
    diff = max(abs(v - r) for row, ref in zip(result["return_result"], c["gradient"]) for v, r in zip(row, ref))
    worst = max(worst, diff)
    print("%-20s %-9s %-4s %14.2e" % (c["name"], c["basis"], "rhf" if c["multiplicity"] == 1 else "uhf", diff))
print("largest difference over %d molecules: %.2e Eh/bohr" % (len(cases), worst))
