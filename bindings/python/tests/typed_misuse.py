"""Mistakes: mypy --strict must report each line marked so (package_test.sh)."""
import numpy as np
from numpy.typing import NDArray

import korvalen

text: str = korvalen.ljungcv(100, 0.05)  # mistake
array: NDArray[np.float64] = korvalen.ljungcv(np.int64(100), 0.05)  # mistake
loud = korvalen.ljungcv(100, 0.05, errors="loud")  # mistake
number: float = korvalen.explain(100, 0.05)  # mistake
scalar: float = korvalen.ljungcv([100], 0.05)  # mistake
pvalue: str = korvalen.level(100, 3.5)  # mistake
threshold = korvalen.exact(100, 0.05, errors="loud")  # mistake
counted: str = korvalen.test([1.0, 2.0]).n  # mistake
wrong = korvalen.ljungcv(100, 0.05, method=5)  # mistake
wrongs = korvalen.ljungcv([100, 10], 0.05, method=[5, 6])  # mistake
words = korvalen.explain("100", 0.05)  # mistake
