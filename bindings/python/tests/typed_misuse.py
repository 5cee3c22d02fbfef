"""Mistakes: mypy --strict must report each line marked so (package_test.sh)."""
import numpy as np
from numpy.typing import NDArray

import korvalen

text: str = korvalen.ljungcv(100, 0.05)  # mistake
array: NDArray[np.float64] = korvalen.ljungcv(np.int64(100), 0.05)  # mistake
loud = korvalen.ljungcv(100, 0.05, errors="loud")  # mistake
number: float = korvalen.explain(100, 0.05)  # mistake
scalar: float = korvalen.ljungcv([100], 0.05)  # mistake
