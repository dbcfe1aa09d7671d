from common import Row

OHLC = ("open", "high", "low", "close")


def cdl(name):
    """TA-Lib's detector of a similar name, for speed only: its rules differ."""
    return lambda t, c: getattr(t, name)(c["open"], c["high"], c["low"], c["close"])


ROWS = [
    # one candle
    Row("py_doji", OHLC, talib=cdl("CDLDOJI")),
    Row("py_hammer", OHLC, talib=cdl("CDLHAMMER")),
    Row("py_hanging_man", OHLC, talib=cdl("CDLHANGINGMAN")),
    Row("py_marubozu", OHLC, talib=cdl("CDLMARUBOZU")),
    Row("py_long_line", OHLC, (10,), talib=cdl("CDLLONGLINE")),
    # two candles
    Row("py_bullish_engulfing", ("open", "close"), talib=cdl("CDLENGULFING")),
    Row("py_harami_cross", OHLC, talib=cdl("CDLHARAMICROSS")),
    Row("py_kicking", OHLC, talib=cdl("CDLKICKING")),
    Row("py_counterattack", OHLC, talib=cdl("CDLCOUNTERATTACK")),
    # three to five candles
    Row("py_morning_star", OHLC, talib=cdl("CDLMORNINGSTAR")),
    Row("py_three_white_soldiers", ("open", "high", "close"), talib=cdl("CDL3WHITESOLDIERS")),
    Row("py_hikkake", OHLC, talib=cdl("CDLHIKKAKE")),
    Row("py_hikkake_mod", OHLC, talib=cdl("CDLHIKKAKEMOD")),
    Row("py_mat_hold", OHLC, talib=cdl("CDLMATHOLD")),
    Row("py_breakaway", OHLC, talib=cdl("CDLBREAKAWAY")),
    Row("py_rising_three_methods", OHLC, talib=cdl("CDLRISEFALL3METHODS")),
]
