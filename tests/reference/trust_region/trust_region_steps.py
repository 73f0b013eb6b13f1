#!/usr/bin/env python3
"""Reference steps for the optimizer's trust-region step: the minimum of the quadratic model
m(s) = g.s + s.H.s/2 over the disc |s| <= r, found by brute force, without the shifted-Newton
formula: the interior minimum (Newton's step, when H is positive definite and it lies inside),
else a scan of the circle |s| = r at 200000 angles refined by golden-section search.
Plain Python; prints one row per case: s and m(s)."""
import math

CASES = [  # name, H (2x2), g, r
    ("newton inside", [[2.0, 0.5], [0.5, 1.0]], [0.2, 0.1], 1.0),
    ("positive definite, restricted", [[2.0, 0.5], [0.5, 1.0]], [1.0, -0.5], 0.3),
    ("soft and stiff mode", [[0.05, 0.0], [0.0, 1.5]], [0.02, 0.6], 0.25),
    ("negative curvature", [[-0.5, 0.3], [0.3, 1.0]], [0.1, 0.2], 0.5),
]


def model(H, g, s):
    return sum(g[i] * s[i] for i in range(2)) + 0.5 * sum(s[i] * H[i][j] * s[j] for i in range(2) for j in range(2))


def on_circle(H, g, r):
    f = lambda t: model(H, g, (r * math.cos(t), r * math.sin(t)))
    n = 200000
    best = min(range(n), key=lambda k: f(2 * math.pi * k / n))
    a, b = 2 * math.pi * (best - 1) / n, 2 * math.pi * (best + 1) / n
    phi = (math.sqrt(5) - 1) / 2
    for _ in range(200):
        c, d = b - phi * (b - a), a + phi * (b - a)
        if f(c) < f(d):
            b = d
        else:
            a = c
    t = 0.5 * (a + b)
    return (r * math.cos(t), r * math.sin(t))


def solve(H, g, r):
    det = H[0][0] * H[1][1] - H[0][1] * H[1][0]
    if H[0][0] > 0 and det > 0:
        s = (-(H[1][1] * g[0] - H[0][1] * g[1]) / det, -(-H[1][0] * g[0] + H[0][0] * g[1]) / det)
        if math.hypot(*s) <= r:
            return s
    return on_circle(H, g, r)


for name, H, g, r in CASES:
    s = solve(H, g, r)
    print(f"{name}: s = {{{s[0]:.10f}, {s[1]:.10f}}}, m = {model(H, g, s):.10f}")
