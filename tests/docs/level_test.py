#!/usr/bin/python3
"""docs/level.csv is the library's: every value is korvalen_ljungcv's, bit for
bit, every level agrees with 60-digit arithmetic to 4 significant digits, and
korvalen_level gives every level to 1e-13.
The crossings docs/method.md states hold as stated: the corrected level is at
most alpha at n - 1 and above it at every n from n to 10^6 and on the grid
beyond, wherever there is a value; the corrected value at the smaller of two
alphas lies below the one at the larger from the n given on, and not at n - 1.
Usage: level_test.py LIBKORVALEN SOURCE_DIR
"""
import ctypes
import re
import sys

from mpmath import mp, mpf

mp.dps = 60


class Result(ctypes.Structure):
    _fields_ = [("value", ctypes.c_double), ("status", ctypes.c_int32), ("rejected", ctypes.c_int32)]


lib = ctypes.CDLL(sys.argv[1])
lib.korvalen_ljungcv.restype = Result
lib.korvalen_ljungcv.argtypes = [ctypes.c_double, ctypes.c_double, ctypes.c_char_p]
lib.korvalen_level.restype = Result
lib.korvalen_level.argtypes = [ctypes.c_double, ctypes.c_double]
source = sys.argv[2]
failures = []


def exact_level(n, c):
    # The plain power, in enough digits that 1 - tail keeps the tail's.
    return 1 - (1 - mp.erfc(mpf(c) / mp.sqrt(2))) ** n


def close(p, q):
    return abs(p - q) <= 5e-5 * abs(q)


ns = set()
with open(f"{source}/docs/level.csv", encoding="ascii") as csv:
    assert next(csv) == "n,alpha,method,value,level\n"
    for line in csv:
        n_text, alpha_text, method, value_text, level_text = line.rstrip("\n").split(",")
        n, alpha = int(n_text), float(alpha_text)
        ns.add(n)
        r = lib.korvalen_ljungcv(n, alpha, method.encode())
        if r.status != 0:
            if value_text or level_text:
                failures.append(f"{line.strip()}: the library has no value")
            continue
        if not value_text or float(value_text) != r.value:
            failures.append(f"{line.strip()}: the library gives {r.value!r}")
        elif not close(float(level_text), exact_level(n, r.value)):
            failures.append(f"{line.strip()}: the level is {mp.nstr(exact_level(n, r.value), 8)}")
        elif abs(lib.korvalen_level(n, r.value).value - float(level_text)) > 1e-13 * float(level_text):
            failures.append(f"{line.strip()}: korvalen_level gives {lib.korvalen_level(n, r.value).value!r}")

# The grid: every n to 20, then at least 8 a decade to 10^12.
if not set(range(2, 21)) <= ns:
    failures.append("n from 2 to 20 not all there")
for decade in range(1, 12):
    count = sum(1 for n in ns if 10**decade <= n < 10 ** (decade + 1))
    if count < 8:
        failures.append(f"{count} values of n in [1e{decade}, 1e{decade + 1})")

dbl = ctypes.POINTER(ctypes.c_double)
int_p = ctypes.POINTER(ctypes.c_int32)
lib.korvalen_ljungcv_array.argtypes = [ctypes.c_size_t, dbl, ctypes.c_size_t, dbl, ctypes.c_size_t,
                                       ctypes.POINTER(ctypes.c_char_p), ctypes.c_size_t, dbl, int_p, int_p]
lib.korvalen_level_array.argtypes = [ctypes.c_size_t, dbl, ctypes.c_size_t, dbl, ctypes.c_size_t, dbl,
                                     int_p, int_p, ctypes.c_void_p]


def corrected(ns, alpha):
    """The corrected values and their levels for every n in ns, None where there is no value."""
    count = len(ns)
    n_array, values, levels = ((ctypes.c_double * count)(*ns) for _ in range(3))
    statuses = (ctypes.c_int32 * count)()
    method, a = (ctypes.c_char_p * 1)(b"C"), (ctypes.c_double * 1)(alpha)
    lib.korvalen_ljungcv_array(count, n_array, count, a, 1, method, 1, values, statuses, None)
    lib.korvalen_level_array(count, n_array, count, values, count, levels, (ctypes.c_int32 * count)(), None, None)
    return [(v, p) if s == 0 else (None, None) for v, p, s in zip(values, levels, statuses)]


SCAN_TO = 10**6
page = open(f"{source}/docs/method.md", encoding="utf-8").read()
crossings = re.findall(r"^\| (0\.1|0\.05|0\.01|0\.001) \| ([\d,]+) \| [\d.]+ \|", page, re.M)
orders = re.findall(r"^\| ([\d.]+), ([\d.]+) \| ([\d,]+) \|", page, re.M)
if len(crossings) != 4 or len(orders) != 4:
    failures.append(f"docs/method.md: {len(crossings)} crossings and {len(orders)} orders, not 4 and 4")
scanned = list(range(1, SCAN_TO + 1))
beyond = sorted(n for n in ns if n > SCAN_TO)
by_alpha = {}
for alpha in {float(a) for a, _ in crossings} | {float(a) for pair in orders for a in pair[:2]}:
    by_alpha[alpha] = dict(zip(scanned + beyond, corrected(scanned + beyond, alpha)))
for alpha_text, n_text in crossings:
    alpha, first = float(alpha_text), int(n_text.replace(",", ""))
    before = by_alpha[alpha][first - 1][0]
    if exact_level(first - 1, before) > alpha:
        failures.append(f"alpha {alpha}: the level already exceeds alpha at {first - 1}")
    below = [n for n in range(first, SCAN_TO + 1) if by_alpha[alpha][n][1] is not None and not by_alpha[alpha][n][1] > alpha]
    below += [n for n in beyond if by_alpha[alpha][n][1] is not None and not by_alpha[alpha][n][1] > alpha]
    if below or not exact_level(first, by_alpha[alpha][first][0]) > alpha:
        failures.append(f"alpha {alpha}: the level is at most alpha at n = {(below or [first])[0]}")
for larger_text, smaller_text, n_text in orders:
    larger, smaller, first = float(larger_text), float(smaller_text), int(n_text.replace(",", ""))
    big, small = by_alpha[larger], by_alpha[smaller]
    wrong = [n for n in list(range(first, SCAN_TO + 1)) + beyond
             if big[n][0] is not None and small[n][0] is not None and not small[n][0] < big[n][0]]
    if wrong or not small[first - 1][0] >= big[first - 1][0]:
        failures.append(f"alphas {larger}, {smaller}: the order is not reversed from {first} on ({wrong[:1]})")

for failure in failures:
    print(failure)
print(f"{len(ns)} values of n, {len(crossings)} crossings: {len(failures)} failed")
sys.exit(1 if failures else 0)
