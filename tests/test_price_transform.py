"""Element-wise math and price transforms."""
import math

import pytest

import vorn_library as vl

NAN = float("nan")
INF = float("inf")

# (function, Python equivalent, sample inside the domain)
MATH = [
    ("py_sqrt", math.sqrt, [4.0, 0.0, 9.0, 2.0, 1e-300, 1e300]),
    ("py_ln", math.log, [1.0, 0.5, math.e, 1e-300, 1e300]),
    ("py_log10", math.log10, [1.0, 10.0, 100.0, 0.003, 1e300]),
    ("py_exp", math.exp, [0.0, 1.0, -1.0, 700.0, -800.0]),
    ("py_abs", abs, [-1.5, 0.0, -0.0, 2.25, -1e300]),
    ("py_ceil", lambda x: float(math.ceil(x)), [-1.5, 1.5, 2.0, -0.2, 1e300]),
    ("py_floor", lambda x: float(math.floor(x)), [-1.5, 1.5, 2.0, -0.2, -1e300]),
    ("py_sin", math.sin, [0.0, 1.0, -2.5, 100.0]),
    ("py_cos", math.cos, [0.0, 1.0, -2.5, 100.0]),
    ("py_tan", math.tan, [0.0, 1.0, -2.5, 100.0]),
    ("py_asin", math.asin, [1.0, -1.0, 0.0, 0.5]),
    ("py_acos", math.acos, [1.0, -1.0, 0.0, 0.5]),
    ("py_atan", math.atan, [0.0, 1.0, -1e300, 3.5]),
    ("py_sinh", math.sinh, [0.0, 1.0, -2.5, 20.0]),
    ("py_cosh", math.cosh, [0.0, 1.0, -2.5, 20.0]),
    ("py_tanh", math.tanh, [0.0, 1.0, -2.5, 20.0]),
]


@pytest.mark.parametrize("name, ref, sample", MATH, ids=[n for n, _, _ in MATH])
def test_math_functions(name, ref, sample):
    out = getattr(vl, name)(sample)
    assert isinstance(out, list) and len(out) == len(sample)
    for got, x in zip(out, sample):
        assert got == pytest.approx(ref(x), rel=1e-15, abs=1e-300)


@pytest.mark.parametrize("name, ref, _sample", MATH, ids=[n for n, _, _ in MATH])
def test_math_functions_on_prices(ohlcv, name, ref, _sample):
    if name in ("py_asin", "py_acos"):
        xs = [math.sin(c) for c in ohlcv["close"]]
    elif name in ("py_exp", "py_sinh", "py_cosh"):
        xs = [c / 10.0 for c in ohlcv["close"]]
    else:
        xs = ohlcv["close"]
    for got, x in zip(getattr(vl, name)(xs), xs):
        assert got == pytest.approx(ref(x), rel=1e-15)


def test_math_examples():
    assert vl.py_sqrt([4, 0, 9]) == [2.0, 0.0, 3.0]
    assert vl.py_log10([1, 10, 100]) == [0.0, 1.0, 2.0]
    assert vl.py_exp([1000.0]) == [INF]
    assert vl.py_floor([-1.5]) == [-2.0]
    assert vl.py_ceil([-1.5]) == [-1.0]
    assert vl.py_asin([1.0, -1.0]) == [math.pi / 2, -math.pi / 2]
    assert vl.py_abs([True, 2, -3]) == [1.0, 2.0, 3.0]


@pytest.mark.parametrize(
    "name, values, message",
    [
        ("py_sqrt", [4, -1], "Invalid value at index 1: values must be >= 0 for sqrt, got -1"),
        ("py_sqrt", [4, -1e-7], "Invalid value at index 1: values must be >= 0 for sqrt, got -0.0000001"),
        ("py_ln", [1, 0], "Invalid value at index 1: values must be > 0 for ln, got 0"),
        ("py_ln", [2, 3, -1], "Invalid value at index 2: values must be > 0 for ln, got -1"),
        ("py_ln", [-0.0], "Invalid value at index 0: values must be > 0 for ln, got -0"),
        ("py_log10", [0.5, 0.0], "Invalid value at index 1: values must be > 0 for log10, got 0"),
        ("py_asin", [0.5, -1.25], "Invalid value at index 1: values must be in [-1, 1] for asin, got -1.25"),
        ("py_acos", [1.5], "Invalid value at index 0: values must be in [-1, 1] for acos, got 1.5"),
    ],
)
def test_domain_errors(name, values, message):
    with pytest.raises(ValueError) as e:
        getattr(vl, name)(values)
    assert str(e.value) == message
    assert type(e.value) is ValueError and e.value.args == (message,)


@pytest.mark.parametrize("name", [n for n, _, _ in MATH])
def test_one_series_validation(name):
    f = getattr(vl, name)
    with pytest.raises(ValueError) as e:
        f([])
    assert str(e.value) == "Empty input: values cannot be empty"
    # The finiteness scan runs before the domain scan, over the whole series.
    with pytest.raises(ValueError) as e:
        f([-5.0, 0.5, NAN])
    assert str(e.value) == "Invalid value at index 2: values contains non-finite value: NaN"
    with pytest.raises(ValueError) as e:
        f([0.5, -INF])
    assert str(e.value) == "Invalid value at index 1: values contains non-finite value: -inf"
    with pytest.raises(TypeError, match="values"):
        f("123")


def test_domain_scan_covers_the_whole_series_first():
    # The first offending element is reported even when it is the last one.
    with pytest.raises(ValueError, match="index 4"):
        vl.py_sqrt([1.0, 2.0, 3.0, 4.0, -4.0])


# ---- two-series operators -------------------------------------------------------

OPS = [
    ("py_add", lambda a, b: a + b),
    ("py_sub", lambda a, b: a - b),
    ("py_mult", lambda a, b: a * b),
    ("py_div", lambda a, b: a / b),
]


@pytest.mark.parametrize("name, op", OPS, ids=[n for n, _ in OPS])
def test_operators(ohlcv, name, op):
    a, b = ohlcv["close"], ohlcv["open"]
    assert getattr(vl, name)(a, b) == [op(x, y) for x, y in zip(a, b)]


def test_operator_examples():
    assert vl.py_sub([5], [3]) == [2.0]
    assert vl.py_div([1, 3], [4, -2]) == [0.25, -1.5]
    assert vl.py_mult([1e200], [1e200]) == [INF]


@pytest.mark.parametrize(
    "divisor, shown",
    [(0.0, "0"), (1e-11, "0.00000000001"), (-1e-11, "-0.00000000001"), (-0.0, "-0"), (9.99e-11, "0.0000000000999")],
)
def test_div_rejects_zero_divisors(divisor, shown):
    with pytest.raises(ValueError) as e:
        vl.py_div([1.0, 2.0, 3.0], [1.0, divisor, 0.0])
    assert str(e.value) == f"Invalid value at index 1: values2 contains zero divisor: {shown}"


def test_div_accepts_small_but_valid_divisors():
    assert vl.py_div([1.0], [1e-10]) == [1.0 / 1e-10]


@pytest.mark.parametrize("name", [n for n, _ in OPS])
def test_operator_validation_order(name):
    f = getattr(vl, name)
    cases = [
        (([], [1.0]), "Empty input: values1 cannot be empty"),
        (([NAN], []), "Empty input: values2 cannot be empty"),
        (([1.0, 2.0], [1.0]), "Length mismatch: values1=2, values2=1"),
        # Lengths are compared before either finiteness scan.
        (([NAN, 2.0], [1.0]), "Length mismatch: values1=2, values2=1"),
        (([1.0, NAN], [NAN, 1.0]), "Invalid value at index 1: values1 contains non-finite value: NaN"),
        (([1.0, 2.0], [1.0, INF]), "Invalid value at index 1: values2 contains non-finite value: inf"),
    ]
    for args, message in cases:
        with pytest.raises(ValueError) as e:
            f(*args)
        assert str(e.value) == message


def test_div_checks_finiteness_before_divisors():
    with pytest.raises(ValueError, match="values2 contains non-finite value"):
        vl.py_div([1.0, 1.0], [0.0, NAN])


# ---- price transforms ---------------------------------------------------------------


def test_price_transform_examples():
    assert vl.py_typprice([3], [1], [2]) == [2.0]
    assert vl.py_wclprice([3], [1], [2]) == [2.0]
    assert vl.py_medprice([3], [1]) == [2.0]
    assert vl.py_avgprice([1], [3], [1], [3]) == [2.0]


def test_price_transforms_on_bars(ohlcv):
    o, h, l, c = ohlcv["open"], ohlcv["high"], ohlcv["low"], ohlcv["close"]
    assert vl.py_avgprice(o, h, l, c) == [(a + b + x + y) * 0.25 for a, b, x, y in zip(o, h, l, c)]
    assert vl.py_medprice(h, l) == [(a + b) * 0.5 for a, b in zip(h, l)]
    assert vl.py_typprice(h, l, c) == [(a + b + x) / 3 for a, b, x in zip(h, l, c)]
    assert vl.py_wclprice(h, l, c) == [(2 * x + (a + b)) * 0.25 for a, b, x in zip(h, l, c)]


def test_price_transforms_agree_with_candle(ohlcv):
    if not hasattr(vl, "Candle"):
        pytest.skip("Candle not built")
    o, h, l, c, v = (ohlcv[k] for k in ("open", "high", "low", "close", "volume"))
    med, typ, wcl = vl.py_medprice(h, l), vl.py_typprice(h, l, c), vl.py_wclprice(h, l, c)
    for i in range(0, len(c), 37):
        candle = vl.Candle(i, o[i], h[i], l[i], c[i], v[i])
        assert (candle.median_price, candle.typical_price, candle.weighted_close) == (med[i], typ[i], wcl[i])


PRICES = [
    ("py_avgprice", ["open", "high", "low", "close"]),
    ("py_medprice", ["high", "low"]),
    ("py_typprice", ["high", "low", "close"]),
    ("py_wclprice", ["high", "low", "close"]),
]


@pytest.mark.parametrize("name, names", PRICES, ids=[n for n, _ in PRICES])
def test_price_transform_validation(name, names):
    f = getattr(vl, name)
    k = len(names)
    good = [[1.0, 2.0, 3.0]] * k
    with pytest.raises(ValueError) as e:
        f([], *good[1:])
    assert str(e.value) == f"Empty input: {names[0]} cannot be empty"
    with pytest.raises(ValueError) as e:
        f([1.0, NAN, 3.0], *good[1:])
    assert str(e.value) == f"Invalid value at index 1: {names[0]} contains non-finite value: NaN"
    for j in range(1, k):
        args = list(good)
        args[j] = [1.0, 2.0]
        with pytest.raises(ValueError) as e:
            f(*args)
        assert str(e.value) == f"Length mismatch: {names[0]}=3, {names[j]}=2"
        args[j] = []
        with pytest.raises(ValueError) as e:
            f(*args)
        assert str(e.value) == f"Empty input: {names[j]} cannot be empty"
        args[j] = [1.0, 2.0, -INF]
        with pytest.raises(ValueError) as e:
            f(*args)
        assert str(e.value) == f"Invalid value at index 2: {names[j]} contains non-finite value: -inf"
    # Each series is fully checked before the next one is looked at.
    if k >= 3:
        args = list(good)
        args[1] = [1.0, NAN, 3.0]
        args[2] = [1.0]
        with pytest.raises(ValueError, match=f"{names[1]} contains non-finite"):
            f(*args)


# ---- calling convention -------------------------------------------------------------

SIGNATURES = {name: "(values)" for name, _, _ in MATH}
SIGNATURES.update({name: "(values1, values2)" for name, _ in OPS})
SIGNATURES.update(
    {
        "py_avgprice": "(open, high, low, close)",
        "py_medprice": "(high, low)",
        "py_typprice": "(high, low, close)",
        "py_wclprice": "(high, low, close)",
    }
)


def test_twenty_four_functions():
    assert len(SIGNATURES) == 24


@pytest.mark.parametrize("name", sorted(SIGNATURES))
def test_signature_and_required_arguments(name):
    f = getattr(vl, name)
    assert name in vl.__all__
    assert f.__text_signature__ == SIGNATURES[name]
    nparams = SIGNATURES[name].count(",") + 1
    with pytest.raises(TypeError, match="missing"):
        f(*([[1.0]] * (nparams - 1)))
    with pytest.raises(TypeError):
        f(*([[1.0]] * (nparams - 1)), None)


def test_keywords_and_fresh_results(ohlcv):
    h, l = list(ohlcv["high"]), list(ohlcv["low"])
    out = vl.py_medprice(low=l, high=h)
    assert out == vl.py_medprice(h, l)
    out[0] = -1.0
    assert vl.py_medprice(h, l)[0] != -1.0 and h == ohlcv["high"]


# ---- TA-Lib, where the definitions agree ---------------------------------------------
#
# Every transform except ABS has a TA-Lib counterpart with the same definition.


@pytest.fixture(scope="module")
def talib_env(ohlcv):
    talib = pytest.importorskip("talib")
    np = pytest.importorskip("numpy")
    return talib, np, {k: np.asarray(v, dtype=float) for k, v in ohlcv.items()}


TALIB_MATH = {
    "py_sqrt": "SQRT", "py_ln": "LN", "py_log10": "LOG10", "py_exp": "EXP", "py_ceil": "CEIL",
    "py_floor": "FLOOR", "py_sin": "SIN", "py_cos": "COS", "py_tan": "TAN", "py_asin": "ASIN",
    "py_acos": "ACOS", "py_atan": "ATAN", "py_sinh": "SINH", "py_cosh": "COSH", "py_tanh": "TANH",
}


@pytest.mark.parametrize("name", sorted(TALIB_MATH))
def test_math_agrees_with_talib(ohlcv, talib_env, name):
    talib, np, cols = talib_env
    # Prices for the positive domains; prices scaled into [-1, 1] for the rest.
    xs = cols["close"] if name in ("py_sqrt", "py_ln", "py_log10") else np.tanh(cols["close"] / 100.0 - 1.0)
    expected = getattr(talib, TALIB_MATH[name])(xs)
    got = getattr(vl, name)(xs)
    assert np.allclose(got, expected, rtol=1e-15, atol=0)


@pytest.mark.parametrize("name, fn", [("py_add", "ADD"), ("py_sub", "SUB"), ("py_mult", "MULT"), ("py_div", "DIV")])
def test_operators_agree_with_talib(talib_env, name, fn):
    talib, np, cols = talib_env
    assert getattr(vl, name)(cols["close"], cols["open"]) == list(getattr(talib, fn)(cols["close"], cols["open"]))


def test_prices_agree_with_talib(talib_env):
    talib, np, c = talib_env
    assert np.allclose(vl.py_avgprice(c["open"], c["high"], c["low"], c["close"]),
                       talib.AVGPRICE(c["open"], c["high"], c["low"], c["close"]), rtol=1e-15, atol=0)
    assert vl.py_medprice(c["high"], c["low"]) == list(talib.MEDPRICE(c["high"], c["low"]))
    assert np.allclose(vl.py_typprice(c["high"], c["low"], c["close"]),
                       talib.TYPPRICE(c["high"], c["low"], c["close"]), rtol=1e-15, atol=0)
    assert np.allclose(vl.py_wclprice(c["high"], c["low"], c["close"]),
                       talib.WCLPRICE(c["high"], c["low"], c["close"]), rtol=1e-15, atol=0)


ROUNDING_INPUTS = [0.0, -0.0, 0.5, -0.5, 0.99999, -0.99999, 1.0, -1.0, 1.5, -1.5, 2.0 ** 52 - 0.5, -(2.0 ** 52 - 0.5),
                   2.0 ** 52, 2.0 ** 53 + 2, -1e300, 1e300, 5e-324, -5e-324, 123456789.75, -123456789.25]


@pytest.mark.parametrize("name, ref", [("py_floor", math.floor), ("py_ceil", math.ceil)])
def test_rounding_is_exact_and_keeps_the_sign_of_zero(name, ref):
    got = getattr(vl, name)(ROUNDING_INPUTS)
    for x, g in zip(ROUNDING_INPUTS, got):
        want = float(ref(x))
        if want == 0.0:  # IEEE rounding keeps the sign: floor(-0.0) and ceil(-0.5) are -0.0
            want = math.copysign(0.0, x)
        assert g == want and math.copysign(1.0, g) == math.copysign(1.0, want), (x, g, want)
