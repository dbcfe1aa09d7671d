from common import Row

HLCV = ("high", "low", "close", "volume")


def _hlcv(c):
    return c["high"], c["low"], c["close"], c["volume"]


ROWS = [
    Row("py_obv", ("close", "volume"), talib=lambda t, c: t.OBV(c["close"], c["volume"])),
    Row("py_vwap", HLCV),
    Row("py_vwap", HLCV, (20,), label="py_vwap(20)"),
    Row("py_mfi", HLCV, (14,), talib=lambda t, c: t.MFI(*_hlcv(c), 14)),
    Row("py_ad", HLCV, talib=lambda t, c: t.AD(*_hlcv(c))),
    Row("py_adosc", HLCV, (3, 10), talib=lambda t, c: t.ADOSC(*_hlcv(c), 3, 10)),
    Row("py_cmf", HLCV, (20,)),
    Row("py_force_index", ("close", "volume"), (13,)),
    Row("py_volume_oscillator", ("volume",), (5, 10)),
    Row("py_pvt", ("close", "volume")),
    Row("py_nvi", ("close", "volume")),
    Row("py_pvi", ("close", "volume")),
    Row("py_eom", ("high", "low", "volume"), (14,)),
    Row("py_volume_profile", HLCV, (24,)),
]
