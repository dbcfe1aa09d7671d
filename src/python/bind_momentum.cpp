#include "indicators/momentum.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&rsi>("py_rsi", doc("py_rsi(close, period=14)",
                            "Relative strength index with Wilder smoothing, seeded with the mean gain and loss of "
                            "the first period changes; first value at index period. A flat series gives 0."),
              "close", nullable("period", 14)),
    def<&macd>("py_macd",
               doc("py_macd(close, fast_period=12, slow_period=26, signal_period=9)",
                   "MACD: (macd, signal, histogram). Both averages start at index slow_period - 1; all three lines "
                   "start at index slow_period + signal_period - 2."),
               "close", nullable("fast_period", 12), nullable("slow_period", 26), nullable("signal_period", 9)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
