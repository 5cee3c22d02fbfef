import numpy as np
from numpy.typing import NDArray

library_version: str

def evaluate(
    n: NDArray[np.float64], alpha: NDArray[np.float64], methods: list[bytes | None],
    skip: NDArray[np.uint8],
) -> tuple[NDArray[np.float64], list[str | None]]: ...
def explain(
    n: NDArray[np.float64], alpha: NDArray[np.float64], methods: list[bytes | None],
    skip: NDArray[np.uint8],
) -> list[str | None]: ...
def tail(
    exact: bool, n: NDArray[np.float64], x: NDArray[np.float64]
) -> tuple[NDArray[np.float64], list[str | None]]: ...
def above_alpha(
    n: NDArray[np.float64], alpha: NDArray[np.float64], values: NDArray[np.float64]
) -> str | None: ...
