from common import Row

HLC = ("high", "low", "close")


def _donchian(t, c):
    upper, lower = t.MAX(c["high"], 20), t.MIN(c["low"], 20)
    return upper, (upper + lower) * 0.5, lower


ROWS = [
    Row("py_true_range", HLC, (1,), talib=lambda t, c: t.TRANGE(c["high"], c["low"], c["close"])),
    Row("py_atr", HLC, (14,), talib=lambda t, c: t.ATR(c["high"], c["low"], c["close"], 14)),
    Row("py_natr", HLC, (14,), talib=lambda t, c: t.NATR(c["high"], c["low"], c["close"], 14)),
    Row("py_bollinger_bands", ("close",), (20, 2.0), talib=lambda t, c: t.BBANDS(c["close"], 20, 2.0, 2.0, 0)),
    Row("py_keltner_channel", HLC, (20, 20, 2.0)),
    Row("py_donchian_channel", ("high", "low"), (20,), talib=_donchian),
    Row("py_chandelier_exit", HLC, (22, 22, 3.0)),
    Row("py_historical_volatility", ("close",), (20,)),
    Row("py_ulcer_index", ("close",), (14,)),
    Row("py_mass_index", ("high", "low"), (9, 25)),
    Row("py_aberration", HLC, (20, 20)),
    Row("py_squeeze", HLC, (20, 2.0, 20, 20, 1.5)),
]
