#include "indicators/momentum.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

constexpr const char* kStochRsiDoc =
    "Stochastic RSI: (%K, %D). The stochastic of RSI(rsi_period) over stoch_period, smoothed by SMA(k_period) "
    "and SMA(d_period); a flat RSI window gives 50.";

const Function kRows[] = {
    def<&rsi>("py_rsi",
              doc("py_rsi(close, period=14)",
                  "Relative strength index with Wilder smoothing, seeded with the mean gain and loss of the first "
                  "period changes; first value at index period. A flat series gives 0."),
              "close", nullable("period", 14)),
    def<&macd>("py_macd",
               doc("py_macd(close, fast_period=12, slow_period=26, signal_period=9)",
                   "MACD: (macd, signal, histogram). Both averages start at index slow_period - 1; all three lines "
                   "start at index slow_period + signal_period - 2."),
               "close", nullable("fast_period", 12), nullable("slow_period", 26), nullable("signal_period", 9)),
    def<&stochastic>("py_stochastic",
                     doc("py_stochastic(high, low, close, k_period=14, smooth_k=3, d_period=3)",
                         "Stochastic oscillator: (%K, %D). Raw %K over k_period (50 on a flat window), smoothed by "
                         "SMA(smooth_k); %D = SMA(%K, d_period)."),
                     "high", "low", "close", opt("k_period", 14), opt("smooth_k", 3), opt("d_period", 3)),
    def<&stochrsi>("py_stochrsi", doc("py_stochrsi(close, rsi_period=14, stoch_period=14, k_period=3, d_period=3)",
                                      kStochRsiDoc),
                   "close", nullable("rsi_period", 14), nullable("stoch_period", 14), nullable("k_period", 3),
                   nullable("d_period", 3)),
    def<&stochrsi>("py_stoch_rsi",
                   doc("py_stoch_rsi(close, rsi_period=14, stoch_period=14, k_period=3, d_period=3)", kStochRsiDoc),
                   "close", nullable("rsi_period", 14), nullable("stoch_period", 14), nullable("k_period", 3),
                   nullable("d_period", 3)),
    def<&cci>("py_cci",
              doc("py_cci(high, low, close, period=20)",
                  "Commodity channel index: (tp - SMA(tp)) / (0.015 * mean deviation), tp = (high + low + close) / 3; "
                  "0 where the mean deviation vanishes."),
              "high", "low", "close", nullable("period", 20)),
    def<&williams_r>("py_williams_r",
                     doc("py_williams_r(high, low, close, period=14)",
                         "Williams %R: -100 * (highest high - close) / (highest high - lowest low); -50 on a flat "
                         "window."),
                     "high", "low", "close", nullable("period", 14)),
    def<&awesome_oscillator>("py_awesome_oscillator",
                             doc("py_awesome_oscillator(high, low, fast_period=5, slow_period=34)",
                                 "Awesome oscillator: SMA(median price, fast) - SMA(median price, slow); periods "
                                 "longer than the series are clamped to its length."),
                             "high", "low", nullable("fast_period", 5), nullable("slow_period", 34)),
    // The published signature shows three parameters; calls take four.
    def<&fisher_transform>("py_fisher_transform",
                           doc("py_fisher_transform(high, low, period=10)",
                               "Fisher transform of the close's position in the high-low window: (fisher, trigger), "
                               "trigger being the previous fisher value. Called as (high, low, close, period); None "
                               "for period selects 9."),
                           "high", "low", "close", nullable("period", 9)),
    def<&kdj>("py_kdj",
              doc("py_kdj(high, low, close, k_period=9, smooth_k=3, d_period=3)",
                  "KDJ: (K, D, J) with K and D the stochastic oscillator and J = 3K - 2D."),
              "high", "low", "close", opt("k_period", 9), opt("smooth_k", 3), opt("d_period", 3)),
    def<&tsi>("py_tsi",
              doc("py_tsi(close, long_period=25, short_period=13, signal_period=13)",
                  "True strength index: (tsi, signal). 100 * EMA(EMA(change)) / EMA(EMA(|change|)); the signal is "
                  "an EMA of the index."),
              "close", nullable("long_period", 25), nullable("short_period", 13), nullable("signal_period", 13)),
    def<&ultimate_oscillator>("py_ultimate_oscillator",
                              doc("py_ultimate_oscillator(high, low, close, period1=7, period2=14, period3=28)",
                                  "Ultimate oscillator: 100 * (4 A1 + 2 A2 + A3) / 7 with A the buying-pressure to "
                                  "true-range ratios over the three periods; first value at the longest period."),
                              "high", "low", "close", nullable("period1", 7), nullable("period2", 14),
                              nullable("period3", 28)),
    def<&mom>("py_mom", doc("py_mom(values, period=10)", "Momentum: values[i] - values[i - period]."), "values",
              nullable("period", 10)),
    def<&roc>("py_roc",
              doc("py_roc(values, period=10)",
                  "Rate of change in percent: (values[i] / values[i - period] - 1) * 100; NaN against a zero base."),
              "values", nullable("period", 10)),
    def<&apo>("py_apo",
              doc("py_apo(close, fast_period=12, slow_period=26)",
                  "Absolute price oscillator: EMA(fast) - EMA(slow)."),
              "close", nullable("fast_period", 12), nullable("slow_period", 26)),
    def<&ppo>("py_ppo",
              doc("py_ppo(close, fast_period=12, slow_period=26)",
                  "Percentage price oscillator: (EMA(fast) - EMA(slow)) / EMA(slow) * 100, without a signal line."),
              "close", nullable("fast_period", 12), nullable("slow_period", 26)),
    def<&cmo>("py_cmo",
              doc("py_cmo(close, period=14)",
                  "Chande momentum oscillator, Wilder-smoothed: 100 * (up - down) / (up + down); 0 on a flat "
                  "series."),
              "close", nullable("period", 14)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
