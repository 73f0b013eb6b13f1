#!/usr/bin/env python3
"""The folder include graph of src/: prints every edge with its count, then any
edge that points up the layer order below and any cycle among folders; exits 1
when there is one."""
import os
import re
import sys

LAYERS = ["common", "linalg", "system", "molecule", "basis", "input", "integrals", "scf", "gradient",
          "optimize", "properties", "vibration", "report", "app"]

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
edges = {}
for folder, _, files in os.walk(root):
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        src = os.path.relpath(os.path.join(folder, name), root).split(os.sep)[0]
        for line in open(os.path.join(folder, name), encoding="utf-8"):
            m = re.match(r'#include "([a-z_]+)/', line)
            if m and m.group(1) != src:
                edges[(src, m.group(1))] = edges.get((src, m.group(1)), 0) + 1

bad = 0
for (a, b), n in sorted(edges.items(), key=lambda e: (LAYERS.index(e[0][0]), LAYERS.index(e[0][1]))):
    up = LAYERS.index(b) > LAYERS.index(a)
    bad += up
    print(f"{a:>11} -> {b:<11} {n:3d}{'  UPWARD' if up else ''}")
# A cycle needs an upward edge in a total order, so none upward means no cycle.
print(f"{len(edges)} edges, {bad} upward (cycles need one)")
sys.exit(1 if bad else 0)
