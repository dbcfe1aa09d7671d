// Further moving averages: kernel compositions, adaptive averages,
// fixed-shape window averages, window midpoints and the volume-weighted average.
// Every result has the input's length with NaN where no value is defined.
#pragma once

#include <cstdint>

#include "errors.hpp"

namespace vorn {

// SMA of an SMA whose two periods add up to period + 1.
Result<Series> trima(const Series& values, std::uint64_t period);
// (window max + window min) / 2 of one series, and of high and low.
Result<Series> midpoint(const Series& values, std::uint64_t period);
Result<Series> midprice(const Series& high, const Series& low, std::uint64_t period);
// EMA of the lag-corrected series 2 * x[i] - x[i - (period - 1) / 2].
Result<Series> zlma(const Series& values, std::uint64_t period);
// Tillson T3 over six chained EMAs; falls back to the EMA when too short.
Result<Series> t3(const Series& values, std::uint64_t period, double vfactor);
Result<Series> kama(const Series& values, std::uint64_t period, std::uint64_t fast_period, std::uint64_t slow_period);
// Fractal adaptive average; period must be even and at least 2.
Result<Series> frama(const Series& values, std::uint64_t period);
// Arnaud Legoux: Gaussian weights exp(-(k - m)^2 / (2 s^2)), m = offset * (period - 1), s = period / sigma.
Result<Series> alma(const Series& values, std::uint64_t period, double offset, double sigma);
// Chande's variable-index average, driven by the sample deviation relative to price.
Result<Series> vidya(const Series& close, std::uint64_t period);
// Pascal (binomial), sine and symmetric-triangle weighted window averages.
Result<Series> pwma(const Series& values, std::uint64_t period);
Result<Series> sinwma(const Series& values, std::uint64_t period);
Result<Series> swma(const Series& values, std::uint64_t period);
Result<Series> vwma(const Series& close, const Series& volume, std::uint64_t period);

}  // namespace vorn
