#!/usr/bin/python3
"""A simulation, not an exact computation: the level LJUNGCV's values deliver
for the residuals of a fitted time-series model.

Models: an AR(1), y_t = 0.7 y_{t-1} + e_t, with no outlier, of length T
(after 100 burn-in steps), its innovations e_t either standard normal or
Student t with 5 degrees of freedom scaled to unit variance (heavy tails).
Fit: least squares of y_t on 1 and y_{t-1}, giving m = T - 1 residuals.
Statistics: the residuals divided by an estimated scale, either the usual one
(root of the residual sum of squares over m - 2) or a robust one (the median
absolute deviation times 1.4826, consistent for normal data, and times
m / (m - 0.8), the small-sample correction of Croux and Rousseeuw 1992). The
level is the share of series whose largest absolute statistic exceeds
LJUNGCV(m, alpha). Beside it, the level for m independent statistics of
known scale, exactly, as in docs/level.py.

Each model and length has its own seed, (SEED, model, T), so a cell does not
move when another is added; the alphas and methods of one length are judged
on the same series. Prints one Markdown table, every cell with its 95 %
Wilson interval.
Usage: docs/fitted_model.py [PATH/libkorvalen.so.1]
"""
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from level import level, load  # noqa: E402  (the library's values, the exact level)

PHI, BURN_IN, REPLICATIONS, SEED = 0.7, 100, 40000, 20261209
MODELS = ("normal", "t5")
LENGTHS = (50, 100, 200, 500)
ALPHAS = (0.05, 0.01)


def innovations(rng, model, shape):
    if model == "normal":
        return rng.standard_normal(shape)
    return rng.standard_t(5, shape) / math.sqrt(5 / 3)


def residuals(model, length):
    rng = np.random.default_rng([SEED, MODELS.index(model), length])
    e = innovations(rng, model, (REPLICATIONS, BURN_IN + length))
    y = np.empty_like(e)
    y[:, 0] = e[:, 0]
    for t in range(1, y.shape[1]):
        y[:, t] = PHI * y[:, t - 1] + e[:, t]
    y = y[:, BURN_IN:]
    x, z = y[:, :-1], y[:, 1:]
    xc, zc = x - x.mean(axis=1, keepdims=True), z - z.mean(axis=1, keepdims=True)
    slope = (xc * zc).sum(axis=1) / (xc * xc).sum(axis=1)
    return zc - slope[:, None] * xc


def wilson(hits, count, z=1.959964):
    p = hits / count
    centre = (p + z * z / (2 * count)) / (1 + z * z / count)
    half = z * math.sqrt(p * (1 - p) / count + z * z / (4 * count * count)) / (1 + z * z / count)
    return f"{p:.4f} ({max(centre - half, 0):.4f}–{centre + half:.4f})"


def main():
    lib = load(sys.argv[1] if len(sys.argv) > 1 else "build/release/lib/libkorvalen.so.1")
    print("| innovations | T (n = T − 1) | alpha | method | independent, known scale "
          "| usual scale | robust scale (MAD) |")
    print("|---|---|---|---|---|---|---|")
    for model in MODELS:
        for length in LENGTHS:
            r = residuals(model, length)
            m = length - 1
            usual = np.sqrt((r * r).sum(axis=1) / (m - 2))
            deviation = np.median(np.abs(r - np.median(r, axis=1, keepdims=True)), axis=1)
            mad = 1.4826 * m / (m - 0.8) * deviation
            largest = np.abs(r).max(axis=1)
            for alpha in ALPHAS:
                for method in ("C", "L"):
                    c = lib.korvalen_ljungcv(m, alpha, method.encode()).value
                    cells = [f"{level(m, c):.4f}"]
                    cells += [wilson(int((largest / s > c).sum()), REPLICATIONS) for s in (usual, mad)]
                    print(f"| {model} | {length} | {alpha:g} | {method} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
