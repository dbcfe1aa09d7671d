"""Benchmark rows for the further moving averages."""
from common import Row

ROWS = [
    Row("py_trima", ["close"], (30,), talib=lambda talib, c: talib.TRIMA(c["close"], 30)),
    Row("py_midpoint", ["close"], (14,), talib=lambda talib, c: talib.MIDPOINT(c["close"], 14)),
    Row("py_midprice", ["high", "low"], (14,), talib=lambda talib, c: talib.MIDPRICE(c["high"], c["low"], 14)),
    Row("py_zlma", ["close"], (20,)),
    Row("py_t3", ["close"], (5, 0.7), talib=lambda talib, c: talib.T3(c["close"], 5, 0.7)),
    # The Part recomputes the window's volatility as a plain sum for every bar: O(n * period).
    Row("py_kama", ["close"], (10, 2, 30), talib=lambda talib, c: talib.KAMA(c["close"], 10), linear=False),
    Row("py_frama", ["close"], (16,)),
    # Fixed-weight window averages apply every weight at every bar: O(n * period).
    Row("py_alma", ["close"], (9, 0.85, 6.0), linear=False),
    Row("py_vidya", ["close"], (14,)),
    Row("py_pwma", ["close"], (5,), linear=False),
    Row("py_sinwma", ["close"], (14,), linear=False),
    Row("py_swma", ["close"], (7,), linear=False),
    # Plain window sums recomputed for every bar, as the Part states: O(n * period).
    Row("py_vwma", ["close", "volume"], (20,), linear=False),
]
