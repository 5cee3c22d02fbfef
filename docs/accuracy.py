#!/usr/bin/python3
"""Accuracy of LJUNGCV's values, and where each method holds.

Prints two Markdown tables for the README:
  1. the largest relative error of the module's value of each method against
     the same formulas evaluated in 50-digit arithmetic (mpmath), over regions
     of n and alpha;
  2. for a few levels, the n where the corrected curve peaks and the n from
     which it falls below the value for a single statistic (no value there).

The module's values come from korvalen.so's exported routines (setcv_,
setcvl_, ppnd_), which LJUNGCV returns unchanged whenever it has a value.
Usage: docs/accuracy.py [PATH/korvalen.so]   (default: build/release/korvalen.so)
"""
import ctypes
import math
import random
import sys

import mpmath
from mpmath import mp, mpf

mp.dps = 50

LOG_4PI = mpf(2.5310242470998636)  # the double the module uses, exactly
SPLIT = mpf(0.42)
CENTRAL_NUMERATOR = [2.50662823884, -18.61500062529, 41.39119773534, -25.44106049637]
CENTRAL_DENOMINATOR = [1.0, -8.47351093090, 23.08336743743, -21.06224101826, 3.13082909833]
TAIL_NUMERATOR = [-2.78718931138, -2.29796479134, 4.85014127135, 2.32121276858]
TAIL_DENOMINATOR = [1.0, 3.54388924762, 1.63706781897]


def load(path):
    lib = ctypes.CDLL(path)
    i64, dbl = ctypes.c_int64, ctypes.c_double
    for name in ("setcv_", "setcvl_"):
        getattr(lib, name).restype = dbl
        getattr(lib, name).argtypes = [ctypes.POINTER(i64), ctypes.POINTER(dbl)]
    lib.ppnd_.restype = dbl
    lib.ppnd_.argtypes = [ctypes.POINTER(dbl), ctypes.POINTER(i64)]

    def value(name, n, alpha):
        return getattr(lib, name)(ctypes.byref(i64(n)), ctypes.byref(dbl(alpha)))

    def single(alpha):
        fault = i64(0)
        z = lib.ppnd_(ctypes.byref(dbl(1.0 - 0.5 * alpha)), ctypes.byref(fault))
        return None if fault.value else z

    def ljungcv(n, alpha, method):
        """LJUNGCV's value, or None where it has none."""
        v = value("setcvl_" if method == "L" else "setcv_", n, alpha)
        if math.isnan(v):
            return None
        s = single(alpha)
        if n >= 2 and s is not None and v < s:
            return None
        return v

    return ljungcv, lambda n, alpha: value("setcv_", n, alpha), single


def poly(c, r):
    return sum(mpf(c[k]) * r**k for k in range(len(c)))


def quantile(p):
    q = p - mpf("0.5")
    if abs(q) <= SPLIT:
        r = q * q
        return q * poly(CENTRAL_NUMERATOR, r) / poly(CENTRAL_DENOMINATOR, r)
    r = 1 - p if q > 0 else p
    r = mpmath.sqrt(-mpmath.log(r))
    v = poly(TAIL_NUMERATOR, r) / poly(TAIL_DENOMINATOR, r)
    return -v if q < 0 else v


def asymptotic(n, alpha):
    t = 2 - mpmath.sqrt(1 + alpha)
    a = mpmath.sqrt(2 * mpmath.log(n))
    return a - (LOG_4PI + mpmath.log(mpmath.log(n))) / (2 * a) - mpmath.log(-mpmath.log(t) / 2) / a


def basis(m):
    a = mpmath.sqrt(2 * mpmath.log(m))
    return [mpf(1), (mpmath.log(mpmath.log(m)) + LOG_4PI) / (2 * a), a]


def corrected(n, alpha):
    y = [quantile((mpmath.sqrt(1 - alpha) + 1) / 2), asymptotic(100, alpha), asymptotic(200, alpha)]
    x = mpmath.lu_solve(mpmath.matrix([basis(2), basis(100), basis(200)]), mpmath.matrix(y))
    f = basis(n)
    return x[0] * f[0] + x[1] * f[1] + x[2] * f[2]


N_REGIONS = [(2, 100), (100, 1e4), (1e4, 1e8), (1e8, 1e12)]
ALPHA_REGIONS = [(1e-3, 0.1), (1e-6, 1e-3), (1e-10, 1e-6), (1e-14, 1e-10), (3.4e-16, 1e-14)]
SAMPLES = 150


def log_uniform(rng, lo, hi):
    return math.exp(rng.uniform(math.log(lo), math.log(hi)))


def accuracy_table(ljungcv):
    rng = random.Random(20261208)
    print("| n | alpha | corrected (C) | asymptotic (L) |")
    print("|---|---|---|---|")
    for n_lo, n_hi in N_REGIONS:
        for a_lo, a_hi in ALPHA_REGIONS:
            worst = {"C": 0.0, "L": 0.0}
            missing = {"C": 0, "L": 0}
            for _ in range(SAMPLES):
                n = int(log_uniform(rng, n_lo, n_hi))
                alpha = log_uniform(rng, a_lo, a_hi)
                exact = {"C": corrected(n, mpf(alpha)), "L": asymptotic(n, mpf(alpha))}
                for method in ("C", "L"):
                    v = ljungcv(n, alpha, method)
                    if v is None:
                        missing[method] += 1
                        continue
                    err = float(abs((mpf(v) - exact[method]) / exact[method]))
                    worst[method] = max(worst[method], err)
            cells = []
            for method in ("C", "L"):
                if missing[method] == SAMPLES:
                    cells.append("no value")
                    continue
                cell = f"{worst[method]:.1e}"
                if missing[method]:
                    cell += f" ({missing[method]} of {SAMPLES} without value)"
                cells.append(cell)
            print(f"| {n_lo:g} to {n_hi:g} | {a_lo:g} to {a_hi:g} | {cells[0]} | {cells[1]} |")


def which_method_table(raw, single):
    print("| alpha | value for one statistic | corrected curve peaks near n = | "
          "no corrected value from n = |")
    print("|---|---|---|---|")
    top = 10**18
    for alpha in (0.1, 0.05, 0.01, 0.001, 1e-4, 1e-6):
        # The curve in ln n rises to one peak beyond n = 4, then falls.
        lo, hi = math.log(4), math.log(top)
        for _ in range(200):
            m1, m2 = lo + (hi - lo) / 3, hi - (hi - lo) / 3
            if raw(int(math.exp(m1)), alpha) < raw(int(math.exp(m2)), alpha):
                lo = m1
            else:
                hi = m2
        peak = int(math.exp(lo))
        s = single(alpha)
        if peak > top / 10:
            print(f"| {alpha:g} | {s:.6f} | beyond 10^18 (still rising) | none up to 10^18 |")
            continue
        if raw(top, alpha) >= s:
            crossing = "none up to 10^18"
        else:
            below, above = peak, top
            while above - below > 1:
                mid = (below + above) // 2
                if raw(mid, alpha) < s:
                    above = mid
                else:
                    below = mid
            crossing = f"{above:,}"
        print(f"| {alpha:g} | {s:.6f} | {peak:.2g} | {crossing} |")


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "build/release/korvalen.so"
    ljungcv, raw, single = load(path)
    print("Largest relative error against 50-digit evaluation of the same formulas\n")
    accuracy_table(ljungcv)
    print("\nWhere the corrected curve turns down\n")
    which_method_table(raw, single)


if __name__ == "__main__":
    main()
