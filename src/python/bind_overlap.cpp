#include "indicators/overlap.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&trima>("py_trima", doc("py_trima(values, period)", "Triangular moving average: an SMA of an SMA whose periods add up to period + 1."),
                "values", "period"),
    def<&midpoint>("py_midpoint", doc("py_midpoint(values, period)", "Midpoint of the window: (highest + lowest) / 2."),
                   "values", "period"),
    def<&midprice>("py_midprice", doc("py_midprice(high, low, period)", "Midpoint price: (highest high + lowest low) / 2 over the window."),
                   "high", "low", "period"),
    def<&zlma>("py_zlma", doc("py_zlma(values, period)", "Zero-lag exponential moving average: the EMA of 2 * x[i] - x[i - (period - 1) / 2]."),
               "values", "period"),
    def<&t3>("py_t3", doc("py_t3(values, period=5, vfactor=0.7)", "Tillson T3 moving average over six chained EMAs; the EMA itself when the series is too short."),
             "values", nullable("period", 5), nullable("vfactor", 0.7)),
    def<&kama>("py_kama", doc("py_kama(values, period=10, fast_period=2, slow_period=30)", "Kaufman adaptive moving average, smoothed by the efficiency ratio."),
               "values", nullable("period", 10), nullable("fast_period", 2), nullable("slow_period", 30)),
    def<&frama>("py_frama", doc("py_frama(values, period)", "Fractal adaptive moving average (period even, at least 2)."),
                "values", nullable("period", 16)),
    def<&alma>("py_alma", doc("py_alma(values, period, offset, sigma)", "Arnaud Legoux moving average: Gaussian weights exp(-(k - m)^2 / (2 s^2)), m = offset * (period - 1), s = period / sigma."),
               "values", nullable("period", 9), nullable("offset", 0.85), nullable("sigma", 6.0)),
    def<&vidya>("py_vidya", doc("py_vidya(close, period)", "Variable index dynamic average: an EMA whose factor scales with the sample deviation relative to price."),
                "close", nullable("period", 14)),
    def<&pwma>("py_pwma", doc("py_pwma(values, period)", "Pascal weighted moving average (binomial weights)."),
               "values", nullable("period", 5)),
    def<&sinwma>("py_sinwma", doc("py_sinwma(values, period)", "Sine weighted moving average."),
                 "values", nullable("period", 14)),
    def<&swma>("py_swma", doc("py_swma(values, period)", "Symmetric (triangular) weighted moving average; the first value is at index period."),
               "values", nullable("period", 7)),
    def<&vwma>("py_vwma", doc("py_vwma(close, volume, period)", "Volume weighted moving average; NaN where the window's volume is not positive."),
               "close", "volume", nullable("period", 20)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
