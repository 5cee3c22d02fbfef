#!/usr/bin/python3
"""A simulation, not an exact computation: the level LJUNGCV's values deliver
for the residuals of a fitted time-series model.

Model: a Gaussian AR(1), y_t = 0.7 y_{t-1} + e_t, e_t ~ N(0, 1), with no
outlier, of length T (after 100 burn-in steps). Fit: least squares of y_t on
1 and y_{t-1}, giving m = T - 1 residuals. Statistics: the residuals divided
by an estimated scale, either the usual one (root of the residual sum of
squares over m - 2) or a robust one (1.4826 times the median absolute
deviation). The level is the share of series whose largest absolute
statistic exceeds LJUNGCV(m, alpha). Beside it, the level for m independent
statistics of known scale, exactly, as in docs/level.py.

Prints a Markdown table. 20,000 series per length, seed 20261209: a level
p is estimated to within about 2 sqrt(p (1 - p) / 20000).
Usage: docs/fitted_model.py [PATH/libkorvalen.so.1]
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from level import level, load  # noqa: E402  (the library's values, the exact level)

PHI, BURN_IN, REPLICATIONS, SEED = 0.7, 100, 20000, 20261209
LENGTHS = (50, 100, 200, 500)
ALPHAS = (0.05, 0.01)


def main():
    lib = load(sys.argv[1] if len(sys.argv) > 1 else "build/release/lib/libkorvalen.so.1")
    rng = np.random.default_rng(SEED)
    print("| T | alpha | method | independent, known scale | usual scale | robust scale (MAD) |")
    print("|---|---|---|---|---|---|")
    for length in LENGTHS:
        e = rng.standard_normal((REPLICATIONS, BURN_IN + length))
        y = np.empty_like(e)
        y[:, 0] = e[:, 0]
        for t in range(1, y.shape[1]):
            y[:, t] = PHI * y[:, t - 1] + e[:, t]
        y = y[:, BURN_IN:]
        x, z = y[:, :-1], y[:, 1:]
        xc, zc = x - x.mean(axis=1, keepdims=True), z - z.mean(axis=1, keepdims=True)
        slope = (xc * zc).sum(axis=1) / (xc * xc).sum(axis=1)
        r = zc - slope[:, None] * xc
        m = length - 1
        usual = np.sqrt((r * r).sum(axis=1) / (m - 2))
        mad = 1.4826 * np.median(np.abs(r - np.median(r, axis=1, keepdims=True)), axis=1)
        largest = np.abs(r).max(axis=1)
        for alpha in ALPHAS:
            for method in ("C", "L"):
                c = lib.korvalen_ljungcv(m, alpha, method.encode()).value
                exact = level(m, c)
                cells = [f"{exact:.4f}"] + [f"{np.mean(largest / s > c):.4f}" for s in (usual, mad)]
                print(f"| {length} | {alpha:g} | {method} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
