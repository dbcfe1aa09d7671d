// Module initialisation: one ordered list of every public name. Names whose
// family is not built are absent from the registries and simply skipped; the
// relative order never changes.
#include "python/object.hpp"

#include <iterator>

namespace {

constexpr const char* kPublicNames[] = {
    "Candle", "IndicatorResult", "MultiIndicatorResult", "OhlcvFrame", "py_true_range", "py_atr",
    "py_natr", "py_bollinger_bands", "py_keltner_channel", "py_donchian_channel", "py_chandelier_exit",
    "py_historical_volatility", "py_ulcer_index", "py_mass_index", "py_rsi", "py_macd", "py_stochastic",
    "py_stochrsi", "py_stoch_rsi", "py_cci", "py_williams_r", "py_awesome_oscillator",
    "py_fisher_transform", "py_supertrend", "py_adx", "py_dmi", "py_aroon", "py_psar",
    "py_parabolic_sar", "py_trix", "py_dpo", "py_obv", "py_vwap", "py_mfi", "py_force_index", "py_cmf",
    "py_volume_oscillator", "py_volume_profile", "py_sma", "py_ema", "py_rma", "py_wma", "py_hma",
    "py_dema", "py_tema", "py_fib_retracement", "py_fib_extension", "py_fibonacci_retracement",
    "py_fibonacci_extension", "py_dynamic_fib_retracement", "py_detect_fib_touch", "py_fib_fan_lines",
    "py_fib_time_zones", "py_ichimoku_cloud", "py_ichimoku_signals", "py_ichimoku_tk_cross",
    "py_cloud_thickness", "py_cloud_color", "py_standard_pivots", "py_classic_pivots",
    "py_fibonacci_pivots", "py_camarilla_pivots", "py_woodie_pivots", "py_demark_pivots",
    "py_calc_pivot_series", "py_detect_pivot_touch", "py_pivot_zone", "py_kdj", "py_tsi",
    "py_ultimate_oscillator", "py_mom", "py_roc", "py_vortex", "py_choppiness", "py_qstick", "py_vhf",
    "py_ad", "py_pvt", "py_nvi", "py_pvi", "py_eom", "py_zlma", "py_t3", "py_kama", "py_frama",
    "py_doji", "py_hammer", "py_inverted_hammer", "py_hanging_man", "py_bullish_engulfing",
    "py_bearish_engulfing", "py_bullish_harami", "py_bearish_harami", "py_piercing_pattern",
    "py_dark_cloud_cover", "py_morning_star", "py_evening_star", "py_three_white_soldiers",
    "py_three_black_crows", "py_linear_regression", "py_correlation", "py_zscore", "py_covariance",
    "py_beta", "py_standard_error", "py_stderr", "py_avgprice", "py_medprice", "py_typprice",
    "py_wclprice", "py_max", "py_min", "py_sum", "py_sqrt", "py_ln", "py_log10", "py_exp", "py_abs",
    "py_ceil", "py_floor", "py_sin", "py_cos", "py_tan", "py_asin", "py_acos", "py_atan", "py_sinh",
    "py_cosh", "py_tanh", "py_add", "py_sub", "py_mult", "py_div", "py_minmax", "py_minmaxindex",
    "py_shooting_star", "py_marubozu", "py_spinning_top", "py_dragonfly_doji", "py_gravestone_doji",
    "py_long_legged_doji", "py_tweezers_top", "py_tweezers_bottom", "py_rising_three_methods",
    "py_falling_three_methods", "py_harami_cross", "py_morning_doji_star", "py_evening_doji_star",
    "py_three_inside", "py_three_outside", "py_abandoned_baby", "py_kicking", "py_long_line",
    "py_short_line", "py_doji_star", "py_identical_three_crows", "py_stick_sandwich", "py_tristar",
    "py_upside_gap_two_crows", "py_gap_sidesidewhite", "py_takuri", "py_homing_pigeon",
    "py_matching_low", "py_separating_lines", "py_thrusting", "py_inneck", "py_onneck",
    "py_advance_block", "py_stalled_pattern", "py_belthold", "py_concealing_baby_swallow",
    "py_counterattack", "py_highwave", "py_hikkake", "py_hikkake_mod", "py_ladder_bottom",
    "py_mat_hold", "py_rickshaw_man", "py_unique_3_river", "py_xside_gap_3_methods",
    "py_closing_marubozu", "py_breakaway", "py_midpoint", "py_midprice", "py_trima", "py_sar",
    "py_sarext", "py_mama", "py_ai_supertrend", "py_ai_momentum_index", "py_dynamic_macd",
    "py_atr2_signals", "py_ai_supertrend_ml", "py_atr2_signals_ml", "py_ai_momentum_index_ml",
    "py_pivot_buy_sell", "py_detect_divergence", "py_fvg_signals", "py_volume_filter",
    "py_combine_signals", "py_calculate_stops", "py_trailing_stop", "py_pd_array_signals",
    "py_breaker_block_signals", "py_general_parameters_signals", "py_linreg_supply_demand_signals",
    "py_heikin_ashi_signals", "py_volume_profile_signals", "py_ht_dcperiod", "py_ht_dcphase",
    "py_ht_phasor", "py_ht_sine", "py_ht_trendmode", "py_correl", "py_linearreg", "py_linearreg_slope",
    "py_linearreg_angle", "py_linearreg_intercept", "py_var", "py_tsf", "py_adosc", "py_apo", "py_ppo",
    "py_cmo", "py_dx", "py_plus_di", "py_minus_di", "py_entropy", "py_aberration", "py_squeeze",
    "py_qqe", "py_cti", "py_er", "py_bias", "py_psl", "py_rvi", "py_inertia", "py_alligator", "py_efi",
    "py_kst", "py_stc", "py_tdfi", "py_wae", "py_smi", "py_coppock", "py_pgo", "py_vwma", "py_alma",
    "py_vidya", "py_pwma", "py_sinwma", "py_swma", "py_bop", "py_ssl_channel", "py_cfo", "py_slope",
    "py_percent_rank", "PyHarmonicPattern", "py_harmonics", "py_harmonics_patterns", "py_swing_points",
    "OnlineSMA", "OnlineEMA", "OnlineRSI", "OnlineATR", "OnlineMACD", "OnlineBollingerBands",
    "OnlineStochastic", "OnlineSuperTrend", "OnlineAdaptiveRSI", "OnlineEnsembleSignal",
    "EnsembleSignalResult", "OnlineMLSuperTrend", "MLSuperTrendResult", "OnlineAISuperTrendML",
    "AISuperTrendMLResult", "SFGModel", "py_train_supertrend_model", "py_train_atr2_model",
    "py_train_momentum_model", "py_prepare_supertrend_features", "py_prepare_atr2_features",
    "py_prepare_momentum_features",
};
static_assert(std::size(kPublicNames) == 283);

// m_size 0 rather than -1: CPython then calls the init function on every fresh
// import (another interpreter, or after removal from sys.modules) instead of
// cloning the first module's dict, so the interpreter check below always runs.
PyModuleDef module_def = {PyModuleDef_HEAD_INIT, "vorn_library", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr};

PyObject* cached_module = nullptr;
std::int64_t cached_interpreter = -1;

// Appends the name to __all__ and sets the attribute; steals `obj`.
bool add_public(PyObject* module, PyObject* all, const char* name, PyObject* obj) {
    if (!obj) return false;
    PyObject* key = PyUnicode_FromString(name);
    bool ok = key && PyList_Append(all, key) == 0 && PyModule_AddObjectRef(module, name, obj) == 0;
    Py_XDECREF(key);
    Py_DECREF(obj);
    return ok;
}

PyObject* make_function(PyObject* module, const vorn::py::Function& f) {
    // The method table entry lives as long as the process, like the descriptor.
    auto* def = new PyMethodDef{f.name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&vorn::py::call_function)),
                                METH_FASTCALL | METH_KEYWORDS, f.docstring.c_str()};
    PyObject* capsule = PyCapsule_New(const_cast<vorn::py::Function*>(&f), "vorn_library.function", nullptr);
    if (!capsule) return nullptr;
    PyObject* modname = PyModule_GetNameObject(module);
    PyObject* fn = modname ? PyCFunction_NewEx(def, capsule, modname) : nullptr;
    Py_XDECREF(modname);
    Py_DECREF(capsule);
    return fn;
}

PyObject* create_module() {
    PyObject* module = PyModule_Create(&module_def);
    if (!module) return nullptr;
    PyObject* all = PyList_New(0);
    if (!all) {
        Py_DECREF(module);
        return nullptr;
    }
    for (const char* name : kPublicNames) {
        PyObject* obj = nullptr;
        if (const auto* f = vorn::py::find_function(name)) {
            obj = make_function(module, *f);
        } else if (const auto* c = vorn::py::find_class(name)) {
            obj = reinterpret_cast<PyObject*>(c->type());
            Py_XINCREF(obj);
        } else {
            continue;
        }
        if (!add_public(module, all, name, obj)) {
            Py_DECREF(all);
            Py_DECREF(module);
            return nullptr;
        }
    }
    if (PyModule_AddObject(module, "__all__", all) < 0) {
        Py_DECREF(all);
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

}  // namespace

PyMODINIT_FUNC PyInit_vorn_library(void) {
    const std::int64_t interp = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (interp < 0) return nullptr;
    if (cached_module) {
        if (interp != cached_interpreter) {
            PyErr_SetString(PyExc_ImportError, "vorn_library serves one interpreter per process");
            return nullptr;
        }
        return Py_NewRef(cached_module);
    }
    PyObject* module = create_module();
    if (!module) return nullptr;
    cached_module = Py_NewRef(module);
    cached_interpreter = interp;
    return module;
}
