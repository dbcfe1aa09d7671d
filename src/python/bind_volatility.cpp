#include <optional>

#include "indicators/volatility.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

Result<VolatilityBands> keltner_call(const Series& high, const Series& low, const Series& close,
                                     std::uint64_t period, std::optional<std::uint64_t> atr_period, double multiplier) {
    // The ATR period follows the channel period unless given.
    return keltner_channel(high, low, close, period, atr_period.value_or(period), multiplier);
}

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
    def<&natr>("py_natr",
               doc("py_natr(high, low, close, period=14)", "Normalized ATR: ATR / close * 100."),
               "high", "low", "close", nullable("period", 14)),
    def<&bollinger_bands>("py_bollinger_bands",
                          doc("py_bollinger_bands(close, period=20, std_multiplier=2.0)",
                              "Bollinger bands: (upper, middle, lower) = SMA +- std_multiplier * population "
                              "standard deviation."),
                          "close", nullable("period", 20), nullable("std_multiplier", 2.0)),
    def<&keltner_call>("py_keltner_channel",
                       doc("py_keltner_channel(high, low, close, period=20, atr_period=None, multiplier=2.0)",
                           "Keltner channel: (upper, middle, lower) = EMA(close, period) +- multiplier * "
                           "ATR(atr_period); atr_period defaults to period."),
                       "high", "low", "close", opt("period", 20), opt_nullable("atr_period", Default()),
                       opt("multiplier", 2.0)),
    def<&donchian_channel>("py_donchian_channel",
                           doc("py_donchian_channel(high, low, period=20)",
                               "Donchian channel: (upper, middle, lower) = highest high, midpoint, lowest low."),
                           "high", "low", nullable("period", 20)),
    def<&chandelier_exit>("py_chandelier_exit",
                          doc("py_chandelier_exit(high, low, close, period=22, atr_period=22, multiplier=3.0)",
                              "Chandelier exit: (long_exit, short_exit) = highest high - multiplier * ATR, lowest "
                              "low + multiplier * ATR."),
                          "high", "low", "close", opt_nullable("period", 22), opt_nullable("atr_period", 22),
                          opt_nullable("multiplier", 3.0)),
    def<&historical_volatility>("py_historical_volatility",
                                doc("py_historical_volatility(close, period=20)",
                                    "Historical volatility: sample deviation of log returns * sqrt(period) * 100."),
                                "close", nullable("period", 20)),
    def<&ulcer_index>("py_ulcer_index",
                      doc("py_ulcer_index(close, period=14)",
                          "Ulcer index: root mean square of the percent drawdowns from the trailing period high."),
                      "close", nullable("period", 14)),
    def<&mass_index>("py_mass_index",
                     doc("py_mass_index(high, low, fast=9, slow=25)",
                         "Mass index: sum over the longer period of EMA(range) / EMA(EMA(range)) over the shorter "
                         "one."),
                     "high", "low", opt("fast", 9), opt("slow", 25)),
    def<&aberration>("py_aberration",
                     doc("py_aberration(high, low, close, period=20, atr_period=20)",
                         "Aberration: (close - SMA(close, period)) / ATR(atr_period)."),
                     "high", "low", "close", nullable("period", 20), nullable("atr_period", 20)),
    def<&squeeze>("py_squeeze",
                  doc("py_squeeze(high, low, close, bb_period=20, bb_std=2.0, kc_period=20, kc_atr_period=20, "
                      "kc_mult=1.5)",
                      "Squeeze: (momentum, squeeze_on, squeeze_off). On where the Bollinger bands lie strictly "
                      "inside the Keltner channel; momentum = midpoint of the close range - SMA(close)."),
                  "high", "low", "close", nullable("bb_period", 20), nullable("bb_std", 2.0),
                  nullable("kc_period", 20), nullable("kc_atr_period", 20), nullable("kc_mult", 1.5)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
