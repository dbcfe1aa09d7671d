#include "python/call.hpp"
#include "utils/ma.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&sma>("py_sma", doc("py_sma(values, period)", "Simple moving average."), "values", "period"),
    def<&ema>("py_ema", doc("py_ema(values, period)", "Exponential moving average, alpha = 2 / (period + 1), seeded with the simple average of the first window."), "values", "period"),
    def<&rma>("py_rma", doc("py_rma(values, period)", "Wilder's moving average, alpha = 1 / period, seeded with the simple average of the first window."), "values", "period"),
    def<&wma>("py_wma", doc("py_wma(values, period)", "Linearly weighted moving average (weight 1 for the oldest value to period for the newest)."), "values", "period"),
    def<&hma>("py_hma", doc("py_hma(values, period)", "Hull moving average: WMA(2 * WMA(period / 2) - WMA(period), sqrt(period))."), "values", "period"),
    def<&dema>("py_dema", doc("py_dema(values, period)", "Double exponential moving average: 2 * EMA - EMA(EMA)."), "values", "period"),
    def<&tema>("py_tema", doc("py_tema(values, period)", "Triple exponential moving average: 3 * EMA - 3 * EMA(EMA) + EMA(EMA(EMA))."), "values", "period"),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
