import math

import pytest

import vorn_library as vl
from conftest import assert_series_close, isnan, leading_nans, make_ohlcv, ref_atr, ref_rolling, ref_tr

NAN = float("nan")
U64_MAX = 2**64 - 1


# ---- slow literal references -------------------------------------------------

def ref_ema(v, p):
    out = [NAN] * len(v)
    e = sum(v[:p]) / p
    out[p - 1] = e
    for i in range(p, len(v)):
        e = e * (1 - 2 / (p + 1)) + v[i] * 2 / (p + 1)
        out[i] = e
    return out


def pstdev(w):
    m = sum(w) / len(w)
    return math.sqrt(sum((x - m) ** 2 for x in w) / len(w))


def sstdev(w):
    m = sum(w) / len(w)
    return math.sqrt(sum((x - m) ** 2 for x in w) / (len(w) - 1))


def ref_bbands(c, p, k):
    mid = ref_rolling(c, p, lambda w: sum(w) / p)
    sd = ref_rolling(c, p, pstdev)
    return [m + k * s for m, s in zip(mid, sd)], mid, [m - k * s for m, s in zip(mid, sd)]


def ref_keltner(h, lo, c, p, ap, k):
    mid, a = ref_ema(c, p), ref_atr(h, lo, c, ap)
    return [m + k * x for m, x in zip(mid, a)], mid, [m - k * x for m, x in zip(mid, a)]


def ref_donchian(h, lo, p):
    up, dn = ref_rolling(h, p, max), ref_rolling(lo, p, min)
    return up, [(a + b) * 0.5 for a, b in zip(up, dn)], dn


def ref_chandelier(h, lo, c, p, ap, k):
    hh, ll, a = ref_rolling(h, p, max), ref_rolling(lo, p, min), ref_atr(h, lo, c, ap)
    ok = [not (isnan(x) or isnan(y) or isnan(z)) for x, y, z in zip(hh, ll, a)]
    return ([x - z * k if o else NAN for x, z, o in zip(hh, a, ok)],
            [y + z * k if o else NAN for y, z, o in zip(ll, a, ok)])


def ref_hv(c, p):
    r = [NAN] + [math.log(c[i] / c[i - 1]) for i in range(1, len(c))]
    return [x * math.sqrt(p) * 100 for x in ref_rolling(r, p, sstdev)]


def ref_ulcer(c, p):
    hmax = ref_rolling(c, p, max)
    dd2 = [NAN if isnan(m) else ((x - m) / m * 100) ** 2 for x, m in zip(c, hmax)]
    return ref_rolling(dd2, p, lambda w: math.sqrt(sum(w) / p))


def ref_mass(h, lo, e, s):
    e1 = ref_ema([a - b for a, b in zip(h, lo)], e)
    start = leading_nans(e1)
    e2 = [NAN] * start + ref_ema(e1[start:], e)
    return ref_rolling([a / b for a, b in zip(e1, e2)], s, sum)


def ref_aberration(h, lo, c, p, ap):
    m, a = ref_rolling(c, p, lambda w: sum(w) / p), ref_atr(h, lo, c, ap)
    return [(x - y) / z for x, y, z in zip(c, m, a)]


def ref_squeeze(h, lo, c, bp, bs, kp, kap, km):
    bu, _, bl = ref_bbands(c, bp, bs)
    ku, _, kl = ref_keltner(h, lo, c, kp, kap, km)
    on = [NAN if isnan(a) or isnan(b) else float(b > a and x > y) for a, b, x, y in zip(bu, ku, bl, kl)]
    off = [x if isnan(x) else 1.0 - x for x in on]
    mom = [(a + b) * 0.5 - m for a, b, m in zip(
        ref_rolling(c, bp, max), ref_rolling(c, bp, min), ref_rolling(c, bp, lambda w: sum(w) / bp))]
    return mom, on, off


REFERENCES = [
    ("py_true_range", ("high", "low", "close"), (1,), lambda d: ref_tr(d["high"], d["low"], d["close"])),
    ("py_true_range", ("high", "low", "close"), (3,), lambda d: ref_tr(d["high"], d["low"], d["close"], 3)),
    ("py_atr", ("high", "low", "close"), (14,), lambda d: ref_atr(d["high"], d["low"], d["close"], 14)),
    ("py_natr", ("high", "low", "close"), (14,),
     lambda d: [a / c * 100 for a, c in zip(ref_atr(d["high"], d["low"], d["close"], 14), d["close"])]),
    ("py_bollinger_bands", ("close",), (20, 2.0), lambda d: ref_bbands(d["close"], 20, 2.0)),
    ("py_keltner_channel", ("high", "low", "close"), (20, 10, 1.5),
     lambda d: ref_keltner(d["high"], d["low"], d["close"], 20, 10, 1.5)),
    ("py_donchian_channel", ("high", "low"), (20,), lambda d: ref_donchian(d["high"], d["low"], 20)),
    ("py_chandelier_exit", ("high", "low", "close"), (22, 14, 3.0),
     lambda d: ref_chandelier(d["high"], d["low"], d["close"], 22, 14, 3.0)),
    ("py_historical_volatility", ("close",), (20,), lambda d: ref_hv(d["close"], 20)),
    ("py_ulcer_index", ("close",), (14,), lambda d: ref_ulcer(d["close"], 14)),
    ("py_mass_index", ("high", "low"), (9, 25), lambda d: ref_mass(d["high"], d["low"], 9, 25)),
    ("py_aberration", ("high", "low", "close"), (20, 14),
     lambda d: ref_aberration(d["high"], d["low"], d["close"], 20, 14)),
    ("py_squeeze", ("high", "low", "close"), (20, 2.0, 20, 20, 1.5),
     lambda d: ref_squeeze(d["high"], d["low"], d["close"], 20, 2.0, 20, 20, 1.5)),
]


@pytest.mark.parametrize("name,cols,args,ref", REFERENCES, ids=[f"{r[0]}{r[2]}" for r in REFERENCES])
def test_matches_literal_reference(ohlcv, name, cols, args, ref):
    got = getattr(vl, name)(*(ohlcv[c] for c in cols), *args)
    want = ref(ohlcv)
    got, want = (got, want) if isinstance(got, tuple) else ((got,), (want,))
    assert len(got) == len(want)
    for g, w in zip(got, want):
        assert_series_close(g, w, rel=1e-9, abs_=1e-9)


def test_long_series_across_rebuilds(long_ohlcv):
    c = long_ohlcv["close"]
    for g, w in zip(vl.py_bollinger_bands(c, 50, 2.0), ref_bbands(c, 50, 2.0)):
        assert_series_close(g, w, rel=1e-9, abs_=1e-9)
    assert_series_close(vl.py_historical_volatility(c, 30), ref_hv(c, 30), rel=1e-8, abs_=1e-9)


def test_bollinger_keeps_precision_on_a_large_offset():
    # Deviations are tiny next to the level; the sliding update must not lose them.
    c = [1e6 + math.sin(i / 3.0) for i in range(3000)]
    for g, w in zip(vl.py_bollinger_bands(c, 20, 2.0), ref_bbands(c, 20, 2.0)):
        assert_series_close(g, w, rel=1e-9, abs_=1e-7)


# ---- warm-up -------------------------------------------------------------------

WARMUPS = [
    ("py_true_range", ("high", "low", "close"), (1,), [1]),
    ("py_atr", ("high", "low", "close"), (14,), [14]),
    ("py_natr", ("high", "low", "close"), (14,), [14]),
    ("py_bollinger_bands", ("close",), (20, 2.0), [19, 19, 19]),
    ("py_keltner_channel", ("high", "low", "close"), (20, 30, 2.0), [30, 19, 30]),
    ("py_donchian_channel", ("high", "low"), (20,), [19, 19, 19]),
    ("py_chandelier_exit", ("high", "low", "close"), (22, 22, 3.0), [22, 22]),
    ("py_historical_volatility", ("close",), (20,), [20]),
    ("py_ulcer_index", ("close",), (14,), [26]),
    ("py_mass_index", ("high", "low"), (9, 25), [40]),
    ("py_aberration", ("high", "low", "close"), (20, 20), [20]),
    ("py_squeeze", ("high", "low", "close"), (20, 2.0, 20, 20, 1.5), [19, 20, 20]),
]


@pytest.mark.parametrize("name,cols,args,nans", WARMUPS, ids=[f"{w[0]}{w[2]}" for w in WARMUPS])
def test_warm_up_length(ohlcv, name, cols, args, nans):
    got = getattr(vl, name)(*(ohlcv[c] for c in cols), *args)
    got = got if isinstance(got, tuple) else (got,)
    assert [leading_nans(s) for s in got] == nans
    for s in got:
        assert len(s) == 400 and not any(isnan(x) for x in s[leading_nans(s):])


# ---- edge cases and agreements --------------------------------------------------------

def test_true_range_has_no_first_bar():
    h, lo, c = [3.0, 4.0, 5.0, 6.0], [1.0, 2.0, 3.0, 4.0], [2.0, 3.0, 4.0, 5.0]
    assert_series_close(vl.py_true_range(h, lo, c), [NAN, 2.0, 2.0, 2.0])
    assert_series_close(vl.py_true_range(h, lo, c, 2), [NAN, NAN, 3.0, 3.0])


def test_atr_period_n_minus_one_gives_the_mean_true_range():
    d = make_ohlcv(15)
    h, lo, c = d["high"], d["low"], d["close"]
    out = vl.py_atr(h, lo, c, 14)
    assert leading_nans(out) == 14
    assert out[14] == pytest.approx(sum(vl.py_true_range(h, lo, c)[1:]) / 14, rel=1e-12)


def test_bollinger_degenerate_cases(ohlcv):
    c = ohlcv["close"]
    assert all(isnan(x) for band in vl.py_bollinger_bands(c, 1, 2.0) for x in band)
    up, mid, dn = vl.py_bollinger_bands(c, 20, 0.0)
    assert up[19:] == mid[19:] == dn[19:]
    up, mid, dn = vl.py_bollinger_bands([4.0] * 30, 5, 2.0)
    assert up[4:] == mid[4:] == dn[4:] == [4.0] * 26


def test_keltner_atr_period_defaults_to_period(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    want = vl.py_keltner_channel(h, lo, c, 15, 15, 2.0)
    for got in (vl.py_keltner_channel(h, lo, c, 15), vl.py_keltner_channel(h, lo, c, 15, None, 2.0),
                vl.py_keltner_channel(h, lo, c, period=15, multiplier=2.0)):
        for g, w in zip(got, want):
            assert_series_close(g, w, rel=0, abs_=0)
    assert_series_close(vl.py_keltner_channel(h, lo, c)[0], vl.py_keltner_channel(h, lo, c, 20, 20, 2.0)[0],
                        rel=0, abs_=0)


def test_historical_volatility_of_a_constant_series():
    assert_series_close(vl.py_historical_volatility([7.0] * 30, 10), [NAN] * 10 + [0.0] * 20, rel=0, abs_=0)


def test_historical_volatility_leaves_undefined_returns_out():
    # A zero close has no log return in either direction: windows holding one are NaN.
    out = vl.py_historical_volatility([1.0, 2.0, 0.0, 2.0, 4.0, 8.0, 16.0], 2)
    assert_series_close(out, [NAN, NAN, NAN, NAN, NAN, 0.0, 0.0], rel=0, abs_=0)


@pytest.mark.parametrize("close,period,want", [
    ([float(i) for i in range(1, 31)], 5, [NAN] * 8 + [0.0] * 22),
    # The last window holds two zero drawdowns after larger ones have slid out:
    # its sum of squares is zero, never negative.
    ([2.7, 1.2, 1.5, 1.2, 1.2, 2.6], 2,
     [NAN, NAN, math.sqrt((1.5 / 2.7 * 100) ** 2 / 2), math.sqrt(200.0), math.sqrt(200.0), 0.0]),
])
def test_ulcer_index_without_drawdown_is_zero(close, period, want):
    assert_series_close(vl.py_ulcer_index(close, period), want, rel=1e-12, abs_=1e-12)


def test_mass_index_uses_the_periods_by_size(ohlcv):
    h, lo = ohlcv["high"], ohlcv["low"]
    assert_series_close(vl.py_mass_index(h, lo, 25, 9), vl.py_mass_index(h, lo), rel=0, abs_=0)


def test_squeeze_on_exactly_where_bollinger_lies_inside_keltner(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    _, on, off = vl.py_squeeze(h, lo, c, 20, 2.0, 20, 20, 1.5)
    bu, _, bl = vl.py_bollinger_bands(c, 20, 2.0)
    ku, _, kl = vl.py_keltner_channel(h, lo, c, 20, 20, 1.5)
    for i in range(20, len(c)):
        inside = ku[i] > bu[i] and bl[i] > kl[i]
        assert (on[i], off[i]) == ((1.0, 0.0) if inside else (0.0, 1.0))
    assert 0 < sum(on[20:]) < len(c) - 20


def test_natr_is_atr_over_close(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    assert_series_close(vl.py_natr(h, lo, c, 14), [a / x * 100 for a, x in zip(vl.py_atr(h, lo, c, 14), c)])
    assert_series_close(vl.py_natr([2.0, 2.0, 2.0], [0.0, 0.0, 0.0], [1.0, 1.0, 0.0], 1), [NAN, 200.0, NAN])


# ---- errors -----------------------------------------------------------------------

S5 = [1.0, 2.0, 3.0, 4.0, 5.0]
INS = "Insufficient data: need at least {} elements, got {}"
INV = "Invalid period: {} (must be > 0 and <= data length {})"

ERRORS = [
    ("py_true_range", (S5, [], S5), "Empty input: low cannot be empty"),
    ("py_true_range", (S5, S5[:3], S5), "Length mismatch: high=5, low=3"),
    ("py_true_range", (S5, S5, S5, 0), INV.format(0, 5)),
    ("py_true_range", (S5, S5, S5, 5), INS.format(6, 5)),
    ("py_atr", ([1.0, math.inf], S5, S5, 1), "Invalid value at index 1: high contains non-finite value: inf"),
    ("py_atr", (S5, S5, [1.0, 2.0, 3.0, 4.0, -math.inf], 1),
     "Invalid value at index 4: close contains non-finite value: -inf"),
    ("py_atr", (S5, S5, S5, 0), INV.format(0, 5)),
    ("py_atr", (S5, S5, S5, 5), INS.format(6, 5)),
    ("py_atr", (S5, S5, S5, U64_MAX), INS.format(U64_MAX, 5)),
    ("py_natr", (S5, S5, S5, 5), INS.format(6, 5)),
    ("py_bollinger_bands", ([], 20, 2.0), "Empty input: close cannot be empty"),
    ("py_bollinger_bands", (S5, 6, 2.0), INV.format(6, 5)),
    ("py_bollinger_bands", (S5, 0, -1.0), INV.format(0, 5)),
    ("py_bollinger_bands", (S5, 3, -1.0), "Parameter std_multiplier out of range: -1 (valid range: 0..inf)"),
    ("py_keltner_channel", (S5, S5, S5, 6), INV.format(6, 5)),
    ("py_keltner_channel", (S5, S5, S5, 3, 0), INV.format(0, 5)),
    ("py_keltner_channel", (S5, S5, S5, 3, 5), INS.format(6, 5)),
    ("py_keltner_channel", (S5, S5, S5, 3, 2, -0.5), "Parameter multiplier out of range: -0.5 (valid range: 0..inf)"),
    ("py_donchian_channel", (S5, S5, 0), INV.format(0, 5)),
    ("py_chandelier_exit", (S5, S5, S5, 6), INV.format(6, 5)),
    ("py_chandelier_exit", (S5, S5, S5, 3, 5), INS.format(6, 5)),
    ("py_chandelier_exit", (S5, S5, S5, 3, 5, -1.0), INS.format(6, 5)),
    ("py_chandelier_exit", (S5, S5, S5, 3, 2, -3.0), "Parameter multiplier out of range: -3 (valid range: 0..inf)"),
    ("py_historical_volatility", (S5, 1), INV.format(1, 5)),
    ("py_historical_volatility", (S5, 6), INV.format(6, 5)),
    ("py_ulcer_index", (S5, 6), INV.format(6, 5)),
    ("py_mass_index", (S5, S5, 0, 3), INV.format(0, 5)),
    ("py_mass_index", ([1.0] * 40, [0.5] * 40), INS.format(41, 40)),
    ("py_mass_index", (S5, S5, 2, U64_MAX), INS.format(U64_MAX, 5)),
    ("py_mass_index", ([1e308, 1.0], [-1e308, 0.0], 1, 2), INS.format(3, 2)),
    ("py_mass_index", ([1e308, 1.0], [-1e308, 0.0], 1, 1),
     "Invalid value at index 0: values contains non-finite value: inf"),
    ("py_aberration", (S5, S5, S5, 6, 2), INV.format(6, 5)),
    ("py_aberration", (S5, S5, S5, 2, 6), INV.format(6, 5)),
    ("py_aberration", (S5, S5, S5, 2, 5), INS.format(6, 5)),
    ("py_squeeze", (S5, S5, S5, 2, 2.0, 2, 6, 1.5), INV.format(6, 5)),
    ("py_squeeze", (S5, S5, S5, 2, -2.0, 2, 5, -1.5), "Parameter std_multiplier out of range: -2 (valid range: 0..inf)"),
    ("py_squeeze", (S5, S5, S5, 2, 2.0, 2, 5, -1.5), INS.format(6, 5)),
    ("py_squeeze", (S5, S5, S5, 2, 2.0, 2, 2, -1.5), "Parameter multiplier out of range: -1.5 (valid range: 0..inf)"),
]


@pytest.mark.parametrize("name,args,message", ERRORS, ids=[f"{e[0]}-{i}" for i, e in enumerate(ERRORS)])
def test_errors(name, args, message):
    with pytest.raises(ValueError) as exc:
        getattr(vl, name)(*args)
    assert type(exc.value) is ValueError and exc.value.args == (message,)


# ---- calling convention --------------------------------------------------------------

SIGNATURES = {
    "py_true_range": "(high, low, close, drift=1)",
    "py_atr": "(high, low, close, period=14)",
    "py_natr": "(high, low, close, period=14)",
    "py_bollinger_bands": "(close, period=20, std_multiplier=2.0)",
    "py_keltner_channel": "(high, low, close, period=20, atr_period=None, multiplier=2.0)",
    "py_donchian_channel": "(high, low, period=20)",
    "py_chandelier_exit": "(high, low, close, period=22, atr_period=22, multiplier=3.0)",
    "py_historical_volatility": "(close, period=20)",
    "py_ulcer_index": "(close, period=14)",
    "py_mass_index": "(high, low, fast=9, slow=25)",
    "py_aberration": "(high, low, close, period=20, atr_period=20)",
    "py_squeeze": "(high, low, close, bb_period=20, bb_std=2.0, kc_period=20, kc_atr_period=20, kc_mult=1.5)",
}


@pytest.mark.parametrize("name", SIGNATURES)
def test_text_signature(name):
    assert getattr(vl, name).__text_signature__ == SIGNATURES[name]


def test_omittable_and_nullable_parameters(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    tr = vl.py_true_range(h, lo, c, 1)
    assert vl.py_true_range(h, lo, c)[1:] == tr[1:] == vl.py_true_range(h, lo, c, None)[1:]
    assert vl.py_chandelier_exit(h, lo, c)[0][22:] == vl.py_chandelier_exit(h, lo, c, None, None, None)[0][22:] \
        == vl.py_chandelier_exit(h, lo, c, 22, 22, 3.0)[0][22:]
    assert vl.py_atr(h, lo, c, None)[14:] == vl.py_atr(h, lo, c, 14)[14:]
    assert vl.py_bollinger_bands(c, None, None)[0][19:] == vl.py_bollinger_bands(c, 20, 2.0)[0][19:]
    assert vl.py_mass_index(h, lo)[40:] == vl.py_mass_index(h, lo, 9, 25)[40:]


@pytest.mark.parametrize("call,param", [
    (lambda h, lo, c: vl.py_keltner_channel(h, lo, c, None), "period"),
    (lambda h, lo, c: vl.py_keltner_channel(h, lo, c, 20, 20, None), "multiplier"),
    (lambda h, lo, c: vl.py_mass_index(h, lo, None), "fast"),
    (lambda h, lo, c: vl.py_mass_index(h, lo, 9, None), "slow"),
    (lambda h, lo, c: vl.py_atr(h, lo, c), "period"),
    (lambda h, lo, c: vl.py_squeeze(h, lo, c, 20, 2.0, 20, 20), "kc_mult"),
])
def test_none_or_missing_is_a_type_error(ohlcv, call, param):
    with pytest.raises(TypeError, match=param):
        call(ohlcv["high"], ohlcv["low"], ohlcv["close"])


# ---- robustness --------------------------------------------------------------------

CALLS = {
    "py_true_range": lambda s, p, m: vl.py_true_range(s, s, s, p),
    "py_atr": lambda s, p, m: vl.py_atr(s, s, s, p),
    "py_natr": lambda s, p, m: vl.py_natr(s, s, s, p),
    "py_bollinger_bands": lambda s, p, m: vl.py_bollinger_bands(s, p, m),
    "py_keltner_channel": lambda s, p, m: vl.py_keltner_channel(s, s, s, p, p, m),
    "py_donchian_channel": lambda s, p, m: vl.py_donchian_channel(s, s, p),
    "py_chandelier_exit": lambda s, p, m: vl.py_chandelier_exit(s, s, s, p, p, m),
    "py_historical_volatility": lambda s, p, m: vl.py_historical_volatility(s, p),
    "py_ulcer_index": lambda s, p, m: vl.py_ulcer_index(s, p),
    "py_mass_index": lambda s, p, m: vl.py_mass_index(s, s, p, 1),
    "py_aberration": lambda s, p, m: vl.py_aberration(s, s, s, p, 1),
    "py_squeeze": lambda s, p, m: vl.py_squeeze(s, s, s, p, m, p, 1, m),
}


@pytest.mark.parametrize("name", CALLS)
@pytest.mark.parametrize("series", [[1.0], [1.0, 2.0], [3.0, 1e308, -1e308], [1e-300, 0.0, -1e-300]])
@pytest.mark.parametrize("period", [0, 1, 2, 3, 4, U64_MAX])
@pytest.mark.parametrize("mult", [-1.0, 0.0, 2.0, math.nan])
def test_short_inputs_and_extreme_parameters_never_crash(name, series, period, mult):
    try:
        out = CALLS[name](series, period, mult)
    except ValueError:
        return
    for s in out if isinstance(out, tuple) else (out,):
        assert len(s) == len(series)


# ---- an independent implementation --------------------------------------------------

def test_matches_talib_where_definitions_agree(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    h, lo, c = (np.array(ohlcv[k]) for k in ("high", "low", "close"))
    H, L, C = ohlcv["high"], ohlcv["low"], ohlcv["close"]

    def same(ours, theirs):
        theirs = list(theirs)
        assert leading_nans(ours) == leading_nans(theirs)
        assert_series_close(ours, theirs, rel=1e-8, abs_=1e-8)

    same(vl.py_true_range(H, L, C), talib.TRANGE(h, lo, c))
    same(vl.py_atr(H, L, C, 14), talib.ATR(h, lo, c, 14))
    same(vl.py_natr(H, L, C, 14), talib.NATR(h, lo, c, 14))
    for ours, theirs in zip(vl.py_bollinger_bands(C, 20, 2.0), talib.BBANDS(c, 20, 2.0, 2.0, 0)):
        same(ours, theirs)
    up, mid, dn = vl.py_donchian_channel(H, L, 20)
    same(up, talib.MAX(h, 20))
    same(mid, talib.MIDPRICE(h, lo, 20))
    same(dn, talib.MIN(lo, 20))
