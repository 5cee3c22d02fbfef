"""A user's script, checked with mypy --strict against the installed package."""
from typing import Any

import numpy as np
from numpy.typing import NDArray

import korvalen

value: float = korvalen.ljungcv(100, 0.05)
same: float = korvalen.ljungcv(np.int64(100), np.float32(0.05))
again: float = korvalen.ljungcv(np.float64(100), 0.05, "L", errors="ignore")
values: NDArray[np.float64] = korvalen.ljungcv(np.array([10.0, 100.0]), 0.05, "L")
listed: NDArray[np.float64] = korvalen.ljungcv([10, 100], [0.01, 0.05], ["C", None])
# NumPy's own stubs leave the masked array's constructor untyped.
hidden: np.ma.MaskedArray[Any, Any] = np.ma.masked_array(  # type: ignore[no-untyped-call]
    [10, 100], mask=[False, True]
)
masked: np.ma.MaskedArray[Any, Any] = korvalen.ljungcv(hidden, 0.05)
reason: str = korvalen.explain(100, 0.2)
reasons: NDArray[np.str_] = korvalen.explain([100, 1], 0.05, ["C", "L"])
delivered: float = korvalen.level(100, value)
levels: NDArray[np.float64] = korvalen.level([10, 100], [3.0, 3.5])
kept: float = korvalen.exact(100, 0.05, errors="raise")
found: korvalen.TestResult = korvalen.test(np.array([0.5, -4.2, 1.1]), 0.05, "L", kinds=2)
print(delivered, levels, kept, found.pvalue, found.n)
print(value, same, again, float(values[0]), listed, masked, reason, reasons[1])
