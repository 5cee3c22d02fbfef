"""Critical values for the largest of n absolute standardized statistics.

``ljungcv(n, alpha, method="C")`` is the host function LJUNGCV as a NumPy
function: bit for bit the values the host computes.

>>> import korvalen
>>> korvalen.ljungcv([10, 100], 0.05)
array([3.08711034, 3.81008757])
"""
import warnings

import numpy as np

from . import _korvalen

__all__ = ["ljungcv", "__version__"]
__version__ = _korvalen.library_version

_ARGUMENTS = {2: "alpha", 3: "method"}
_WHY = {
    2: "alpha must lie between 0 and 0.1 inclusive",
    3: "method must be one of L, LJUNG, C, CORR, CORRECT, CORRECTED",
}


def _methods(method, shape):
    """One keyword for all elements, or one per element of the broadcast shape."""
    if method is None or isinstance(method, (str, bytes)):
        return [None if method is None else _keyword(method)]
    array = np.broadcast_to(np.asarray(method, dtype=object), shape)
    return [None if m is None else _keyword(m) for m in array.ravel()]


def _keyword(m):
    if isinstance(m, bytes):
        return m.decode("latin-1")
    if isinstance(m, str):
        return m
    raise TypeError(f"method must be a string or None, not {type(m).__name__}")


def ljungcv(n, alpha, method="C", errors="warn"):
    """Critical value for the largest of ``n`` absolute standardized statistics.

    Parameters
    ----------
    n : array_like
        Number of statistics; truncated toward zero.
    alpha : array_like
        Significance level, 0 to 0.1 inclusive.
    method : str, None or array_like of str, optional
        ``"C"`` (the default; also ``"CORR"``, ``"CORRECT"``, ``"CORRECTED"``):
        the corrected curve; ``"L"`` or ``"LJUNG"``: the asymptotic formula.
        Case and surrounding blanks do not matter. ``None`` is the default.
    errors : {"warn", "raise"}, optional
        What a rejected argument does: a ``RuntimeWarning`` naming it (its
        result is ``nan``), or a ``ValueError``.

    The three arguments broadcast against each other. Results without a value
    (n below 1, n = 1 with ``"L"``, alpha 0 with ``"C"``, a corrected value
    below the value for a single statistic) are ``nan`` without a warning, and
    so are results for ``nan`` inputs.

    Returns
    -------
    float or numpy.ndarray
        A float for scalar arguments, else an array of the broadcast shape.
    """
    if errors not in ("warn", "raise"):
        raise ValueError('errors must be "warn" or "raise"')
    n_array = np.asarray(n, dtype=float)
    alpha_array = np.asarray(alpha, dtype=float)
    method_shape = () if method is None or isinstance(method, (str, bytes)) else np.shape(method)
    shape = np.broadcast_shapes(n_array.shape, alpha_array.shape, method_shape)
    if 0 in shape:
        return np.empty(shape)
    methods = _methods(method, shape)

    # Arguments of the full shape go element by element; a scalar is recycled.
    def flat(a):
        return a.ravel() if a.shape == shape else np.broadcast_to(a, shape).ravel()

    n_flat = n_array.reshape(1) if n_array.ndim == 0 else flat(n_array)
    alpha_flat = alpha_array.reshape(1) if alpha_array.ndim == 0 else flat(alpha_array)
    values, _, rejected = _korvalen.evaluate(n_flat, alpha_flat, methods)
    if rejected.any():
        _report(rejected, alpha_flat, errors)
    values = values.reshape(shape)
    return float(values) if values.ndim == 0 else values


def _report(rejected, alpha_flat, errors):
    """A warning (or an error) per rejected argument. n is rejected only when
    it is nan, and nan inputs are silent."""
    alpha_full = np.broadcast_to(alpha_flat, rejected.shape) if alpha_flat.size == 1 else alpha_flat
    for argument in (2, 3):
        hit = rejected == argument
        if argument == 2:
            hit &= ~np.isnan(alpha_full)
        count = int(hit.sum())
        if count == 0:
            continue
        message = (f"ljungcv: argument '{_ARGUMENTS[argument]}' rejected for {count} of "
                   f"{rejected.size} element(s): {_WHY[argument]}")
        if errors == "raise":
            raise ValueError(message)
        warnings.warn(message, RuntimeWarning, stacklevel=3)
