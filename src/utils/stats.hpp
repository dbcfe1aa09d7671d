// Rolling statistics kernels. None fails: arguments outside their range give
// an all-NaN output of the input's length. Validation is the caller's.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

Series rolling_sum_kahan(const Series& values, std::uint64_t period);
// Sample standard deviation (divisor period - 1).
Series stdev(const Series& values, std::uint64_t period);
Series rolling_max(const Series& values, std::uint64_t period);
Series rolling_min(const Series& values, std::uint64_t period);

// Least-squares line over each window, abscissa 0 (oldest) .. period - 1.
Series linearreg_slope(const Series& values, std::uint64_t period);
// The fitted line one bar beyond the window.
Series tsf(const Series& values, std::uint64_t period);

struct LinearRegression {
    Series slope, intercept, r_squared;
    auto fields() const { return std::tie(slope, intercept, r_squared); }
};
LinearRegression linear_regression(const Series& values, std::uint64_t period);
Series standard_error(const Series& values, std::uint64_t period);

// Pearson correlation; the output has min(len x, len y) elements.
Series correlation(const Series& x, const Series& y, std::uint64_t period);

}  // namespace vorn
