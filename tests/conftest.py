import math
import random

import pytest


def make_ohlcv(n, seed=7, start=100.0):
    """A seeded random walk with plausible bars: high >= max(open, close), low <= min(open, close)."""
    rng = random.Random(seed)
    opens, highs, lows, closes, volumes = [], [], [], [], []
    price = start
    for _ in range(n):
        o = price
        c = max(1.0, o * math.exp(rng.gauss(0.0, 0.015)))
        h = max(o, c) * (1.0 + abs(rng.gauss(0.0, 0.006)))
        low = min(o, c) * (1.0 - abs(rng.gauss(0.0, 0.006)))
        opens.append(o)
        highs.append(h)
        lows.append(low)
        closes.append(c)
        volumes.append(float(rng.randint(1_000, 50_000)))
        price = c
    return {"open": opens, "high": highs, "low": lows, "close": closes, "volume": volumes}


@pytest.fixture(scope="session")
def ohlcv():
    """Four hundred realistic bars."""
    return make_ohlcv(400)


@pytest.fixture(scope="session")
def long_ohlcv():
    """Long enough to cross several of the kernels' periodic rebuilds."""
    return make_ohlcv(5000, seed=11)


def assert_series_close(actual, expected, rel=1e-9, abs_=1e-9):
    assert len(actual) == len(expected)
    for i, (a, e) in enumerate(zip(actual, expected)):
        if isinstance(e, float) and math.isnan(e):
            assert math.isnan(a), f"index {i}: expected NaN, got {a}"
        else:
            assert a == pytest.approx(e, rel=rel, abs=abs_), f"index {i}: {a} != {e}"


def same(a, b):
    """Exact equality of series (or tuples of series), NaN equal to NaN."""
    if isinstance(a, tuple):
        return isinstance(b, tuple) and len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    return len(a) == len(b) and all(x == y or (math.isnan(x) and math.isnan(y)) for x, y in zip(a, b))


def as_list(a):
    return [float(x) for x in a]


def leading_nans(series):
    n = 0
    for x in series:
        if not math.isnan(x):
            break
        n += 1
    return n


# Slow literal references shared by several families.

NAN = float("nan")


def isnan(x):
    return x != x


def ref_sma(v, p):
    """Mean of the last p values; a NaN restarts the window."""
    out, run = [], []
    for x in v:
        if isnan(x):
            run = []
            out.append(NAN)
            continue
        run.append(x)
        out.append(sum(run[-p:]) / p if len(run) >= p else NAN)
    return out


def ref_ema(v, p, alpha=None):
    """Seeded with the mean of the first p values after a (re)start; a NaN restarts it."""
    alpha = 2 / (p + 1) if alpha is None else alpha
    out, seen, e = [], [], None
    for x in v:
        if isnan(x):
            seen, e = [], None
            out.append(NAN)
        elif e is None:
            seen.append(x)
            if len(seen) == p:
                e = sum(seen) / p
            out.append(NAN if e is None else e)
        else:
            e = e * (1 - alpha) + x * alpha
            out.append(e)
    return out


def ref_rolling(v, p, f):
    """f of every complete window without NaN; NaN elsewhere."""
    out = [NAN] * len(v)
    for i in range(p - 1, len(v)):
        w = v[i - p + 1:i + 1]
        if not any(isnan(x) for x in w):
            out[i] = f(w)
    return out


def ref_tr(h, lo, c, drift=1):
    """True range against the close `drift` bars back; NaN before that."""
    return [NAN] * drift + [max(h[i] - lo[i], abs(h[i] - c[i - drift]), abs(lo[i] - c[i - drift]))
                            for i in range(drift, len(c))]


def ref_atr(h, lo, c, p):
    """Wilder average of the true range, seeded with the mean of ranges 1..p."""
    tr = ref_tr(h, lo, c)
    out = [NAN] * len(c)
    a = sum(tr[1:p + 1]) / p
    out[p] = a
    for i in range(p + 1, len(c)):
        a = (a * (p - 1) + tr[i]) / p
        out[i] = a
    return out
