from common import Row


def _adx(t, c):
    h, l, cl = c["high"], c["low"], c["close"]
    return t.ADX(h, l, cl, 14), t.PLUS_DI(h, l, cl, 14), t.MINUS_DI(h, l, cl, 14)


def _aroon(t, c):
    down, up = t.AROON(c["high"], c["low"], 25)
    return up, down, t.AROONOSC(c["high"], c["low"], 25)


HLC = ("high", "low", "close")

ROWS = [
    Row("py_supertrend", HLC, (10, 3.0)),
    # py_adx returns ADX, +DI and -DI: TA-Lib needs three calls for the same output.
    Row("py_adx", HLC, (14,), talib=_adx),
    Row("py_dmi", HLC, (14,), talib=lambda t, c: (t.PLUS_DI(c["high"], c["low"], c["close"], 14),
                                                 t.MINUS_DI(c["high"], c["low"], c["close"], 14))),
    Row("py_dx", HLC, (14,), talib=lambda t, c: t.DX(c["high"], c["low"], c["close"], 14)),
    Row("py_aroon", ("high", "low"), (25,), talib=_aroon),
    Row("py_vortex", HLC, (14,)),
    Row("py_choppiness", HLC, (14,)),
    Row("py_qstick", ("open", "close"), (14,)),
    Row("py_vhf", ("close",), (28,)),
    Row("py_trix", ("close",), (15,), talib=lambda t, c: t.TRIX(c["close"], 15)),
    Row("py_dpo", ("close",), (20,)),
]
