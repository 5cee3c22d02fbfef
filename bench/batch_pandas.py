# The batch job the way a pandas user does it: read_csv, korvalen.ljungcv
# (and explain where there is no value), to_csv; the same rows and columns
# as ljungcv batch. Prints the job's seconds, imports not counted.
# Usage: python batch_pandas.py IN.csv OUT.csv
import sys
import time

import numpy as np
import pandas as pd

import korvalen

start = time.perf_counter()
df = pd.read_csv(sys.argv[1], dtype={"method": str}, keep_default_na=False)
method = df["method"].where(df["method"] != "", None)  # an empty method is the default
value = korvalen.ljungcv(df["n"], df["alpha"], method, errors="ignore")
none = value.isna()
why = pd.Series("", index=df.index, dtype=object)
why[none] = korvalen.explain(df["n"][none], df["alpha"][none], method[none])
df["value"] = value
df["status"] = np.where(~none, "ok", np.where(why.str.contains("status 120836"), "rejected", "missing"))
df["message"] = why
df.to_csv(sys.argv[2], index=False)
print(f"{time.perf_counter() - start:.3f}")
