from common import Row

HLC = ("high", "low", "close")

ROWS = [
    Row("py_rsi", ("close",), (14,), talib=lambda t, c: t.RSI(c["close"], 14)),
    Row("py_macd", ("close",), (12, 26, 9), talib=lambda t, c: t.MACD(c["close"], 12, 26, 9)),
    Row("py_stochastic", HLC, (14, 3, 3),
        talib=lambda t, c: t.STOCH(c["high"], c["low"], c["close"], 14, 3, 0, 3, 0)),
    # TA-Lib's STOCHRSI leaves %K unsmoothed: a different study.
    Row("py_stochrsi", ("close",), (14, 14, 3, 3)),
    Row("py_kdj", HLC, (9, 3, 3)),
    Row("py_williams_r", HLC, (14,), talib=lambda t, c: t.WILLR(c["high"], c["low"], c["close"], 14)),
    # The mean deviation is O(period) per bar.
    Row("py_cci", HLC, (20,), talib=lambda t, c: t.CCI(c["high"], c["low"], c["close"], 20), linear=False),
    Row("py_awesome_oscillator", ("high", "low"), (5, 34)),
    Row("py_fisher_transform", HLC, (9,)),
    Row("py_tsi", ("close",), (25, 13, 13)),
    Row("py_ultimate_oscillator", HLC, (7, 14, 28),
        talib=lambda t, c: t.ULTOSC(c["high"], c["low"], c["close"], 7, 14, 28)),
    Row("py_mom", ("close",), (10,), talib=lambda t, c: t.MOM(c["close"], 10)),
    Row("py_roc", ("close",), (10,), talib=lambda t, c: t.ROC(c["close"], 10)),
    Row("py_apo", ("close",), (12, 26), talib=lambda t, c: t.APO(c["close"], 12, 26, 1)),
    Row("py_ppo", ("close",), (12, 26), talib=lambda t, c: t.PPO(c["close"], 12, 26, 1)),
    Row("py_cmo", ("close",), (14,), talib=lambda t, c: t.CMO(c["close"], 14)),
]
