"""The calling convention, checked once for the whole registry."""
import array
import importlib
import inspect
import math
import re

import pytest

import vorn_library as vl
from conftest import same

np = pytest.importorskip("numpy")

FUNCTIONS = [n for n in vl.__all__ if n.startswith("py_")]
CLASSES = [n for n in vl.__all__ if not n.startswith("py_")]

SERIES_NAMES = {
    "values", "close", "high", "low", "open", "volume", "x", "y", "values1", "values2", "y_values",
    "asset_returns", "benchmark_returns",
}


def series_params(fn, args=None):
    names = list(args) if args is not None else list(inspect.signature(fn).parameters)
    return [p for p in names if p in SERIES_NAMES]


# Functions whose baseline arguments need more than the generic choice.
OVERRIDES = {
    "py_asin": {"values": [i / 100 - 0.3 for i in range(60)]},
    "py_acos": {"values": [i / 100 - 0.3 for i in range(60)]},
    "py_frama": {"period": 4},
}
# Detectors that validate nothing and work on the common length of what they read.
NO_VALIDATION = {"py_counterattack", "py_hikkake"}


def valid_args(fn, n=60):
    """Arguments a function accepts: realistic series, and each parameter's signature default or 3."""
    base = [100 + 10 * math.sin(i / 5) + i * 0.1 for i in range(n)]
    data = {
        "open": base, "close": [b + 0.5 for b in base], "high": [b + 2 for b in base],
        "low": [b - 2 for b in base], "volume": [1000.0 + 10 * i for i in range(n)],
    }
    args = {}
    for name, p in inspect.signature(fn).parameters.items():
        if name in SERIES_NAMES:
            args[name] = data.get(name, base)
        elif p.default is not inspect.Parameter.empty:
            args[name] = p.default
        else:
            args[name] = 3
    args.update(OVERRIDES.get(fn.__name__, {}))
    # A few signature lines name fewer parameters than the call takes: add the missing ones.
    for _ in range(3):
        try:
            fn(**args)
            break
        except TypeError as e:
            missing = re.findall(r"'(\w+)'", str(e)) if "missing" in str(e) else []
            if not missing:
                raise
            for name in missing:
                args[name] = data.get(name, base) if name in SERIES_NAMES else None
    return args


# ---- registration ------------------------------------------------------------

# Every public name the module will ever have, in registration order; a build
# registers the ones it has, in this relative order.
REGISTRATION_ORDER = [
    "Candle", "IndicatorResult", "MultiIndicatorResult", "OhlcvFrame", "py_true_range", "py_atr", "py_natr",
    "py_bollinger_bands", "py_keltner_channel", "py_donchian_channel", "py_chandelier_exit",
    "py_historical_volatility", "py_ulcer_index", "py_mass_index", "py_rsi", "py_macd", "py_stochastic",
    "py_stochrsi", "py_stoch_rsi", "py_cci", "py_williams_r", "py_awesome_oscillator", "py_fisher_transform",
    "py_supertrend", "py_adx", "py_dmi", "py_aroon", "py_psar", "py_parabolic_sar", "py_trix", "py_dpo",
    "py_obv", "py_vwap", "py_mfi", "py_force_index", "py_cmf", "py_volume_oscillator", "py_volume_profile",
    "py_sma", "py_ema", "py_rma", "py_wma", "py_hma", "py_dema", "py_tema", "py_fib_retracement",
    "py_fib_extension", "py_fibonacci_retracement", "py_fibonacci_extension", "py_dynamic_fib_retracement",
    "py_detect_fib_touch", "py_fib_fan_lines", "py_fib_time_zones", "py_ichimoku_cloud", "py_ichimoku_signals",
    "py_ichimoku_tk_cross", "py_cloud_thickness", "py_cloud_color", "py_standard_pivots", "py_classic_pivots",
    "py_fibonacci_pivots", "py_camarilla_pivots", "py_woodie_pivots", "py_demark_pivots",
    "py_calc_pivot_series", "py_detect_pivot_touch", "py_pivot_zone", "py_kdj", "py_tsi",
    "py_ultimate_oscillator", "py_mom", "py_roc", "py_vortex", "py_choppiness", "py_qstick", "py_vhf", "py_ad",
    "py_pvt", "py_nvi", "py_pvi", "py_eom", "py_zlma", "py_t3", "py_kama", "py_frama", "py_doji", "py_hammer",
    "py_inverted_hammer", "py_hanging_man", "py_bullish_engulfing", "py_bearish_engulfing", "py_bullish_harami",
    "py_bearish_harami", "py_piercing_pattern", "py_dark_cloud_cover", "py_morning_star", "py_evening_star",
    "py_three_white_soldiers", "py_three_black_crows", "py_linear_regression", "py_correlation", "py_zscore",
    "py_covariance", "py_beta", "py_standard_error", "py_stderr", "py_avgprice", "py_medprice", "py_typprice",
    "py_wclprice", "py_max", "py_min", "py_sum", "py_sqrt", "py_ln", "py_log10", "py_exp", "py_abs", "py_ceil",
    "py_floor", "py_sin", "py_cos", "py_tan", "py_asin", "py_acos", "py_atan", "py_sinh", "py_cosh", "py_tanh",
    "py_add", "py_sub", "py_mult", "py_div", "py_minmax", "py_minmaxindex", "py_shooting_star", "py_marubozu",
    "py_spinning_top", "py_dragonfly_doji", "py_gravestone_doji", "py_long_legged_doji", "py_tweezers_top",
    "py_tweezers_bottom", "py_rising_three_methods", "py_falling_three_methods", "py_harami_cross",
    "py_morning_doji_star", "py_evening_doji_star", "py_three_inside", "py_three_outside", "py_abandoned_baby",
    "py_kicking", "py_long_line", "py_short_line", "py_doji_star", "py_identical_three_crows",
    "py_stick_sandwich", "py_tristar", "py_upside_gap_two_crows", "py_gap_sidesidewhite", "py_takuri",
    "py_homing_pigeon", "py_matching_low", "py_separating_lines", "py_thrusting", "py_inneck", "py_onneck",
    "py_advance_block", "py_stalled_pattern", "py_belthold", "py_concealing_baby_swallow", "py_counterattack",
    "py_highwave", "py_hikkake", "py_hikkake_mod", "py_ladder_bottom", "py_mat_hold", "py_rickshaw_man",
    "py_unique_3_river", "py_xside_gap_3_methods", "py_closing_marubozu", "py_breakaway", "py_midpoint",
    "py_midprice", "py_trima", "py_sar", "py_sarext", "py_mama", "py_ai_supertrend", "py_ai_momentum_index",
    "py_dynamic_macd", "py_atr2_signals", "py_ai_supertrend_ml", "py_atr2_signals_ml",
    "py_ai_momentum_index_ml", "py_pivot_buy_sell", "py_detect_divergence", "py_fvg_signals",
    "py_volume_filter", "py_combine_signals", "py_calculate_stops", "py_trailing_stop", "py_pd_array_signals",
    "py_breaker_block_signals", "py_general_parameters_signals", "py_linreg_supply_demand_signals",
    "py_heikin_ashi_signals", "py_volume_profile_signals", "py_ht_dcperiod", "py_ht_dcphase", "py_ht_phasor",
    "py_ht_sine", "py_ht_trendmode", "py_correl", "py_linearreg", "py_linearreg_slope", "py_linearreg_angle",
    "py_linearreg_intercept", "py_var", "py_tsf", "py_adosc", "py_apo", "py_ppo", "py_cmo", "py_dx",
    "py_plus_di", "py_minus_di", "py_entropy", "py_aberration", "py_squeeze", "py_qqe", "py_cti", "py_er",
    "py_bias", "py_psl", "py_rvi", "py_inertia", "py_alligator", "py_efi", "py_kst", "py_stc", "py_tdfi",
    "py_wae", "py_smi", "py_coppock", "py_pgo", "py_vwma", "py_alma", "py_vidya", "py_pwma", "py_sinwma",
    "py_swma", "py_bop", "py_ssl_channel", "py_cfo", "py_slope", "py_percent_rank", "PyHarmonicPattern",
    "py_harmonics", "py_harmonics_patterns", "py_swing_points", "OnlineSMA", "OnlineEMA", "OnlineRSI",
    "OnlineATR", "OnlineMACD", "OnlineBollingerBands", "OnlineStochastic", "OnlineSuperTrend",
    "OnlineAdaptiveRSI", "OnlineEnsembleSignal", "EnsembleSignalResult", "OnlineMLSuperTrend",
    "MLSuperTrendResult", "OnlineAISuperTrendML", "AISuperTrendMLResult", "SFGModel",
    "py_train_supertrend_model", "py_train_atr2_model", "py_train_momentum_model",
    "py_prepare_supertrend_features", "py_prepare_atr2_features", "py_prepare_momentum_features",
]


def test_all_follows_the_registration_order():
    assert len(REGISTRATION_ORDER) == 283
    position = {name: k for k, name in enumerate(REGISTRATION_ORDER)}
    assert all(name in position for name in vl.__all__)
    assert [position[n] for n in vl.__all__] == sorted(position[n] for n in vl.__all__)

def test_all_lists_exactly_the_public_names_in_registration_order():
    assert vl.__all__[:3] == ["Candle", "IndicatorResult", "MultiIndicatorResult"]
    public = {n for n in dir(vl) if not n.startswith("_")}
    assert set(vl.__all__) == public
    assert len(vl.__all__) == len(set(vl.__all__))
    if "py_true_range" in vl.__all__ and "OhlcvFrame" not in vl.__all__:
        assert vl.__all__[3] == "py_true_range"
    # Relative order of the basic averages never changes.
    mas = [n for n in vl.__all__ if n in ("py_sma", "py_ema", "py_rma", "py_wma", "py_hma", "py_dema", "py_tema")]
    assert mas == ["py_sma", "py_ema", "py_rma", "py_wma", "py_hma", "py_dema", "py_tema"]


def test_reimport_returns_the_same_module():
    import sys

    assert importlib.import_module("vorn_library") is vl
    assert importlib.reload(vl) is vl
    del sys.modules["vorn_library"]
    try:
        assert importlib.import_module("vorn_library") is vl
    finally:
        sys.modules["vorn_library"] = vl


def test_a_second_interpreter_cannot_import_the_module():
    subinterpreters = pytest.importorskip("_xxsubinterpreters")
    interp = subinterpreters.create()
    try:
        with pytest.raises(subinterpreters.RunFailedError, match="ImportError"):
            subinterpreters.run_string(interp, "import vorn_library")
    finally:
        subinterpreters.destroy(interp)


@pytest.mark.parametrize("name", FUNCTIONS)
def test_every_function_has_its_text_signature(name):
    fn = getattr(vl, name)
    sig = fn.__text_signature__
    assert sig and sig.startswith("(") and sig.endswith(")")
    assert fn.__module__ == "vorn_library"
    assert inspect.signature(fn).parameters  # parsable by inspect


@pytest.mark.parametrize("name", CLASSES)
def test_every_class_has_its_constructor_signature(name):
    assert getattr(vl, name).__text_signature__.startswith("(")


# ---- series conversion, swept over the registry ----------------------------------

@pytest.mark.parametrize("name", FUNCTIONS)
def test_every_series_parameter_rejects_str_and_non_sequences(name):
    fn = getattr(vl, name)
    args = valid_args(fn)
    for param in series_params(fn, args):
        for bad in ("12345", type("S", (str,), {})("123"), iter([1.0, 2.0]), (x for x in [1.0]), 5.0, None):
            with pytest.raises(TypeError, match=rf"^argument '{param}': ") as info:
                fn(**{**args, param: bad})
            assert isinstance(info.value.__cause__, TypeError)


@pytest.mark.parametrize("name", FUNCTIONS)
def test_every_function_reports_its_first_empty_series(name):
    fn = getattr(vl, name)
    args = valid_args(fn)
    params = series_params(fn, args)
    if not params:
        pytest.skip("no series parameter")
    if name in NO_VALIDATION:
        assert fn(**{**args, **{p: [] for p in params}}) == []
        return
    with pytest.raises(ValueError) as info:
        fn(**{**args, **{p: [] for p in params}})
    assert type(info.value) is ValueError
    # Which series is reported first is each family's validation order; the name is always one of them.
    assert str(info.value) in {f"Empty input: {p} cannot be empty" for p in params}


@pytest.mark.parametrize("name", FUNCTIONS)
@pytest.mark.parametrize("bad", [float("nan"), float("inf"), float("-inf")])
@pytest.mark.parametrize("where", [0, 30, -1])
def test_non_finite_values_anywhere_are_errors_not_crashes(name, bad, where):
    fn = getattr(vl, name)
    args = valid_args(fn)
    for param in series_params(fn, args):
        series = list(args[param])
        series[where] = bad
        try:
            fn(**{**args, param: series})
        except ValueError as e:
            assert type(e) is ValueError and len(e.args) == 1


@pytest.mark.parametrize("name", FUNCTIONS)
@pytest.mark.parametrize("scale", [1e300, 1e-300, -1e300])
def test_extreme_magnitudes_never_crash(name, scale):
    fn = getattr(vl, name)
    args = valid_args(fn)
    for param in series_params(fn, args):
        try:
            fn(**{**args, param: [x * scale for x in args[param]]})
        except ValueError:
            pass


@pytest.mark.parametrize("values", [
    (1, 2, 3), [1, 2.5, True], range(1, 4), array.array("d", [1, 2, 3]), array.array("i", [1, 2, 3]),
    memoryview(array.array("q", [1, 2, 3])), bytes([1, 2, 3]),
])
def test_any_sequence_of_numbers_is_a_series(values):
    assert same(vl.py_sma(values, 2), vl.py_sma([float(x) for x in values], 2))


@pytest.mark.parametrize("dtype", ["float64", "float32", "int8", "int16", "int32", "int64", "uint8", "uint16",
                                   "uint32", "uint64", "bool", "float16"])
def test_numpy_buffers_match_the_sequence_path(dtype):
    arr = (np.arange(50) % 7).astype(dtype)
    assert same(vl.py_wma(arr, 5), vl.py_wma([float(x) for x in arr.tolist()], 5))
    assert same(vl.py_wma(arr[::-2], 3), vl.py_wma([float(x) for x in arr[::-2].tolist()], 3))


def test_big_endian_and_object_arrays_take_the_sequence_path():
    arr = np.arange(10, dtype=">f8")
    assert same(vl.py_sma(arr, 2), vl.py_sma(list(range(10)), 2))
    assert same(vl.py_sma(np.array([1, 2, 3], dtype=object), 2), [math.nan, 1.5, 2.5])


def test_two_dimensional_arrays_keep_the_sequence_behaviour():
    with pytest.raises(TypeError, match="^argument 'values': "):
        vl.py_sma(np.ones((3, 2)), 1)


def test_element_that_empties_the_list_while_it_is_read():
    victim = []

    class Evil:
        def __float__(self):
            victim.clear()
            return 1.0

    victim.extend([Evil(), 2.0, 3.0, 4.0])
    # Reading stops where the list now ends: one element was read.
    assert vl.py_sma(victim, 1) == [1.0]


def test_element_that_grows_the_list_is_read_to_the_end():
    victim = []

    class Grow:
        def __float__(self):
            victim.append(9.0)
            return 1.0

    victim.extend([Grow(), 2.0])
    assert vl.py_sma(victim, 1) == [1.0, 2.0, 9.0]


def test_element_conversion_error_names_the_parameter():
    with pytest.raises(TypeError, match=r"^argument 'values': must be real number, not str$") as info:
        vl.py_sma([1.0, "2"], 1)
    assert isinstance(info.value.__cause__, TypeError)


# ---- integers, matching, results ---------------------------------------------------

@pytest.mark.parametrize("period, exc", [
    (-1, OverflowError), (2 ** 64, OverflowError), (2.0, TypeError), ("2", TypeError), (None, TypeError),
])
def test_integer_parameter_errors(period, exc):
    with pytest.raises(exc) as info:
        vl.py_sma([1.0, 2.0], period)
    assert type(info.value) is exc
    if exc is TypeError:
        assert str(info.value).startswith("argument 'period': ")


def test_integer_parameter_edges():
    with pytest.raises(ValueError, match=r"^Invalid period: 18446744073709551615 \(must be > 0 and <= data length 2\)$"):
        vl.py_sma([1.0, 2.0], 2 ** 64 - 1)
    assert vl.py_sma([1.0, 2.0], True) == [1.0, 2.0]

    class Index:
        def __index__(self):
            return 2

    assert same(vl.py_sma([1.0, 3.0], Index()), [math.nan, 2.0])
    assert vl.py_sma([1.0, 3.0], np.int64(2))[1] == 2.0


@pytest.mark.parametrize("call, message", [
    (lambda: vl.py_sma([1.0], 1, 2), "py_sma() takes 2 positional arguments but 3 were given"),
    (lambda: vl.py_sma([1.0], period=1, foo=2), "py_sma() got an unexpected keyword argument 'foo'"),
    (lambda: vl.py_sma([1.0], values=[1.0]), "py_sma() got multiple values for argument 'values'"),
    (lambda: vl.py_sma([1.0]), "py_sma() missing 1 required positional argument: 'period'"),
    (lambda: vl.py_sma(), "py_sma() missing 2 required positional arguments: 'values' and 'period'"),
])
def test_argument_matching_errors(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_keywords_only_call_matches_positional():
    assert same(vl.py_sma(values=[1.0, 2.0, 3.0], period=2), vl.py_sma([1.0, 2.0, 3.0], 2))
    assert same(vl.py_sma(period=2, values=[1.0, 2.0, 3.0]), vl.py_sma([1.0, 2.0, 3.0], 2))


def test_results_are_new_objects_and_inputs_are_untouched():
    values = [1.0, 2.0, 3.0]
    first = vl.py_sma(values, 1)
    first.append(99.0)
    assert vl.py_sma(values, 1) == [1.0, 2.0, 3.0]
    assert values == [1.0, 2.0, 3.0]
    assert first is not values


def test_flag_and_text_loaders_are_strict():
    if not hasattr(vl, "IndicatorResult"):
        pytest.skip("records not built")
    with pytest.raises(TypeError, match=r"^argument 'name': "):
        vl.IndicatorResult(b"name", [])


@pytest.mark.parametrize("name", FUNCTIONS)
def test_calls_and_failures_do_not_leak_python_objects(name):
    import gc
    import tracemalloc

    fn = getattr(vl, name)
    args = valid_args(fn)
    params = series_params(fn, args)

    def calls():
        fn(**args)
        for param in params[:1]:
            for bad in ("abc", [], [float("nan")] * 60):
                try:
                    fn(**{**args, param: bad})
                except (TypeError, ValueError):
                    pass
        try:
            fn(*args.values(), None, None, None, None, None, None, None, None, None, None, None, None)
        except TypeError:
            pass

    for _ in range(20):
        calls()
    gc.collect()
    tracemalloc.start()
    try:
        before = tracemalloc.get_traced_memory()[0]
        for _ in range(200):
            calls()
        gc.collect()
        grown = tracemalloc.get_traced_memory()[0] - before
    finally:
        tracemalloc.stop()
    assert grown < 4096
