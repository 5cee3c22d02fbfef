import numpy as np
from numpy.typing import NDArray

library_version: str

def evaluate(
    n: NDArray[np.float64], alpha: NDArray[np.float64], methods: list[bytes | None]
) -> tuple[NDArray[np.float64], NDArray[np.int32]]: ...
def explain(
    n: NDArray[np.float64], alpha: NDArray[np.float64], methods: list[bytes | None]
) -> list[bytes]: ...
