// True range, ATR and the volatility bands and channels. true_range and atr
// are shared with the trend, volume and signal families.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

struct VolatilityBands {
    Series upper, middle, lower;
    auto fields() const { return std::tie(upper, middle, lower); }
};

struct ChandelierLines {
    Series long_exit, short_exit;
    auto fields() const { return std::tie(long_exit, short_exit); }
};

struct SqueezeLines {
    Series momentum, squeeze_on, squeeze_off;
    auto fields() const { return std::tie(momentum, squeeze_on, squeeze_off); }
};

// Largest of high - low, |high - close[i - drift]|, |low - close[i - drift]|;
// NaN at indices 0 .. drift - 1 (the first bar has no true range).
Result<Series> true_range(const Series& high, const Series& low, const Series& close, std::uint64_t drift);

// Wilder ATR: seeded at index `period` with the mean of TR[1 .. period].
Result<Series> atr(const Series& high, const Series& low, const Series& close, std::uint64_t period);

Result<Series> natr(const Series& high, const Series& low, const Series& close, std::uint64_t period);

// Population standard deviation (divisor period); period 1 gives all NaN.
Result<VolatilityBands> bollinger_bands(const Series& close, std::uint64_t period, double std_multiplier);

// EMA(close, period) +- multiplier * ATR(atr_period).
Result<VolatilityBands> keltner_channel(const Series& high, const Series& low, const Series& close,
                                        std::uint64_t period, std::uint64_t atr_period, double multiplier);

Result<VolatilityBands> donchian_channel(const Series& high, const Series& low, std::uint64_t period);
Result<ChandelierLines> chandelier_exit(const Series& high, const Series& low, const Series& close,
                                        std::uint64_t period, std::uint64_t atr_period, double multiplier);
Result<Series> historical_volatility(const Series& close, std::uint64_t period);
Result<Series> ulcer_index(const Series& close, std::uint64_t period);
Result<Series> mass_index(const Series& high, const Series& low, std::uint64_t fast, std::uint64_t slow);
Result<Series> aberration(const Series& high, const Series& low, const Series& close, std::uint64_t period,
                          std::uint64_t atr_period);
Result<SqueezeLines> squeeze(const Series& high, const Series& low, const Series& close, std::uint64_t bb_period,
                             double bb_std, std::uint64_t kc_period, std::uint64_t kc_atr_period, double kc_mult);

}  // namespace vorn
