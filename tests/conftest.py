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


def leading_nans(series):
    n = 0
    for x in series:
        if not math.isnan(x):
            break
        n += 1
    return n
