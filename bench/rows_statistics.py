"""Benchmark rows for the statistics and regression functions."""
from common import Row

ROWS = [
    Row("py_linear_regression", ["close"], (14,)),
    Row("py_linearreg", ["close"], (14,), talib=lambda talib, c: talib.LINEARREG(c["close"], 14)),
    Row("py_linearreg_slope", ["close"], (14,), talib=lambda talib, c: talib.LINEARREG_SLOPE(c["close"], 14)),
    Row("py_linearreg_angle", ["close"], (14,), talib=lambda talib, c: talib.LINEARREG_ANGLE(c["close"], 14)),
    Row("py_linearreg_intercept", ["close"], (14,),
        talib=lambda talib, c: talib.LINEARREG_INTERCEPT(c["close"], 14)),
    Row("py_tsf", ["close"], (14,), talib=lambda talib, c: talib.TSF(c["close"], 14)),
    # Direct least squares per window, as the Part states: O(n * period).
    Row("py_slope", ["close"], (14,), linear=False),
    Row("py_cfo", ["close"], (14,)),
    Row("py_standard_error", ["close"], (14,)),
    Row("py_correl", ["high", "low"], (30,), talib=lambda talib, c: talib.CORREL(c["high"], c["low"], 30)),
    Row("py_cti", ["close"], (12,)),
    Row("py_covariance", ["high", "low"], (30,)),
    Row("py_beta", ["high", "low"], (30,)),
    Row("py_var", ["close"], (10,), talib=lambda talib, c: talib.VAR(c["close"], 10, 1)),
    Row("py_zscore", ["close"], (20,)),
    Row("py_max", ["close"], (30,), talib=lambda talib, c: talib.MAX(c["close"], 30)),
    Row("py_min", ["close"], (30,), talib=lambda talib, c: talib.MIN(c["close"], 30)),
    Row("py_sum", ["close"], (30,), talib=lambda talib, c: talib.SUM(c["close"], 30)),
    Row("py_minmax", ["close"], (30,), talib=lambda talib, c: talib.MINMAX(c["close"], 30)),
    Row("py_minmaxindex", ["close"], (30,), talib=lambda talib, c: talib.MINMAXINDEX(c["close"], 30)),
    # Counts the window below the current value: O(n * period) for short periods.
    Row("py_percent_rank", ["close"], (14,), linear=False),
    Row("py_entropy", ["close"], (10, 10), linear=False),
]
