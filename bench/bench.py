"""Time every benchmarked function against the conversion floor and TA-Lib.

    python bench/bench.py                      # 10k, 100k and 1M bars
    python bench/bench.py --sizes 100000 --filter 'rsi|macd'

For each row and size, side by side in one process (interleaved, best of N):
  list    the function on Python lists (the calling convention)
  floor   converting the same inputs from lists to float64 arrays and the
          outputs back to lists: the least any list-in, list-out call can cost
  numpy   the function on numpy float64 arrays
  talib   TA-Lib on the same arrays plus .tolist() of its outputs (same work)
Ratios: list/floor (goal <= 1.15 for O(n) studies at 100k bars) and
numpy/talib (goal <= 1.0).
"""
import argparse
import gc
import glob
import importlib.util
import inspect
import os
import re
import sys
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import vorn_library as vl  # noqa: E402
from common import Row, make_ohlcv  # noqa: E402

try:
    import talib
except ImportError:  # TA-Lib is optional: its columns stay empty
    talib = None


def load_rows():
    rows = []
    for path in sorted(glob.glob(os.path.join(HERE, "rows_*.py"))):
        found = importlib.util.spec_from_file_location(os.path.basename(path)[:-3], path)
        mod = importlib.util.module_from_spec(found)
        found.loader.exec_module(mod)
        rows.extend(mod.ROWS)
    return rows + auto_rows({r.func for r in rows})


# Which benchmark column feeds a series parameter of a function without an explicit row.
COLUMN_FOR = {
    "open": "open", "high": "high", "low": "low", "close": "close", "volume": "volume",
    "values": "close", "x": "close", "values1": "close", "y_values": "close", "asset_returns": "close",
    "y": "open", "values2": "open", "benchmark_returns": "open",
}


def auto_rows(covered):
    """A row for every registered function without an explicit one: signature defaults, else 14."""
    rows = []
    for name in vl.__all__:
        if not name.startswith("py_") or name in covered:
            continue
        params = inspect.signature(getattr(vl, name)).parameters
        series = [COLUMN_FOR[p] for p in params if p in COLUMN_FOR]
        args = tuple(p.default if p.default is not inspect.Parameter.empty else 14
                     for n, p in params.items() if n not in COLUMN_FOR)
        rows.append(Row(name, tuple(series), args))
    return rows


def outputs_of(result):
    """The result's series as float64 arrays (for the output half of the floor)."""
    if isinstance(result, list):
        return [np.asarray(result, dtype=np.float64)]
    if isinstance(result, tuple):
        return [a for r in result for a in outputs_of(r)]
    if isinstance(result, np.ndarray):
        return [result]
    return []


def best_of(fns, repeat):
    """Interleave the candidates so drift hits all alike; keep each one's best time."""
    best = [float("inf")] * len(fns)
    for _ in range(repeat):
        for k, fn in enumerate(fns):
            t0 = time.perf_counter()
            fn()
            best[k] = min(best[k], time.perf_counter() - t0)
    return best


def bench_row(row, lists, arrays, repeat):
    fn = getattr(vl, row.func)
    in_lists = [lists[s] for s in row.series]
    in_arrays = [arrays[s] for s in row.series]
    out_arrays = outputs_of(fn(*in_lists, *row.args, **row.kwargs))

    def floor():
        [np.array(x, dtype=np.float64) for x in in_lists]
        [a.tolist() for a in out_arrays]

    cands = [
        lambda: fn(*in_lists, *row.args, **row.kwargs),
        floor,
        lambda: fn(*in_arrays, *row.args, **row.kwargs),
    ]
    if talib is not None and row.talib is not None:
        cands.append(lambda: [a.tolist() for a in outputs_of(row.talib(talib, arrays))])
    times = best_of(cands, repeat)
    return times + [None] * (4 - len(times))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--sizes", default="10000,100000,1000000")
    ap.add_argument("--filter", default="", help="regular expression on function names")
    ap.add_argument("--repeat", type=int, default=0, help="repeats per size (default: by size)")
    args = ap.parse_args()
    rows = [r for r in load_rows() if re.search(args.filter, r.label or r.func)]
    sizes = [int(s) for s in args.sizes.split(",")]

    print(f"vorn_library benchmark, {len(rows)} rows, TA-Lib {'present' if talib else 'absent'}")
    for n in sizes:
        repeat = args.repeat or (15 if n <= 10_000 else 7 if n <= 100_000 else 3)
        lists = make_ohlcv(n)
        arrays = {k: np.array(v, dtype=np.float64) for k, v in lists.items()}
        print(f"\n## {n} bars (best of {repeat}; times in ms)\n")
        print("| function | list | floor | list/floor | numpy | talib+tolist | numpy/talib |")
        print("|---|---:|---:|---:|---:|---:|---:|")
        over = []
        gc.disable()
        try:
            for row in rows:
                try:
                    t_list, t_floor, t_np, t_ta = bench_row(row, lists, arrays, repeat)
                except (TypeError, ValueError) as e:  # a row whose arguments do not fit: say so, go on
                    print(f"| {row.label or row.func} | {type(e).__name__}: {e} | | | | | |")
                    continue
                r_floor = t_list / t_floor
                r_ta = t_np / t_ta if t_ta else None
                if row.linear and r_floor > 1.15:
                    over.append(row.label or row.func)
                ta_cols = f"{t_ta * 1e3:.2f} | {r_ta:.2f}" if t_ta else "– | –"
                print(f"| {row.label or row.func} | {t_list * 1e3:.2f} | {t_floor * 1e3:.2f} | {r_floor:.2f} | "
                      f"{t_np * 1e3:.2f} | {ta_cols} |")
        finally:
            gc.enable()
        if over:
            print(f"\nAbove 1.15x of the floor at {n} bars: {', '.join(over)}")


if __name__ == "__main__":
    main()
