"""A user's script, checked with mypy --strict against the installed package."""
import numpy as np
from numpy.typing import NDArray

import korvalen

value: float = korvalen.ljungcv(100, 0.05)
values: NDArray[np.float64] = korvalen.ljungcv(np.array([10.0, 100.0]), 0.05, "L")
reason: str = korvalen.explain(100, 0.2)
reasons: NDArray[np.str_] = korvalen.explain([100, 1], 0.05, ["C", "L"])
print(value, float(values[0]), reason, reasons[1], korvalen.__version__)
