"""Shared pieces of the benchmarks: sample data and the row description.

Each bench/rows_<family>.py defines ROWS, a list of Row. bench/bench.py collects
them all and times every row side by side against the conversion floor and,
where a row names one, TA-Lib.
"""
import math
import random
from dataclasses import dataclass, field
from typing import Callable, Optional, Sequence


@dataclass
class Row:
    func: str                      # name of the vorn_library function
    series: Sequence[str]          # input columns, in argument order: "open", "high", "low", "close", "volume", "unit"
    args: tuple = ()               # further positional arguments after the series
    talib: Optional[Callable] = None  # lambda talib, cols: result (cols hold numpy float64 arrays)
    linear: bool = True            # O(n): held to the conversion-floor goal
    label: Optional[str] = None
    kwargs: dict = field(default_factory=dict)


def make_ohlcv(n, seed=3):
    rng = random.Random(seed)
    cols = {k: [] for k in ("open", "high", "low", "close", "volume")}
    price = 100.0
    for _ in range(n):
        o = price
        c = max(1.0, o * math.exp(rng.gauss(0.0, 0.015)))
        cols["open"].append(o)
        cols["high"].append(max(o, c) * (1.0 + abs(rng.gauss(0.0, 0.006))))
        cols["low"].append(min(o, c) * (1.0 - abs(rng.gauss(0.0, 0.006))))
        cols["close"].append(c)
        cols["volume"].append(float(rng.randint(1_000, 50_000)))
        price = c
    # A bounded column for functions whose domain is [-1, 1]: where the close
    # sits within the bar, from -1 at the low to 1 at the high.
    cols["unit"] = [(2 * c - h - l) / (h - l) for c, h, l in zip(cols["close"], cols["high"], cols["low"])]
    return cols
