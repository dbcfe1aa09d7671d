#include "indicators/volatility.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&true_range>("py_true_range",
                     doc("py_true_range(high, low, close, drift=1)",
                         "True range against the close drift bars back; the first drift positions are NaN."),
                     "high", "low", "close", opt_nullable("drift", 1)),
    def<&atr>("py_atr",
              doc("py_atr(high, low, close, period=14)",
                  "Average true range (Wilder), seeded with the mean true range of bars 2 .. period + 1; first "
                  "value at index period."),
              "high", "low", "close", nullable("period", 14)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
