#!/usr/bin/python3
"""docs/level.csv is the library's: every value is korvalen_ljungcv's, bit for
bit, every level agrees with 60-digit arithmetic to 4 significant digits, and
korvalen_level gives every level to 1e-13.
The README's crossings are checked the same way: the corrected level is at
most alpha at n - 1 and above it at n.
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

readme = open(f"{source}/README.md", encoding="utf-8").read()
crossings = re.findall(r"^\| (0\.1|0\.05|0\.01|0\.001) \| ([\d,]+) \| [\d.]+ \|", readme, re.M)
if len(crossings) != 4:
    failures.append(f"the README's crossing table has {len(crossings)} rows, not 4")
for alpha_text, n_text in crossings:
    alpha, n = float(alpha_text), int(n_text.replace(",", ""))
    before, at = (exact_level(m, lib.korvalen_ljungcv(m, alpha, b"C").value) for m in (n - 1, n))
    if not (before <= alpha < at):
        failures.append(f"alpha {alpha}: levels {mp.nstr(before, 8)} at {n - 1}, {mp.nstr(at, 8)} at {n}")

for failure in failures:
    print(failure)
print(f"{len(ns)} values of n, {len(crossings)} crossings: {len(failures)} failed")
sys.exit(1 if failures else 0)
