from common import Row

ROWS = [
    Row("py_sma", ("close",), (20,), talib=lambda t, c: t.SMA(c["close"], 20)),
    Row("py_ema", ("close",), (20,), talib=lambda t, c: t.EMA(c["close"], 20)),
    Row("py_rma", ("close",), (14,)),
    Row("py_wma", ("close",), (20,), talib=lambda t, c: t.WMA(c["close"], 20)),
    Row("py_hma", ("close",), (20,)),
    Row("py_dema", ("close",), (20,), talib=lambda t, c: t.DEMA(c["close"], 20)),
    Row("py_tema", ("close",), (20,), talib=lambda t, c: t.TEMA(c["close"], 20)),
]
