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
import collections as _collections
import operator as _operator
import sys as _sys
import warnings as _warnings

import numpy as _np

try:
    from . import _korvalen
except ImportError as error:  # the source folder, where nothing is built
    raise ImportError(
        f"korvalen's native part is not built in {__path__[0]}: this is the package's source "
        "folder, which Python found first on its path. Install the package (pip install "
        "bindings/python, see its README) and import it from another directory.") from error

__all__ = ["ljungcv", "explain", "level", "exact", "test", "TestResult", "__version__"]
__version__ = _korvalen.library_version


_MISSING = object()  # a missing method (nan, pd.NA): its element is not evaluated


def _keyword(m, pandas):
    """A method as the C library reads it: its bytes (None: the default;
    _MISSING for nan or ``pd.NA``).

    Text that is not UTF-8 (a lone surrogate) goes in with backslash escapes:
    no keyword, so rejected.
    """
    if m is None:
        return None
    if isinstance(m, str):
        return m.encode("utf-8", "backslashreplace")
    if isinstance(m, bytes):
        return m
    if (isinstance(m, float) and _np.isnan(m)) or (pandas is not None and m is pandas.NA):
        return _MISSING
    raise TypeError(f"method must be a string, bytes or None, not {type(m).__name__}")


def _numbers(x, name, pandas):
    """x as floats: numbers, with a missing value (nan, None inside a list,
    ``pd.NA``, a nullable dtype's NA) as nan. Anything else (bool, complex,
    dates and durations, text, a lone None) is a TypeError naming the
    argument, where a cast would quietly take True as 1 or a date as days.
    """
    if pandas is not None and isinstance(x, pandas.DataFrame):
        columns = [_numbers(x.iloc[:, j], name, pandas) for j in range(x.shape[1])]
        return _np.column_stack(columns) if columns else _np.empty(x.shape)
    dtype = getattr(x, "dtype", None)
    if pandas is not None and isinstance(dtype, pandas.api.extensions.ExtensionDtype):
        if dtype.kind in "iuf":  # Int64, Float64 and the like
            return x.to_numpy(dtype=float, na_value=_np.nan)
        raise TypeError(f"{name} must be numbers, not {dtype}")
    if x is None:
        raise TypeError(f"{name} must be numbers, not None")
    if isinstance(x, (list, tuple)):  # NumPy would take [10, True] as [10, 1]
        for v in _np.asarray(x, dtype=object).ravel():
            if isinstance(v, (bool, _np.bool_)):
                raise TypeError(f"{name} must be numbers, not bool")
    array = _np.asarray(x)
    if array.dtype.kind in "iuf":
        return array.astype(float, copy=False)
    if array.dtype.kind == "O":
        def number(v):
            if v is None or (pandas is not None and v is pandas.NA):
                return _np.nan
            if isinstance(v, (int, float, _np.integer, _np.floating)) and not isinstance(v, bool):
                return float(v)
            raise TypeError(f"{name} must be numbers, not {type(v).__name__}")
        return _np.array([number(v) for v in array.ravel()], dtype=float).reshape(array.shape)
    raise TypeError(f"{name} must be numbers, not {array.dtype}")


class _Call:
    """One call's arguments, broadcast and flat, and how to shape its result.

    pandas objects are aligned on their labels as pandas arithmetic aligns
    them (equal labels kept as they are, others joined and sorted, what one
    lacks missing); a masked array's mask, and a missing method, skip the
    element.
    """

    def __init__(self, n, alpha, method, second="alpha"):
        pandas = _sys.modules.get("pandas")  # no dependency: only a caller's objects are pandas'
        args = {"n": n, second: alpha, "method": method}
        self.frame = self.series = None
        if pandas is not None:
            self._align(args, pandas)
        masks = [_np.ma.getmaskarray(a) for a in args.values() if isinstance(a, _np.ma.MaskedArray)]
        data = {k: a.data if isinstance(a, _np.ma.MaskedArray) else a for k, a in args.items()}
        n_array = _numbers(data["n"], "n", pandas)
        alpha_array = _numbers(data[second], second, pandas)
        method = data["method"]
        scalar_method = method is None or isinstance(method, (str, bytes))
        method_array = None if scalar_method else _np.asarray(method, dtype=object)
        shape = _np.broadcast_shapes(n_array.shape, alpha_array.shape,
                                    () if scalar_method else method_array.shape,
                                    *[m.shape for m in masks])
        labelled = self.frame if self.frame is not None else self.series
        if labelled is not None and shape != labelled[0]:
            raise ValueError(f"the arguments broadcast to {shape}, the pandas object has {labelled[0]}")
        self.shape = shape
        self.n = self._flat(n_array)
        self.alpha = self._flat(alpha_array)
        if scalar_method:
            self.methods = [_keyword(method, pandas)]
        else:
            array = _np.broadcast_to(method_array, shape)
            self.methods = [_keyword(m, pandas) for m in array.ravel()]
        skip = _np.zeros(shape, dtype=bool)
        for m in masks:
            skip |= m
        self.masked = skip.copy() if masks else None
        missing = _np.array([m is _MISSING for m in self.methods])
        if missing.any():
            skip |= missing[0] if scalar_method else missing.reshape(shape)
            self.methods = [None if m is _MISSING else m for m in self.methods]
        self.skip = skip.ravel().astype(_np.uint8) if skip.any() else _np.empty(0, dtype=_np.uint8)

    def _align(self, args, pandas):
        """The pandas objects among the arguments aligned, in args."""
        frames = [k for k, a in args.items() if isinstance(a, pandas.DataFrame)]
        series = [k for k, a in args.items() if isinstance(a, pandas.Series)]
        if frames and series:
            raise TypeError(f"{series[0]} is a Series and {frames[0]} a DataFrame: pass the "
                            "Series' values, or apply the function column by column")
        if frames:
            index = self._union([args[k].index for k in frames])
            columns = self._union([args[k].columns for k in frames])
            for k in frames:
                args[k] = self._reindexed(self._reindexed(args[k], index), columns, axis=1)
            self.frame = ((len(index), len(columns)), index, columns)
        elif series:
            index = self._union([args[k].index for k in series])
            for k in series:
                args[k] = self._reindexed(args[k], index)
            names = {args[k].name for k in series}
            self.series = ((len(index),), index, names.pop() if len(names) == 1 else None)

    @staticmethod
    def _reindexed(x, labels, axis=0):
        """x on the labels; equal labels, duplicates among them, as they are
        (as pandas arithmetic pairs them by position). Duplicates in labels
        that differ have no one way to pair, and are refused."""
        own = x.axes[axis]
        if own.equals(labels):
            return x
        if not own.is_unique or not labels.is_unique:
            twice = own[own.duplicated()].unique() if not own.is_unique else labels[labels.duplicated()].unique()
            raise ValueError(f"labels {list(twice[:5])} appear more than once in indexes that differ: "
                             "align the arguments first (or pass their values)")
        return x.reindex(labels, axis=axis)

    @staticmethod
    def _union(indexes):
        union = indexes[0]
        for other in indexes[1:]:
            if not union.equals(other):
                union = union.union(other)
        return union

    def _flat(self, a):
        if a.ndim == 0:
            return a.reshape(1)
        return a.ravel() if a.shape == self.shape else _np.broadcast_to(a, self.shape).ravel()

    def result(self, flat):
        """A float or str for scalars, a masked array where a mask was given, a
        Series or DataFrame for pandas objects, else an array of the shape."""
        values = flat.reshape(self.shape)
        if self.frame is not None:
            _, index, columns = self.frame
            return _sys.modules["pandas"].DataFrame(values, index=index, columns=columns)
        if self.series is not None:
            _, index, name = self.series
            return _sys.modules["pandas"].Series(values, index=index, name=name)
        if self.masked is not None:
            return _np.ma.masked_array(values, mask=self.masked)
        return values.item() if values.ndim == 0 else values


def _say(said, errors, name, depth=3):
    """The warnings said, as errors asks, pointing depth frames up (the
    public function's caller)."""
    if errors not in ("warn", "raise", "ignore"):
        raise ValueError('errors must be "warn", "raise" or "ignore"')
    for message in filter(None, said):
        if errors == "raise":
            raise ValueError(f"{name}: {message}")
        if errors == "warn":
            _warnings.warn(f"{name}: {message}", RuntimeWarning, stacklevel=depth)


def _known(methods):
    """Raise ValueError, in the library's words, for the first method that is
    no keyword: a missing value and a warning would read as "no outliers"."""
    keywords = list(dict.fromkeys(m for m in methods if m is not None))
    if not keywords:
        return
    one, none = _np.array([2.0]), _np.empty(0, dtype=_np.uint8)
    values, _ = _korvalen.evaluate(one, _np.array([0.05]), keywords, none)
    if _np.isnan(values).any():
        unknown = keywords[int(_np.flatnonzero(_np.isnan(values))[0])]
        raise ValueError(f"ljungcv: {_korvalen.evaluate(one, _np.array([0.05]), [unknown], none)[1][1]}")


def ljungcv(n, alpha, method="C", errors="warn"):
    """Critical value for the largest of ``n`` absolute standardized statistics.

    Parameters
    ----------
    n : array_like, masked array, Series or DataFrame
        Number of statistics; truncated toward zero. Integers or floats;
        ``nan``, ``pd.NA`` and the NA of a nullable pandas dtype (``Int64``,
        ``Float64``) are missing. Booleans, complex numbers, dates, durations,
        text and ``None`` raise ``TypeError`` (R's package takes a logical as
        a number, as R's own functions do).
    alpha : array_like, masked array, Series or DataFrame
        Nominal level, 0 to 0.1 inclusive; numbers as for ``n``. The level a
        value delivers is ``level(n, value)``; see the Notes.
    method : str, bytes, None or array_like of them, optional
        ``"C"`` (the default; also ``"CORR"``, ``"CORRECT"``, ``"CORRECTED"``):
        the corrected curve; ``"L"`` or ``"LJUNG"``: the asymptotic formula.
        Case and surrounding blanks do not matter. ``None`` is the default;
        ``nan`` or ``pd.NA`` a missing method. Any other text raises
        ``ValueError`` naming the keywords (``explain`` gives the host's
        rejection instead).
    errors : {"warn", "raise", "ignore"}, optional
        What a warning does: a ``RuntimeWarning`` (the default), a
        ``ValueError`` instead, or nothing.

    The three arguments broadcast against each other. pandas objects are
    aligned on their labels as pandas arithmetic aligns them: equal indexes
    pair by position, duplicate labels included; others are joined (sorted)
    and a label one lacks is missing there; duplicate labels in indexes that
    differ raise ``ValueError`` (pandas would pair every copy with every
    other, which no element-wise function means). A Series and a DataFrame together raise ``TypeError``
    (pandas would match the Series' index against the columns). A masked
    element of any argument, and a missing method, is not evaluated.

    Three warnings, each given once per call, catch misuse: an ``n`` that is
    not a whole number ("n = 2.79 is not a whole number: truncated toward
    zero; 3 more elements not whole"), and a result without a value from
    arguments that are not missing (the library's sentence for the first,
    and how many more: a rejected alpha, n below 1, n = 1 with
    ``"L"``, alpha 0 with ``"C"``, a corrected value below the value for a
    single statistic), and a value whose level for independent statistics
    (``level``) passes its ``alpha`` by more than one part in a million (the
    default method's from a few thousand statistics on, and at ``n = 3`` for
    small ``alpha``), with that level and what keeps to ``alpha``. Missing
    inputs give ``nan`` silently. The warnings leave out the host's status,
    which ``explain`` keeps. ``explain``
    gives every element's reason; ``warnings.catch_warnings()`` or
    ``errors="ignore"`` silences them, the latter also skipping the check of
    each value's level, which costs about as much as the values.

    Returns
    -------
    float, numpy.ndarray, numpy.ma.MaskedArray, pandas.Series or DataFrame
        A float for scalar arguments; a DataFrame or Series (aligned index
        and columns; a Series keeps a name its Series share) when an argument
        is one; a masked array, masked where any argument is, when one is;
        else an array of the broadcast shape.

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
    1000    0.023 / 0.017     0.0038 / 0.0023
    10^4    0.063 / 0.019     0.022 / 0.0028
    10^6    0.66 / 0.021      0.90 / 0.0035
    ======  ================  ==================

    ``level`` gives the level of any value, ``exact`` the value of an exact
    level. For such statistics ``"L"`` stays below ``alpha`` at every ``n``:
    it aims at ``sqrt(1 + alpha) - 1``, about ``alpha / 2``, reached only as
    ``n`` grows without bound. ``"C"`` delivers ``alpha`` at ``n = 2`` (up to
    the normal quantile's approximation), more at ``n = 3`` for ``alpha`` of
    0.001 and below (1.02 ``alpha`` at 0.001, 1.26 ``alpha`` at 0.0001), less
    from 4 up to a few thousand statistics, and more from n = 9018 (alpha
    0.1), 6187 (0.05), 3795 (0.01) and 2960 (0.001) on. Below about 2000
    statistics the default is the nearer to ``alpha`` (but for ``n`` = 101 to
    199, 200 at 0.1, where ``"L"`` is); for longer series ``"L"`` (below
    ``alpha`` for independent statistics with known scale), or for those the
    exact value, ``exact(n, alpha)``. From about n = 66,000 on, the corrected
    value at the smaller of two usual alphas lies below the one at the larger
    (at n = 10^5, 4.694 at 0.001 against 4.752 at 0.01; 0.01 and 0.05 cross
    near n = 157,500, 0.05 and 0.1 near 602,300).

    ``n`` counts the statistics whose largest absolute value is compared: one
    per time point tested (the series length, or the number of residuals),
    ``k`` times that for ``k`` kinds of outlier at each point. Correlated
    normal statistics flag less often than the table says; statistics from a
    fitted model divided by an estimated scale differ: in a simulation of a
    fitted AR(1) the level is lower with the usual scale and above ``alpha``
    with a robust one in short series, by either method (0.014 and 0.013 at
    50 points and 0.01), and far above it with heavy-tailed innovations (0.15
    and more at 0.05): the values assume normal statistics.

    References
    ----------
    H. Cramer (1946), *Mathematical Methods of Statistics*, Princeton
    University Press. M. R. Leadbetter, G. Lindgren and H. Rootzen (1983),
    *Extremes and Related Properties of Random Sequences and Processes*,
    Springer. P. Hall (1979),
    On the rate of convergence of normal extremes, *J. Appl. Probab.* 16,
    433-439. Z. Sidak (1967), *J. Amer. Statist. Assoc.* 62, 626-633.
    G. M. Ljung (1993), On outlier detection in time series, *J. R. Statist.
    Soc. B* 55, 559-567. J. D. Beasley and S. G. Springer (1977), Algorithm
    AS 111, *Applied Statistics* 26, 118-121. To cite the package:
    CITATION.cff.
    """
    _say([], errors, "ljungcv")
    call = _Call(n, alpha, method)
    if 0 in call.shape:
        return call.result(_np.empty(0))
    _known(call.methods)
    values, said = _korvalen.evaluate(call.n, call.alpha, call.methods, call.skip)
    if errors != "ignore":  # the check costs about as much as the values
        said.append(_korvalen.above_alpha(call.n, call.alpha, values))
    _say(said, errors, "ljungcv")
    return call.result(values)


def explain(n, alpha, method="C"):
    """Why ``ljungcv(n, alpha, method)`` gives no value: "" for a value.

    Takes its arguments as ``ljungcv`` does and gives a ``str`` for scalar
    arguments, else ``str`` in the shape ``ljungcv`` gives (array, masked
    array, Series or DataFrame); an element whose method is missing is
    ``None`` (the array then holds objects).
    """
    call = _Call(n, alpha, method)
    sentences = _korvalen.explain(call.n, call.alpha, call.methods, call.skip) if 0 not in call.shape else []
    out = _np.empty(len(sentences), dtype=object)
    out[:] = sentences
    if call.masked is not None:
        out[call.masked.ravel()] = ""  # under the mask
    if not any(s is None for s in out):
        out = out.astype(str) if len(sentences) else _np.empty(0, dtype=str)
    return call.result(out)


def _tail(exact_value, n, x, errors, name, second):
    """level (exact_value false) or exact over broadcast arguments."""
    _say([], errors, name)
    call = _Call(n, x, None, second)
    if 0 in call.shape:
        return call.result(_np.empty(0))
    n_flat = call.n
    if call.skip.size:  # a masked element is a missing one
        n_flat = _np.where(call.skip.astype(bool), _np.nan, _np.broadcast_to(n_flat, call.skip.shape))
    values, said = _korvalen.tail(exact_value, n_flat, call.alpha)
    _say(said, errors, name, depth=4)
    return call.result(values)


def level(n, c, errors="warn"):
    """The level of the critical value ``c`` for ``n`` statistics, and the
    p-value of an observed largest absolute statistic ``c``.

    For ``n`` independent standard normal statistics, the probability that
    the largest absolute value exceeds ``c``: ``1 - (1 - erfc(c / sqrt(2)))
    ** n``, in relative precision down to 1e-300 and to within 1e-16 of 1
    (typed that way it is 0 or 1 far sooner). ``c`` below 0 gives 1.

    >>> korvalen.level(100, korvalen.ljungcv(100, 0.05))
    0.013796664103581664

    Arguments broadcast, align and mask as ``ljungcv``'s do; ``n`` is
    truncated toward zero. An ``n`` that is not whole, and ``n`` below 1
    (no value), warn once per call as ``ljungcv`` warns (``errors`` as
    there); missing inputs give ``nan`` silently. The level holds for
    independent statistics with known scale: correlation lowers it, heavy
    tails and an estimated scale change it.
    """
    return _tail(False, n, c, errors, "level", "c")


def exact(n, alpha, errors="warn"):
    """The critical value whose level for ``n`` independent standard normal
    statistics is exactly ``alpha``: the upper ``alpha``-quantile of the
    largest absolute value, ``level(n, exact(n, alpha)) == alpha``.

    >>> korvalen.exact(100, 0.05)
    3.473978869154048

    Within a few ulp for ``alpha`` down to 1e-300, where the typed Sidak
    formula fails. ``alpha`` in [0, 1]: 0 gives ``inf``, the only value never
    exceeded; outside, no value and a warning. Arguments, warnings and
    ``errors`` as for ``level``.
    """
    return _tail(True, n, alpha, errors, "exact", "alpha")


TestResult = _collections.namedtuple("TestResult", "statistic pvalue critical_value n outliers")
TestResult.__doc__ = """What ``test`` finds: the largest absolute statistic, its p-value
(``level``), the critical value (``ljungcv``), the ``n`` both used, and the
positions (labels for a Series) whose absolute value exceeds the value."""


def test(z, alpha=0.05, method="C", kinds=1):
    """Test the statistics ``z`` for outliers: is the largest ``|z|`` above
    the critical value for ``n`` statistics, and how sure is that?

    ``z`` is a one-dimensional array, masked array or Series of standardized
    statistics; missing (``nan``, ``pd.NA``) and masked elements are not
    counted. ``n`` is the count of those present times ``kinds``, the kinds
    of outlier tested at each point. Returns a ``TestResult``: the largest
    ``|z|``, its p-value under independence (``level(n, statistic)``), the
    critical value ``ljungcv(n, alpha, method)``, ``n``, and the positions
    (for a Series, the labels) of the statistics above the value. Warnings
    come from ``ljungcv``.

    >>> korvalen.test([0.3, -3.9, 1.2] + [0.5] * 97)
    TestResult(statistic=3.9, pvalue=0.009573609878902411, critical_value=3.810087571983974, n=100, outliers=array([1]))
    """
    pandas = _sys.modules.get("pandas")
    kinds = _operator.index(kinds)
    if kinds < 1:
        raise ValueError("kinds must be 1 or more")
    mask = _np.ma.getmaskarray(z) if isinstance(z, _np.ma.MaskedArray) else None
    values = _numbers(z.data if mask is not None else z, "z", pandas)
    if values.ndim != 1:
        raise ValueError(f"z must be one-dimensional, not of shape {values.shape}")
    present = ~_np.isnan(values) if mask is None else ~_np.isnan(values) & ~mask
    if not present.any():
        raise ValueError("z holds no statistic: every element is missing")
    n = int(present.sum()) * kinds
    statistic = float(_np.max(_np.abs(values[present])))
    critical = ljungcv(n, alpha, method)
    outliers = _np.flatnonzero(present & (_np.abs(values) > critical))
    if pandas is not None and isinstance(z, pandas.Series):
        outliers = z.index[outliers]
    return TestResult(statistic, level(n, statistic), critical, n, outliers)
