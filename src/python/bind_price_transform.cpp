#include "indicators/price_transform.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

namespace m = vorn::math;

const Function kRows[] = {
    def<&avgprice>("py_avgprice", doc("py_avgprice(open, high, low, close)", "Average price: (open + high + low + close) / 4."),
                   "open", "high", "low", "close"),
    def<&medprice>("py_medprice", doc("py_medprice(high, low)", "Median price: (high + low) / 2."), "high", "low"),
    def<&typprice>("py_typprice", doc("py_typprice(high, low, close)", "Typical price: (high + low + close) / 3."),
                   "high", "low", "close"),
    def<&wclprice>("py_wclprice", doc("py_wclprice(high, low, close)", "Weighted close price: (2 * close + high + low) / 4."),
                   "high", "low", "close"),
    def<&m::sqrt>("py_sqrt", doc("py_sqrt(values)", "Square root of each value (values must be >= 0)."), "values"),
    def<&m::ln>("py_ln", doc("py_ln(values)", "Natural logarithm of each value (values must be > 0)."), "values"),
    def<&m::log10>("py_log10", doc("py_log10(values)", "Base-10 logarithm of each value (values must be > 0)."), "values"),
    def<&m::exp>("py_exp", doc("py_exp(values)", "e raised to each value; overflow gives inf."), "values"),
    def<&m::abs>("py_abs", doc("py_abs(values)", "Absolute value of each value."), "values"),
    def<&m::ceil>("py_ceil", doc("py_ceil(values)", "Smallest integer value not below each value."), "values"),
    def<&m::floor>("py_floor", doc("py_floor(values)", "Largest integer value not above each value."), "values"),
    def<&m::sin>("py_sin", doc("py_sin(values)", "Sine of each value (radians)."), "values"),
    def<&m::cos>("py_cos", doc("py_cos(values)", "Cosine of each value (radians)."), "values"),
    def<&m::tan>("py_tan", doc("py_tan(values)", "Tangent of each value (radians)."), "values"),
    def<&m::asin>("py_asin", doc("py_asin(values)", "Arc sine of each value (values in [-1, 1])."), "values"),
    def<&m::acos>("py_acos", doc("py_acos(values)", "Arc cosine of each value (values in [-1, 1])."), "values"),
    def<&m::atan>("py_atan", doc("py_atan(values)", "Arc tangent of each value."), "values"),
    def<&m::sinh>("py_sinh", doc("py_sinh(values)", "Hyperbolic sine of each value."), "values"),
    def<&m::cosh>("py_cosh", doc("py_cosh(values)", "Hyperbolic cosine of each value."), "values"),
    def<&m::tanh>("py_tanh", doc("py_tanh(values)", "Hyperbolic tangent of each value."), "values"),
    def<&m::add>("py_add", doc("py_add(values1, values2)", "Element-wise values1 + values2."), "values1", "values2"),
    def<&m::sub>("py_sub", doc("py_sub(values1, values2)", "Element-wise values1 - values2."), "values1", "values2"),
    def<&m::mult>("py_mult", doc("py_mult(values1, values2)", "Element-wise values1 * values2."), "values1", "values2"),
    def<&m::div>("py_div", doc("py_div(values1, values2)", "Element-wise values1 / values2; a divisor within 1e-10 of zero is an error."),
                 "values1", "values2"),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
