// Moving-average kernels. Every output has the input's length with NaN in the
// warm-up; a NaN inside the input restarts the average, so kernels chain
// (an average of an average whose first values are NaN).
#pragma once

#include <cstdint>

#include "errors.hpp"

namespace vorn {

// Unvalidated cores: period >= 1; a period longer than the series gives all NaN.
Series sma_impl(const Series& values, std::uint64_t period);
Series ema_impl(const Series& values, std::uint64_t period, double alpha);
Series wma_impl(const Series& values, std::uint64_t period);

// Validated kernels (empty, finite, period).
Result<Series> sma(const Series& values, std::uint64_t period);
Result<Series> ema(const Series& values, std::uint64_t period);
Result<Series> rma(const Series& values, std::uint64_t period);
Result<Series> wma(const Series& values, std::uint64_t period);
Result<Series> hma(const Series& values, std::uint64_t period);
Result<Series> dema(const Series& values, std::uint64_t period);
Result<Series> tema(const Series& values, std::uint64_t period);

// For inputs that legitimately hold NaN (the warm-up of an earlier stage):
// empty and period checks only.
Result<Series> sma_allow_nan(const Series& values, std::uint64_t period);
Result<Series> ema_allow_nan(const Series& values, std::uint64_t period);
Result<Series> wma_allow_nan(const Series& values, std::uint64_t period);

inline double ema_alpha(std::uint64_t period) { return 2.0 / (static_cast<double>(period) + 1.0); }
inline double wilder_alpha(std::uint64_t period) { return 1.0 / static_cast<double>(period); }

// True when at least one element is not NaN.
bool has_value(const Series& s);

}  // namespace vorn
