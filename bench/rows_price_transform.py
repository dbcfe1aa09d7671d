"""Benchmark rows for Part 3.3 (element-wise math and price transforms)."""
from common import Row

ROWS = [
    Row("py_avgprice", ["open", "high", "low", "close"],
        talib=lambda talib, c: talib.AVGPRICE(c["open"], c["high"], c["low"], c["close"])),
    Row("py_medprice", ["high", "low"], talib=lambda talib, c: talib.MEDPRICE(c["high"], c["low"])),
    Row("py_typprice", ["high", "low", "close"], talib=lambda talib, c: talib.TYPPRICE(c["high"], c["low"], c["close"])),
    Row("py_wclprice", ["high", "low", "close"], talib=lambda talib, c: talib.WCLPRICE(c["high"], c["low"], c["close"])),
    Row("py_sqrt", ["close"], talib=lambda talib, c: talib.SQRT(c["close"])),
    Row("py_ln", ["close"], talib=lambda talib, c: talib.LN(c["close"])),
    Row("py_log10", ["close"], talib=lambda talib, c: talib.LOG10(c["close"])),
    Row("py_exp", ["close"], talib=lambda talib, c: talib.EXP(c["close"])),
    Row("py_abs", ["close"]),
    Row("py_ceil", ["close"], talib=lambda talib, c: talib.CEIL(c["close"])),
    Row("py_floor", ["close"], talib=lambda talib, c: talib.FLOOR(c["close"])),
    Row("py_sin", ["close"], talib=lambda talib, c: talib.SIN(c["close"])),
    Row("py_cos", ["close"], talib=lambda talib, c: talib.COS(c["close"])),
    Row("py_tan", ["close"], talib=lambda talib, c: talib.TAN(c["close"])),
    Row("py_atan", ["close"], talib=lambda talib, c: talib.ATAN(c["close"])),
    Row("py_sinh", ["close"], talib=lambda talib, c: talib.SINH(c["close"])),
    Row("py_cosh", ["close"], talib=lambda talib, c: talib.COSH(c["close"])),
    Row("py_tanh", ["close"], talib=lambda talib, c: talib.TANH(c["close"])),
    # py_asin and py_acos need a series inside [-1, 1], which no benchmark column is.
    Row("py_add", ["close", "open"], talib=lambda talib, c: talib.ADD(c["close"], c["open"])),
    Row("py_sub", ["close", "open"], talib=lambda talib, c: talib.SUB(c["close"], c["open"])),
    Row("py_mult", ["close", "open"], talib=lambda talib, c: talib.MULT(c["close"], c["open"])),
    Row("py_div", ["close", "open"], talib=lambda talib, c: talib.DIV(c["close"], c["open"])),
]
