"""Compute a handful of indicators on OHLCV data and print the last bars.

    python examples/quickstart.py              # sample data generated here
    python examples/quickstart.py prices.csv   # your own: date,open,high,low,close,volume

Only the indicators this build provides are shown.
"""
import csv
import math
import random
import sys

import vorn_library as vl


def sample_data(n=300, seed=42):
    """A seeded random walk of daily bars."""
    rng = random.Random(seed)
    rows, price = [], 100.0
    for day in range(n):
        o = price
        c = max(1.0, o * math.exp(rng.gauss(0.0005, 0.015)))
        h = max(o, c) * (1 + abs(rng.gauss(0, 0.006)))
        low = min(o, c) * (1 - abs(rng.gauss(0, 0.006)))
        rows.append((f"day {day + 1}", o, h, low, c, float(rng.randint(10_000, 90_000))))
        price = c
    return rows


def read_csv(path):
    """Rows of date, open, high, low, close, volume; a header line is skipped."""
    rows = []
    with open(path, newline="") as f:
        for rec in csv.reader(f):
            if not rec or rec[0].strip().lower() in ("date", "time", "timestamp"):
                continue
            date, *nums = rec[:6]
            rows.append((date, *(float(x) for x in nums)))
    if not rows:
        sys.exit(f"{path}: no rows of date,open,high,low,close,volume")
    return rows


def main():
    rows = read_csv(sys.argv[1]) if len(sys.argv) > 1 else sample_data()
    dates = [r[0] for r in rows]
    o, h, l, c, v = ([r[k] for r in rows] for k in range(1, 6))

    # (column title, function name, arguments, which output of a tuple result)
    wanted = [
        ("SMA(20)", "py_sma", (c, 20), None),
        ("EMA(20)", "py_ema", (c, 20), None),
        ("HMA(16)", "py_hma", (c, 16), None),
        ("RSI(14)", "py_rsi", (c, 14), None),
        ("MACD", "py_macd", (c, 12, 26, 9), 0),
        ("ATR(14)", "py_atr", (h, l, c, 14), None),
        ("BB upper", "py_bollinger_bands", (c, 20, 2.0), 0),
        ("ADX(14)", "py_adx", (h, l, c, 14), 0),
        ("SuperTrend", "py_supertrend", (h, l, c, 10, 3.0), 0),
        ("OBV", "py_obv", (c, v), None),
        ("Doji", "py_doji", (o, h, l, c), None),
    ]
    columns = []
    for title, name, args, part in wanted:
        fn = getattr(vl, name, None)
        if fn is None:
            continue
        try:
            out = fn(*args)
        except ValueError as e:  # too little data for this period, say
            print(f"{title}: {e}")
            continue
        columns.append((title, out[part] if part is not None else out))

    last = min(10, len(rows))
    header = ["date", "close"] + [t for t, _ in columns]
    table = [[dates[i], f"{c[i]:.2f}"] + [("" if math.isnan(s[i]) else f"{s[i]:.2f}") for _, s in columns]
             for i in range(len(rows) - last, len(rows))]
    widths = [max(len(str(x)) for x in col) for col in zip(header, *table)]
    print(f"{len(rows)} bars; last {last}:")
    for line in [header] + table:
        print("  ".join(str(x).rjust(w) for x, w in zip(line, widths)))


if __name__ == "__main__":
    main()
