// Rolling statistics kernels. None fails: arguments outside their range give
// an all-NaN output of the input's length. Validation is the caller's.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

// Mean and sum of squared deviations of a window of fixed length, for the
// standard deviations. Welford's update when rebuilt; between rebuilds the
// window slides by removing its oldest value and adding the newest.
struct WindowMoments {
    double mean = 0.0, m2 = 0.0;

    // From values[start, start + period), which holds no NaN.
    void rebuild(const Series& values, std::size_t start, std::uint64_t period) {
        mean = 0.0;
        m2 = 0.0;
        for (std::uint64_t k = 1; k <= period; ++k) {
            const double x = values[start + k - 1];
            const double prev = mean;
            mean = (x - prev) / static_cast<double>(k) + prev;
            m2 += (x - mean) * (x - prev);
        }
    }

    // `oldest` leaves and `newest` enters a window of p values.
    void slide(double oldest, double newest, double p) {
        const double denom = p - 1.0;
        const double mean_without = (mean * p - oldest) / denom;
        const double mean_new = (denom * mean_without + newest) / p;
        m2 = m2 - (oldest - mean) * (oldest - mean_without) + (newest - mean_new) * (newest - mean_without);
        mean = mean_new;
    }
};

Series rolling_sum_kahan(const Series& values, std::uint64_t period);
// Sample standard deviation (divisor period - 1).
Series stdev(const Series& values, std::uint64_t period);
Series rolling_max(const Series& values, std::uint64_t period);
Series rolling_min(const Series& values, std::uint64_t period);

// Least-squares line over each window, abscissa 0 (oldest) .. period - 1.
Series linearreg_slope(const Series& values, std::uint64_t period);
// The fitted line at the window's oldest bar, at its newest bar, and one bar beyond it.
Series linearreg_intercept(const Series& values, std::uint64_t period);
Series linearreg_value(const Series& values, std::uint64_t period);
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
