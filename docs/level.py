#!/usr/bin/python3
"""The level each method delivers: docs/level.csv, docs/level.png and the
README's tables.

For n independent standard normal statistics, the probability that the
largest absolute one exceeds c is exactly

    level = 1 - (2 Phi(c) - 1)^n = -expm1(n * log1p(-erfc(c / sqrt 2)))

written on the right so that it holds where the level is 1e-300 as well as
where it lies within 1e-16 of 1: erfc is the two-sided tail to full relative
precision, and log1p and expm1 keep every digit of it. The values c are the C
library's own (korvalen_ljungcv, through ctypes).

Writes docs/level.csv (n,alpha,method,value,level; a row without a value keeps
both empty), draws docs/level.png with gnuplot, and prints the README's level
table and, for each usual level, the n from which the corrected method's level
exceeds alpha.
Usage: docs/level.py [PATH/libkorvalen.so.1]   (default: build/release/lib/libkorvalen.so.1)
"""
import ctypes
import math
import subprocess
import sys

ALPHAS = (0.1, 0.05, 0.01, 0.001, 0.0001)
METHODS = ("C", "L")
PER_DECADE = 10
SCAN_TO = 10**6  # every n to here when looking for the crossing


class Result(ctypes.Structure):
    _fields_ = [("value", ctypes.c_double), ("status", ctypes.c_int32), ("rejected", ctypes.c_int32)]


def load(path):
    lib = ctypes.CDLL(path)
    lib.korvalen_ljungcv.restype = Result
    lib.korvalen_ljungcv.argtypes = [ctypes.c_double, ctypes.c_double, ctypes.c_char_p]
    lib.korvalen_ljungcv_array.restype = ctypes.c_size_t
    dbl_p = ctypes.POINTER(ctypes.c_double)
    lib.korvalen_ljungcv_array.argtypes = [
        ctypes.c_size_t, dbl_p, ctypes.c_size_t, dbl_p, ctypes.c_size_t,
        ctypes.POINTER(ctypes.c_char_p), ctypes.c_size_t, dbl_p,
        ctypes.POINTER(ctypes.c_int32), ctypes.POINTER(ctypes.c_int32)]
    return lib


def value(lib, n, alpha, method):
    """The library's critical value, or None where it has none."""
    r = lib.korvalen_ljungcv(float(n), alpha, method.encode())
    return r.value if r.status == 0 else None


def values(lib, ns, alpha, method):
    """The library's values for many n at one level, None where there is none."""
    count = len(ns)
    n_array = (ctypes.c_double * count)(*ns)
    out = (ctypes.c_double * count)()
    status = (ctypes.c_int32 * count)()
    keyword = (ctypes.c_char_p * 1)(method.encode())
    alpha_array = (ctypes.c_double * 1)(alpha)
    lib.korvalen_ljungcv_array(count, n_array, count, alpha_array, 1, keyword, 1, out, status, None)
    return [v if s == 0 else None for v, s in zip(out, status)]


def level(n, c):
    """P(max of n independent |Z| > c)."""
    return -math.expm1(n * math.log1p(-math.erfc(c / math.sqrt(2.0))))


def decade_grid():
    """Every n to 20, then PER_DECADE log-spaced whole n a decade, on every
    power of ten, to 10^12."""
    ns = list(range(2, 21))
    for decade in range(1, 12):
        for step in range(PER_DECADE):
            n = round(10 ** (decade + step / PER_DECADE))
            if n > ns[-1]:
                ns.append(n)
    ns.append(10**12)
    return ns


def table(lib):
    rows = []
    ns = decade_grid()
    for alpha in ALPHAS:
        for method in METHODS:
            for n, c in zip(ns, values(lib, ns, alpha, method)):
                rows.append((n, alpha, method, c, None if c is None else level(n, c)))
    return rows


def write_csv(rows, path):
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("n,alpha,method,value,level\n")
        for n, alpha, method, c, p in rows:
            cells = ["", ""] if c is None else [repr(c), repr(p)]
            out.write(f"{n},{alpha!r},{method},{cells[0]},{cells[1]}\n")


def crossing(lib, alpha):
    """The smallest n from which the corrected level exceeds alpha: every n to
    SCAN_TO is evaluated, and the grid beyond it must agree."""
    ns = list(range(2, SCAN_TO + 1))
    last_at_or_below = None
    for n, c in zip(ns, values(lib, ns, alpha, "C")):
        if c is not None and not level(n, c) > alpha:
            last_at_or_below = n
    first = 2 if last_at_or_below is None else last_at_or_below + 1
    if first > SCAN_TO:
        return None
    beyond = [n for n in decade_grid() if n > SCAN_TO]
    for n, c in zip(beyond, values(lib, beyond, alpha, "C")):
        if c is not None and not level(n, c) > alpha:
            raise SystemExit(f"alpha {alpha}: the level falls back to alpha at n = {n}")
    return first


def order_reversed(lib, larger, smaller):
    """The smallest n from which the corrected value at alpha `smaller` lies
    below the one at `larger` wherever both have one: every n to SCAN_TO,
    and the grid beyond must agree."""
    ns = list(range(2, SCAN_TO + 1))
    first = None
    for n, big, small in zip(ns, values(lib, ns, larger, "C"), values(lib, ns, smaller, "C")):
        if big is not None and small is not None and not small < big:
            first = None
        elif first is None:
            first = n
    beyond = [n for n in decade_grid() if n > SCAN_TO]
    for n, big, small in zip(beyond, values(lib, beyond, larger, "C"), values(lib, beyond, smaller, "C")):
        if big is not None and small is not None and not small < big:
            raise SystemExit(f"alpha {larger}, {smaller}: the order returns at n = {n}")
    return first


def markdown(rows, lib):
    by_key = {(n, a, m): p for n, a, m, _, p in rows}
    shown = (2, 10, 100, 1000, 10**4, 10**5, 10**6)
    print("| n | " + " | ".join(f"alpha {a:g}: C / L" for a in ALPHAS[:4]) + " |")
    print("|---|" + "---|" * 4)
    for n in shown:
        cells = []
        for a in ALPHAS[:4]:
            pair = [by_key[(n, a, m)] for m in METHODS]
            cells.append(" / ".join("no value" if p is None else f"{p:.3g}" for p in pair))
        print(f"| {n:,} | " + " | ".join(cells) + " |")
    print()
    print("| alpha | corrected level exceeds alpha from n = | its level there | asymptotic limit of L's level |")
    print("|---|---|---|---|")
    for a in ALPHAS[:4]:
        n = crossing(lib, a)
        c = value(lib, n, a, "C")
        print(f"| {a:g} | {n:,} | {level(n, c):.6g} | {math.sqrt(1 + a) - 1:.6g} |")
    print()
    print("| alphas | the corrected value at the smaller lies below the one at the larger from n = "
          "| the two values at n = 10^5 |")
    print("|---|---|---|")
    for larger, smaller in zip(ALPHAS, ALPHAS[1:]):
        n = order_reversed(lib, larger, smaller)
        pair = (value(lib, 10**5, a, "C") for a in (larger, smaller))
        print(f"| {larger:g}, {smaller:g} | {n:,} | " + " and ".join(f"{v:.4f}" for v in pair) + " |")


def plot(rows, csv_path, png_path):
    """Both methods' level over alpha; a disc where the corrected method's
    values end (no value beyond it), a dotted line at 1 / alpha for each
    alpha (the level is 1: every series is flagged)."""
    colours = {0.1: "#27ae60", 0.05: "#c0392b", 0.01: "#1b6ca8", 0.001: "#8e44ad", 0.0001: "#d35400"}
    plots = []
    ends = []
    for a in ALPHAS:
        for method, dash in (("C", 1), ("L", 2)):
            title = f'title "alpha = {a:g}"' if method == "C" else "notitle"
            plots.append(f'"{csv_path}" every ::1 using 1:(sel("{method}", {a!r})) '
                         f'with lines lw 2 dt {dash} lc rgb "{colours[a]}" {title}')
        plots.append(f'{1 / a!r} with lines lw 1.5 dt 3 lc rgb "{colours[a]}" notitle')
        with_value = [(n, p) for n, alpha, m, c, p in rows if alpha == a and m == "C" and c is not None]
        last_n, last_p = with_value[-1]
        if last_n < 10**12:
            ends.append(f"{last_n},{last_p / a!r},{int(colours[a][1:], 16)}")
    plots.append("NaN with lines lw 2 dt 1 lc rgb \"black\" title \"corrected (C)\"")
    plots.append("NaN with lines lw 2 dt 2 lc rgb \"black\" title \"asymptotic (L)\"")
    plots.append("NaN with lines lw 1 dt 3 lc rgb \"black\" title \"1 / alpha: every series flagged\"")
    plots.append("$ends using 1:2:3 with points pt 7 ps 1.4 lc rgb variable notitle")
    plots.append("NaN with points pt 7 ps 1.4 lc rgb \"black\" title \"corrected: no value beyond\"")
    block = "\n".join(ends)
    script = f"""
set terminal pngcairo size 1100,640 font ",11"
set output "{png_path}"
$ends << EOD
{block}
EOD
set datafile separator ","
set datafile missing ""
set logscale xy
set format x "10^{{%T}}"
set format y "%g"
set xrange [2:1e12]
set yrange [1e-3:1e5]
set xlabel "n (number of independent standard normal statistics, known scale)"
set ylabel "delivered level / alpha"
set grid
set key right bottom font ",10" maxrows 5 opaque
set title "Level each method delivers for independent standard normal statistics with known scale\\n(above 1: more false alarms than alpha)"
sel(m, a) = (strcol(3) eq m && abs($2 - a) < 1e-15 && strcol(5) ne "") ? $5 / a : NaN
set arrow from 2,1 to 1e12,1 nohead lw 2 lc rgb "black"
plot {", ".join(plots)}
"""
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "build/release/lib/libkorvalen.so.1"
    lib = load(path)
    rows = table(lib)
    write_csv(rows, "docs/level.csv")
    plot(rows, "docs/level.csv", "docs/level.png")
    markdown(rows, lib)
    print("\nwrote docs/level.csv and docs/level.png", file=sys.stderr)


if __name__ == "__main__":
    main()
