#include "indicators/trend.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&supertrend>("py_supertrend", doc("py_supertrend(high, low, close, period=10, multiplier=3.0)", "SuperTrend: ATR bands around the bar midpoint that trail price; the line follows the lower band in an uptrend and the upper band in a downtrend. Returns (supertrend, direction, final_upper, final_lower); direction is 1.0 up, -1.0 down."),
                     "high", "low", "close", nullable("period", 10), nullable("multiplier", 3.0)),
    def<&adx>("py_adx", doc("py_adx(high, low, close, period=14)", "Average directional index with Wilder smoothing. Returns (adx, plus_di, minus_di)."),
              "high", "low", "close", nullable("period", 14)),
    def<&dmi>("py_dmi", doc("py_dmi(high, low, close, period=14)", "Directional movement indicators. Returns (plus_di, minus_di)."),
              "high", "low", "close", nullable("period", 14)),
    def<&aroon>("py_aroon", doc("py_aroon(high, low, period=25)", "Aroon: how recently the window of period + 1 bars made its high and its low. Returns (aroon_up, aroon_down, aroon_oscillator)."),
                "high", "low", nullable("period", 25)),
    def<&trix>("py_trix", doc("py_trix(close, period=15)", "TRIX: one-bar percentage change of a triple exponential average."),
               "close", nullable("period", 15)),
    def<&dpo>("py_dpo", doc("py_dpo(close, period=20)", "Detrended price oscillator: close minus the simple average of period / 2 + 1 bars earlier."),
              "close", nullable("period", 20)),
    def<&qstick>("py_qstick", doc("py_qstick(open, close, period=14)", "QStick: exponential average of close minus open."),
                 "open", "close", nullable("period", 14)),
    def<&vhf>("py_vhf", doc("py_vhf(close, period=28)", "Vertical horizontal filter: window range of the close divided by the sum of its absolute changes."),
              "close", nullable("period", 28)),
    def<&vortex>("py_vortex", doc("py_vortex(high, low, close, period=14)", "Vortex indicator: windowed upward and downward vortex movement over windowed true range. Returns (plus_vi, minus_vi)."),
                 "high", "low", "close", nullable("period", 14)),
    def<&choppiness>("py_choppiness", doc("py_choppiness(high, low, close, period=14)", "Choppiness index: log10 of summed true range over the window range, scaled to 0..100 by log10(period)."),
                     "high", "low", "close", nullable("period", 14)),
    def<&dx>("py_dx", doc("py_dx(high, low, close, period=14)", "Directional movement index: |+DI - -DI| / (+DI + -DI) * 100."),
             "high", "low", "close", nullable("period", 14)),
    def<&plus_di>("py_plus_di", doc("py_plus_di(high, low, close, period=14)", "Plus directional indicator (+DI of py_adx)."),
                  "high", "low", "close", nullable("period", 14)),
    def<&minus_di>("py_minus_di", doc("py_minus_di(high, low, close, period=14)", "Minus directional indicator (-DI of py_adx)."),
                   "high", "low", "close", nullable("period", 14)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
