"""Statistics and regression functions.

Slow literal references (exact centred formulas, math.fsum) on the 400-bar
fixture for every non-trivial function; the rolling kernels of utils/stats
behind them on 5000 bars, across their periodic rebuilds; the documented edge
cases, validation and None defaults; TA-Lib where the definitions agree.
"""
import math
import random

import pytest

import vorn_library as vl
from conftest import as_list, assert_series_close, leading_nans, same

NAN = float("nan")


def windows(xs, p):
    """(index, window) for every complete window."""
    return [(i, xs[i - p + 1 : i + 1]) for i in range(p - 1, len(xs))]


def rolling(xs, p, f):
    out = [NAN] * len(xs)
    for i, w in windows(xs, p):
        out[i] = f(w)
    return out


def rolling2(xs, ys, p, f):
    out = [NAN] * len(xs)
    for i in range(p - 1, len(xs)):
        out[i] = f(xs[i - p + 1 : i + 1], ys[i - p + 1 : i + 1])
    return out


# ---- literal references ------------------------------------------------------


def mean(w):
    return math.fsum(w) / len(w)


def fit(w):
    """Least-squares line over x = 0 .. n - 1: (slope, intercept at x = 0, centred sums)."""
    n = len(w)
    xb, my = (n - 1) / 2, mean(w)
    sxx = math.fsum((k - xb) ** 2 for k in range(n))
    sxy = math.fsum((k - xb) * (y - my) for k, y in enumerate(w))
    syy = math.fsum((y - my) ** 2 for y in w)
    b = sxy / sxx
    return b, my - xb * b, sxx, sxy, syy


def ref_slope(w):
    return fit(w)[0]


def ref_intercept(w):
    return fit(w)[1]


def ref_linearreg(w):
    b, a, *_ = fit(w)
    return a + b * (len(w) - 1)


def ref_tsf(w):
    b, a, *_ = fit(w)
    return a + b * len(w)


def ref_r2(w):
    _, _, sxx, sxy, syy = fit(w)
    return min(max(sxy * sxy / (sxx * syy), 0.0), 1.0) if syy > 0 else 1.0


def ref_stderr(w):
    b, a, *_ = fit(w)
    sse = math.fsum((y - (a + b * k)) ** 2 for k, y in enumerate(w))
    return math.sqrt(sse / (len(w) - 2))


def ref_correl(xs, ys):
    mx, my = mean(xs), mean(ys)
    sxy = math.fsum((x - mx) * (y - my) for x, y in zip(xs, ys))
    sxx = math.fsum((x - mx) ** 2 for x in xs)
    syy = math.fsum((y - my) ** 2 for y in ys)
    if sxx <= 0 or syy <= 0:
        return 0.0
    return max(-1.0, min(1.0, sxy / math.sqrt(sxx * syy)))


def ref_cov(xs, ys):
    mx, my = mean(xs), mean(ys)
    return math.fsum((x - mx) * (y - my) for x, y in zip(xs, ys)) / len(xs)


def ref_beta(asset, bench):
    var_b = ref_cov(bench, bench)
    return ref_cov(asset, bench) / var_b if var_b > 0 else 0.0


def ref_var(w):
    return ref_cov(w, w)


def ref_zscore(w):
    v = ref_var(w)
    return (w[-1] - mean(w)) / math.sqrt(v) if v > 0 else 0.0


def ref_minmaxindex(w):
    lo = min(range(len(w)), key=lambda k: (w[k], k))
    hi = min(range(len(w)), key=lambda k: (-w[k], k))
    return float(lo), float(hi)


def ref_percent_rank(w):
    return sum(1 for x in w if x < w[-1]) / (len(w) - 1) * 100


def ref_entropy(close, period, bins):
    out = [NAN] * len(close)
    for i in range(period, len(close)):
        w = close[i - period + 1 : i + 1]
        rets = []
        for j in range(len(w) - 1):
            if math.isfinite(w[j]) and abs(w[j]) >= 1e-10:
                r = (w[j + 1] - w[j]) / w[j]
                if math.isfinite(r):
                    rets.append(r)
        if not rets:
            continue
        lo, hi = min(rets), max(rets)
        if abs(hi - lo) < 1e-10:
            out[i] = 0.0
            continue
        width = (hi - lo) / bins
        counts = [0] * bins
        for r in rets:
            counts[min(max(int(math.floor((r - lo) / width)), 0), bins - 1)] += 1
        out[i] = -sum((c / len(rets)) * math.log2(c / len(rets)) for c in counts if c)
    return out


def cond(w):
    """How much cancellation the one-pass sums of a window suffer: raw over centred
    sum of squares. Near-constant windows (period 2 on close prices) lose digits
    in any formula of the kind n * Q - S^2, which these functions use."""
    m = mean(w)
    centred = math.fsum((y - m) ** 2 for y in w)
    return math.fsum(y * y for y in w) / centred if centred > 0 else math.inf


def assert_conditioned(actual, expected, conds, rel=1e-9, abs_=1e-12):
    assert len(actual) == len(expected)
    for i, (a, e, c) in enumerate(zip(actual, expected, conds)):
        if math.isnan(e):
            assert math.isnan(a), f"index {i}: expected NaN, got {a}"
        else:
            assert a == pytest.approx(e, rel=rel + 1e-13 * c, abs=abs_), f"index {i}: {a} != {e}"


def conds(xs, p, *more):
    out = [0.0] * len(xs)
    for i in range(p - 1, len(xs)):
        out[i] = max(cond(s[i - p + 1 : i + 1]) for s in (xs,) + more)
    return out


def returns(xs):
    return [0.0] + [(b - a) / a for a, b in zip(xs, xs[1:])]


# ---- the line fits and their derived values -------------------------------------

FITS = [
    ("py_linearreg_slope", ref_slope),
    ("py_linearreg_intercept", ref_intercept),
    ("py_linearreg", ref_linearreg),
    ("py_tsf", ref_tsf),
    ("py_linearreg_angle", lambda w: math.degrees(math.atan(ref_slope(w)))),
    ("py_slope", ref_slope),
]


@pytest.mark.parametrize("period", [3, 14, 50])
@pytest.mark.parametrize("name, ref", FITS, ids=[n for n, _ in FITS])
def test_line_fits_match_reference(ohlcv, name, ref, period):
    close = ohlcv["close"]
    # Slopes near zero: absolute tolerance on the price scale.
    assert_series_close(getattr(vl, name)(close, period), rolling(close, period, ref), rel=1e-9, abs_=1e-10)


@pytest.mark.parametrize("name", ["py_standard_error", "py_stderr"])
@pytest.mark.parametrize("period", [3, 14, 50])
def test_standard_error_matches_reference(ohlcv, name, period):
    close = ohlcv["close"]
    got = getattr(vl, name)(close, period)
    assert leading_nans(got) == period - 1
    # The kernel's residual sum comes from the centred sum of squares times
    # (1 - r^2), which cancels for well-fitting windows: compare the variances
    # on the scale of the raw sum of squares, not the square roots.
    for i, w in windows(close, period):
        scale = math.fsum(y * y for y in w) * 1e-13
        assert got[i] ** 2 == pytest.approx(ref_stderr(w) ** 2, rel=1e-9, abs=scale), i


@pytest.mark.parametrize("period", [2, 14, 50])
def test_linear_regression_matches_reference(ohlcv, period):
    close = ohlcv["close"]
    slope, intercept, r2 = vl.py_linear_regression(close, period)
    assert_series_close(slope, rolling(close, period, ref_slope), abs_=1e-10)
    assert_series_close(intercept, rolling(close, period, ref_intercept), abs_=1e-10)
    expected_r2 = [NAN] * (period - 1) + [1.0 if period == 2 else ref_r2(w) for _, w in windows(close, period)]
    assert_conditioned(r2, expected_r2, conds(close, period))
    assert all(0.0 <= x <= 1.0 for x in r2[period - 1 :])


def test_cfo_matches_reference(ohlcv):
    close = ohlcv["close"]
    expected = [NAN] * 13 + [(w[-1] - ref_tsf(w)) / w[-1] * 100 for _, w in windows(close, 14)]
    assert_series_close(vl.py_cfo(close, 14), expected, rel=1e-8, abs_=1e-9)


def test_line_fit_examples():
    slope, intercept, r2 = vl.py_linear_regression([1, 2, 3, 4], 4)
    assert (slope[3], intercept[3], r2[3]) == (1.0, 1.0, 1.0)
    assert all(math.isnan(x) for x in slope[:3] + intercept[:3] + r2[:3])
    assert vl.py_linearreg([1, 2, 3, 4], 4)[3] == 4.0
    assert vl.py_linearreg_intercept([1, 2, 3, 4], 4)[3] == 1.0
    assert vl.py_tsf([1, 2, 3, 4], 4)[3] == 5.0
    assert vl.py_linearreg_angle([1, 2, 3, 4], 4)[3] == pytest.approx(45.0, rel=1e-15)
    assert vl.py_linearreg_angle([4, 3, 2, 1], 4)[3] == pytest.approx(-45.0, rel=1e-15)
    assert same(vl.py_slope([2, 4, 6], 3), [NAN, NAN, 2.0])


def test_constant_window_fits():
    slope, intercept, r2 = vl.py_linear_regression([3.0] * 6, 4)
    assert slope[3:] == [0.0] * 3 and intercept[3:] == [3.0] * 3 and r2[3:] == [1.0] * 3
    assert vl.py_standard_error([3.0] * 6, 4)[3:] == [0.0] * 3


def test_standard_error_of_a_line_is_zero():
    out = vl.py_standard_error([2.0 * i + 1 for i in range(10)], 5)
    assert all(x == pytest.approx(0.0, abs=1e-12) for x in out[4:])


def test_cfo_of_a_constant_is_zero():
    out = vl.py_cfo([5.0] * 20, 14)
    assert leading_nans(out) == 13 and out[13:] == [0.0] * 7


def test_cfo_zero_price_is_nan():
    xs = [1.0, 2.0, 0.0, 4.0, 5.0]
    out = vl.py_cfo(xs, 2)
    assert math.isnan(out[2]) and not math.isnan(out[3])


@pytest.mark.parametrize(
    "name",
    ["py_linearreg", "py_linearreg_slope", "py_linearreg_angle", "py_linearreg_intercept", "py_tsf", "py_slope",
     "py_cfo", "py_standard_error", "py_stderr", "py_var", "py_zscore"],
)
def test_period_one_gives_all_nan(name):
    assert all(math.isnan(x) for x in getattr(vl, name)([1.0, 2.0, 4.0], 1))


def test_period_one_and_two_edge_cases():
    assert all(math.isnan(x) for part in vl.py_linear_regression([1.0, 2.0, 4.0], 1) for x in part)
    assert all(math.isnan(x) for x in vl.py_standard_error([1.0, 2.0, 4.0], 2))
    assert all(math.isnan(x) for x in vl.py_covariance([1.0, 2.0], [2.0, 1.0], 1))
    assert all(math.isnan(x) for x in vl.py_beta([1.0, 2.0], [2.0, 1.0], 1))
    assert all(math.isnan(x) for x in vl.py_correl([1.0, 2.0], [2.0, 1.0], 1))
    assert all(math.isnan(x) for x in vl.py_percent_rank([1.0, 2.0], 1))


# ---- correlation family -----------------------------------------------------------


@pytest.mark.parametrize("period", [2, 10, 30])
def test_correlation_matches_reference(ohlcv, period):
    x, y = returns(ohlcv["close"]), returns(ohlcv["open"])
    expected = rolling2(x, y, period, ref_correl)
    c = conds(x, period, y)
    assert_conditioned(vl.py_correl(x, y, period), expected, c)
    assert_conditioned(vl.py_correlation(x, y, period), expected, c)


@pytest.mark.parametrize("period", [2, 10, 30])
def test_covariance_and_beta_match_reference(ohlcv, period):
    asset = returns(ohlcv["close"])
    bench = [0.5 * a + 0.01 * math.sin(i) for i, a in enumerate(asset)]
    assert_series_close(vl.py_covariance(asset, bench, period), rolling2(asset, bench, period, ref_cov), rel=1e-8, abs_=1e-12)
    assert_series_close(vl.py_beta(asset, bench, period), rolling2(asset, bench, period, ref_beta), rel=1e-8, abs_=1e-9)


@pytest.mark.parametrize("period", [2, 12, 40])
def test_cti_matches_reference(ohlcv, period):
    close = ohlcv["close"]
    ramp = [float(i) for i in range(len(close))]
    expected = rolling2(ramp, close, period, ref_correl)
    assert_conditioned(vl.py_cti(close, period), expected, conds(close, period, ramp))


def test_correlation_examples():
    assert vl.py_correl([1, 2, 3, 4], [1, 2, 3, 4], 4)[3] == pytest.approx(1.0, rel=1e-15)
    assert vl.py_correl([1, 2, 3, 4], [4, 3, 2, 1], 4)[3] == pytest.approx(-1.0, rel=1e-15)
    assert vl.py_correlation([1, 2, 3, 4], [5, 5, 5, 5], 4)[3] == 0.0
    xs = [1.0, 3.0, 2.0, 5.0, 4.0, 8.0]
    assert all(x == pytest.approx(1.0, rel=1e-14) for x in vl.py_correl(xs, xs, 3)[2:])


def test_cti_examples():
    up = [float(i) * 1.5 + 3 for i in range(20)]
    assert all(x == pytest.approx(1.0, rel=1e-14) for x in vl.py_cti(up, None)[11:])
    assert all(x == pytest.approx(-1.0, rel=1e-14) for x in vl.py_cti(up[::-1], 12)[11:])
    assert same(vl.py_cti([1.0, 2.0, 3.0], 1), [NAN, 0.0, 0.0])


def test_covariance_and_beta_examples():
    assert vl.py_covariance([1, 2, 3], [1, 2, 3], 3)[2] == pytest.approx(2 / 3, rel=1e-15)
    assert vl.py_covariance([1, 2, 3], [3, 2, 1], 3)[2] == pytest.approx(-2 / 3, rel=1e-15)
    assert vl.py_beta([1.0, 2.0, 3.0], [0.5, 0.5, 0.5], 3)[2] == 0.0
    assert vl.py_beta([2.0, 4.0, 6.0], [1.0, 2.0, 3.0], 3)[2] == pytest.approx(2.0, rel=1e-15)


# ---- dispersion -------------------------------------------------------------------


@pytest.mark.parametrize("period", [2, 10, 50])
def test_var_and_zscore_match_reference(ohlcv, period):
    close = ohlcv["close"]
    c = conds(close, period)
    assert_conditioned(vl.py_var(close, period), rolling(close, period, ref_var), c)
    assert_conditioned(vl.py_zscore(close, period), rolling(close, period, ref_zscore), c)


def test_dispersion_examples():
    assert vl.py_var([1, 2, 3, 4], 4)[3] == 1.25
    assert vl.py_zscore([1, 2, 3, 4], 4)[3] == pytest.approx((4 - 2.5) / math.sqrt(1.25), rel=1e-15)
    assert vl.py_zscore([2.0] * 5, 3)[2:] == [0.0] * 3
    assert vl.py_var([2.0] * 5, 3)[2:] == [0.0] * 3
    # Not exactly representable: cancellation must not leave a negative variance.
    assert all(x >= 0.0 for x in vl.py_var([0.1] * 50, 7)[6:])


# ---- extremes, sums and ranks -------------------------------------------------------


@pytest.mark.parametrize("period", [1, 5, 30])
def test_extremes_and_sums_match_reference(ohlcv, period):
    close = ohlcv["close"]
    assert same(vl.py_max(close, period), rolling(close, period, max))
    assert same(vl.py_min(close, period), rolling(close, period, min))
    assert_series_close(vl.py_sum(close, period), rolling(close, period, math.fsum), rel=1e-14, abs_=0)
    lo, hi = vl.py_minmax(close, period)
    assert same(lo, vl.py_min(close, period)) and same(hi, vl.py_max(close, period))


@pytest.mark.parametrize("period", [1, 4, 30])
def test_minmaxindex_matches_reference_with_ties(ohlcv, period):
    coarse = [float(round(x)) for x in ohlcv["close"]]  # plenty of ties
    lo, hi = vl.py_minmaxindex(coarse, period)
    expected = [ref_minmaxindex(w) for _, w in windows(coarse, period)]
    assert same(lo, [NAN] * (period - 1) + [e[0] for e in expected])
    assert same(hi, [NAN] * (period - 1) + [e[1] for e in expected])


@pytest.mark.parametrize("period", [2, 14, 64, 65, 150])
def test_percent_rank_matches_reference_with_ties(ohlcv, period):
    # Periods above 64 take the rank-tree path; both must count the same.
    for xs in (ohlcv["close"], [float(round(x)) for x in ohlcv["close"]]):
        assert same(vl.py_percent_rank(xs, period), rolling(xs, period, ref_percent_rank))


def test_extremes_examples():
    assert same(vl.py_max([1, 3, 2, 5, 4], 3), [NAN, NAN, 3.0, 5.0, 5.0])
    assert same(vl.py_min([1, 3, 2, 5, 4], 3), [NAN, NAN, 1.0, 2.0, 2.0])
    lo, hi = vl.py_minmaxindex([3, 1, 1, 3], 4)
    assert (lo[3], hi[3]) == (1.0, 0.0)
    assert same(vl.py_percent_rank([1, 2, 3], 3), [NAN, NAN, 100.0])
    assert same(vl.py_percent_rank([3, 2, 1], 3), [NAN, NAN, 0.0])


@pytest.mark.parametrize("period", [1, 2, 3, 5, 8])
def test_extremes_ties_go_to_the_newest_element(period):
    # 0.0 and -0.0 compare equal, so the sign shows which of the tied elements
    # a window reports: a scan that takes every value >= (<=) the one held.
    rng = random.Random(period)
    xs = [rng.choice([0.0, -0.0, 1.0, -1.0]) for _ in range(40)]

    def scan(w, newer):
        held = w[0]
        for x in w[1:]:
            held = x if newer(x, held) else held
        return held

    for name, newer in (("py_max", lambda a, b: a >= b), ("py_min", lambda a, b: a <= b)):
        got = getattr(vl, name)(xs, period)[period - 1 :]
        expected = [scan(w, newer) for _, w in windows(xs, period)]
        assert [math.copysign(1.0, x) for x in got] == [math.copysign(1.0, x) for x in expected]
        assert got == expected


# ---- entropy -------------------------------------------------------------------------


@pytest.mark.parametrize("period, bins", [(10, 10), (2, 10), (30, 5), (20, 1), (15, 1000)])
def test_entropy_matches_reference(ohlcv, period, bins):
    close = ohlcv["close"]
    assert_series_close(vl.py_entropy(close, period, bins), ref_entropy(close, period, bins), rel=1e-12, abs_=1e-12)


def test_entropy_examples():
    doubling = [2.0**i for i in range(12)]  # every return is 1
    out = vl.py_entropy(doubling, 5, 10)
    assert leading_nans(out) == 5 and out[5:] == [0.0] * 7
    # Returns alternate between two values: two equally filled bins.
    xs = [100.0]
    for i in range(12):
        xs.append(xs[-1] * (1.02 if i % 2 else 0.99))
    assert all(x == pytest.approx(1.0, rel=1e-15) for x in vl.py_entropy(xs, 5, 2)[5:])
    assert all(math.isnan(x) for x in vl.py_entropy([1.0, 2.0, 3.0], 3, 10))
    assert all(math.isnan(x) for x in vl.py_entropy([1.0, 2.0, 3.0], 1, 10))


def test_entropy_huge_bin_count():
    close = [100.0 + 0.37 * i * i for i in range(30)]
    out = vl.py_entropy(close, 10, 2**64 - 1)
    # Nine distinct returns per window, each in its own bin; no table of 2^64 bins.
    assert all(x == pytest.approx(math.log2(9), rel=1e-12) for x in out[10:])


def test_entropy_validation():
    with pytest.raises(ValueError) as e:
        vl.py_entropy([1.0, 2.0, 3.0], 2, 0)
    assert str(e.value) == "Invalid period: 2 (must be > 0 and <= data length 3)"
    with pytest.raises(ValueError) as e:
        vl.py_entropy([1.0, 2.0, 3.0], 0, 5)
    assert str(e.value) == "Invalid period: 0 (must be > 0 and <= data length 3)"
    with pytest.raises(ValueError) as e:
        vl.py_entropy([1.0, 2.0, 3.0], 4, 5)
    assert str(e.value) == "Insufficient data: need at least 4 elements, got 3"
    with pytest.raises(ValueError, match="Empty input: close cannot be empty"):
        vl.py_entropy([], 0, 0)
    with pytest.raises(ValueError, match="Invalid value at index 1: close contains non-finite value: NaN"):
        vl.py_entropy([1.0, NAN], 0, 0)


def test_entropy_none_defaults(ohlcv):
    close = ohlcv["close"]
    assert same(vl.py_entropy(close, None, None), vl.py_entropy(close, 10, 10))
    assert same(vl.py_entropy(close, 12, None), vl.py_entropy(close, 12, 10))
    with pytest.raises(TypeError):
        vl.py_entropy(close)


# ---- the rolling kernels over 5000 bars ------------------------------------------------
#
# The running sums are rebuilt from scratch every 1000 steps; these compare whole
# long series, across four rebuilds, with slow references.


def test_long_sum(long_ohlcv):
    close = long_ohlcv["close"]
    assert_series_close(vl.py_sum(close, 20), rolling(close, 20, math.fsum), rel=1e-12, abs_=0)


def test_long_linearreg_slope(long_ohlcv):
    close = long_ohlcv["close"]
    assert_series_close(vl.py_linearreg_slope(close, 30), rolling(close, 30, ref_slope), rel=1e-9, abs_=1e-10)


def test_long_correl(long_ohlcv):
    close, volume = long_ohlcv["close"], long_ohlcv["volume"]
    expected = rolling2(close, volume, 25, ref_correl)
    assert_series_close(vl.py_correl(close, volume, 25), expected, rel=1e-9, abs_=1e-10)


def test_long_var(long_ohlcv):
    close = long_ohlcv["close"]
    assert_series_close(vl.py_var(close, 20), rolling(close, 20, ref_var), rel=1e-9, abs_=0)


def test_long_zscore(long_ohlcv):
    close = long_ohlcv["close"]
    assert_series_close(vl.py_zscore(close, 20), rolling(close, 20, ref_zscore), rel=1e-9, abs_=1e-10)


def test_long_covariance_and_beta(long_ohlcv):
    asset = returns(long_ohlcv["close"])
    bench = returns(long_ohlcv["open"])
    assert_series_close(vl.py_covariance(asset, bench, 20), rolling2(asset, bench, 20, ref_cov), rel=1e-9, abs_=1e-15)
    assert_series_close(vl.py_beta(asset, bench, 20), rolling2(asset, bench, 20, ref_beta), rel=1e-9, abs_=1e-10)


# A spike that enters and leaves the window costs the incremental updates their
# low-order bits; the periodic rebuild restores full accuracy no later than the
# stated step: every 1000th slide for the window sum, the 1001st for the
# running-sum family (regression, correlation, variance, z-score).

SPIKE_PERIOD = 10


@pytest.fixture(scope="module")
def spiked():
    rng = random.Random(5)
    return [1e12] + [100.0 + rng.gauss(0.0, 1.0) for _ in range(3200)]


def after(series, first_step):
    return series[SPIKE_PERIOD - 1 + first_step :]


def test_rebuild_restores_sum(spiked):
    p = SPIKE_PERIOD
    got = vl.py_sum(spiked, p)
    assert_series_close(after(got, 1000), after(rolling(spiked, p, math.fsum), 1000), rel=1e-14, abs_=0)


@pytest.mark.parametrize(
    "name, ref, rel",
    [("py_linearreg_slope", ref_slope, 1e-9), ("py_var", ref_var, 1e-9), ("py_zscore", ref_zscore, 1e-9),
     ("py_tsf", ref_tsf, 1e-12)],
)
def test_rebuild_restores_running_sums(spiked, name, ref, rel):
    p = SPIKE_PERIOD
    got = getattr(vl, name)(spiked, p)
    assert_series_close(after(got, 1001), after(rolling(spiked, p, ref), 1001), rel=rel, abs_=1e-10)


def test_rebuild_restores_correlation(spiked):
    p = SPIKE_PERIOD
    other = [math.sin(i * 0.3) for i in range(len(spiked))]
    got = vl.py_correl(spiked, other, p)
    assert_series_close(after(got, 1001), after(rolling2(spiked, other, p, ref_correl), 1001), rel=1e-9, abs_=1e-10)


# ---- validation and calling convention -------------------------------------------------

ONE_SERIES = [
    ("py_linear_regression", "y_values"),
    ("py_linearreg", "values"),
    ("py_linearreg_slope", "values"),
    ("py_linearreg_angle", "values"),
    ("py_linearreg_intercept", "values"),
    ("py_tsf", "values"),
    ("py_slope", "values"),
    ("py_cfo", "close"),
    ("py_standard_error", "y_values"),
    ("py_stderr", "y_values"),
    ("py_cti", "close"),
    ("py_var", "values"),
    ("py_zscore", "values"),
    ("py_max", "values"),
    ("py_min", "values"),
    ("py_sum", "values"),
    ("py_minmax", "values"),
    ("py_minmaxindex", "values"),
    ("py_percent_rank", "values"),
]


@pytest.mark.parametrize("name, series", ONE_SERIES, ids=[n for n, _ in ONE_SERIES])
def test_single_series_validation(name, series):
    f = getattr(vl, name)
    with pytest.raises(ValueError) as e:
        f([], 3)
    assert str(e.value) == f"Empty input: {series} cannot be empty"
    with pytest.raises(ValueError) as e:
        f([1.0, float("-inf"), NAN], 3)
    assert str(e.value) == f"Invalid value at index 1: {series} contains non-finite value: -inf"
    for period in (0, 3):
        with pytest.raises(ValueError) as e:
            f([1.0, 2.0], period)
        assert str(e.value) == f"Invalid period: {period} (must be > 0 and <= data length 2)"
    with pytest.raises(ValueError, match="Empty input"):
        f([], 0)
    out = f([1.0, 2.0, 3.0], 3)  # period equal to the length is valid
    assert all(len(part) == 3 for part in out) if isinstance(out, tuple) else len(out) == 3


TWO_SERIES = [
    ("py_correlation", "x", "y"),
    ("py_correl", "values1", "values2"),
    ("py_covariance", "x", "y"),
    ("py_beta", "asset_returns", "benchmark_returns"),
]


@pytest.mark.parametrize("name, first, second", TWO_SERIES, ids=[n for n, *_ in TWO_SERIES])
def test_two_series_validation(name, first, second):
    f = getattr(vl, name)
    with pytest.raises(ValueError) as e:
        f([1.0] * 10, [1.0] * 9, 3)
    assert str(e.value) == f"Length mismatch: {first}=10, {second}=9"
    with pytest.raises(ValueError) as e:
        f([1.0] * 10, [], 3)
    assert str(e.value) == f"Empty input: {second} cannot be empty"
    with pytest.raises(ValueError) as e:
        f([], [NAN], 3)
    assert str(e.value) == f"Empty input: {first} cannot be empty"
    with pytest.raises(ValueError) as e:
        f([1.0, NAN], [NAN, 2.0], 2)
    assert str(e.value) == f"Invalid value at index 1: {first} contains non-finite value: NaN"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0], [NAN, 2.0], 2)
    assert str(e.value) == f"Invalid value at index 0: {second} contains non-finite value: NaN"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0], [1.0, 2.0], 3)
    assert str(e.value) == "Invalid period: 3 (must be > 0 and <= data length 2)"


SIGNATURES = {
    "py_linear_regression": "(y_values, period)",
    "py_linearreg": "(values, period)",
    "py_linearreg_slope": "(values, period)",
    "py_linearreg_angle": "(values, period)",
    "py_linearreg_intercept": "(values, period)",
    "py_tsf": "(values, period)",
    "py_slope": "(values, period)",
    "py_cfo": "(close, period)",
    "py_standard_error": "(y_values, period)",
    "py_stderr": "(y_values, period)",
    "py_correlation": "(x, y, period)",
    "py_correl": "(values1, values2, period)",
    "py_cti": "(close, period=12)",
    "py_covariance": "(x, y, period)",
    "py_beta": "(asset_returns, benchmark_returns, period)",
    "py_var": "(values, period)",
    "py_zscore": "(values, period)",
    "py_max": "(values, period)",
    "py_min": "(values, period)",
    "py_sum": "(values, period)",
    "py_minmax": "(values, period)",
    "py_minmaxindex": "(values, period)",
    "py_percent_rank": "(values, period)",
    "py_entropy": "(close, period=10, bins=10)",
}


@pytest.mark.parametrize("name", sorted(SIGNATURES))
def test_signature_and_registration(name):
    assert name in vl.__all__
    assert getattr(vl, name).__text_signature__ == SIGNATURES[name]


@pytest.mark.parametrize("name, default", [("py_slope", 14), ("py_cfo", 14), ("py_cti", 12), ("py_percent_rank", 14)])
def test_nullable_period(ohlcv, name, default):
    f = getattr(vl, name)
    assert same(f(ohlcv["close"], None), f(ohlcv["close"], default))
    with pytest.raises(TypeError, match="missing"):
        f(ohlcv["close"])


@pytest.mark.parametrize("name", sorted(set(SIGNATURES) - {"py_slope", "py_cfo", "py_cti", "py_percent_rank", "py_entropy"}))
def test_period_not_nullable(name):
    nseries = SIGNATURES[name].count(",")
    with pytest.raises(TypeError, match="period"):
        getattr(vl, name)(*([[1.0, 2.0, 3.0]] * nseries), None)


def test_results_have_the_stated_shapes(ohlcv):
    close = ohlcv["close"]
    assert isinstance(vl.py_linear_regression(close, 5), tuple) and len(vl.py_linear_regression(close, 5)) == 3
    assert isinstance(vl.py_minmax(close, 5), tuple) and len(vl.py_minmax(close, 5)) == 2
    assert isinstance(vl.py_minmaxindex(close, 5), tuple) and len(vl.py_minmaxindex(close, 5)) == 2
    assert same(vl.py_stderr(close, 9), vl.py_standard_error(close, 9))
    assert same(vl.py_correlation(close, ohlcv["open"], 9), vl.py_correl(close, ohlcv["open"], 9))
    assert same(vl.py_linear_regression(close, 9)[0], vl.py_linearreg_slope(close, 9))
    assert same(vl.py_linear_regression(close, 9)[1], vl.py_linearreg_intercept(close, 9))
    assert_series_close(vl.py_slope(close, 9), vl.py_linearreg_slope(close, 9), rel=1e-9, abs_=1e-10)


def test_keywords(ohlcv):
    close = ohlcv["close"]
    assert same(vl.py_beta(asset_returns=close, benchmark_returns=ohlcv["open"], period=7),
                     vl.py_beta(close, ohlcv["open"], 7))
    assert same(vl.py_linear_regression(y_values=close, period=7)[2], vl.py_linear_regression(close, 7)[2])


# ---- TA-Lib, where the definitions agree ----------------------------------------------
#
# Compared: LINEARREG, LINEARREG_SLOPE, LINEARREG_ANGLE, LINEARREG_INTERCEPT, TSF,
# CORREL, VAR (population, nbdev 1), STDDEV (its square root), MAX, MIN, SUM,
# MINMAX and MINMAXINDEX (TA-Lib reports absolute indices; ours count inside
# the window).
# Not compared: TA-Lib's BETA regresses the returns it derives from two price
# series, while py_beta takes the returns themselves; TA-Lib has no standard
# error of the estimate, covariance, z-score, percent rank, entropy, CFO or CTI.


@pytest.fixture(scope="module")
def talib_env(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    return talib, np, {k: np.asarray(v, dtype=float) for k, v in ohlcv.items()}


@pytest.mark.parametrize(
    "ours, theirs",
    [("py_linearreg", "LINEARREG"), ("py_linearreg_slope", "LINEARREG_SLOPE"),
     ("py_linearreg_angle", "LINEARREG_ANGLE"), ("py_linearreg_intercept", "LINEARREG_INTERCEPT"),
     ("py_tsf", "TSF"), ("py_max", "MAX"), ("py_min", "MIN"), ("py_sum", "SUM")],
)
@pytest.mark.parametrize("period", [2, 14])
def test_agrees_with_talib(ohlcv, talib_env, ours, theirs, period):
    talib, _, cols = talib_env
    expected = as_list(getattr(talib, theirs)(cols["close"], period))
    # TA-Lib's slope sums are uncompensated: near-zero slopes differ in absolute terms only.
    assert_series_close(getattr(vl, ours)(ohlcv["close"], period), expected, rel=1e-9, abs_=1e-8)


@pytest.mark.parametrize("period", [5, 30])
def test_correl_agrees_with_talib(ohlcv, talib_env, period):
    talib, _, cols = talib_env
    assert_series_close(
        vl.py_correl(ohlcv["high"], ohlcv["low"], period), as_list(talib.CORREL(cols["high"], cols["low"], period)),
        rel=1e-9, abs_=1e-9,
    )


@pytest.mark.parametrize("period", [5, 30])
def test_var_agrees_with_talib(ohlcv, talib_env, period):
    talib, np, cols = talib_env
    ours = vl.py_var(ohlcv["close"], period)
    assert_series_close(ours, as_list(talib.VAR(cols["close"], period, 1)), rel=1e-9, abs_=1e-10)
    assert_series_close(as_list(np.sqrt(ours)), as_list(talib.STDDEV(cols["close"], period, 1)), rel=1e-9, abs_=1e-10)


@pytest.mark.parametrize("period", [2, 10])
def test_minmax_agrees_with_talib(ohlcv, talib_env, period):
    talib, np, cols = talib_env
    lo, hi = vl.py_minmax(ohlcv["close"], period)
    tlo, thi = talib.MINMAX(cols["close"], period)
    assert lo[period - 1 :] == as_list(tlo)[period - 1 :] and hi[period - 1 :] == as_list(thi)[period - 1 :]
    ilo, ihi = vl.py_minmaxindex(ohlcv["close"], period)
    tilo, tihi = talib.MINMAXINDEX(cols["close"], period)
    start = np.arange(len(ilo)) - (period - 1)
    assert ilo[period - 1 :] == as_list((tilo - start)[period - 1 :])
    assert ihi[period - 1 :] == as_list((tihi - start)[period - 1 :])
