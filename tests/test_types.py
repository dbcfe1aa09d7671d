import math

import pytest

import vorn_library as vl


@pytest.fixture
def candle():
    return vl.Candle(1, 1.0, 2.0, 0.5, 1.5, 100.0)


def test_candle_fields_and_derived_prices(candle):
    assert (candle.timestamp, candle.open, candle.high, candle.low, candle.close, candle.volume) == \
        (1, 1.0, 2.0, 0.5, 1.5, 100.0)
    assert candle.typical_price == 4.0 / 3.0
    assert candle.median_price == 1.25
    assert candle.weighted_close == 1.375
    candle.high = 4
    assert candle.median_price == 2.25


def test_candle_to_dict_gives_floats(candle):
    d = candle.to_dict()
    assert d == {"timestamp": 1.0, "open": 1.0, "high": 2.0, "low": 0.5, "close": 1.5, "volume": 100.0}
    assert type(d["timestamp"]) is float
    d["open"] = 9.0
    assert candle.open == 1.0


@pytest.mark.parametrize("args, text", [
    ((0, 1.005, 2, 3, 4, 5), "Candle(O:1.00, H:2.00, L:3.00, C:4.00, V:5.00)"),
    ((0, 1.0, 2.5, 0.75, 1.25, 1000.0), "Candle(O:1.00, H:2.50, L:0.75, C:1.25, V:1000.00)"),
])
def test_candle_repr(args, text):
    assert repr(vl.Candle(*args)) == text


def test_candle_accepts_anything_unvalidated():
    c = vl.Candle(-5, math.nan, 1.0, 2.0, -3.0, 0.0)
    assert math.isnan(c.open) and c.low > c.high


@pytest.mark.parametrize("attr, value, exc", [
    ("open", "x", TypeError), ("timestamp", 1.5, TypeError), ("volume", None, TypeError),
    ("timestamp", 2 ** 63, OverflowError),
])
def test_candle_setters_convert_like_the_constructor(candle, attr, value, exc):
    with pytest.raises(exc) as info:
        setattr(candle, attr, value)
    if exc is TypeError:
        assert str(info.value).startswith(f"argument '{attr}': ")


def test_candle_constructor_errors():
    with pytest.raises(TypeError, match=r"^argument 'timestamp': "):
        vl.Candle(1.5, 1, 1, 1, 1, 1)
    with pytest.raises(TypeError, match=r"missing 1 required positional argument: 'volume'"):
        vl.Candle(1, 1, 1, 1, 1)


def test_candle_attributes_cannot_be_deleted_or_derived_ones_set(candle):
    with pytest.raises(AttributeError):
        del candle.open
    with pytest.raises(AttributeError):
        candle.median_price = 1.0


def test_indicator_result():
    r = vl.IndicatorResult("x", [])
    assert r.is_empty() and r.len == 0
    r = vl.IndicatorResult("rsi", (1, 2.5))
    assert (r.name, r.values, r.len, r.is_empty()) == ("rsi", [1.0, 2.5], 2, False)
    r.values.append(1.0)
    assert r.len == 2
    r.add_metadata("period", "14")
    r.add_metadata("period", "21")
    assert r.metadata == {"period": "21"}
    r.metadata["x"] = "y"
    assert r.metadata == {"period": "21"}
    for attr in ("name", "values", "metadata", "len"):
        with pytest.raises(AttributeError):
            setattr(r, attr, None)
    with pytest.raises(TypeError, match=r"^argument 'values': "):
        vl.IndicatorResult("x", "abc")
    with pytest.raises(TypeError, match=r"^argument 'value': "):
        r.add_metadata("k", 1)


def test_multi_indicator_result():
    m = vl.MultiIndicatorResult("bands")
    assert (m.name, m.series, m.metadata) == ("bands", {}, {})
    m.add_series("a", [1.0])
    m.add_series("a", [2.0, 3.0])
    m.add_series("b", [])
    m.add_metadata("k", "v")
    assert m.series == {"a": [2.0, 3.0], "b": []}
    assert m.metadata == {"k": "v"}
    m.series["a"].append(4.0)
    assert m.series["a"] == [2.0, 3.0]


def test_borrow_flag_rejects_reentrant_mutation():
    m = vl.MultiIndicatorResult("m")

    class Sneaky:
        def __float__(self):
            m.add_series("inner", [1.0])  # re-enters while the outer call holds the object
            return 1.0

    with pytest.raises(RuntimeError):
        m.add_series("outer", [Sneaky()])
    m.add_series("after", [1.0])  # the borrow was released
    assert "after" in m.series
