"""Further moving averages.

Each function is checked against a slow literal reference (plain Python that
follows the stated algorithm) on the 400-bar fixture, against the documented edge
cases, the validation and the None defaults, and against TA-Lib where TA-Lib
computes the same definition.
"""
import math

import pytest

import vorn_library as vl
from conftest import as_list, assert_series_close, leading_nans, same

NAN = float("nan")
INF = float("inf")


# ---- literal references ------------------------------------------------------


def ref_sma(xs, p):
    """Simple average over runs of consecutive non-NaN values (a NaN restarts it)."""
    out, run = [NAN] * len(xs), 0
    for i, x in enumerate(xs):
        run = 0 if math.isnan(x) else run + 1
        if run >= p:
            out[i] = math.fsum(xs[i - p + 1 : i + 1]) / p
    return out


def ref_ema(xs, p, alpha=None):
    alpha = 2.0 / (p + 1) if alpha is None else alpha
    out, seed, avg = [NAN] * len(xs), [], None
    for i, x in enumerate(xs):
        if math.isnan(x):
            seed, avg = [], None
            continue
        if avg is None:
            seed.append(x)
            if len(seed) == p:
                avg = math.fsum(seed) / p
                out[i] = avg
        else:
            avg = avg * (1 - alpha) + x * alpha
            out[i] = avg
    return out


def ref_trima(xs, p):
    h = p // 2
    return ref_sma(ref_sma(xs, h + p % 2), h + 1)


def ref_midpoint(xs, p):
    return [NAN if i < p - 1 else (max(xs[i - p + 1 : i + 1]) + min(xs[i - p + 1 : i + 1])) / 2 for i in range(len(xs))]


def ref_midprice(high, low, p):
    return [
        NAN if i < p - 1 else (max(high[i - p + 1 : i + 1]) + min(low[i - p + 1 : i + 1])) / 2 for i in range(len(high))
    ]


def ref_zlma(xs, p):
    lag = (p - 1) // 2
    corrected = [NAN if i < lag else 2 * xs[i] - xs[i - lag] for i in range(len(xs))]
    return ref_ema(corrected, p)


def ref_t3(xs, p, a):
    chain = [xs]
    for _ in range(6):
        chain.append(ref_ema(chain[-1], p))
    e3, e4, e5, e6 = chain[3:]
    c1 = -(a**3)
    c2 = 3 * a**2 + 3 * a**3
    c3 = -6 * a**2 - 3 * a - 3 * a**3
    c4 = 1 + 3 * a + a**3 + 3 * a**2
    out = [
        NAN if any(math.isnan(e[i]) for e in (e3, e4, e5, e6)) else c1 * e6[i] + c2 * e5[i] + c3 * e4[i] + c4 * e3[i]
        for i in range(len(xs))
    ]
    if all(math.isnan(x) for x in out):
        return ref_ema(xs, p)
    return out


def ref_kama(xs, p, fast_p=2, slow_p=30):
    fast, slow = 2 / (fast_p + 1), 2 / (slow_p + 1)
    out = [NAN] * len(xs)
    out[p - 1] = xs[p - 1]
    for i in range(p, len(xs)):
        change = abs(xs[i] - xs[i - p])
        volatility = sum(abs(xs[k] - xs[k - 1]) for k in range(i - p + 1, i + 1))
        er = change / volatility if volatility > 0 else 0.0
        sc = (er * (fast - slow) + slow) ** 2
        out[i] = sc * (xs[i] - out[i - 1]) + out[i - 1]
    return out


def ref_frama(xs, n):
    h = n // 2
    out = [NAN] * len(xs)
    out[n - 1] = xs[n - 1]
    for i in range(n, len(xs)):
        older, newer, whole = xs[i - n : i - h], xs[i - h : i], xs[i - n : i]
        n1 = (max(older) - min(older)) / h
        n2 = (max(newer) - min(newer)) / h
        n3 = (max(whole) - min(whole)) / n
        if n1 + n2 > 0 and n3 > 0:
            d = (math.log(n1 + n2) - math.log(n3)) / math.log(2)
            alpha = math.exp(-4.6 * (d - 1))
        else:
            alpha = 1.0
        alpha = min(max(alpha, 0.01), 1.0)
        out[i] = (1 - alpha) * out[i - 1] + alpha * xs[i]
    return out


def ref_window(xs, raw_weights, first):
    total = math.fsum(raw_weights)
    w = [x / total for x in raw_weights]
    p = len(w)
    return [NAN if i < first else math.fsum(w[k] * xs[i - p + 1 + k] for k in range(p)) for i in range(len(xs))]


def alma_weights(p, offset, sigma):
    """The published Arnaud Legoux Gaussian: exp(-(k - m)^2 / (2 s^2))."""
    m = offset * (p - 1)
    s = p / sigma
    return [math.exp(-((k - m) ** 2) / (2 * s * s)) for k in range(p)]


def ref_alma(xs, p, offset, sigma):
    return ref_window(xs, alma_weights(p, offset, sigma), p - 1)


def ref_pwma(xs, p):
    return ref_window(xs, [float(math.comb(p - 1, k)) for k in range(p)], p - 1)


def ref_sinwma(xs, p):
    return ref_window(xs, [math.sin((k + 1) * math.pi / (p + 1)) for k in range(p)], p - 1)


def ref_swma(xs, p):
    return ref_window(xs, [float(min(k + 1, p - k)) for k in range(p)], p)


def ref_vidya(xs, p):
    alpha = 2 / (p + 1)
    out = [NAN] * len(xs)
    out[p - 1] = xs[p - 1]
    for i in range(p, len(xs)):
        if p < 2:
            break
        window = xs[i - p + 1 : i + 1]
        mean = math.fsum(window) / p
        sd = math.sqrt(math.fsum((x - mean) ** 2 for x in window) / (p - 1))
        if abs(xs[i]) < 1e-10:
            break
        k = alpha * abs(sd / xs[i])
        out[i] = (1 - k) * out[i - 1] + xs[i] * k
    return out


def ref_vwma(close, volume, p):
    out = [NAN] * len(close)
    for i in range(p - 1, len(close)):
        v = math.fsum(volume[i - p + 1 : i + 1])
        pv = math.fsum(c * w for c, w in zip(close[i - p + 1 : i + 1], volume[i - p + 1 : i + 1]))
        if v > 0:
            out[i] = pv / v
    return out


# ---- against the references ---------------------------------------------------

SINGLE = [
    ("py_trima", ref_trima, (2,)),
    ("py_trima", ref_trima, (9,)),
    ("py_trima", ref_trima, (10,)),
    ("py_midpoint", ref_midpoint, (14,)),
    ("py_zlma", ref_zlma, (1,)),
    ("py_zlma", ref_zlma, (20,)),
    ("py_zlma", ref_zlma, (21,)),
    ("py_t3", ref_t3, (5, 0.7)),
    ("py_t3", ref_t3, (8, 0.3)),
    ("py_kama", ref_kama, (10, 2, 30)),
    ("py_kama", ref_kama, (20, 5, 50)),
    ("py_frama", ref_frama, (2,)),
    ("py_frama", ref_frama, (16,)),
    ("py_frama", ref_frama, (30,)),
    ("py_alma", ref_alma, (9, 0.85, 6.0)),
    ("py_alma", ref_alma, (20, 0.5, 3.0)),
    ("py_alma", ref_alma, (1, 0.85, 6.0)),
    ("py_vidya", ref_vidya, (14,)),
    ("py_vidya", ref_vidya, (3,)),
    ("py_pwma", ref_pwma, (5,)),
    ("py_pwma", ref_pwma, (40,)),
    ("py_sinwma", ref_sinwma, (14,)),
    ("py_swma", ref_swma, (7,)),
    ("py_swma", ref_swma, (4,)),
]


@pytest.mark.parametrize("name, ref, args", SINGLE, ids=[f"{n}{a}" for n, _, a in SINGLE])
def test_matches_literal_reference(ohlcv, name, ref, args):
    close = ohlcv["close"]
    assert_series_close(getattr(vl, name)(close, *args), ref(close, *args), rel=1e-10, abs_=1e-10)


def test_midprice_matches_reference(ohlcv):
    for p in (1, 5, 14):
        assert_series_close(vl.py_midprice(ohlcv["high"], ohlcv["low"], p), ref_midprice(ohlcv["high"], ohlcv["low"], p))


def test_vwma_matches_reference(ohlcv):
    for p in (1, 20, 50):
        assert_series_close(vl.py_vwma(ohlcv["close"], ohlcv["volume"], p), ref_vwma(ohlcv["close"], ohlcv["volume"], p))


def test_alma_uses_the_published_gaussian(ohlcv):
    """The published Arnaud Legoux Gaussian keeps the factor 2 of 2 s^2; the
    shorter form exp(-((k - m) / s)^2) gives a visibly different average."""
    close = ohlcv["close"]
    got = vl.py_alma(close, 9, 0.85, 6.0)
    assert_series_close(got, ref_alma(close, 9, 0.85, 6.0), rel=1e-12, abs_=0)
    m, s = 0.85 * 8, 9 / 6.0
    narrow_form = ref_window(close, [math.exp(-(((k - m) / s) ** 2)) for k in range(9)], 8)
    assert max(abs(a - b) for a, b in zip(got[8:], narrow_form[8:])) > 1e-6


def test_alma_weights_by_hand():
    # Period 3, offset 0.5, sigma 3: m = 1, s = 1, raw weights e^-0.5, 1, e^-0.5.
    e = math.exp(-0.5)
    expected = (1 * e + 2 * 1 + 4 * e) / (2 * e + 1)
    assert vl.py_alma([1.0, 2.0, 4.0], 3, 0.5, 3.0)[2] == pytest.approx(expected, rel=1e-14)


@pytest.mark.parametrize(
    "period, offset, sigma, nearest",
    [(10, 0.85, 500.0, 8), (10, 0.85, 1e4, 8), (10, 0.85, INF, 8), (3, 0.5, 1e300, 1), (1, 0.85, INF, 0)],
)
def test_alma_narrow_gaussian_tends_to_the_nearest_bar(period, offset, sigma, nearest):
    # s = period / sigma shrinks towards 0: every raw weight but the one nearest
    # m underflows, and the average becomes that bar of each window.
    xs = [float(i % 7) + 0.5 for i in range(30)]
    out = vl.py_alma(xs, period, offset, sigma)
    assert leading_nans(out) == period - 1
    assert out[period - 1 :] == pytest.approx(xs[nearest : len(xs) - period + 1 + nearest], rel=1e-12)


# ---- warm-up ---------------------------------------------------------------------

WARMUP = [
    ("py_trima", (14,), 13),
    ("py_midpoint", (14,), 13),
    ("py_zlma", (20,), 9 + 19),
    ("py_zlma", (5,), 2 + 4),
    ("py_t3", (5, 0.7), 24),
    ("py_kama", (10, 2, 30), 9),
    ("py_frama", (16,), 15),
    ("py_alma", (9, 0.85, 6.0), 8),
    ("py_vidya", (14,), 13),
    ("py_pwma", (5,), 4),
    ("py_sinwma", (14,), 13),
    ("py_swma", (7,), 7),
]


@pytest.mark.parametrize("name, args, lead", WARMUP, ids=[f"{n}{a}" for n, a, _ in WARMUP])
def test_leading_nans(ohlcv, name, args, lead):
    out = getattr(vl, name)(ohlcv["close"], *args)
    assert len(out) == len(ohlcv["close"])
    assert leading_nans(out) == lead
    assert not any(math.isnan(x) for x in out[lead:])


def test_adaptive_averages_start_with_the_input(ohlcv):
    close = ohlcv["close"]
    assert vl.py_kama(close, 10, 2, 30)[9] == close[9]
    assert vl.py_frama(close, 16)[15] == close[15]
    assert vl.py_vidya(close, 14)[13] == close[13]


# ---- edge cases ---------------------------------------------------------------


def nan_equal(actual, expected):
    assert len(actual) == len(expected)
    for a, e in zip(actual, expected):
        assert (math.isnan(a) and math.isnan(e)) or a == pytest.approx(e, rel=1e-14, abs=1e-14), (actual, expected)


def test_trima_example():
    nan_equal(vl.py_trima([1, 2, 3, 4, 5], 4), [NAN, NAN, NAN, 2.5, 3.5])


def test_trima_period_one_is_identity():
    assert vl.py_trima([3.0, 1.0, 2.0], 1) == [3.0, 1.0, 2.0]


def test_midpoint_example():
    nan_equal(vl.py_midpoint([1, 5, 3], 2), [NAN, 3.0, 4.0])


@pytest.mark.parametrize("period", [1, 2])
def test_zlma_without_lag_is_the_ema(ohlcv, period):
    assert same(vl.py_zlma(ohlcv["close"], period), vl.py_ema(ohlcv["close"], period))


@pytest.mark.parametrize(
    "n, vfactor",
    [(20, 0.7),  # 20 < 6 * 5 - 5: the sixth EMA never starts
     (40, NAN), (40, INF), (40, 1e110)],  # coefficients that are not finite leave no value either
)
def test_t3_without_any_value_is_the_ema(n, vfactor):
    xs = [float(i) + (i % 3) for i in range(n)]
    assert same(vl.py_t3(xs, 5, vfactor), vl.py_ema(xs, 5))


def test_t3_needs_six_chained_warmups():
    xs = [float(i) + (i % 3) for i in range(20)]
    ys = xs + [30.0] * 5  # 25 values: T3 defined at the last one only
    out = vl.py_t3(ys, 5, 0.7)
    assert leading_nans(out) == 24 and not math.isnan(out[24])


def test_t3_of_a_constant_is_the_constant():
    out = vl.py_t3([4.0] * 40, 3, 0.7)
    assert all(x == pytest.approx(4.0, rel=1e-14) for x in out[12:])


def test_kama_on_a_straight_line():
    xs = [float(i) for i in range(1, 31)]
    out = vl.py_kama(xs, 10, 2, 30)
    sc = (2 / 3) ** 2  # ER is 1
    expected = xs[9]
    for i in range(10, 30):
        expected = sc * (xs[i] - expected) + expected
        assert out[i] == pytest.approx(expected, rel=1e-14)


def test_kama_flat_window_has_zero_efficiency():
    # The window of the last bar is flat (no volatility): ER is 0 and the
    # smoothing is the slow constant squared, while the average still lags.
    xs = [1.0, 2.0, 3.0, 10.0, 10.0, 10.0, 10.0]
    out = vl.py_kama(xs, 3, 2, 30)
    fast_sc = (2 / 3) ** 2
    expected = 3.0
    for i in (3, 4, 5):  # change equals volatility: ER 1
        expected = fast_sc * (10.0 - expected) + expected
        assert out[i] == pytest.approx(expected, rel=1e-14)
    assert out[6] == pytest.approx((2 / 31) ** 2 * (10.0 - expected) + expected, rel=1e-14)


@pytest.mark.parametrize("period", [15, 0, 1, 3])
def test_frama_rejects_odd_or_small_periods(period):
    with pytest.raises(ValueError) as e:
        vl.py_frama([1.0] * 20, period)
    assert str(e.value) == f"Invalid period: {period} (must be > 0 and <= data length 20)"


def test_frama_rejects_period_above_length():
    with pytest.raises(ValueError, match=r"Invalid period: 22 \(must be > 0 and <= data length 20\)"):
        vl.py_frama([1.0] * 20, 22)


def test_frama_of_a_constant_is_the_constant():
    out = vl.py_frama([7.5] * 40, 16)
    assert leading_nans(out) == 15 and out[15:] == [7.5] * 25


def test_vidya_of_a_constant_is_the_constant():
    out = vl.py_vidya([3.0] * 30, 14)
    assert leading_nans(out) == 13 and out[13:] == [3.0] * 17


def test_vidya_zero_price_poisons_the_rest():
    xs = [3.0 + (i % 4) for i in range(20)]
    xs[15] = 0.0
    out = vl.py_vidya(xs, 5)
    assert not any(math.isnan(x) for x in out[4:15])
    assert all(math.isnan(x) for x in out[15:])


def test_vidya_period_one():
    out = vl.py_vidya([1.0, 2.0, 3.0], 1)
    assert out[0] == 1.0 and math.isnan(out[1]) and math.isnan(out[2])


@pytest.mark.parametrize(
    "name, args",
    [("py_alma", (9, 0.85, 6.0)), ("py_pwma", (5,)), ("py_sinwma", (14,)), ("py_alma", (10, 0.1, 2.0))],
)
def test_window_averages_of_a_constant(name, args):
    out = getattr(vl, name)([2.5] * 50, *args)
    lead = args[0] - 1
    assert leading_nans(out) == lead
    assert all(x == pytest.approx(2.5, rel=1e-13) for x in out[lead:])


def test_pwma_long_period_stays_finite():
    # Integer Pascal rows overflow past row 1030; the weights must not turn into NaN.
    xs = [float(i % 7) for i in range(1500)]
    out = vl.py_pwma(xs, 1200)
    assert leading_nans(out) == 1199
    assert all(math.isfinite(x) for x in out[1199:])
    # Binomial weights are symmetric: the average sits near the window's middle value mix.
    assert all(0.0 <= x <= 6.0 for x in out[1199:])


def test_swma_examples():
    assert all(math.isnan(x) for x in vl.py_swma([1, 2, 3, 4], 4))
    nan_equal(vl.py_swma([1, 2, 3, 4, 5], 4), [NAN, NAN, NAN, NAN, 3.5])
    nan_equal(vl.py_swma([1, 2, 3, 4, 5, 6], 5), [NAN] * 5 + [(2 + 2 * 3 + 3 * 4 + 2 * 5 + 6) / 9])


def test_vwma_zero_volume_and_equal_volume(ohlcv):
    close = ohlcv["close"]
    assert all(math.isnan(x) for x in vl.py_vwma(close, [0.0] * len(close), 10))
    assert_series_close(vl.py_vwma(close, [3.0] * len(close), 10), vl.py_sma(close, 10), rel=1e-12)


def test_vwma_nonpositive_volume_window():
    out = vl.py_vwma([1.0, 2.0, 3.0, 4.0], [1.0, -1.0, 0.0, 2.0], 2)
    nan_equal(out, [NAN, NAN, NAN, 4.0])


# ---- validation -------------------------------------------------------------------

ONE_SERIES = [
    ("py_trima", "values", (3,)),
    ("py_midpoint", "values", (3,)),
    ("py_zlma", "values", (3,)),
    ("py_t3", "values", (3, 0.7)),
    ("py_kama", "values", (3, 2, 30)),
    ("py_frama", "values", (4,)),
    ("py_alma", "values", (3, 0.85, 6.0)),
    ("py_vidya", "close", (3,)),
    ("py_pwma", "values", (3,)),
    ("py_sinwma", "values", (3,)),
    ("py_swma", "values", (3,)),
]


@pytest.mark.parametrize("name, series, args", ONE_SERIES, ids=[n for n, _, _ in ONE_SERIES])
def test_single_series_validation(name, series, args):
    f = getattr(vl, name)
    with pytest.raises(ValueError) as e:
        f([], *args)
    assert str(e.value) == f"Empty input: {series} cannot be empty"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0, float("inf"), float("nan")], *args)
    assert str(e.value) == f"Invalid value at index 2: {series} contains non-finite value: inf"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0], *args)
    assert str(e.value) == f"Invalid period: {args[0]} (must be > 0 and <= data length 2)"
    if name != "py_frama":
        with pytest.raises(ValueError) as e:
            f([1.0, 2.0], 0, *args[1:])
        assert str(e.value) == "Invalid period: 0 (must be > 0 and <= data length 2)"
    # An empty series is reported before a bad period.
    with pytest.raises(ValueError, match="Empty input"):
        f([], 0, *args[1:])


def test_period_equal_to_length_is_valid():
    xs = [1.0, 4.0, 2.0, 8.0]
    assert vl.py_trima(xs, 4)[3] == pytest.approx(ref_trima(xs, 4)[3])
    assert same(vl.py_kama(xs, 4, 2, 30), [NAN, NAN, NAN, 8.0])
    assert vl.py_frama(xs, 4)[3] == 8.0


@pytest.mark.parametrize(
    "name, first, second",
    [("py_midprice", "high", "low"), ("py_vwma", "close", "volume")],
)
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
        f([1.0, NAN], [NAN, 1.0], 1)
    assert str(e.value) == f"Invalid value at index 1: {first} contains non-finite value: NaN"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0], [1.0, float("-inf")], 1)
    assert str(e.value) == f"Invalid value at index 1: {second} contains non-finite value: -inf"
    with pytest.raises(ValueError) as e:
        f([1.0, 2.0], [1.0, 2.0], 3)
    assert str(e.value) == "Invalid period: 3 (must be > 0 and <= data length 2)"


# ---- calling convention ---------------------------------------------------------

SIGNATURES = {
    "py_trima": "(values, period)",
    "py_midpoint": "(values, period)",
    "py_midprice": "(high, low, period)",
    "py_zlma": "(values, period)",
    "py_t3": "(values, period=5, vfactor=0.7)",
    "py_kama": "(values, period=10, fast_period=2, slow_period=30)",
    "py_frama": "(values, period)",
    "py_alma": "(values, period, offset, sigma)",
    "py_vidya": "(close, period)",
    "py_pwma": "(values, period)",
    "py_sinwma": "(values, period)",
    "py_swma": "(values, period)",
    "py_vwma": "(close, volume, period)",
}


@pytest.mark.parametrize("name", sorted(SIGNATURES))
def test_signature_and_registration(name):
    assert name in vl.__all__
    assert getattr(vl, name).__text_signature__ == SIGNATURES[name]


# (function, series count, full arguments, {parameter index: default}) for the nullable parameters.
NULLABLE = [
    ("py_t3", 1, (8, 0.4), {1: 5, 2: 0.7}),
    ("py_kama", 1, (8, 3, 20), {1: 10, 2: 2, 3: 30}),
    ("py_frama", 1, (8,), {1: 16}),
    ("py_alma", 1, (8, 0.5, 4.0), {1: 9, 2: 0.85, 3: 6.0}),
    ("py_vidya", 1, (8,), {1: 14}),
    ("py_pwma", 1, (8,), {1: 5}),
    ("py_sinwma", 1, (8,), {1: 14}),
    ("py_swma", 1, (8,), {1: 7}),
    ("py_vwma", 2, (8,), {2: 20}),
]


@pytest.mark.parametrize("name, nseries, args, defaults", NULLABLE, ids=[n for n, *_ in NULLABLE])
def test_none_selects_the_default(ohlcv, name, nseries, args, defaults):
    f = getattr(vl, name)
    series = [ohlcv["close"], ohlcv["volume"]][:nseries]
    for index, default in defaults.items():
        full = list(series) + list(args)
        with_none = list(full)
        with_none[index] = None
        full[index] = default
        assert_series_close(f(*with_none), f(*full), rel=0, abs_=0)
    # Required all the same: leaving the last argument out is a TypeError.
    with pytest.raises(TypeError, match="missing"):
        f(*series, *args[:-1])


@pytest.mark.parametrize(
    "name, args",
    [("py_trima", ([1.0, 2.0], None)), ("py_midpoint", ([1.0, 2.0], None)), ("py_zlma", ([1.0, 2.0], None)),
     ("py_midprice", ([2.0, 3.0], [1.0, 2.0], None))],
)
def test_none_is_rejected_where_not_nullable(name, args):
    with pytest.raises(TypeError, match="period"):
        getattr(vl, name)(*args)


def test_t3_requires_every_argument():
    with pytest.raises(TypeError):
        vl.py_t3([1.0] * 10)
    out = vl.py_t3([float(i) for i in range(40)], None, None)
    assert same(out, vl.py_t3([float(i) for i in range(40)], 5, 0.7))


def test_keywords_and_input_untouched(ohlcv):
    close = list(ohlcv["close"])
    before = list(close)
    a = vl.py_alma(values=close, period=9, offset=0.85, sigma=6.0)
    assert same(a, vl.py_alma(close, 9, 0.85, 6.0))
    a[20] = 0.0
    assert close == before
    assert vl.py_alma(close, 9, 0.85, 6.0)[20] != 0.0


def test_tuple_and_int_inputs():
    assert vl.py_trima((1, 2, 3, 4, 5), 4)[3] == 2.5


# ---- TA-Lib, where the definitions agree ------------------------------------------
#
# Compared: TRIMA (SMA of SMA, the same periods), MIDPOINT, MIDPRICE, T3 (six EMAs
# seeded with simple averages, the same coefficients) and KAMA from index period on
# (TA-Lib leaves index period - 1 empty where we put the input itself, and
# gives ER 1 for a flat window where we give 0: the random walk has none).
# Not compared: ZLMA, FRAMA, ALMA, VIDYA, PWMA, SINWMA, SWMA and VWMA have no
# TA-Lib counterpart.


@pytest.fixture(scope="module")
def talib_env(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    return talib, {k: np.asarray(v, dtype=float) for k, v in ohlcv.items()}


@pytest.mark.parametrize("period", [2, 5, 14, 15])
def test_trima_agrees_with_talib(ohlcv, talib_env, period):
    talib, cols = talib_env
    assert_series_close(vl.py_trima(ohlcv["close"], period), as_list(talib.TRIMA(cols["close"], period)), rel=1e-12)


@pytest.mark.parametrize("period", [2, 14])
def test_midpoint_midprice_agree_with_talib(ohlcv, talib_env, period):
    talib, cols = talib_env
    assert vl.py_midpoint(ohlcv["close"], period)[period - 1 :] == as_list(talib.MIDPOINT(cols["close"], period))[period - 1 :]
    assert (
        vl.py_midprice(ohlcv["high"], ohlcv["low"], period)[period - 1 :]
        == as_list(talib.MIDPRICE(cols["high"], cols["low"], period))[period - 1 :]
    )


@pytest.mark.parametrize("period, vfactor", [(5, 0.7), (10, 0.5)])
def test_t3_agrees_with_talib(ohlcv, talib_env, period, vfactor):
    talib, cols = talib_env
    assert_series_close(
        vl.py_t3(ohlcv["close"], period, vfactor), as_list(talib.T3(cols["close"], period, vfactor)), rel=1e-12
    )


@pytest.mark.parametrize("period", [10, 30])
def test_kama_agrees_with_talib_after_its_seed(ohlcv, talib_env, period):
    talib, cols = talib_env
    ours = vl.py_kama(ohlcv["close"], period, 2, 30)
    theirs = as_list(talib.KAMA(cols["close"], period))
    assert math.isnan(theirs[period - 1]) and ours[period - 1] == ohlcv["close"][period - 1]
    assert_series_close(ours[period:], theirs[period:], rel=1e-12)
