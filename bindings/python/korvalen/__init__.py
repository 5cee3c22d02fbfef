"""Critical values for the largest of n absolute standardized statistics.

``ljungcv(n, alpha, method="C")`` is the host function LJUNGCV as a NumPy
function: bit for bit the values the host computes. ``explain`` says, in the
library's own words, why an element has no value.

>>> import korvalen
>>> korvalen.ljungcv([10, 100], 0.05)
array([3.08711034, 3.81008757])
>>> korvalen.explain(100, 0.2)
'argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1 inclusive (status 120836)'
"""
import sys
import warnings

import numpy as np

try:
    from . import _korvalen
except ImportError as error:  # the source folder, where nothing is built
    raise ImportError(
        f"korvalen's native part is not built in {__path__[0]}: this is the package's source "
        "folder, which Python found first on its path. Install the package (pip install "
        "bindings/python, see its README) and import it from another directory.") from error

__all__ = ["ljungcv", "explain", "__version__"]
__version__ = _korvalen.library_version


def _keyword(m):
    """A method as the C library reads it: its bytes (None: the default).

    Text that is not UTF-8 (a lone surrogate) goes in with backslash escapes:
    no keyword, so rejected.
    """
    if m is None:
        return None
    if isinstance(m, str):
        m = m.encode("utf-8", "backslashreplace")
    elif not isinstance(m, bytes):
        raise TypeError(f"method must be a string, bytes or None, not {type(m).__name__}")
    return m


def _numbers(x, name):
    """x as floats: numbers, with a missing value (nan, None inside a list,
    ``pd.NA``, a nullable dtype's NA) as nan. Anything else (bool, complex,
    dates and durations, text, a lone None) is a TypeError naming the
    argument, where a cast would quietly take True as 1 or a date as days.
    """
    pandas = sys.modules.get("pandas")
    dtype = getattr(x, "dtype", None)
    if pandas is not None and isinstance(dtype, pandas.api.extensions.ExtensionDtype):
        if dtype.kind in "iuf":  # Int64, Float64 and the like
            return x.to_numpy(dtype=float, na_value=np.nan)
        raise TypeError(f"{name} must be numbers, not {dtype}")
    if x is None:
        raise TypeError(f"{name} must be numbers, not None")
    array = np.asarray(x)
    if array.dtype.kind in "iuf":
        return array.astype(float, copy=False)
    if array.dtype.kind == "O":
        def number(v):
            if v is None or (pandas is not None and v is pandas.NA):
                return np.nan
            if isinstance(v, (int, float, np.integer, np.floating)) and not isinstance(v, bool):
                return float(v)
            raise TypeError(f"{name} must be numbers, not {type(v).__name__}")
        return np.array([number(v) for v in array.ravel()], dtype=float).reshape(array.shape)
    raise TypeError(f"{name} must be numbers, not {array.dtype}")


def _arguments(n, alpha, method):
    """The broadcast shape and the flat arguments: each of one element or all."""
    n_array = _numbers(n, "n")
    alpha_array = _numbers(alpha, "alpha")
    scalar_method = method is None or isinstance(method, (str, bytes))
    method_shape = () if scalar_method else np.shape(method)
    shape = np.broadcast_shapes(n_array.shape, alpha_array.shape, method_shape)

    def flat(a):
        if a.ndim == 0:
            return a.reshape(1)
        return a.ravel() if a.shape == shape else np.broadcast_to(a, shape).ravel()

    if scalar_method:
        methods = [_keyword(method)]
    else:
        array = np.broadcast_to(np.asarray(method, dtype=object), shape)
        methods = [_keyword(m) for m in array.ravel()]
    return shape, flat(n_array), flat(alpha_array), methods


def _shaped(values, shape, like):
    """A float for scalars, an array of the shape otherwise, a Series for a Series."""
    values = values.reshape(shape)
    if values.ndim == 0:
        return values.item()
    pandas = sys.modules.get("pandas")  # no dependency: only a caller's Series is one
    if pandas is not None and isinstance(like, pandas.Series) and values.ndim == 1:
        return pandas.Series(values, index=like.index, name=like.name)
    return values


def _sentences(n, alpha, methods):
    return [s.decode("utf-8", "backslashreplace")
            for s in _korvalen.explain(n, alpha, methods)]


def ljungcv(n, alpha, method="C", errors="warn"):
    """Critical value for the largest of ``n`` absolute standardized statistics.

    Parameters
    ----------
    n : array_like
        Number of statistics; truncated toward zero. Integers or floats;
        ``nan``, ``pd.NA`` and the NA of a nullable pandas dtype (``Int64``,
        ``Float64``) are missing. Booleans, complex numbers, dates, durations,
        text and ``None`` raise ``TypeError``.
    alpha : array_like
        Significance level, 0 to 0.1 inclusive; numbers as for ``n``.
    method : str, None or array_like of str, optional
        ``"C"`` (the default; also ``"CORR"``, ``"CORRECT"``, ``"CORRECTED"``):
        the corrected curve; ``"L"`` or ``"LJUNG"``: the asymptotic formula.
        Case and surrounding blanks do not matter. ``None`` is the default.
    errors : {"warn", "raise"}, optional
        What a rejected argument does: a ``RuntimeWarning`` that quotes the
        reason for the first rejected element (its result is ``nan``), or a
        ``ValueError``.

    The three arguments broadcast against each other. Results without a value
    (n below 1, n = 1 with ``"L"``, alpha 0 with ``"C"``, a corrected value
    below the value for a single statistic) are ``nan`` without a warning, and
    so are results for ``nan`` inputs; ``explain`` gives the reason.

    Returns
    -------
    float, numpy.ndarray or pandas.Series
        A float for scalar arguments, a Series for a Series ``n`` (same index
        and name), else an array of the broadcast shape.

    Notes
    -----
    Neither method delivers ``alpha``. For ``n`` independent standard normal
    statistics with known scale, the share of series without outliers whose
    largest absolute statistic exceeds the value ``c`` is exactly
    ``-expm1(n * log1p(-erfc(c / sqrt(2))))``:

    ======  ================  ==================
    n       alpha 0.05: C/L   alpha 0.01: C/L
    ======  ================  ==================
    10      0.020 / 0.0066    0.0025 / 0.00033
    100     0.014 / 0.014     0.0014 / 0.0014
    1000    0.023 / 0.017     0.0039 / 0.0023
    10^4    0.063 / 0.019     0.022 / 0.0028
    10^6    0.66 / 0.021      0.90 / 0.0035
    ======  ================  ==================

    ``"L"`` stays below ``alpha`` at every ``n``: it aims at
    ``sqrt(1 + alpha) - 1``, about ``alpha / 2``, reached only as ``n`` grows
    without bound. ``"C"`` delivers ``alpha`` at ``n = 2``, less up to a few
    thousand statistics, and more from n = 9018 (alpha 0.1), 6187 (0.05), 3795
    (0.01) and 2960 (0.001) on. Below about 2000 statistics prefer the
    default; for longer series ``"L"``, or for independent statistics with
    known scale the exact (Sidak) value
    ``norm.ppf((1 + (1 - alpha) ** (1 / n)) / 2)``.

    ``n`` counts the statistics whose largest absolute value is compared: one
    per time point tested (the series length, or the number of residuals),
    ``k`` times that for ``k`` kinds of outlier at each point. Correlated
    normal statistics flag less often than the table says; statistics from a
    fitted model with an estimated scale differ (lower with the usual scale,
    possibly above ``alpha`` with a robust one for short series).

    References
    ----------
    M. R. Leadbetter, G. Lindgren and H. Rootzen (1983), *Extremes and Related
    Properties of Random Sequences and Processes*, Springer. P. Hall (1979),
    On the rate of convergence of normal extremes, *J. Appl. Probab.* 16,
    433-439. Z. Sidak (1967), *J. Amer. Statist. Assoc.* 62, 626-633.
    G. M. Ljung (1993), On outlier detection in time series, *J. R. Statist.
    Soc. B* 55, 559-567. To cite the package: CITATION.cff.
    """
    if errors not in ("warn", "raise"):
        raise ValueError('errors must be "warn" or "raise"')
    shape, n_flat, alpha_flat, methods = _arguments(n, alpha, method)
    if 0 in shape:
        return _shaped(np.empty(shape), shape, n)
    values, rejected = _korvalen.evaluate(n_flat, alpha_flat, methods)
    if rejected.any():
        # n is rejected only when it is nan, alpha also when outside [0, 0.1]:
        # nan inputs give nan silently, as elsewhere in NumPy.
        alpha_full = np.broadcast_to(alpha_flat, rejected.shape)
        loud = (rejected == 3) | ((rejected == 2) & ~np.isnan(alpha_full))
        if loud.any():
            _report(loud, n_flat, alpha_flat, methods, errors)
    return _shaped(values, shape, n)


def _report(loud, n_flat, alpha_flat, methods, errors):
    """One warning (or error) quoting the first rejected element's reason."""
    first = int(np.argmax(loud))
    pick = lambda a: a[first:first + 1] if len(a) > 1 else a  # noqa: E731
    sentence = _sentences(pick(n_flat), pick(alpha_flat), pick(methods))[0]
    others = int(loud.sum()) - 1
    message = f"ljungcv: {sentence}"
    if others:
        message += f"; {others} more element{'s' if others > 1 else ''} rejected"
    if errors == "raise":
        raise ValueError(message)
    warnings.warn(message, RuntimeWarning, stacklevel=3)


def explain(n, alpha, method="C"):
    """Why ``ljungcv(n, alpha, method)`` gives no value: "" for a value.

    Broadcasts as ``ljungcv`` does; a ``str`` for scalar arguments, a Series
    for a Series ``n``, else an array of ``str`` of the broadcast shape.
    """
    shape, n_flat, alpha_flat, methods = _arguments(n, alpha, method)
    sentences = _sentences(n_flat, alpha_flat, methods) if 0 not in shape else []
    if len(sentences) == 1 and len(shape) == 0:
        return sentences[0]
    out = np.empty(len(sentences), dtype=object)
    out[:] = sentences
    return _shaped(out.astype(str) if len(sentences) else np.empty(shape, dtype=str), shape, n)
