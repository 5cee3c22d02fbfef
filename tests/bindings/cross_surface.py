"""Every surface gives the same answer: on random inputs (non-whole and
missing n, rejected and tiny alpha, methods with bytes outside UTF-8), the C
library, `ljungcv batch`, the Python package and the R package agree on each
element's value (bit for bit), status and sentence.

Usage: cross_surface.py BUILD_DIR R_LIBRARY [COUNT]   (run by the venv's python)
"""
import csv
import ctypes
import io
import math
import pathlib
import random
import struct
import subprocess
import sys

import numpy as np

import korvalen

build, r_library = pathlib.Path(sys.argv[1]), sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 10_000
STATUS = {"ok": 0, "missing": 120833, "rejected": 120836}
KEYWORDS = [None, b"C", b"L", b" corr ", b"ljung", b"Corrected"]
OTHERS = [b"X", b"L\xff", b"\xc3\xa9", b"C\x01", b"LJUNG C", b"\xed\xa0\x80", b"a,\"b\"",
          b"a" * 50 + b"\xff"]


def draw(rng):
    n = rng.choice([
        lambda: float(rng.randint(0, 10**6)), lambda: rng.uniform(-2, 5000),
        lambda: float(rng.randint(1, 3)), lambda: rng.choice([math.nan, math.inf, -math.inf]),
        lambda: rng.choice([1e19, 2e19, 0.5, 2**63, 1e300])])()
    alpha = rng.choice(3 * [lambda: rng.uniform(0, 0.1)] + [
        lambda: rng.choice([0.0, 0.1, 0.05, 0.01, 1e-300, 5e-324, 1e-17]),
        lambda: rng.uniform(0.1, 1), lambda: rng.choice([-0.01, math.nan])])()
    return n, alpha, rng.choice(KEYWORDS if rng.random() < 0.8 else OTHERS)


def bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def status_of(sentence):
    return int(sentence.rsplit("(status ", 1)[1].rstrip(")")) if sentence else 0


rng = random.Random(20261209)
rows = [draw(rng) for _ in range(count)]
answers = {}  # surface: [(value or None, status, sentence)]

# The C library, one call at a time.
lib = ctypes.CDLL(str(build / "lib" / "libkorvalen.so.1"))
lib.korvalen_explain_bytes.restype = ctypes.c_size_t
lib.korvalen_explain_bytes.argtypes = [ctypes.c_double, ctypes.c_double, ctypes.c_char_p,
                                       ctypes.c_size_t, ctypes.c_char_p, ctypes.c_size_t,
                                       ctypes.c_void_p]


class Result(ctypes.Structure):
    _fields_ = [("value", ctypes.c_double), ("status", ctypes.c_int32), ("rejected", ctypes.c_int32)]


answers["C library"] = []
unknown = []  # rows whose method the host rejects: an error in R and Python, not a value
for n, alpha, m in rows:
    text, result = ctypes.create_string_buffer(1024), Result()
    lib.korvalen_explain_bytes(n, alpha, m, len(m or b""), text, 1024, ctypes.byref(result))
    answers["C library"].append((None if result.status else result.value, result.status,
                                 text.value.decode()))
    lib.korvalen_explain_bytes(2, 0.05, m, len(m or b""), None, 0, ctypes.byref(result))
    unknown.append(result.rejected == 3)  # the method alone decides

# ljungcv batch on a CSV of the same rows (an empty method is the default).
table = io.BytesIO()
table.write(b"n,alpha,method\n")
for n, alpha, m in rows:
    field = b"" if m is None else b'"' + m.replace(b'"', b'""') + b'"'
    table.write(repr(n).encode() + b"," + repr(alpha).encode() + b"," + field + b"\n")
batch = subprocess.run([str(build / "ljungcv"), "batch"], input=table.getvalue(),
                       capture_output=True, check=True)
out = list(csv.DictReader(io.StringIO(batch.stdout.decode("utf-8", "surrogateescape"))))
answers["ljungcv batch"] = [(float(r["value"]) if r["value"] else None, STATUS[r["status"]],
                             r["message"]) for r in out]

# Python, all rows in one call.
n_all = np.array([r[0] for r in rows])
alpha_all = np.array([r[1] for r in rows])
methods = [r[2] for r in rows]
known = ~np.array(unknown)
values = np.full(count, np.nan)
values[known] = korvalen.ljungcv(n_all[known], alpha_all[known],
                                 [m for m, k in zip(methods, known) if k], errors="ignore")
try:
    korvalen.ljungcv(n_all, alpha_all, methods, errors="ignore")
    sys.exit("FAIL Python: a method the host rejects gave no error")
except ValueError:
    pass
words = korvalen.explain(n_all, alpha_all, methods)
answers["Python"] = [(None if math.isnan(v) else float(v), status_of(w), w)
                     for v, w in zip(values, words)]

# R, all rows in one call, doubles and bytes passed exactly (as bits and hex).
script = r"""
x <- read.table(file("stdin"), colClasses = "character", col.names = c("n", "alpha", "method", "known"))
double_of <- function(hex) readBin(as.raw(strtoi(substring(hex, seq(1, 15, 2), seq(2, 16, 2)), 16L)), "double", n = 1L, endian = "big")
method <- vapply(x$method, function(h) if (h == "-") "C" else `Encoding<-`(rawToChar(as.raw(strtoi(substring(h, seq(1, nchar(h), 2), seq(2, nchar(h), 2)), 16L))), "bytes"), "")
n <- vapply(x$n, double_of, 0); alpha <- vapply(x$alpha, double_of, 0)
k <- x$known == "1"
v <- rep(NA_real_, length(n))
v[k] <- suppressWarnings(ljungcv(n[k], alpha[k], method[k]))
if (!inherits(try(ljungcv(n, alpha, method), silent = TRUE), "try-error") && !all(k)) stop("no error")
w <- ljungcv_explain(n, alpha, method)
hex <- function(b) paste(format(as.hexmode(as.integer(b)), width = 2L), collapse = "")
cat(sprintf("%s %s\n", ifelse(is.na(v), "-", vapply(v, function(d) hex(writeBin(d, raw(), endian = "big")), "")),
            vapply(w, function(s) { h <- hex(charToRaw(enc2utf8(s))); if (nzchar(h)) h else "-" }, "")), sep = "")
"""
lines = "".join(f"{bits(n):016x} {bits(alpha):016x} {'-' if m is None else m.hex()} {0 if u else 1}\n"
                for (n, alpha, m), u in zip(rows, unknown))
r = subprocess.run(["Rscript", "-e", "suppressMessages(library(korvalen))", "-e", script],
                   input=lines.encode(), capture_output=True, check=True,
                   env={"R_LIBS": r_library, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"})
answers["R"] = []
for line in r.stdout.decode().splitlines():
    v, w = line.split(" ")
    sentence = "" if w == "-" else bytes.fromhex(w).decode()
    value = None if v == "-" else struct.unpack(">d", bytes.fromhex(v))[0]
    answers["R"].append((value, status_of(sentence), sentence))

reference = answers["C library"]
failed = 0
for surface, got in answers.items():
    assert len(got) == count, f"{surface}: {len(got)} answers for {count} rows"
    differ = [i for i in range(count)
              if (got[i][0] is None) != (reference[i][0] is None) or
              (got[i][0] is not None and bits(got[i][0]) != bits(reference[i][0])) or
              got[i][1:] != reference[i][1:]]
    if differ:
        i = differ[0]
        print(f"FAIL {surface}: {len(differ)} rows differ; row {i} {rows[i]}: {got[i]} against {reference[i]}")
        failed += 1
# The level and the exact value, bit for bit in C, Python and R; and the test
# of the same statistics (missing ones among them) in Python and R.
failed_before = failed
for name in ("level", "exact"):
    getattr(lib, f"korvalen_{name}").restype = Result
    getattr(lib, f"korvalen_{name}").argtypes = [ctypes.c_double, ctypes.c_double]
tail_n = np.array([rng.choice([float(rng.randint(1, 10**6)), rng.uniform(0, 50), math.nan, 1e15])
                   for _ in range(2000)])
tail_x = np.array([rng.choice([rng.uniform(0, 40), 10 ** rng.uniform(-300, -1), math.nan, 1.5])
                   for _ in range(2000)])
z = np.array([rng.gauss(0, 1.3) if rng.random() > 0.1 else math.nan for _ in range(500)])
mine = {f: [bits(getattr(lib, f"korvalen_{f}")(a, b).value) for a, b in zip(tail_n, tail_x)]
        for f in ("level", "exact")}
python = {f: [bits(v) for v in getattr(korvalen, f)(tail_n, tail_x, errors="ignore")]
          for f in ("level", "exact")}
python_test = korvalen.test(z, 0.05, "C", kinds=2)
script = r"""
x <- matrix(scan(file("stdin"), what = "", quiet = TRUE), ncol = 3, byrow = TRUE)
double_of <- function(hex) readBin(as.raw(strtoi(substring(hex, seq(1, 15, 2), seq(2, 16, 2)), 16L)), "double", n = 1L, endian = "big")
d <- apply(x, c(1, 2), double_of)
hex <- function(v) vapply(v, function(d) paste(format(as.hexmode(as.integer(writeBin(d, raw(), endian = "big"))), width = 2L), collapse = ""), "")
t <- ljungcv_test(d[, 3], 0.05, "C", kinds = 2)
cat(hex(suppressWarnings(ljungcv_level(d[, 1], d[, 2]))), "\n", hex(suppressWarnings(ljungcv_exact(d[, 1], d[, 2]))), "\n",
    hex(c(t$statistic, t$parameter, t$p.value, t$critical.value)), "\n", t$outliers - 1, "\n")
"""
z_column = list(z) + [math.nan] * (len(tail_n) - len(z))
lines = "".join(f"{bits(a):016x} {bits(b):016x} {bits(c):016x}\n" for a, b, c in zip(tail_n, tail_x, z_column))
r = subprocess.run(["Rscript", "-e", "suppressMessages(library(korvalen))", "-e", script],
                   input=lines.encode(), capture_output=True, check=True,
                   env={"R_LIBS": r_library, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"})
out = r.stdout.decode().split("\n")
# R's NA is a NaN of other bits: a value is compared only where the library has one.
as_bits = lambda line: [int(h, 16) for h in line.split()]
for f, line in zip(("level", "exact"), out[:2]):
    r_bits = as_bits(line)
    assert len(r_bits) == len(tail_n), f"R gave {len(r_bits)} {f} values"
    differ = [i for i, b in enumerate(mine[f]) if not math.isnan(struct.unpack("<d", struct.pack("<Q", b))[0])
              and (python[f][i] != b or r_bits[i] != b)]
    if differ:
        print(f"FAIL {f}: {len(differ)} of {len(tail_n)} differ between C, Python and R; first {differ[0]}")
        failed += 1
r_test = [struct.unpack(">d", int(h, 16).to_bytes(8, "big"))[0] for h in out[2].split()]
if r_test != [python_test.statistic, python_test.n, python_test.pvalue, python_test.critical_value] or \
        [int(i) for i in out[3].split()] != list(python_test.outliers):
    print(f"FAIL test: R {r_test} against Python {python_test}")
    failed += 1
if failed == failed_before:
    print(f"ok   {len(tail_n)} levels and exact values, and a test of {len(z)} statistics: C, Python, R agree")
kinds = {"value": sum(a[1] == 0 for a in reference), "no value": sum(a[1] == 120833 for a in reference),
         "rejected": sum(a[1] == 120836 for a in reference)}
print(f"{'FAIL' if failed else 'ok  '} {count} rows ({', '.join(f'{v} {k}' for k, v in kinds.items())}):"
      f" {', '.join(answers)} {'differ' if failed else 'agree'}")
sys.exit(1 if failed else 0)
