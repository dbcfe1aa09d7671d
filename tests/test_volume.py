import math

import pytest

import vorn_library as vl
from conftest import assert_series_close, leading_nans, make_ohlcv, ref_sma, same

NAN = float("nan")
BIG = 2**64 - 1


# ---- slow literal references -------------------------------------------------

def tp(h, l, c):
    return [(a + b + x) / 3 for a, b, x in zip(h, l, c)]


def ref_obv(c, v):
    out = [v[0]]
    for i in range(1, len(c)):
        out.append(out[-1] + (v[i] if c[i] > c[i - 1] else -v[i] if c[i] < c[i - 1] else 0.0))
    return out


def ref_vwap(h, l, c, v, p=0):
    t = tp(h, l, c)
    out = []
    for i in range(len(c)):
        lo = 0 if p == 0 else i - p + 1
        if lo < 0:
            out.append(NAN)
            continue
        sv = sum(v[lo:i + 1])
        out.append(NAN if abs(sv) < 1e-10 else sum(t[k] * v[k] for k in range(lo, i + 1)) / sv)
    return out


def ref_mfi(h, l, c, v, p):
    t = tp(h, l, c)
    pos = [0.0] + [v[i] * t[i] if t[i] > t[i - 1] else 0.0 for i in range(1, len(t))]
    neg = [0.0] + [v[i] * t[i] if t[i] < t[i - 1] else 0.0 for i in range(1, len(t))]
    out = [NAN] * len(t)
    for i in range(p - 1, len(t)):
        sp, sn = sum(pos[i - p + 1:i + 1]), sum(neg[i - p + 1:i + 1])
        out[i] = 100.0 if abs(sn) < 1e-10 else 100 - 100 / (1 + sp / sn)
    return out


def ref_ad(h, l, c, v):
    out, ad = [], 0.0
    for a, b, x, w in zip(h, l, c, v):
        if a - b > 0:
            ad += ((x - b) - (a - x)) / (a - b) * w
        out.append(ad)
    return out


def ref_ema_seed(x, p):
    alpha, out = 2 / (p + 1), [x[0]]
    for i in range(1, len(x)):
        out.append(x[i] * alpha + out[-1] * (1 - alpha))
    return out


def ref_adosc(h, l, c, v, fast, slow):
    ad = ref_ad(h, l, c, v)
    return [a - b for a, b in zip(ref_ema_seed(ad, fast), ref_ema_seed(ad, slow))]


def ref_cmf(h, l, c, v, p):
    flow = [0.0 if abs(a - b) < 1e-10 else ((x - b) - (a - x)) / (a - b) * w for a, b, x, w in zip(h, l, c, v)]
    out = [NAN] * len(c)
    for i in range(p - 1, len(c)):
        sv = sum(v[i - p + 1:i + 1])
        out[i] = 0.0 if abs(sv) < 1e-10 else sum(flow[i - p + 1:i + 1]) / sv
    return out


def ref_efi(c, v, p):
    raw = [(c[i] - c[i - 1]) * v[i] for i in range(1, len(c))]
    alpha, out = 2 / (p + 1), [NAN] * len(c)
    if len(raw) >= p:
        avg = sum(raw[:p]) / p
        out[p] = avg
        for i in range(p + 1, len(c)):
            avg = avg * (1 - alpha) + raw[i - 1] * alpha
            out[i] = avg
    return out


def ref_vo(v, a, b):
    fast, slow = ref_sma(v, min(a, b)), ref_sma(v, max(a, b))
    return [NAN if math.isnan(f) or math.isnan(s) else (f - s) / s * 100 for f, s in zip(fast, slow)]


def ref_pvt(c, v):
    out = [0.0]
    for i in range(1, len(c)):
        out.append(out[-1] + (c[i] - c[i - 1]) / c[i - 1] * v[i])
    return out


def ref_volume_index(c, v, select):
    out = [1000.0]
    for i in range(1, len(c)):
        out.append(out[-1] * (1 + (c[i] - c[i - 1]) / c[i - 1]) if select(v[i], v[i - 1]) else out[-1])
    return out


def ref_eom(h, l, v, p):
    raw = [0.0]
    for i in range(1, len(h)):
        if h[i] - l[i] > 0 and v[i] > 0:
            dist = (h[i] + l[i]) / 2 - (h[i - 1] + l[i - 1]) / 2
            raw.append(dist / (v[i] / ((h[i] - l[i]) * 1e8)))
        else:
            raw.append(NAN)
    out = [NAN] * len(h)
    for i in range(p - 1, len(h)):
        w = raw[i - p + 1:i + 1]
        if not any(map(math.isnan, w)):
            out[i] = sum(w) / p
    return out


def ref_volume_profile(h, l, c, v, bins):
    lo, hi = min(l), max(h)
    width = (hi - lo) / bins
    levels = [(k + 0.5) * width + lo for k in range(bins)]
    vols = [0.0] * bins
    for t, w in zip(tp(h, l, c), v):
        vols[min(max(int(math.floor((t - lo) / width)), 0), bins - 1)] += w
    top = max(vols)
    return levels, vols, levels[next(k for k in range(bins) if abs(vols[k] - top) < 1e-10)]


def cols(d, *names):
    return tuple(d[k] for k in names)


HLCV = ("high", "low", "close", "volume")


# ---- agreement with the references on realistic bars ------------------------

@pytest.mark.parametrize("func, names, args, ref", [
    ("py_obv", ("close", "volume"), (), ref_obv),
    ("py_vwap", HLCV, (), ref_vwap),
    ("py_vwap", HLCV, (20,), ref_vwap),
    ("py_vwap", HLCV, (1,), ref_vwap),
    ("py_mfi", HLCV, (14,), ref_mfi),
    ("py_mfi", HLCV, (1,), ref_mfi),
    ("py_ad", HLCV, (), ref_ad),
    ("py_adosc", HLCV, (3, 10), ref_adosc),
    ("py_adosc", HLCV, (10, 3), ref_adosc),
    ("py_cmf", HLCV, (20,), ref_cmf),
    ("py_force_index", ("close", "volume"), (13,), ref_efi),
    ("py_efi", ("close", "volume"), (1,), ref_efi),
    ("py_volume_oscillator", ("volume",), (5, 10), ref_vo),
    ("py_volume_oscillator", ("volume",), (10, 5), ref_vo),
    ("py_pvt", ("close", "volume"), (), ref_pvt),
    ("py_nvi", ("close", "volume"), (), lambda c, v: ref_volume_index(c, v, lambda a, b: a < b)),
    ("py_pvi", ("close", "volume"), (), lambda c, v: ref_volume_index(c, v, lambda a, b: a > b)),
    ("py_eom", ("high", "low", "volume"), (14,), ref_eom),
])
def test_matches_reference(ohlcv, func, names, args, ref):
    a = cols(ohlcv, *names) + args
    assert_series_close(getattr(vl, func)(*a), ref(*a))


def test_rolling_vwap_across_rebuilds(long_ohlcv):
    a = cols(long_ohlcv, *HLCV)
    assert_series_close(vl.py_vwap(*a, 50), ref_vwap(*a, 50))
    assert_series_close(vl.py_vwap(*a), ref_vwap(*a))


@pytest.mark.parametrize("bins", [1, 7, 24, 400])
def test_volume_profile_matches_reference(ohlcv, bins):
    levels, vols, poc = vl.py_volume_profile(*cols(ohlcv, *HLCV), bins)
    ref_levels, ref_vols, ref_poc = ref_volume_profile(*cols(ohlcv, *HLCV), bins)
    assert_series_close(levels, ref_levels)
    assert_series_close(vols, ref_vols)
    assert poc == pytest.approx(ref_poc) and isinstance(poc, float)
    assert sum(vols) == pytest.approx(sum(ohlcv["volume"]))


# ---- TA-Lib, where the definitions agree ------------------------------------

def test_talib_volume_studies(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    h, l, c, v = (np.array(x) for x in cols(ohlcv, *HLCV))
    assert_series_close(vl.py_obv(ohlcv["close"], ohlcv["volume"]), talib.OBV(c, v).tolist())
    assert_series_close(vl.py_ad(*cols(ohlcv, *HLCV)), talib.AD(h, l, c, v).tolist(), rel=1e-9, abs_=1e-6)
    # TA-Lib starts ADOSC at slow - 1 and MFI at period (it has no value for the
    # window that holds the first bar); the values agree from there.
    adosc = vl.py_adosc(*cols(ohlcv, *HLCV), 3, 10)
    assert_series_close(adosc[9:], talib.ADOSC(h, l, c, v, 3, 10)[9:].tolist(), rel=1e-9, abs_=1e-6)
    mfi = vl.py_mfi(*cols(ohlcv, *HLCV), 14)
    assert_series_close(mfi[14:], talib.MFI(h, l, c, v, 14)[14:].tolist())


# ---- warm-up -----------------------------------------------------------------

@pytest.mark.parametrize("func, names, args, nans", [
    ("py_obv", ("close", "volume"), (), 0),
    ("py_vwap", HLCV, (), 0),
    ("py_vwap", HLCV, (3,), 2),
    ("py_mfi", HLCV, (14,), 13),
    ("py_ad", HLCV, (), 0),
    ("py_adosc", HLCV, (3, 10), 0),
    ("py_cmf", HLCV, (20,), 19),
    ("py_force_index", ("close", "volume"), (13,), 13),
    ("py_volume_oscillator", ("volume",), (5, 10), 9),
    ("py_pvt", ("close", "volume"), (), 0),
    ("py_nvi", ("close", "volume"), (), 0),
    ("py_pvi", ("close", "volume"), (), 0),
    ("py_eom", ("high", "low", "volume"), (14,), 13),
])
def test_warm_up(ohlcv, func, names, args, nans):
    out = getattr(vl, func)(*cols(ohlcv, *names), *args)
    assert len(out) == 400 and leading_nans(out) == nans and not any(map(math.isnan, out[nans:]))


# ---- behaviour ---------------------------------------------------------------

def test_obv_constant_close_keeps_first_volume():
    assert vl.py_obv([5.0] * 4, [10.0, 20.0, 30.0, 40.0]) == [10.0] * 4


def test_vwap_forms():
    h, l, c, v = [3.0, 4, 5, 6], [1.0, 2, 3, 4], [2.0, 3, 4, 5], [1.0, 1, 2, 0]
    assert vl.py_vwap(h, l, c, v) == [2.0, 2.5, 3.25, 3.25]
    assert vl.py_vwap(h, l, c, v, 0) == vl.py_vwap(h, l, c, v, None) == vl.py_vwap(h, l, c, v)
    assert vl.py_vwap(h, l, c, v, period=2)[1:] == [2.5, 11 / 3, 4.0]
    assert all(map(math.isnan, vl.py_vwap(h, l, c, [0.0] * 4)))
    assert all(map(math.isnan, vl.py_vwap(h, l, c, [0.0] * 4, 2)))
    assert leading_nans(vl.py_vwap(h, l, c, v, 3)) == 2
    assert vl.py_vwap.__text_signature__ == "(high, low, close, volume)"


@pytest.mark.parametrize("close", [[1.0 + i for i in range(30)], [7.0] * 30])
def test_mfi_without_falling_flow_is_100(close):
    out = vl.py_mfi(close, close, close, [100.0] * 30, 14)
    assert leading_nans(out) == 13 and set(out[13:]) == {100.0}


def test_ad_repeats_on_bars_without_range():
    h, l, c, v = [2.0, 3.0, 3.0, 4.0], [1.0, 3.0, 3.0, 2.0], [2.0, 3.0, 3.0, 2.0], [10.0, 50, 60, 5]
    assert vl.py_ad(h, l, c, v) == [10.0, 10.0, 10.0, 5.0]
    assert vl.py_ad([1.0], [1.0], [1.0], [9.0]) == [0.0]


def test_adosc_equal_periods_is_zero(ohlcv):
    assert set(vl.py_adosc(*cols(ohlcv, *HLCV), 7, 7)) == {0.0}


def test_force_index_and_efi_are_one_routine(ohlcv):
    a = cols(ohlcv, "close", "volume")
    assert same(vl.py_force_index(*a, 13), vl.py_efi(*a, 13))
    assert same(vl.py_efi(*a, None), vl.py_efi(*a, 13))
    assert same(vl.py_force_index([1.0], [5.0], 1), [NAN])


def test_volume_oscillator_uses_periods_by_size(ohlcv):
    v = ohlcv["volume"]
    assert same(vl.py_volume_oscillator(v, 10, 5), vl.py_volume_oscillator(v, 5, 10))
    assert all(map(math.isnan, vl.py_volume_oscillator([0.0] * 12, 2, 3)))


def test_index_starts():
    c, v = [10.0, 11.0, 0.0, 5.0], [5.0, 4.0, 6.0, 2.0]
    assert vl.py_pvt(c, v) == [0.0, 0.4, 0.4 - 6.0, 0.4 - 6.0]  # a zero close carries the value
    assert vl.py_nvi(c, v) == [1000.0, 1100.0, 1100.0, 1100.0]
    assert vl.py_pvi(c, v) == [1000.0, 1000.0, 0.0, 0.0]


def test_eom_gap_blanks_the_next_window():
    d = make_ohlcv(30, seed=2)
    h, l, v = d["high"], d["low"], d["volume"]
    v[10] = 0.0
    out = vl.py_eom(h, l, v, 4)
    assert leading_nans(out) == 3
    assert [i for i, x in enumerate(out) if math.isnan(x)] == [0, 1, 2, 10, 11, 12, 13]
    assert_series_close(out, ref_eom(h, l, v, 4))


def test_eom_underflowing_box_ratio_is_nan():
    out = vl.py_eom([1.0, 1e300, 2.0], [0.0, 0.0, 0.0], [1.0, 5e-324, 1.0], 1)
    assert out[0] == 0.0 and math.isnan(out[1]) and math.isfinite(out[2])


@pytest.mark.parametrize("bins", [0, 1, 24])
def test_volume_profile_flat_input_is_one_bin(bins):
    flat = [4.0] * 5
    if bins == 0:
        with pytest.raises(ValueError, match=r"^Parameter num_bins out of range: 0 \(valid range: 1\.\.inf\)$"):
            vl.py_volume_profile(flat, flat, flat, [1.0] * 5, bins)
    else:
        assert vl.py_volume_profile(flat, flat, flat, [1.0, 2, 3, 4, 5], bins) == ([4.0], [15.0], 4.0)


def test_volume_profile_clamps_out_of_range_prices():
    # A close outside its bar puts the typical price outside [lowest low, highest high].
    levels, vols, poc = vl.py_volume_profile([2.0, 3.0], [1.0, 2.0], [-50.0, 90.0], [1.0, 2.0], 4)
    assert vols == [1.0, 0.0, 0.0, 2.0] and poc == levels[3]


def test_nullable_defaults(ohlcv):
    hlcv, cv = cols(ohlcv, *HLCV), cols(ohlcv, "close", "volume")
    h, l, v = cols(ohlcv, "high", "low", "volume")
    for with_none, with_default in [
        (vl.py_mfi(*hlcv, None), vl.py_mfi(*hlcv, 14)),
        (vl.py_cmf(*hlcv, None), vl.py_cmf(*hlcv, 20)),
        (vl.py_force_index(*cv, None), vl.py_force_index(*cv, 13)),
        (vl.py_eom(h, l, v, None), vl.py_eom(h, l, v, 14)),
        (vl.py_adosc(*hlcv, None, None), vl.py_adosc(*hlcv, 3, 10)),
        (vl.py_volume_oscillator(v, None, None), vl.py_volume_oscillator(v, 5, 10)),
        (vl.py_volume_profile(*hlcv, None)[:2], vl.py_volume_profile(*hlcv, 24)[:2]),
    ]:
        assert same(with_none, with_default)
    with pytest.raises(TypeError, match="period"):
        vl.py_mfi(*hlcv)
    with pytest.raises(TypeError, match="slow_period"):
        vl.py_adosc(*hlcv, 3)
    with pytest.raises(TypeError, match="num_bins"):
        vl.py_volume_profile(*hlcv)


SIGNATURES = {
    "py_obv": "(close, volume)",
    "py_vwap": "(high, low, close, volume)",
    "py_mfi": "(high, low, close, volume, period=14)",
    "py_ad": "(high, low, close, volume)",
    "py_adosc": "(high, low, close, volume, fast_period, slow_period)",
    "py_cmf": "(high, low, close, volume, period=20)",
    "py_force_index": "(close, volume, period=13)",
    "py_efi": "(close, volume, period)",
    "py_volume_oscillator": "(volume, short_period=5, long_period=10)",
    "py_pvt": "(close, volume)",
    "py_nvi": "(close, volume)",
    "py_pvi": "(close, volume)",
    "py_eom": "(high, low, volume, period)",
    "py_volume_profile": "(high, low, close, volume, num_bins)",
}


@pytest.mark.parametrize("name, sig", SIGNATURES.items())
def test_text_signatures(name, sig):
    assert getattr(vl, name).__text_signature__ == sig


# ---- errors, in their order ---------------------------------------------------

C5, V5 = [1.0, 2, 3, 4, 5], [10.0, 20, 30, 40, 50]
H5, L5 = [2.0, 3, 4, 5, 6], [0.5, 1.5, 2.5, 3.5, 4.5]
INS = "Insufficient data: need at least {} elements, got {}"
INV = "Invalid period: {} (must be > 0 and <= data length {})"
HLCV_FUNCS = {"py_vwap": (), "py_mfi": (2,), "py_ad": (), "py_adosc": (2, 3), "py_cmf": (2,),
              "py_volume_profile": (3,)}
CV_FUNCS = {"py_obv": (), "py_force_index": (2,), "py_efi": (2,), "py_pvt": (), "py_nvi": (), "py_pvi": ()}


@pytest.mark.parametrize("name", HLCV_FUNCS)
@pytest.mark.parametrize("series, message", [
    (([], [], [], []), "Empty input: high cannot be empty"),
    (([NAN], [], [], []), "Invalid value at index 0: high contains non-finite value: NaN"),
    ((H5, L5, C5, V5[:4]), "Length mismatch: high=5, volume=4"),
    ((H5, L5, [], V5), "Empty input: close cannot be empty"),
    ((H5, L5, C5, [1.0, 2, 3, 4, float("inf")]), "Invalid value at index 4: volume contains non-finite value: inf"),
])
def test_hlcv_series_errors(name, series, message):
    with pytest.raises(ValueError) as exc:
        getattr(vl, name)(*series, *HLCV_FUNCS[name])
    assert str(exc.value) == message and type(exc.value) is ValueError


@pytest.mark.parametrize("name", CV_FUNCS)
@pytest.mark.parametrize("series, message", [
    (([], [NAN]), "Empty input: close cannot be empty"),
    (([1.0, float("-inf")], []), "Invalid value at index 1: close contains non-finite value: -inf"),
    ((C5, []), "Empty input: volume cannot be empty"),
    ((C5, V5[:2]), "Length mismatch: close=5, volume=2"),
    ((C5, [1.0, NAN, 3, 4, 5]), "Invalid value at index 1: volume contains non-finite value: NaN"),
])
def test_close_volume_series_errors(name, series, message):
    with pytest.raises(ValueError) as exc:
        getattr(vl, name)(*series, *CV_FUNCS[name])
    assert str(exc.value) == message


@pytest.mark.parametrize("call, message", [
    (lambda: vl.py_vwap(H5, L5, C5, V5, 6), INV.format(6, 5)),
    (lambda: vl.py_vwap(H5, L5, C5, V5, BIG), INV.format(BIG, 5)),
    (lambda: vl.py_vwap([1e308, 1.0], [1e308, 1.0], [1e308, 1.0], [1.0, 1.0]),
     "Invalid value at index 0: typical_prices contains non-finite value: inf"),
    (lambda: vl.py_mfi(H5, L5, C5, V5, 0), INV.format(0, 5)),
    (lambda: vl.py_mfi(H5, L5, C5, V5, 6), INV.format(6, 5)),
    (lambda: vl.py_adosc(H5, L5, C5, V5, 0, 6), INV.format(0, 5)),
    (lambda: vl.py_adosc(H5, L5, C5, V5, 6, 0), INV.format(6, 5)),
    (lambda: vl.py_adosc(H5, L5, C5, V5, 3, BIG), INV.format(BIG, 5)),
    (lambda: vl.py_cmf(H5, L5, C5, V5, 0), INV.format(0, 5)),
    (lambda: vl.py_force_index(C5, V5, 0), INV.format(0, 5)),
    (lambda: vl.py_efi(C5, V5, 6), INV.format(6, 5)),
    (lambda: vl.py_volume_oscillator([], 2, 3), "Empty input: volume cannot be empty"),
    (lambda: vl.py_volume_oscillator([NAN], 2, 3), "Invalid value at index 0: volume contains non-finite value: NaN"),
    (lambda: vl.py_volume_oscillator(V5, 9, 0), INV.format(0, 5)),
    (lambda: vl.py_volume_oscillator(V5, 3, 7), INV.format(7, 5)),
    (lambda: vl.py_volume_oscillator(V5, 7, 6), INV.format(6, 5)),
    (lambda: vl.py_pvt([1.0], [1.0]), INS.format(2, 1)),
    (lambda: vl.py_nvi([1.0], [1.0]), INS.format(2, 1)),
    (lambda: vl.py_pvi([1.0], [1.0]), INS.format(2, 1)),
    (lambda: vl.py_eom(H5, [], V5, 2), "Empty input: low cannot be empty"),
    (lambda: vl.py_eom(H5, L5, V5[:1], 2), "Length mismatch: high=5, volume=1"),
    (lambda: vl.py_eom(H5, L5, V5, 0), INV.format(0, 5)),
    (lambda: vl.py_eom([2.0], [1.0], [1.0], 2), INV.format(2, 1)),
    (lambda: vl.py_eom([2.0], [1.0], [1.0], 1), INS.format(2, 1)),
    (lambda: vl.py_volume_profile(H5, L5, C5, V5, 0), "Parameter num_bins out of range: 0 (valid range: 1..inf)"),
])
def test_parameter_errors(call, message):
    with pytest.raises(ValueError) as exc:
        call()
    assert str(exc.value) == message


@pytest.mark.parametrize("n", [1, 2, 3])
@pytest.mark.parametrize("period", [0, 1, 2, 3, 4, BIG])
def test_tiny_inputs_never_crash(n, period):
    d = make_ohlcv(n, seed=n)
    hlcv, cv = cols(d, *HLCV), cols(d, "close", "volume")
    calls = [
        lambda: vl.py_obv(*cv), lambda: vl.py_vwap(*hlcv, period), lambda: vl.py_mfi(*hlcv, period),
        lambda: vl.py_ad(*hlcv), lambda: vl.py_adosc(*hlcv, period, period), lambda: vl.py_adosc(*hlcv, 1, period),
        lambda: vl.py_cmf(*hlcv, period), lambda: vl.py_efi(*cv, period),
        lambda: vl.py_volume_oscillator(d["volume"], period, 1), lambda: vl.py_pvt(*cv), lambda: vl.py_nvi(*cv),
        lambda: vl.py_pvi(*cv), lambda: vl.py_eom(d["high"], d["low"], d["volume"], period),
    ]
    for call in calls:
        try:
            out = call()
        except ValueError:
            continue
        assert len(out) == n


def test_volume_profile_impossible_bin_count_is_an_error_not_a_crash():
    with pytest.raises((MemoryError, SystemError)):
        vl.py_volume_profile(H5, L5, C5, V5, BIG)
