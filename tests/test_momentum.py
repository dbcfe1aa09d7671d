import math

import pytest

import vorn_library as vl
from conftest import assert_series_close, isnan, leading_nans, make_ohlcv, ref_ema, ref_rolling, ref_sma

NAN = float("nan")
U64_MAX = 2**64 - 1


# ---- slow literal references -------------------------------------------------

def ref_ema_with_seed(v, p, start):
    out = [NAN] * len(v)
    e = sum(x for x in v[start - p + 1:start + 1] if not isnan(x)) / p
    out[start] = e
    for i in range(start + 1, len(v)):
        e = e * (1 - 2 / (p + 1)) + v[i] * 2 / (p + 1)
        out[i] = e
    return out


def ref_wilder(x, p):
    """Wilder averages of up and down moves, seeded with plain means of changes 1..p."""
    up = [max(x[i] - x[i - 1], 0.0) for i in range(1, len(x))]
    dn = [max(x[i - 1] - x[i], 0.0) for i in range(1, len(x))]
    u, d = sum(up[:p]) / p, sum(dn[:p]) / p
    res = {p: (u, d)}
    for i in range(p + 1, len(x)):
        u = (u * (p - 1) + up[i - 1]) / p
        d = (d * (p - 1) + dn[i - 1]) / p
        res[i] = (u, d)
    return res


def ref_rsi(x, p):
    out = [NAN] * len(x)
    for i, (g, l) in ref_wilder(x, p).items():
        if abs(l) < 1e-10:
            out[i] = 0.0 if abs(g) < 1e-10 else 100.0
        else:
            out[i] = 100 - 100 / (1 + g / l)
    return out


def ref_position(x, hh, ll, flat):
    return [NAN if isnan(h) or isnan(l) else flat if abs(h - l) < 1e-10 else (c - l) / (h - l) * 100
            for c, h, l in zip(x, hh, ll)]


def ref_stochastic(h, lo, c, kp, sk, dp):
    raw = ref_position(c, ref_rolling(h, kp, max), ref_rolling(lo, kp, min), 50.0)
    k = ref_sma(raw, sk)
    return k, ref_sma(k, dp)


def ref_macd(c, fast, slow, signal):
    f = ref_ema_with_seed(c, fast, slow - 1)
    s = ref_ema_with_seed(c, slow, slow - 1)
    m = [a - b for a, b in zip(f, s)]
    sig = ref_ema_with_seed(m, signal, slow + signal - 2)
    m[:slow + signal - 2] = [NAN] * (slow + signal - 2)
    return m, sig, [a - b for a, b in zip(m, sig)]


def ref_williams(h, lo, c, p):
    hh, ll = ref_rolling(h, p, max), ref_rolling(lo, p, min)
    return [NAN if isnan(a) else -50.0 if abs(a - b) < 1e-10 else (a - x) / (a - b) * -100
            for a, b, x in zip(hh, ll, c)]


def ref_cci(h, lo, c, p):
    tp = [(a + b + d) / 3 for a, b, d in zip(h, lo, c)]
    out = [NAN] * len(tp)
    for i in range(p - 1, len(tp)):
        w = tp[i - p + 1:i + 1]
        m = sum(w) / p
        md = sum(abs(t - m) for t in w) / p
        out[i] = 0.0 if md < 1e-10 else (tp[i] - m) / (md * 0.015)
    return out


def ref_fisher(h, lo, c, p):
    hh, ll = ref_rolling(h, p, max), ref_rolling(lo, p, min)
    fisher = [NAN] * len(c)
    for i in range(len(c)):
        if isnan(hh[i]):
            continue
        x = 0.0 if abs(hh[i] - ll[i]) < 1e-10 else 2 * (c[i] - ll[i]) / (hh[i] - ll[i]) - 1
        x = min(max(x, -0.999), 0.999)
        fisher[i] = 0.5 * math.log((1 + x) / (1 - x))
    return fisher, [NAN] + fisher[:-1]


def ref_tsi(c, lp, sp, gp):
    mom = [NAN] + [c[i] - c[i - 1] for i in range(1, len(c))]
    e2 = ref_ema(ref_ema(mom, lp), sp)
    a2 = ref_ema(ref_ema([abs(m) for m in mom], lp), sp)
    t = [NAN if isnan(e) or abs(a) < 1e-10 else 100 * e / a for e, a in zip(e2, a2)]
    return t, ref_ema(t, gp)


def ref_uo(h, lo, c, p1, p2, p3):
    bp = [NAN] + [c[i] - min(lo[i], c[i - 1]) for i in range(1, len(c))]
    tr = [NAN] + [max(h[i], c[i - 1]) - min(lo[i], c[i - 1]) for i in range(1, len(c))]

    def avg(p):
        return [NAN if i < p else sum(bp[i - p + 1:i + 1]) / sum(tr[i - p + 1:i + 1]) for i in range(len(c))]

    a1, a2, a3 = avg(p1), avg(p2), avg(p3)
    return [(2 * y + 4 * x + z) * 100 / 7 for x, y, z in zip(a1, a2, a3)]


def ref_cmo(x, p):
    out = [NAN] * len(x)
    for i, (u, d) in ref_wilder(x, p).items():
        out[i] = 0.0 if abs(u + d) < 1e-10 else (u - d) * 100 / (u + d)
    return out


def diff(a, b):
    return [x - y for x, y in zip(a, b)]


# ---- literal references on realistic bars ----------------------------------------

REFERENCES = [
    ("py_rsi", ("close",), (14,), lambda d: ref_rsi(d["close"], 14)),
    ("py_rsi", ("close",), (2,), lambda d: ref_rsi(d["close"], 2)),
    ("py_macd", ("close",), (12, 26, 9), lambda d: ref_macd(d["close"], 12, 26, 9)),
    ("py_macd", ("close",), (5, 5, 1), lambda d: ref_macd(d["close"], 5, 5, 1)),
    ("py_stochastic", ("high", "low", "close"), (14, 3, 3),
     lambda d: ref_stochastic(d["high"], d["low"], d["close"], 14, 3, 3)),
    ("py_stochrsi", ("close",), (14, 14, 3, 3), lambda d: (
        ref_sma(ref_position(r := ref_rsi(d["close"], 14), ref_rolling(r, 14, max), ref_rolling(r, 14, min), 50.0), 3),
        ref_sma(ref_sma(ref_position(r, ref_rolling(r, 14, max), ref_rolling(r, 14, min), 50.0), 3), 3))),
    ("py_williams_r", ("high", "low", "close"), (14,), lambda d: ref_williams(d["high"], d["low"], d["close"], 14)),
    ("py_cci", ("high", "low", "close"), (20,), lambda d: ref_cci(d["high"], d["low"], d["close"], 20)),
    ("py_awesome_oscillator", ("high", "low"), (5, 34), lambda d: diff(
        ref_sma(hl2 := [(h + l) * 0.5 for h, l in zip(d["high"], d["low"])], 5), ref_sma(hl2, 34))),
    ("py_fisher_transform", ("high", "low", "close"), (9,),
     lambda d: ref_fisher(d["high"], d["low"], d["close"], 9)),
    ("py_tsi", ("close",), (25, 13, 13), lambda d: ref_tsi(d["close"], 25, 13, 13)),
    ("py_ultimate_oscillator", ("high", "low", "close"), (7, 14, 28),
     lambda d: ref_uo(d["high"], d["low"], d["close"], 7, 14, 28)),
    ("py_mom", ("close",), (10,), lambda d: [NAN] * 10 + diff(d["close"][10:], d["close"])),
    ("py_roc", ("close",), (10,), lambda d: [NAN] * 10 + [(a / b - 1) * 100 for a, b in zip(d["close"][10:], d["close"])]),
    ("py_apo", ("close",), (12, 26), lambda d: diff(ref_ema(d["close"], 12), ref_ema(d["close"], 26))),
    ("py_ppo", ("close",), (12, 26), lambda d: [
        (f - s) / s * 100 for f, s in zip(ref_ema(d["close"], 12), ref_ema(d["close"], 26))]),
    ("py_cmo", ("close",), (14,), lambda d: ref_cmo(d["close"], 14)),
]


@pytest.mark.parametrize("name,cols,args,ref", REFERENCES, ids=[f"{r[0]}{r[2]}" for r in REFERENCES])
def test_matches_literal_reference(ohlcv, name, cols, args, ref):
    got = getattr(vl, name)(*(ohlcv[c] for c in cols), *args)
    want = ref(ohlcv)
    if isinstance(got, tuple):
        assert len(got) == len(want)
        for g, w in zip(got, want):
            assert_series_close(g, w, rel=1e-9, abs_=1e-9)
    else:
        assert_series_close(got, want, rel=1e-9, abs_=1e-9)


def test_long_series_keeps_accuracy_across_rebuilds(long_ohlcv):
    d = long_ohlcv
    assert_series_close(vl.py_ultimate_oscillator(d["high"], d["low"], d["close"], 7, 14, 28),
                        ref_uo(d["high"], d["low"], d["close"], 7, 14, 28), rel=1e-9, abs_=1e-9)
    assert_series_close(vl.py_stochastic(d["high"], d["low"], d["close"], 14, 3, 3)[0],
                        ref_stochastic(d["high"], d["low"], d["close"], 14, 3, 3)[0], rel=1e-9, abs_=1e-9)


# ---- warm-up -------------------------------------------------------------------

WARMUPS = [
    ("py_rsi", ("close",), (14,), [14]),
    ("py_macd", ("close",), (12, 26, 9), [33, 33, 33]),
    ("py_stochastic", ("high", "low", "close"), (14, 3, 3), [15, 17]),
    ("py_stochrsi", ("close",), (14, 14, 3, 3), [29, 31]),
    ("py_stoch_rsi", ("close",), (10, 5, 4, 2), [17, 18]),
    ("py_kdj", ("high", "low", "close"), (9, 3, 3), [10, 12, 12]),
    ("py_williams_r", ("high", "low", "close"), (14,), [13]),
    ("py_cci", ("high", "low", "close"), (20,), [19]),
    ("py_awesome_oscillator", ("high", "low"), (5, 34), [33]),
    ("py_fisher_transform", ("high", "low", "close"), (10,), [9, 10]),
    ("py_tsi", ("close",), (25, 13, 13), [37, 49]),
    ("py_ultimate_oscillator", ("high", "low", "close"), (7, 14, 28), [28]),
    ("py_ultimate_oscillator", ("high", "low", "close"), (30, 5, 7), [30]),
    ("py_mom", ("close",), (10,), [10]),
    ("py_roc", ("close",), (10,), [10]),
    ("py_apo", ("close",), (12, 26), [25]),
    ("py_ppo", ("close",), (12, 26), [25]),
    ("py_cmo", ("close",), (14,), [14]),
]


@pytest.mark.parametrize("name,cols,args,nans", WARMUPS, ids=[f"{w[0]}{w[2]}" for w in WARMUPS])
def test_warm_up_length(ohlcv, name, cols, args, nans):
    got = getattr(vl, name)(*(ohlcv[c] for c in cols), *args)
    got = got if isinstance(got, tuple) else (got,)
    assert [leading_nans(s) for s in got] == nans
    for s in got:
        assert len(s) == 400 and not any(isnan(x) for x in s[leading_nans(s):])


# ---- agreements between functions ------------------------------------------------

def test_kdj_is_stochastic_plus_j(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    k, d, j = vl.py_kdj(h, lo, c, 9, 3, 3)
    sk, sd = vl.py_stochastic(h, lo, c, 9, 3, 3)
    assert_series_close(k, sk, rel=0, abs_=0)
    assert_series_close(d, sd, rel=0, abs_=0)
    assert_series_close(j, [3 * a - 2 * b for a, b in zip(k, d)])


def test_stoch_rsi_aliases_agree(ohlcv):
    c = ohlcv["close"]
    assert_series_close(vl.py_stoch_rsi(c, 14, 14, 3, 3)[0], vl.py_stochrsi(c, 14, 14, 3, 3)[0], rel=0, abs_=0)
    assert_series_close(vl.py_stoch_rsi(c, 14, 14, 3, 3)[1], vl.py_stochrsi(c, 14, 14, 3, 3)[1], rel=0, abs_=0)


def test_cmo_is_rescaled_rsi(ohlcv):
    # Both come from the same Wilder averages: CMO = 2 * RSI - 100.
    c = ohlcv["close"]
    assert_series_close(vl.py_cmo(c, 14), [2 * r - 100 for r in vl.py_rsi(c, 14)], rel=1e-9, abs_=1e-9)


def test_apo_and_ppo_share_the_averages(ohlcv):
    c = ohlcv["close"]
    slow = vl.py_ema(c, 26)
    assert_series_close(vl.py_ppo(c, 12, 26), [a / s * 100 for a, s in zip(vl.py_apo(c, 12, 26), slow)])


# ---- edge cases --------------------------------------------------------------------

def test_rsi_flat_and_rising():
    assert_series_close(vl.py_rsi([5.0] * 20, 14), [NAN] * 14 + [0.0] * 6)
    assert_series_close(vl.py_rsi([float(i) for i in range(20)], 14), [NAN] * 14 + [100.0] * 6)


def test_macd_on_34_bars_has_one_value():
    c = make_ohlcv(34)["close"]
    for line in vl.py_macd(c, 12, 26, 9):
        assert leading_nans(line) == 33 and len(line) == 34


def test_macd_fast_equal_slow_is_accepted():
    m, s, h = vl.py_macd(make_ohlcv(60)["close"], 26, 26, 9)
    assert m[33:] == [0.0] * 27 and h[33:] == [0.0] * 27


def test_apo_ppo_ao_clamp_the_slow_period():
    d = make_ohlcv(20)
    c, h, lo = d["close"], d["high"], d["low"]
    assert_series_close(vl.py_apo(c, 5, 30), diff(ref_ema(c, 5), ref_ema(c, 20)))
    assert_series_close(vl.py_ppo(c, 5, 30), vl.py_ppo(c, 5, 20))
    assert_series_close(vl.py_awesome_oscillator(h, lo, 5, 30), vl.py_awesome_oscillator(h, lo, 5, 20))


def test_flat_window_values():
    flat = [3.0] * 10
    k, d = vl.py_stochastic(flat, flat, flat, 3, 1, 1)
    assert k[2:] == [50.0] * 8 and d[2:] == [50.0] * 8
    assert vl.py_williams_r(flat, flat, flat, 3)[2:] == [-50.0] * 8
    assert vl.py_cci(flat, flat, flat, 3)[2:] == [0.0] * 8
    assert vl.py_cmo(flat, 3)[3:] == [0.0] * 7
    fisher, trigger = vl.py_fisher_transform(flat, flat, flat, 3)
    assert fisher[2:] == [0.0] * 8 and trigger[3:] == [0.0] * 7


def test_fisher_saturates_at_the_window_high():
    high = [float(i) for i in range(1, 11)]
    fisher, _ = vl.py_fisher_transform(high, [h - 1 for h in high], high, 3)
    assert fisher[5] == pytest.approx(0.5 * math.log(1.999 / 0.001))


def test_stochrsi_long_stoch_window_is_all_nan():
    k, d = vl.py_stochrsi([float(i % 7) for i in range(20)], 5, 25, 3, 3)
    assert all(isnan(x) for x in k + d)


def test_uo_periods_longer_than_data_give_nan():
    d = make_ohlcv(10)
    assert all(isnan(x) for x in vl.py_ultimate_oscillator(d["high"], d["low"], d["close"], 7, 14, 10))


def test_mom_period_n_is_all_nan():
    assert all(isnan(x) for x in vl.py_mom([1.0, 2.0, 3.0], 3))


def test_roc_zero_base_is_nan():
    assert_series_close(vl.py_roc([0.0, 1.0, 2.0, 4.0], 1), [NAN, NAN, 100.0, 100.0])


def test_tsi_without_movement_is_nan():
    t, s = vl.py_tsi([2.0] * 10, 3, 2, 2)
    assert all(isnan(x) for x in t + s)


# ---- errors -----------------------------------------------------------------------

S5 = [1.0, 2.0, 3.0, 4.0, 5.0]
S33 = [float(i) for i in range(33)]
INS = "Insufficient data: need at least {} elements, got {}"
INV = "Invalid period: {} (must be > 0 and <= data length {})"

ERRORS = [
    ("py_rsi", ([], 14), "Empty input: close cannot be empty"),
    ("py_rsi", ([1.0, NAN, 2.0], 1), "Invalid value at index 1: close contains non-finite value: NaN"),
    ("py_rsi", (S5, 0), INV.format(0, 5)),
    ("py_rsi", (S5, 5), INS.format(6, 5)),
    ("py_rsi", (S5, U64_MAX), INS.format(U64_MAX, 5)),
    ("py_macd", (S33, 12, 26, 9), INS.format(34, 33)),
    ("py_macd", (S5, 0, 26, 9), INV.format(0, 5)),
    ("py_macd", (S5, 2, 6, 1), INS.format(6, 5)),
    ("py_macd", (S5, 4, 3, 1), INV.format(4, 5)),
    ("py_macd", (S5, 7, 6, 1), INS.format(6, 5)),
    ("py_macd", (S5, 2, 3, U64_MAX), INS.format(U64_MAX, 5)),
    ("py_stochastic", (S5, S5[:4], S5, 3, 1, 1), "Length mismatch: high=5, low=4"),
    ("py_stochastic", (S5, S5, [1.0, 2.0, 3.0, 4.0, math.inf]),
     "Invalid value at index 4: close contains non-finite value: inf"),
    ("py_stochastic", (S5, S5, S5, 3, 0, 1), INV.format(0, 5)),
    ("py_stochastic", (S5, S5, S5, 3, 1, 6), INV.format(6, 5)),
    ("py_stochastic", (S5, S5, S5, 6, 0, 1), INV.format(6, 5)),
    ("py_kdj", (S5, S5, [], 3, 1, 1), "Empty input: close cannot be empty"),
    ("py_stochrsi", (S5, 2, 2, 0, 1), INV.format(0, 5)),
    ("py_stochrsi", (S5, 5, 2, 1, 1), INS.format(6, 5)),
    ("py_stochrsi", (S5, 5, 2, 0, 1), INV.format(0, 5)),
    ("py_stochrsi", (S5, 2, 2, 6, 1), INV.format(6, 5)),
    ("py_stochrsi", (S5, 2, 2, 1, 6), INV.format(6, 5)),
    ("py_williams_r", (S5, S5, S5, 0), INV.format(0, 5)),
    ("py_cci", (S5, S5, S5, 6), INV.format(6, 5)),
    ("py_cci", ([1e308] * 3, [1e308] * 3, [1e308] * 3, 4), INV.format(4, 3)),
    ("py_cci", ([1e308] * 3, [1e308] * 3, [1e308] * 3, 2),
     "Invalid value at index 0: values contains non-finite value: inf"),
    ("py_awesome_oscillator", (S5, S5, 3, 2), "Invalid value at index 0: fast_period (3) must be <= slow_period (2)"),
    ("py_awesome_oscillator", (S5, S5, 0, 2), INV.format(0, 5)),
    ("py_awesome_oscillator", (S5, S5, 3, 3), INS.format(3, 5)),
    ("py_apo", (S5, 3, 3), INS.format(3, 5)),
    ("py_ppo", (S5, 5, 9), INS.format(9, 5)),
    ("py_ppo", (S5, 7, 3), "Invalid value at index 0: fast_period (7) must be <= slow_period (3)"),
    ("py_fisher_transform", (S5, S5, S5, 6), INV.format(6, 5)),
    ("py_tsi", ([1.0], 25, 13, 13), INS.format(2, 1)),
    ("py_tsi", ([1.0], 0, 13, 13), INS.format(2, 1)),
    ("py_tsi", (S5, 2, 0, 2), INV.format(0, 5)),
    ("py_tsi", (S5, 6, 2, 2), INV.format(6, 5)),
    ("py_tsi", (S5, 2, 6, 2), INV.format(6, 5)),
    ("py_tsi", (S5, 2, 2, 6), INV.format(6, 5)),
    ("py_ultimate_oscillator", ([1.0], [1.0], [1.0], 7, 14, 28), INS.format(2, 1)),
    ("py_ultimate_oscillator", ([1.0], [1.0], [1.0], 0, 0, 0), INS.format(2, 1)),
    ("py_ultimate_oscillator", (S5, S5, S5, 7, 0, 28), INV.format(0, 5)),
    ("py_mom", ([], 1), "Empty input: values cannot be empty"),
    ("py_mom", (S5, 6), INV.format(6, 5)),
    ("py_roc", (S5, 0), INV.format(0, 5)),
    ("py_cmo", (S5, 5), INS.format(6, 5)),
]


@pytest.mark.parametrize("name,args,message", ERRORS, ids=[f"{e[0]}-{i}" for i, e in enumerate(ERRORS)])
def test_errors(name, args, message):
    with pytest.raises(ValueError) as exc:
        getattr(vl, name)(*args)
    assert type(exc.value) is ValueError and exc.value.args == (message,)


# ---- calling convention --------------------------------------------------------------

SIGNATURES = {
    "py_rsi": "(close, period=14)",
    "py_macd": "(close, fast_period=12, slow_period=26, signal_period=9)",
    "py_stochastic": "(high, low, close, k_period=14, smooth_k=3, d_period=3)",
    "py_stochrsi": "(close, rsi_period=14, stoch_period=14, k_period=3, d_period=3)",
    "py_stoch_rsi": "(close, rsi_period=14, stoch_period=14, k_period=3, d_period=3)",
    "py_kdj": "(high, low, close, k_period=9, smooth_k=3, d_period=3)",
    "py_williams_r": "(high, low, close, period=14)",
    "py_cci": "(high, low, close, period=20)",
    "py_awesome_oscillator": "(high, low, fast_period=5, slow_period=34)",
    "py_fisher_transform": "(high, low, period=10)",
    "py_tsi": "(close, long_period=25, short_period=13, signal_period=13)",
    "py_ultimate_oscillator": "(high, low, close, period1=7, period2=14, period3=28)",
    "py_mom": "(values, period=10)",
    "py_roc": "(values, period=10)",
    "py_apo": "(close, fast_period=12, slow_period=26)",
    "py_ppo": "(close, fast_period=12, slow_period=26)",
    "py_cmo": "(close, period=14)",
}


@pytest.mark.parametrize("name", SIGNATURES)
def test_text_signature(name):
    assert getattr(vl, name).__text_signature__ == SIGNATURES[name]


def test_numeric_defaults_are_nullable_but_required(ohlcv):
    c = ohlcv["close"]
    assert_series_close(vl.py_rsi(c, None), vl.py_rsi(c, 14), rel=0, abs_=0)
    assert_series_close(vl.py_macd(c, None, None, None)[2], vl.py_macd(c, 12, 26, 9)[2], rel=0, abs_=0)
    with pytest.raises(TypeError, match="period"):
        vl.py_rsi(c)
    with pytest.raises(TypeError, match="signal_period"):
        vl.py_macd(c, 12, 26)


@pytest.mark.parametrize("name", ["py_stochastic", "py_kdj"])
def test_stochastic_periods_are_omittable_not_nullable(ohlcv, name):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    fn = getattr(vl, name)
    default = (14, 3, 3) if name == "py_stochastic" else (9, 3, 3)
    assert_series_close(fn(h, lo, c)[1], fn(h, lo, c, *default)[1], rel=0, abs_=0)
    with pytest.raises(TypeError, match="smooth_k"):
        fn(h, lo, c, smooth_k=None)


def test_fisher_takes_four_parameters(ohlcv):
    h, lo, c = ohlcv["high"], ohlcv["low"], ohlcv["close"]
    assert_series_close(vl.py_fisher_transform(h, lo, c, None)[0], vl.py_fisher_transform(h, lo, c, 9)[0],
                        rel=0, abs_=0)
    assert_series_close(vl.py_fisher_transform(high=h, low=lo, close=c, period=4)[0],
                        vl.py_fisher_transform(h, lo, c, 4)[0], rel=0, abs_=0)
    with pytest.raises(TypeError, match="period"):
        vl.py_fisher_transform(h, lo, c)


# ---- robustness --------------------------------------------------------------------

CALLS = {
    "py_rsi": lambda s, p: vl.py_rsi(s, p),
    "py_macd": lambda s, p: vl.py_macd(s, p, p, p),
    "py_stochastic": lambda s, p: vl.py_stochastic(s, s, s, p, p, p),
    "py_stochrsi": lambda s, p: vl.py_stochrsi(s, p, p, p, p),
    "py_kdj": lambda s, p: vl.py_kdj(s, s, s, p, p, p),
    "py_williams_r": lambda s, p: vl.py_williams_r(s, s, s, p),
    "py_cci": lambda s, p: vl.py_cci(s, s, s, p),
    "py_awesome_oscillator": lambda s, p: vl.py_awesome_oscillator(s, s, p, p),
    "py_fisher_transform": lambda s, p: vl.py_fisher_transform(s, s, s, p),
    "py_tsi": lambda s, p: vl.py_tsi(s, p, p, p),
    "py_ultimate_oscillator": lambda s, p: vl.py_ultimate_oscillator(s, s, s, p, p, p),
    "py_mom": lambda s, p: vl.py_mom(s, p),
    "py_roc": lambda s, p: vl.py_roc(s, p),
    "py_apo": lambda s, p: vl.py_apo(s, 1, p),
    "py_ppo": lambda s, p: vl.py_ppo(s, 1, p),
    "py_cmo": lambda s, p: vl.py_cmo(s, p),
}


@pytest.mark.parametrize("name", CALLS)
@pytest.mark.parametrize("series", [[1.0], [1.0, 2.0], [3.0, 1e308, -1e308], [1e-300, 0.0, -1e-300]])
@pytest.mark.parametrize("period", [0, 1, 2, 3, 4, U64_MAX])
def test_short_inputs_and_extreme_periods_never_crash(name, series, period):
    try:
        out = CALLS[name](series, period)
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

    def same(ours, theirs, start=0):
        # Compared where both are defined (TA-Lib starts some lines later).
        theirs = list(theirs)
        idx = [i for i in range(start, len(ours)) if not isnan(ours[i]) and not isnan(theirs[i])]
        assert len(idx) > 200
        for i in idx:
            assert ours[i] == pytest.approx(theirs[i], rel=1e-8, abs=1e-8), i

    same(vl.py_rsi(C, 14), talib.RSI(c, 14))
    assert leading_nans(list(talib.RSI(c, 14))) == leading_nans(vl.py_rsi(C, 14))
    for ours, theirs in zip(vl.py_macd(C, 12, 26, 9), talib.MACD(c, 12, 26, 9)):
        same(ours, theirs)
    for ours, theirs in zip(vl.py_stochastic(H, L, C, 14, 3, 3), talib.STOCH(h, lo, c, 14, 3, 0, 3, 0)):
        same(ours, theirs)
    same(vl.py_williams_r(H, L, C, 14), talib.WILLR(h, lo, c, 14))
    same(vl.py_cci(H, L, C, 20), talib.CCI(h, lo, c, 20))
    same(vl.py_ultimate_oscillator(H, L, C, 7, 14, 28), talib.ULTOSC(h, lo, c, 7, 14, 28))
    same(vl.py_mom(C, 10), talib.MOM(c, 10))
    same(vl.py_roc(C, 10), talib.ROC(c, 10))
    same(vl.py_cmo(C, 14), talib.CMO(c, 14))
    # TA-Lib's fast %D of the RSI is the raw stochastic smoothed once: our %K.
    same(vl.py_stochrsi(C, 14, 14, 3, 3)[0], talib.STOCHRSI(c, 14, 14, 3, 0)[1])
    assert leading_nans(vl.py_stochrsi(C, 14, 14, 3, 3)[0]) == leading_nans(list(talib.STOCHRSI(c, 14, 14, 3, 0)[1]))
    # TA-Lib seeds its fast average later; after ~150 bars the seeds have washed out.
    same(vl.py_apo(C, 12, 26), talib.APO(c, 12, 26, 1), start=150)
    same(vl.py_ppo(C, 12, 26), talib.PPO(c, 12, 26, 1), start=150)
