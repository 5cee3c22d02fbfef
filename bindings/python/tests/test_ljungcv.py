"""korvalen.ljungcv against ljungcv's own outputs, broadcasting, warnings."""
import csv
import math
import pathlib
import re
import warnings

import numpy as np
import pytest

import korvalen

# ljungcv's own answers: bindings/fixture.csv is `ljungcv batch` of
# bindings/fixture-rows.csv (an empty method is the default).
FIXTURE = pathlib.Path(__file__).resolve().parents[2] / "fixture.csv"
ROWS = list(csv.DictReader(FIXTURE.open(newline="")))


@pytest.mark.parametrize("row", ROWS, ids=lambda r: f"{r['n']},{r['alpha']},{r['method']}")
def test_values_and_words_are_the_tools(row):
    method = row["method"] or None
    n, alpha = float(row["n"]), float(row["alpha"])
    assert korvalen.explain(n, alpha, method) == row["message"]
    plain = re.sub(r" \(status \d+\)$", "", row["message"])  # warnings and errors leave it out
    if row["message"].startswith("argument 3 (method)"):  # an unknown method is an error
        with pytest.raises(ValueError, match=re.escape(f"ljungcv: {plain}")):
            korvalen.ljungcv(n, alpha, method)
        return
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        got = korvalen.ljungcv(n, alpha, method)
    assert isinstance(got, float)
    if row["value"]:
        assert got == float(row["value"])
    else:
        assert math.isnan(got)
    warned = [str(w.message) for w in caught]
    want = [f"ljungcv: n = {row['n']} is not a whole number: truncated toward zero"] \
        if n != int(n) else []
    want += [f"ljungcv: {plain}"] if row["message"] else []
    if row["value"] and korvalen.level(n, got) > alpha * (1 + 1e-6):  # the value passes alpha
        assert warned[-1].startswith(f"ljungcv: n = {row['n']}, alpha = {row['alpha']}: the value")
        warned.pop()
    assert warned == want


def test_array_form_equals_scalars_and_broadcasts():
    n = np.array([[10.0], [100.0], [1e6]])
    alpha = np.array([0.01, 0.05])
    methods = np.array(["L", "C"])
    got = korvalen.ljungcv(n, alpha, methods)
    assert got.shape == (3, 2)
    for i in range(3):
        for j in range(2):
            assert got[i, j] == korvalen.ljungcv(n[i, 0], alpha[j], methods[j])
    assert list(korvalen.ljungcv([10, 100], 0.05)) == [3.0871103446000845, 3.810087571983974]
    assert korvalen.ljungcv(np.zeros((0, 2)), 0.05).shape == (0, 2)
    with pytest.raises(ValueError):
        korvalen.ljungcv([1, 2, 3], [0.01, 0.05])


def test_one_warning_of_each_kind_raise_or_ignore_and_nan_is_silent():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        got = korvalen.ljungcv([100, 2.79, 1, 7.5, 100], [0.2, 0.05, 0.05, 0.05, -1], "L")
    assert [str(w.message) for w in caught] == [
        "ljungcv: n = 2.79 is not a whole number: truncated toward zero; 1 more element not whole",
        "ljungcv: " + korvalen.explain(100, 0.2, "L")[:-len(" (status 120836)")]
        + "; 2 more elements without a value"]
    assert all(w.category is RuntimeWarning and w.filename == __file__ for w in caught)
    assert np.isnan(got[[0, 2, 4]]).all() and not np.isnan(got[[1, 3]]).any()
    with pytest.raises(ValueError, match=r"argument 3 \(method\) rejected: 'CORRE'"):
        korvalen.ljungcv(100, 0.05, "CORRE", errors="raise")
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert np.isnan(korvalen.ljungcv([np.nan, 10, 2.5], [0.05, np.nan, np.nan])).all()
        assert np.isnan(korvalen.ljungcv([0.5, 1], 0.2, errors="ignore")).all()
        assert np.isnan(korvalen.ljungcv(100, 0.05, [np.nan, "C"])[0])


@pytest.mark.parametrize("method", ["L\x00garbage", b"C\x00L", "L\udcff", "\x00", "asymptotic"])
def test_a_method_the_host_rejects_is_an_error(method):
    with pytest.raises(ValueError, match=r"ljungcv: argument 3 \(method\) rejected: .* is not one of L, "):
        korvalen.ljungcv([100, 10], 0.05, ["C", method])
    assert korvalen.explain(100, 0.05, method).startswith("argument 3 (method) rejected")


def test_the_namespace_holds_its_names_and_duplicate_labels_align_as_in_pandas():
    assert [name for name in dir(korvalen) if not name.startswith("_")] == sorted(
        set(korvalen.__all__) - {"__version__"})
    pd = pytest.importorskip("pandas")
    s = pd.Series([100.0, 200.0, 300.0], index=["a", "a", "b"])
    assert korvalen.ljungcv(s, s * 0 + 0.05).equals(korvalen.ljungcv(s, 0.05))
    assert korvalen.ljungcv(s, 0.05).tolist() == korvalen.ljungcv([100, 200, 300], 0.05).tolist()
    with pytest.raises(ValueError, match=r"labels \['a'\] appear more than once"):
        korvalen.ljungcv(s, pd.Series([0.05, 0.01], index=["a", "b"]))


def test_a_nul_is_quoted_and_counted_as_one_byte():
    assert korvalen.explain(100, 0.05, "a" * 47 + "\x00b").endswith(
        "...' (49 bytes) is not one of L, C, CORR, CORRECT, LJUNG, CORRECTED (upper or lower case)"
        " (status 120836)")


def test_explain_broadcasts_and_the_native_entry_checks_its_sizes():
    got = korvalen.explain([[100], [1]], [0.05, 0.2], "L")
    assert got.shape == (2, 2) and got[0, 0] == "" and got[1, 1].startswith("argument 2")
    assert "asymptotic method needs n >= 2" in got[1, 0]
    with pytest.raises(ValueError):
        korvalen._korvalen.evaluate(np.empty(0), np.full(4, 0.05), [None], np.empty(0, np.uint8))


def test_a_series_keeps_its_index_and_name():
    pandas = pytest.importorskip("pandas")
    n = pandas.Series([10.0, 1.0], index=["short", "one"], name="length")
    for got in (korvalen.ljungcv(n, 0.05, "L", errors="ignore"), korvalen.explain(n, 0.05, "L")):
        assert isinstance(got, pandas.Series)
        assert list(got.index) == ["short", "one"] and got.name == "length"
    assert korvalen.ljungcv(n, 0.05, "L", errors="ignore")["short"] == 3.4038115277368
    assert korvalen.explain(n, 0.05, "L")["one"].startswith("LJUNGCV(1, 0.05)")


@pytest.mark.parametrize("n, alpha, says", [
    (True, 0.05, "n must be numbers, not bool"),
    (np.array([10, 1]) > 5, 0.05, "n must be numbers, not bool"),
    ([10, True], 0.05, "n must be numbers, not bool"),
    (100 + 0j, 0.05, "n must be numbers, not complex"),
    (np.datetime64("2026-01-01"), 0.05, "n must be numbers, not datetime64"),
    (np.array([1, 2], dtype="timedelta64[D]"), 0.05, "n must be numbers, not timedelta64"),
    ("100", 0.05, "n must be numbers, not <U3"),
    (100, None, "alpha must be numbers, not None"),
    (100, [0.05, "x"], "alpha must be numbers, not <U32"),
    (100, [0.05, object()], "alpha must be numbers, not object"),
])
def test_non_numbers_are_a_type_error_naming_the_argument(n, alpha, says):
    for f in (korvalen.ljungcv, korvalen.explain):
        with pytest.raises(TypeError, match=f"^{says}"):
            f(n, alpha)


def test_nullable_and_pandas_missing_values_are_nan():
    pandas = pytest.importorskip("pandas")
    want = korvalen.ljungcv([10.0, np.nan], 0.05)
    words = list(korvalen.explain([10.0, np.nan], 0.05))
    for n in (pandas.Series([10, None], dtype="Int64"), pandas.Series([10, None], dtype="Float64"),
              [10, pandas.NA], [10, None], np.array([10, None], dtype=object)):
        got = korvalen.ljungcv(n, 0.05)
        assert got[0] == want[0] and np.isnan(got[1]), n
        assert list(korvalen.explain(n, 0.05)) == words
    with pytest.raises(TypeError, match="^n must be numbers, not boolean"):
        korvalen.ljungcv(pandas.Series([True, None], dtype="boolean"), 0.05)


def test_masked_elements_are_masked_and_never_evaluated():
    n = np.ma.array([10.0, 100.0, 1.0], mask=[False, True, False])
    alpha = np.ma.array([0.05, 0.2, 0.05], mask=[False, False, True])
    with warnings.catch_warnings():
        warnings.simplefilter("error")  # the masked 0.2 and 1 are not evaluated
        got = korvalen.ljungcv(n, alpha, "L")
    assert list(got.mask) == [False, True, True] and got[0] == korvalen.ljungcv(10, 0.05, "L")
    words = korvalen.explain(n, 0.2)
    assert list(words.mask) == [False, True, False] and words[0].startswith("argument 2")


@pytest.mark.parametrize("n, alpha, method, want", [
    # pandas pairs labels: a with 0.05, b with 0.01, whatever the order.
    (("S", [10, 1000], "ab"), ("S", [0.01, 0.05], "ba"), "C",
     ("S", [(10, 0.05), (1000, 0.01)], "ab")),
    # labels one lacks are missing: joined, sorted, nan there.
    (("S", [100, 10], [1, 3]), 0.05, ("S", ["C", "L"], [1, 2]),
     ("S", [(100, 0.05), None, None], [1, 2, 3])),
    (100, ("S", [0.05, 0.01], "xy"), "L", ("S", [(100, 0.05, "L"), (100, 0.01, "L")], "xy")),
    (("F", [[10, 100], [1000, 1e4]], "pq"), 0.05, "C",
     ("F", [[(10, 0.05), (100, 0.05)], [(1000, 0.05), (1e4, 0.05)]], "pq")),
])
def test_pandas_objects_align_on_their_labels(n, alpha, method, want):
    pandas = pytest.importorskip("pandas")

    def make(x):
        if not isinstance(x, tuple):
            return x
        kind, data, labels = x
        if kind == "S":
            return pandas.Series(data, index=list(labels))
        return pandas.DataFrame(data, index=list(labels), columns=["u", "v"])

    got = korvalen.ljungcv(make(n), make(alpha), make(method))
    kind, cells, labels = want
    assert type(got).__name__ == ("Series" if kind == "S" else "DataFrame")
    assert list(got.index) == list(labels)
    flat = [c for row in cells for c in row] if kind == "F" else cells
    expect = [np.nan if c is None else korvalen.ljungcv(*c) for c in flat]
    np.testing.assert_array_equal(np.ravel(got.to_numpy()), expect)
    assert type(korvalen.explain(make(n), make(alpha), make(method))) is type(got)
    with pytest.raises(TypeError, match="^alpha is a Series and n a DataFrame"):
        korvalen.ljungcv(pandas.DataFrame({"x": [10]}), pandas.Series([0.05]))


@pytest.mark.parametrize("call, want, warned", [
    (lambda: korvalen.level(7.9, 3.0), korvalen.level(7, 3.0), "n = 7.9 is not a whole number"),
    (lambda: korvalen.level(1e5, 4.0), 0.9982258768686192, None),  # 0.99822587686861916 by mpmath
    (lambda: korvalen.level(0, 3.0), math.nan, "no level for n = 0"),
    (lambda: korvalen.level(math.nan, 3.0), math.nan, None),
    (lambda: korvalen.exact(100, 0.05), 3.473978869154048, None),
    (lambda: korvalen.exact(5, 1.5), math.nan, "alpha = 1.5 must lie between 0 and 1"),
])
def test_level_and_exact_values_and_warnings(call, want, warned):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        got = call()
    assert got == pytest.approx(want, rel=1e-13) or math.isnan(got) and math.isnan(want)
    said = [str(w.message) for w in caught]
    assert (said == []) if warned is None else (len(said) == 1 and warned in said[0])


def test_level_and_exact_arrays_mask_and_invert_each_other():
    n = np.ma.masked_array([2.0, 100.0, 1e6, 1e12], mask=[False, False, True, False])
    alpha = np.array([0.1, 0.05, 0.01, 1e-200])
    c = korvalen.exact(n, alpha)
    assert list(c.mask) == [False, False, True, False]
    assert np.allclose(korvalen.level(n, c).compressed(), alpha[~n.mask], rtol=1e-13, atol=0)
    with pytest.raises(ValueError, match="level: no level for n = 0"):
        korvalen.level([0, 5], 3.0, errors="raise")
    with pytest.raises(TypeError, match="c must be numbers"):
        korvalen.level(5, "3")


def test_the_default_warns_where_it_passes_alpha():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        korvalen.ljungcv([100, 2, 9017], [0.05, 0.01, 0.1])
        korvalen.ljungcv(8000, 0.05, "L")
        assert caught == []
        korvalen.ljungcv([100, 8000, 3], [0.05, 0.05, 0.001])
    assert [str(w.message) for w in caught] == [
        "ljungcv: n = 8000, alpha = 0.05: the value 4.485305842942268 delivers the level "
        "0.05658381139853231 for independent statistics, more than alpha; the asymptotic method, "
        "L, and the exact value 4.512339623975762 keep to it; 1 more element above alpha"]


def test_ignore_skips_the_level_check(monkeypatch):
    monkeypatch.setattr(korvalen._korvalen, "above_alpha", lambda *args: pytest.fail("checked"))
    assert korvalen.ljungcv(8000, 0.05, errors="ignore") == 4.485305842942268


def test_test_agrees_with_level_and_ljungcv_and_counts_what_is_present():
    random = np.random.default_rng(20261209)
    for size in (5, 60, 700):
        z = random.standard_normal(size) * random.choice([1.0, 1.6])
        z[random.random(size) < 0.1] = np.nan
        kinds = int(random.integers(1, 4))
        got = korvalen.test(z, 0.01, "L", kinds)
        n = int(np.sum(~np.isnan(z))) * kinds
        critical = korvalen.ljungcv(n, 0.01, "L")
        assert got.n == n and got.statistic == np.nanmax(np.abs(z))
        assert got.pvalue == korvalen.level(n, got.statistic) and got.critical_value == critical
        assert list(got.outliers) == list(np.flatnonzero(np.abs(np.nan_to_num(z)) > critical))
    masked = korvalen.test(np.ma.masked_array([9.0, 1.0, 5.0], mask=[True, False, False]))
    assert (masked.n, masked.statistic, list(masked.outliers)) == (2, 5.0, [2])
    with pytest.raises(ValueError, match="no statistic"):
        korvalen.test([np.nan, np.nan])
