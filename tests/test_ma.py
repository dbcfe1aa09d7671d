import math

import pytest

import vorn_library as vl
from conftest import assert_series_close, leading_nans, ref_ema, ref_sma

NAN = float("nan")


# ---- slow literal references -------------------------------------------------

def ref_wma(v, p):
    out, run = [], []
    for x in v:
        if math.isnan(x):
            out.append(NAN)
            run = []
            continue
        run.append(x)
        if len(run) < p:
            out.append(NAN)
        else:
            w = run[-p:]
            out.append(sum((k + 1) * w[k] for k in range(p)) / (p * (p + 1) / 2))
    return out


def combine(a, b, fa, fb):
    return [NAN if math.isnan(x) or math.isnan(y) else fa * x - fb * y for x, y in zip(a, b)]


def ref_hma(v, p):
    raw = combine(ref_wma(v, p // 2), ref_wma(v, p), 2, 1)
    out = ref_wma(raw, int(math.sqrt(p)))
    return out if any(not math.isnan(x) for x in out) else raw


def ref_dema(v, p):
    a = 2 / (p + 1)
    e1 = ref_ema(v, p, a)
    return combine(e1, ref_ema(e1, p, a), 2, 1)


def ref_tema(v, p):
    a = 2 / (p + 1)
    e1 = ref_ema(v, p, a)
    e2 = ref_ema(e1, p, a)
    e3 = ref_ema(e2, p, a)
    if all(math.isnan(x) for x in e3):
        return ref_dema(v, p)
    return [NAN if math.isnan(x) or math.isnan(y) or math.isnan(z) else (3 * x - 3 * y) + z
            for x, y, z in zip(e1, e2, e3)]


REFERENCES = {
    "py_sma": ref_sma,
    "py_ema": lambda v, p: ref_ema(v, p, 2 / (p + 1)),
    "py_rma": lambda v, p: ref_ema(v, p, 1 / p),
    "py_wma": ref_wma,
    "py_hma": ref_hma,
    "py_dema": ref_dema,
    "py_tema": ref_tema,
}

WARMUP = {
    "py_sma": lambda p: p - 1,
    "py_ema": lambda p: p - 1,
    "py_rma": lambda p: p - 1,
    "py_wma": lambda p: p - 1,
    "py_hma": lambda p: p + int(math.sqrt(p)) - 2,
    "py_dema": lambda p: 2 * p - 2,
    "py_tema": lambda p: 3 * p - 3,
}


@pytest.mark.parametrize("name", sorted(REFERENCES))
@pytest.mark.parametrize("period", [2, 9, 30])
def test_matches_literal_reference_and_warmup(ohlcv, name, period):
    close = ohlcv["close"]
    got = getattr(vl, name)(close, period)
    assert_series_close(got, REFERENCES[name](close, period), rel=1e-12)
    assert leading_nans(got) == WARMUP[name](period)


@pytest.mark.parametrize("name, values, period, expected", [
    ("py_sma", [1, 2, 3, 4, 5], 3, [NAN, NAN, 2.0, 3.0, 4.0]),
    ("py_sma", [1, 2, 3, 4, 5], 5, [NAN] * 4 + [3.0]),
    ("py_ema", [1, 2, 3, 4, 5], 3, [NAN, NAN, 2.0, 3.0, 4.0]),
    ("py_rma", [1, 2, 3, 4, 5], 3, [NAN, NAN, 2.0, 8 / 3, 31 / 9]),
    ("py_wma", [1, 2, 3], 3, [NAN, NAN, 14 / 6]),
    ("py_ema", [3.0, -1.5, 7.25], 1, [3.0, -1.5, 7.25]),
    ("py_rma", [3.0, -1.5, 7.25], 1, [3.0, -1.5, 7.25]),
])
def test_small_cases(name, values, period, expected):
    assert_series_close(getattr(vl, name)(values, period), expected, rel=1e-15)


@pytest.mark.parametrize("name", sorted(REFERENCES))
@pytest.mark.parametrize("values, period, message", [
    ([], 0, "Empty input: values cannot be empty"),
    ([1.0, float("inf"), NAN], 0, "Invalid value at index 1: values contains non-finite value: inf"),
    ([1.0, 2.0], 0, "Invalid period: 0 (must be > 0 and <= data length 2)"),
    ([1.0, 2.0], 3, "Invalid period: 3 (must be > 0 and <= data length 2)"),
    ([1.0, 2.0], 2 ** 64 - 1, "Invalid period: 18446744073709551615 (must be > 0 and <= data length 2)"),
])
def test_validation_order_and_messages(name, values, period, message):
    f = getattr(vl, name)
    assert f.__text_signature__ == "(values, period)"
    with pytest.raises(ValueError) as e:
        f(values, period)
    assert str(e.value) == message


def test_hma_period_one_reports_the_derived_half_period():
    with pytest.raises(ValueError, match=r"^Invalid period: 0 \(must be > 0 and <= data length 5\)$"):
        vl.py_hma([1.0, 2.0, 3.0, 4.0, 5.0], 1)


def test_hma_falls_back_to_the_raw_line_when_too_short():
    v = [1.0, 3.0, 2.0, 5.0, 4.0, 6.0, 8.0, 7.0, 9.0, 10.0]
    got = vl.py_hma(v, 9)  # the final WMA(3) needs 11 values
    assert leading_nans(got) == 8
    assert_series_close(got, combine(ref_wma(v, 4), ref_wma(v, 9), 2, 1))


def test_tema_needs_three_periods_else_dema():
    v = [float(x) for x in range(1, 11)]
    got = vl.py_tema(v, 4)
    assert leading_nans(got) == 9 and not math.isnan(got[9])
    assert_series_close(vl.py_tema(v, 5), vl.py_dema(v, 5), rel=0, abs_=0)
    assert leading_nans(vl.py_tema(v, 5)) == 8


@pytest.mark.parametrize("name", ["py_sma", "py_wma"])
def test_constant_series_stays_exact_across_rebuilds(name):
    got = getattr(vl, name)([2.0] * 5000, 7)
    assert all(x == 2.0 for x in got[6:])


@pytest.mark.parametrize("name", ["py_sma", "py_wma"])
def test_long_series_does_not_drift(long_ohlcv, name):
    # Large offset plus small moves is where uncompensated sliding sums drift.
    v = [1e6 + x for x in long_ohlcv["close"]]
    got = getattr(vl, name)(v, 50)
    ref = REFERENCES[name](v, 50)
    assert_series_close(got, ref, rel=1e-14, abs_=0)
