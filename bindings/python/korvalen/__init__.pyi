from typing import Literal, overload

import numpy as np
from numpy.typing import ArrayLike, NDArray

__all__ = ["ljungcv", "explain", "__version__"]
__version__: str

_Method = str | bytes | None
_Errors = Literal["warn", "raise"]

@overload
def ljungcv(  # type: ignore[overload-overlap]
    n: float, alpha: float, method: _Method = ..., errors: _Errors = ...
) -> float: ...
@overload
def ljungcv(
    n: ArrayLike, alpha: ArrayLike, method: _Method | ArrayLike = ..., errors: _Errors = ...
) -> NDArray[np.float64]: ...
@overload
def explain(n: float, alpha: float, method: _Method = ...) -> str: ...  # type: ignore[overload-overlap]
@overload
def explain(n: ArrayLike, alpha: ArrayLike, method: _Method | ArrayLike = ...) -> NDArray[np.str_]: ...
