// Volume studies: price combined with traded volume.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

Result<Series> obv(const Series& close, const Series& volume);
// period 0: cumulative from the first bar (no anchor); otherwise a rolling window.
Result<Series> vwap(const Series& high, const Series& low, const Series& close, const Series& volume,
                    std::uint64_t period);
Result<Series> mfi(const Series& high, const Series& low, const Series& close, const Series& volume,
                   std::uint64_t period);
Result<Series> accumulation_distribution(const Series& high, const Series& low, const Series& close,
                                         const Series& volume);
// Exponential average seeded with the first value; a NaN restarts it from the raw value.
Result<Series> ema_seed(const Series& values, std::uint64_t period);

Result<Series> adosc(const Series& high, const Series& low, const Series& close, const Series& volume,
                     std::uint64_t fast_period, std::uint64_t slow_period);
Result<Series> cmf(const Series& high, const Series& low, const Series& close, const Series& volume,
                   std::uint64_t period);
Result<Series> volume_oscillator(const Series& volume, std::uint64_t short_period, std::uint64_t long_period);
Result<Series> pvt(const Series& close, const Series& volume);
Result<Series> nvi(const Series& close, const Series& volume);
Result<Series> pvi(const Series& close, const Series& volume);
Result<Series> eom(const Series& high, const Series& low, const Series& volume, std::uint64_t period);

struct VolumeProfile {
    Series price_levels;
    Series volume_per_level;
    double point_of_control;
    auto fields() const { return std::tie(price_levels, volume_per_level, point_of_control); }
};
Result<VolumeProfile> volume_profile(const Series& high, const Series& low, const Series& close,
                                     const Series& volume, std::uint64_t num_bins);

}  // namespace vorn
