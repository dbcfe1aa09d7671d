import math

import pytest

import vorn_library as vl
from conftest import assert_series_close, leading_nans, make_ohlcv, ref_atr, ref_ema, ref_tr, same

NAN = float("nan")
BIG = 2**64 - 1


# ---- slow literal references -------------------------------------------------

def ref_tr0(h, l, c):
    """True range with 0.0 for the first bar."""
    return [0.0] + ref_tr(h, l, c)[1:]


def ref_supertrend(h, l, c, p, m):
    n = len(c)
    a = ref_atr(h, l, c, p)
    line, dirs, fu, fl = ([NAN] * n for _ in range(4))
    for i in range(p, n):
        hl2 = (h[i] + l[i]) / 2
        bu, bl = hl2 + m * a[i], hl2 - m * a[i]
        if i == p:
            fu[i], fl[i] = bu, bl
            dirs[i] = 1.0 if c[i] > hl2 else -1.0
        else:
            fu[i] = bu if (bu < fu[i - 1] or c[i - 1] > fu[i - 1]) else fu[i - 1]
            fl[i] = bl if (bl > fl[i - 1] or c[i - 1] < fl[i - 1]) else fl[i - 1]
            if dirs[i - 1] == 1.0:
                dirs[i] = -1.0 if fl[i] > c[i] else 1.0
            else:
                dirs[i] = 1.0 if c[i] > fu[i] else -1.0
        line[i] = fl[i] if dirs[i] == 1.0 else fu[i]
    return line, dirs, fu, fl


def ref_di(h, l, c, p):
    n = len(c)
    tr = ref_tr0(h, l, c)
    pdm, mdm = [0.0] * n, [0.0] * n
    for i in range(1, n):
        up, down = h[i] - h[i - 1], l[i - 1] - l[i]
        pdm[i] = up if up > 0 and up > down else 0.0
        mdm[i] = down if down > up and down > 0 else 0.0
    sp, sm, st = sum(pdm[1:p]), sum(mdm[1:p]), sum(tr[1:p])
    plus, minus = [NAN] * n, [NAN] * n
    for j in range(p, n):
        sp, sm, st = sp - sp / p + pdm[j], sm - sm / p + mdm[j], st - st / p + tr[j]
        plus[j], minus[j] = (0.0, 0.0) if abs(st) < 1e-10 else (sp * 100 / st, sm * 100 / st)
    return plus, minus


def ref_dx(plus, minus):
    return [NAN if math.isnan(a) else (0.0 if abs(a + b) < 1e-10 else abs(a - b) * 100 / (a + b))
            for a, b in zip(plus, minus)]


def ref_adx(h, l, c, p):
    plus, minus = ref_di(h, l, c, p)
    dx = ref_dx(plus, minus)
    adx = [NAN] * len(c)
    if len(c) >= 2 * p:
        adx[2 * p - 1] = sum(dx[p:2 * p]) / p
        for j in range(2 * p, len(c)):
            adx[j] = (adx[j - 1] * (p - 1) + dx[j]) / p
    return adx, plus, minus


def ref_aroon(h, l, p):
    n = len(h)
    up, down = [NAN] * n, [NAN] * n
    for i in range(p, n):
        hh, ll = max(h[i - p:i + 1]), min(l[i - p:i + 1])
        since_high = next(k for k in range(p + 1) if abs(h[i - k] - hh) < 1e-10)
        since_low = next(k for k in range(p + 1) if abs(l[i - k] - ll) < 1e-10)
        up[i], down[i] = (p - since_high) / p * 100, (p - since_low) / p * 100
    return up, down, [NAN if math.isnan(a) else a - b for a, b in zip(up, down)]


def ref_vortex(h, l, c, p):
    n = len(c)
    tr = ref_tr0(h, l, c)
    vp = [0.0] + [abs(h[i] - l[i - 1]) for i in range(1, n)]
    vm = [0.0] + [abs(l[i] - h[i - 1]) for i in range(1, n)]
    plus, minus = [NAN] * n, [NAN] * n
    for j in range(p, n):
        s = sum(tr[j - p + 1:j + 1])
        plus[j], minus[j] = sum(vp[j - p + 1:j + 1]) / s, sum(vm[j - p + 1:j + 1]) / s
    return plus, minus


def ref_choppiness(h, l, c, p):
    tr = ref_tr0(h, l, c)
    out = [NAN] * len(c)
    for j in range(p, len(c)):
        s = sum(tr[j - p + 1:j + 1])
        rng = max(h[j - p + 1:j + 1]) - min(l[j - p + 1:j + 1])
        out[j] = math.log10(s / rng) * 100 / math.log10(p)
    return out


def ref_trix(c, p):
    e3 = ref_ema(ref_ema(ref_ema(c, p), p), p)
    return [NAN] + [NAN if math.isnan(e3[i - 1]) else (e3[i] - e3[i - 1]) / e3[i - 1] * 100
                    for i in range(1, len(c))]


def ref_dpo(c, p):
    shift = p // 2 + 1
    out = [NAN] * len(c)
    for i in range(shift, len(c)):
        if i - shift >= p - 1:
            out[i] = c[i] - sum(c[i - shift - p + 1:i - shift + 1]) / p
    return out


def ref_vhf(c, p):
    out = [NAN] * len(c)
    for j in range(p, len(c)):
        w = c[j - p + 1:j + 1]
        s = sum(abs(c[k] - c[k - 1]) for k in range(j - p + 1, j + 1))
        out[j] = (max(w) - min(w)) / s
    return out


def hlc(d):
    return d["high"], d["low"], d["close"]


# ---- agreement with the references on realistic bars ------------------------

@pytest.mark.parametrize("period, mult", [(10, 3.0), (7, 1.5), (3, 0.5)])
def test_supertrend_matches_reference(ohlcv, period, mult):
    got = vl.py_supertrend(*hlc(ohlcv), period, mult)
    for g, e in zip(got, ref_supertrend(*hlc(ohlcv), period, mult)):
        assert_series_close(g, e)


@pytest.mark.parametrize("period", [14, 5, 2])
def test_adx_matches_reference(ohlcv, period):
    got = vl.py_adx(*hlc(ohlcv), period)
    for g, e in zip(got, ref_adx(*hlc(ohlcv), period)):
        assert_series_close(g, e)


def test_directional_functions_agree_with_adx(ohlcv):
    a, plus, minus = vl.py_adx(*hlc(ohlcv), 14)
    assert same(vl.py_dmi(*hlc(ohlcv), 14), (plus, minus))
    assert same(vl.py_plus_di(*hlc(ohlcv), 14), plus)
    assert same(vl.py_minus_di(*hlc(ohlcv), 14), minus)
    assert_series_close(vl.py_dx(*hlc(ohlcv), 14), ref_dx(plus, minus))


@pytest.mark.parametrize("func, args, ref", [
    ("py_aroon", lambda d: (d["high"], d["low"], 25), ref_aroon),
    ("py_aroon", lambda d: (d["high"], d["low"], 2), ref_aroon),
    ("py_vortex", lambda d: (*hlc(d), 14), ref_vortex),
    ("py_choppiness", lambda d: (*hlc(d), 14), ref_choppiness),
    ("py_choppiness", lambda d: (*hlc(d), 2), ref_choppiness),
    ("py_vhf", lambda d: (d["close"], 28), ref_vhf),
    ("py_trix", lambda d: (d["close"], 15), ref_trix),
    ("py_trix", lambda d: (d["close"], 1), ref_trix),
    ("py_dpo", lambda d: (d["close"], 20), ref_dpo),
    ("py_dpo", lambda d: (d["close"], 1), ref_dpo),
    ("py_qstick", lambda d: (d["open"], d["close"], 14),
     lambda o, c, p: ref_ema([b - a for a, b in zip(o, c)], p)),
])
def test_matches_reference(ohlcv, func, args, ref):
    a = args(ohlcv)
    got, expected = getattr(vl, func)(*a), ref(*a)
    if isinstance(got, tuple):
        for g, e in zip(got, expected):
            assert_series_close(g, e)
    else:
        assert_series_close(got, expected)


# Where the fast routine performs the same operations as the reference, the
# results are identical, not merely close: later studies build on these.
@pytest.mark.parametrize("func, args, ref", [
    ("py_supertrend", lambda d: (*hlc(d), 10, 3.0), ref_supertrend),
    ("py_adx", lambda d: (*hlc(d), 14), ref_adx),
    ("py_choppiness", lambda d: (*hlc(d), 14), ref_choppiness),
    ("py_choppiness", lambda d: (*hlc(d), 3), ref_choppiness),
])
def test_bit_identical_to_reference(ohlcv, func, args, ref):
    a = args(ohlcv)
    assert same(getattr(vl, func)(*a), ref(*a))


def test_aroon_on_long_series_with_ties(long_ohlcv):
    # Rounded prices make equal highs and lows common: the most recent one counts.
    h = [round(x) for x in long_ohlcv["high"]]
    l = [round(x) for x in long_ohlcv["low"]]
    assert same(vl.py_aroon(h, l, 14), ref_aroon(h, l, 14))


# ---- TA-Lib, where the definitions agree ------------------------------------

def test_talib_directional_movement(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    h, l, c = (np.array(x) for x in hlc(ohlcv))
    a, plus, minus = vl.py_adx(*hlc(ohlcv), 14)
    # Same seeds and warm-up: ADX from 2 * period - 1, the DIs and DX from period.
    assert_series_close(a, talib.ADX(h, l, c, 14).tolist())
    assert_series_close(plus, talib.PLUS_DI(h, l, c, 14).tolist())
    assert_series_close(minus, talib.MINUS_DI(h, l, c, 14).tolist())
    assert_series_close(vl.py_dx(*hlc(ohlcv), 14), talib.DX(h, l, c, 14).tolist())


def test_talib_aroon_and_trix(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    h, l, c = (np.array(x) for x in hlc(ohlcv))
    up, down, osc = vl.py_aroon(ohlcv["high"], ohlcv["low"], 25)
    ta_down, ta_up = talib.AROON(h, l, 25)
    assert_series_close(up, ta_up.tolist())
    assert_series_close(down, ta_down.tolist())
    assert_series_close(osc, talib.AROONOSC(h, l, 25).tolist())
    assert_series_close(vl.py_trix(ohlcv["close"], 15), talib.TRIX(c, 15).tolist())


# ---- warm-up -----------------------------------------------------------------

@pytest.mark.parametrize("call, nans", [
    (lambda d: vl.py_supertrend(*hlc(d), 10, 3.0), [10, 10, 10, 10]),
    (lambda d: vl.py_adx(*hlc(d), 14), [27, 14, 14]),
    (lambda d: vl.py_dmi(*hlc(d), 14), [14, 14]),
    (lambda d: vl.py_dx(*hlc(d), 14), 14),
    (lambda d: vl.py_aroon(d["high"], d["low"], 25), [25, 25, 25]),
    (lambda d: vl.py_vortex(*hlc(d), 14), [14, 14]),
    (lambda d: vl.py_choppiness(*hlc(d), 14), 14),
    (lambda d: vl.py_qstick(d["open"], d["close"], 14), 13),
    (lambda d: vl.py_vhf(d["close"], 28), 28),
    (lambda d: vl.py_trix(d["close"], 15), 43),
    (lambda d: vl.py_dpo(d["close"], 20), 30),
])
def test_warm_up(ohlcv, call, nans):
    got = call(ohlcv)
    if isinstance(got, tuple):
        assert [leading_nans(s) for s in got] == nans
        assert all(len(s) == 400 and not any(map(math.isnan, s[n:])) for s, n in zip(got, nans))
    else:
        assert leading_nans(got) == nans and len(got) == 400


# ---- behaviour ---------------------------------------------------------------

def rise_then_fall(n_up=60, n_down=60):
    """Closes at the bar's high while rising and at its low while falling."""
    close = [100.0 + i for i in range(n_up)] + [100.0 + n_up - 1 - i for i in range(1, n_down + 1)]
    high = [c if i < n_up else c + 1.0 for i, c in enumerate(close)]
    low = [c - 1.0 if i < n_up else c for i, c in enumerate(close)]
    return high, low, close


def test_supertrend_turns_once_on_rise_then_fall():
    line, direction, upper, lower = vl.py_supertrend(*rise_then_fall(), 10, 3.0)
    dirs = direction[10:]
    turns = [i for i in range(1, len(dirs)) if dirs[i] != dirs[i - 1]]
    assert dirs[0] == 1.0 and dirs[-1] == -1.0 and len(turns) == 1
    # Within each trend the band that carries the line only tightens.
    down_from = 10 + turns[0]
    assert all(lower[i] >= lower[i - 1] for i in range(11, down_from))
    assert all(upper[i] <= upper[i - 1] for i in range(down_from + 1, len(upper)))
    assert line[-1] == upper[-1] and line[down_from - 1] == lower[down_from - 1]


def test_supertrend_upper_band_resets_after_a_close_above_it():
    h, l, c = rise_then_fall(40, 0)
    _, _, upper, _ = vl.py_supertrend(h, l, c, 5, 0.1)
    # Each close of the rise lies above the narrow upper band, so the band
    # restarts from the basic band instead of staying at its first value.
    assert all(upper[i] > upper[i - 1] for i in range(6, len(upper)))


@pytest.mark.parametrize("n", [2, 3, 11])
def test_supertrend_period_one_below_length(n):
    d = make_ohlcv(n, seed=5)
    out = vl.py_supertrend(*hlc(d), n - 1, 3.0)
    assert all(leading_nans(s) == n - 1 for s in out)
    hl2 = (d["high"][-1] + d["low"][-1]) / 2
    assert out[1][-1] == (1.0 if d["close"][-1] > hl2 else -1.0)


@pytest.mark.parametrize("mult", [-2.0, 0.0, float("nan"), float("inf")])
def test_supertrend_accepts_any_multiplier(ohlcv, mult):
    line, direction, _, _ = vl.py_supertrend(*hlc(ohlcv), 10, mult)
    assert len(line) == 400 and set(direction[10:]) <= {1.0, -1.0}


def test_supertrend_has_no_direction_where_the_atr_has_no_value():
    # A range too large for a double leaves the ATR without a value: those bars
    # get no bands, no line and no direction (not a direction carried forward).
    h, l, c = [1.0, 1e308, 2.0, 3.0, 4.0, 5.0], [0.0, -1e308, 1.0, 2.0, 3.0, 4.0], [0.5, 0.0, 1.5, 2.5, 3.5, 4.5]
    a = vl.py_atr(h, l, c, 2)
    out = vl.py_supertrend(h, l, c, 2, 3.0)
    gaps = [i for i in range(3, 6) if math.isnan(a[i])]
    assert all(math.isnan(s[i]) for s in out for i in gaps)


def test_supertrend_negative_multiplier_matches_reference(ohlcv):
    for g, e in zip(vl.py_supertrend(*hlc(ohlcv), 10, -1.0), ref_supertrend(*hlc(ohlcv), 10, -1.0)):
        assert_series_close(g, e)


def test_adx_short_series_keeps_directional_indicators():
    d = make_ohlcv(20, seed=3)
    a, plus, minus = vl.py_adx(*hlc(d), 14)
    assert all(map(math.isnan, a))
    assert leading_nans(plus) == 14 and leading_nans(minus) == 14 and not math.isnan(plus[-1])


def test_flat_series_gives_zero_directional_values():
    flat = [5.0] * 40
    a, plus, minus = vl.py_adx(flat, flat, flat, 5)
    assert set(plus[5:]) == {0.0} and set(minus[5:]) == {0.0} and set(a[9:]) == {0.0}
    assert set(vl.py_dx(flat, flat, flat, 5)[5:]) == {0.0}


def test_dx_zero_for_equal_indicators():
    # A symmetric zig-zag: equal up and down moves, equal DIs.
    high = [10.0, 11.0] * 20
    low = [9.0, 8.0] * 20
    close = [9.5] * 40
    plus, minus = vl.py_dmi(high, low, close, 2)
    dx = vl.py_dx(high, low, close, 2)
    assert all(dx[j] == 0.0 for j in range(2, 40) if plus[j] == minus[j])


def test_aroon_newest_high_gives_100():
    high = [1.0, 2.0, 3.0, 4.0, 5.0]
    low = [0.5, 0.4, 0.3, 0.2, 0.1]
    up, down, osc = vl.py_aroon(high, low, 4)
    assert (up[4], down[4], osc[4]) == (100.0, 100.0, 0.0)
    up, down, osc = vl.py_aroon(high[::-1], low[::-1], 4)
    assert (up[4], down[4], osc[4]) == (0.0, 0.0, 0.0)


def test_choppiness_and_vortex_guards():
    flat = [5.0] * 20
    assert all(map(math.isnan, vl.py_choppiness(flat, flat, flat, 5)))
    assert all(map(math.isnan, vl.py_vortex(flat, flat, flat, 5)[0]))
    # A period above the length is not an error for these two: all NaN.
    d = make_ohlcv(10)
    assert all(map(math.isnan, vl.py_choppiness(*hlc(d), 11)))
    assert all(map(math.isnan, vl.py_vortex(*hlc(d), 11)[1]))


def test_vhf_flat_series_is_nan():
    assert all(map(math.isnan, vl.py_vhf([3.0] * 30, 5)))


def test_nullable_defaults(ohlcv):
    h, l, c = hlc(ohlcv)
    assert same(vl.py_supertrend(h, l, c, None, None), vl.py_supertrend(h, l, c, 10, 3.0))
    assert same(vl.py_aroon(h, l, None), vl.py_aroon(h, l, 25))
    for name, default in [("py_adx", 14), ("py_dmi", 14), ("py_dx", 14), ("py_plus_di", 14),
                          ("py_minus_di", 14), ("py_vortex", 14), ("py_choppiness", 14)]:
        assert same(getattr(vl, name)(h, l, c, None), getattr(vl, name)(h, l, c, default))
    assert same(vl.py_qstick(ohlcv["open"], c, None), vl.py_qstick(ohlcv["open"], c, 14))
    for name, default in [("py_vhf", 28), ("py_trix", 15), ("py_dpo", 20)]:
        assert same(getattr(vl, name)(c, None), getattr(vl, name)(c, default))
    with pytest.raises(TypeError, match="multiplier"):
        vl.py_supertrend(h, l, c, 10)
    with pytest.raises(TypeError, match="period"):
        vl.py_trix(c)


SIGNATURES = {
    "py_supertrend": "(high, low, close, period=10, multiplier=3.0)",
    "py_adx": "(high, low, close, period=14)",
    "py_dmi": "(high, low, close, period=14)",
    "py_dx": "(high, low, close, period=14)",
    "py_plus_di": "(high, low, close, period=14)",
    "py_minus_di": "(high, low, close, period=14)",
    "py_aroon": "(high, low, period=25)",
    "py_vortex": "(high, low, close, period=14)",
    "py_choppiness": "(high, low, close, period=14)",
    "py_qstick": "(open, close, period=14)",
    "py_vhf": "(close, period=28)",
    "py_trix": "(close, period=15)",
    "py_dpo": "(close, period=20)",
}


@pytest.mark.parametrize("name, sig", SIGNATURES.items())
def test_text_signatures(name, sig):
    assert getattr(vl, name).__text_signature__ == sig


# ---- errors, in their order ---------------------------------------------------

H5, L5, C5 = [2.0, 3, 4, 5, 6], [1.0, 2, 3, 4, 5], [1.5, 2.5, 3.5, 4.5, 5.5]
INS = "Insufficient data: need at least {} elements, got {}"
INV = "Invalid period: {} (must be > 0 and <= data length {})"

HLC_FUNCS = ["py_supertrend", "py_adx", "py_dmi", "py_dx", "py_plus_di", "py_minus_di", "py_vortex",
             "py_choppiness"]


def hlc_call(name, h, l, c, period):
    extra = (3.0,) if name == "py_supertrend" else ()
    return getattr(vl, name)(h, l, c, period, *extra)


@pytest.mark.parametrize("name", HLC_FUNCS)
@pytest.mark.parametrize("h, l, c, message", [
    ([], [], [], "Empty input: high cannot be empty"),
    ([1.0, NAN], [], [], "Invalid value at index 1: high contains non-finite value: NaN"),
    (H5, [], C5, "Empty input: low cannot be empty"),
    (H5, L5[:4], C5, "Length mismatch: high=5, low=4"),
    (H5, L5, [1.0, 2, 3, 4, float("-inf")], "Invalid value at index 4: close contains non-finite value: -inf"),
])
def test_series_errors(name, h, l, c, message):
    with pytest.raises(ValueError) as exc:
        hlc_call(name, h, l, c, 2)
    assert str(exc.value) == message and type(exc.value) is ValueError


@pytest.mark.parametrize("name, period, message", [
    *[(f, 0, INV.format(0, 5)) for f in HLC_FUNCS],
    *[(f, p, INS.format(p + 1, 5)) for f in ["py_supertrend", "py_adx", "py_dmi", "py_dx", "py_plus_di",
                                              "py_minus_di"] for p in (5, 6)],
    ("py_supertrend", BIG, INS.format(BIG, 5)),
    ("py_adx", BIG, INS.format(BIG, 5)),
    ("py_choppiness", 1, INV.format(1, 5)),
])
def test_hlc_period_errors(name, period, message):
    with pytest.raises(ValueError, match=None) as exc:
        hlc_call(name, H5, L5, C5, period)
    assert str(exc.value) == message


@pytest.mark.parametrize("name", ["py_vortex", "py_choppiness"])
def test_single_bar_rejected_before_period(name):
    with pytest.raises(ValueError) as exc:
        hlc_call(name, [2.0], [1.0], [1.5], 0)
    assert str(exc.value) == INS.format(2, 1)


@pytest.mark.parametrize("call, message", [
    (lambda: vl.py_aroon([], [1.0], 2), "Empty input: high cannot be empty"),
    (lambda: vl.py_aroon(H5, L5[:3], 2), "Length mismatch: high=5, low=3"),
    (lambda: vl.py_aroon(H5, L5, 1), INV.format(1, 5)),
    (lambda: vl.py_aroon(H5, L5, 0), INV.format(0, 5)),
    (lambda: vl.py_aroon(H5, L5, 5), INS.format(6, 5)),
    (lambda: vl.py_aroon(H5, L5, BIG), INS.format(BIG, 5)),
    (lambda: vl.py_qstick(H5, [], 2), "Empty input: close cannot be empty"),
    (lambda: vl.py_qstick(H5, C5[:2], 2), "Length mismatch: open=5, close=2"),
    (lambda: vl.py_qstick(H5, C5, 0), INV.format(0, 5)),
    (lambda: vl.py_qstick(H5, C5, 6), INV.format(6, 5)),
    (lambda: vl.py_qstick([1e308, 1.0], [-1e308, 1.0], 1),
     "Invalid value at index 0: values contains non-finite value: -inf"),
    (lambda: vl.py_vhf([], 2), "Empty input: close cannot be empty"),
    (lambda: vl.py_vhf([1.0, NAN], 2), "Invalid value at index 1: close contains non-finite value: NaN"),
    (lambda: vl.py_vhf([1.0], 0), INS.format(2, 1)),
    (lambda: vl.py_vhf(C5, 0), INV.format(0, 5)),
    (lambda: vl.py_vhf(C5, 5), INS.format(6, 5)),
    (lambda: vl.py_trix([], 2), "Empty input: close cannot be empty"),
    (lambda: vl.py_trix(C5, 0), INV.format(0, 5)),
    (lambda: vl.py_trix(C5, 6), INS.format(6, 5)),
    (lambda: vl.py_dpo([float("inf")], 2), "Invalid value at index 0: close contains non-finite value: inf"),
    (lambda: vl.py_dpo(C5, 0), INV.format(0, 5)),
    (lambda: vl.py_dpo(C5, BIG), INS.format(BIG, 5)),
])
def test_other_errors(call, message):
    with pytest.raises(ValueError) as exc:
        call()
    assert str(exc.value) == message


def test_trix_and_dpo_accept_period_equal_to_length():
    assert all(map(math.isnan, vl.py_trix(C5, 5)))
    assert all(map(math.isnan, vl.py_dpo(C5, 5)))


@pytest.mark.parametrize("n", [1, 2, 3])
@pytest.mark.parametrize("period", [0, 1, 2, 3, 4, BIG])
def test_tiny_inputs_never_crash(n, period):
    d = make_ohlcv(n, seed=n)
    h, l, c, o = d["high"], d["low"], d["close"], d["open"]
    calls = [lambda: hlc_call(f, h, l, c, period) for f in HLC_FUNCS] + [
        lambda: vl.py_aroon(h, l, period), lambda: vl.py_qstick(o, c, period),
        lambda: vl.py_vhf(c, period), lambda: vl.py_trix(c, period), lambda: vl.py_dpo(c, period)]
    for call in calls:
        try:
            out = call()
        except ValueError:
            continue
        for s in out if isinstance(out, tuple) else (out,):
            assert len(s) == n
