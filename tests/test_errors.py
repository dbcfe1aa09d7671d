"""Error kinds, their exact messages, and the standard validation order."""
import pytest

import vorn_library as vl

NAN, INF = float("nan"), float("inf")


@pytest.mark.parametrize("args, message", [
    (([], 3), "Empty input: values cannot be empty"),
    (([], 0), "Empty input: values cannot be empty"),
    (([1.0, NAN, 3.0], 2), "Invalid value at index 1: values contains non-finite value: NaN"),
    (([1.0, -INF, 3.0], 2), "Invalid value at index 1: values contains non-finite value: -inf"),
    (([INF, NAN], 2), "Invalid value at index 0: values contains non-finite value: inf"),
    (([1.0, 2.0, NAN], 9), "Invalid value at index 2: values contains non-finite value: NaN"),
    (([1.0, 2.0], 0), "Invalid period: 0 (must be > 0 and <= data length 2)"),
    (([1.0, 2.0], 3), "Invalid period: 3 (must be > 0 and <= data length 2)"),
])
def test_standard_single_series_order_and_messages(args, message):
    with pytest.raises(ValueError) as info:
        vl.py_sma(*args)
    assert type(info.value) is ValueError
    assert info.value.args == (message,)


def _two_series_function():
    for name, params in [("py_medprice", ("high", "low")), ("py_correl", ("values1", "values2", 2)),
                         ("py_midprice", ("high", "low", 2))]:
        if hasattr(vl, name):
            return getattr(vl, name), params
    pytest.skip("no two-series function built")


@pytest.mark.parametrize("first, second, message", [
    ([1.0] * 10, [1.0] * 9, "Length mismatch: {0}=10, {1}=9"),
    ([1.0] * 10, [], "Empty input: {1} cannot be empty"),
    ([], [NAN], "Empty input: {0} cannot be empty"),
    ([1.0, NAN], [NAN, 1.0], "Invalid value at index 1: {0} contains non-finite value: NaN"),
    ([1.0, 2.0], [1.0, INF], "Invalid value at index 1: {1} contains non-finite value: inf"),
])
def test_lengths_match_checks_each_series_fully_in_turn(first, second, message):
    fn, params = _two_series_function()
    names = [p for p in params if isinstance(p, str)]
    extra = [p for p in params if not isinstance(p, str)]
    with pytest.raises(ValueError) as info:
        fn(first, second, *extra)
    assert str(info.value) == message.format(*names)


@pytest.mark.parametrize("value, text", [
    (-1.0, "-1"), (-0.5, "-0.5"), (-1e-7, "-0.0000001"), (-123456789.25, "-123456789.25"), (-1e22, "-10000000000000000000000"),
    (-0.1, "-0.1"), (-2.0 ** -20, "-0.00000095367431640625"),
])
def test_floats_in_messages_are_shortest_positional(value, text):
    if not hasattr(vl, "py_sqrt"):
        pytest.skip("no function prints a float in its message yet")
    with pytest.raises(ValueError) as info:
        vl.py_sqrt([4.0, value])
    assert str(info.value) == f"Invalid value at index 1: values must be >= 0 for sqrt, got {text}"
