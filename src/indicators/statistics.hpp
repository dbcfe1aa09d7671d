// Statistics and regression functions: validated windowed statistics
// over one or two series. Most apply the rolling kernels of utils/stats; the
// others compute their statistic directly with the same running-sum technique.
//
// The routines live in their own namespace because several carry the names of
// the unvalidated kernels they wrap (linearreg_slope, tsf, correlation ...) with
// the same parameters, and because names such as max, min and sum must not hide
// the standard ones inside namespace vorn.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"
#include "utils/stats.hpp"

namespace vorn::statistics {

// Least-squares fits over each window (abscissa 0 = oldest .. period - 1 = newest).
Result<LinearRegression> linear_regression(const Series& y_values, std::uint64_t period);
Result<Series> linearreg(const Series& values, std::uint64_t period);            // line at the newest bar
Result<Series> linearreg_slope(const Series& values, std::uint64_t period);
Result<Series> linearreg_angle(const Series& values, std::uint64_t period);      // atan(slope) in degrees
Result<Series> linearreg_intercept(const Series& values, std::uint64_t period);  // line at the oldest bar
Result<Series> tsf(const Series& values, std::uint64_t period);                  // line one bar beyond
Result<Series> slope(const Series& values, std::uint64_t period);                // direct, per window
Result<Series> cfo(const Series& close, std::uint64_t period);                   // close vs tsf, percent
Result<Series> standard_error(const Series& y_values, std::uint64_t period);     // of the estimate

// Pearson correlation (x first), correlation trend indicator, population
// covariance and beta of asset against benchmark.
Result<Series> correlation(const Series& x, const Series& y, std::uint64_t period);
Result<Series> correl(const Series& values1, const Series& values2, std::uint64_t period);
Result<Series> cti(const Series& close, std::uint64_t period);
Result<Series> covariance(const Series& x, const Series& y, std::uint64_t period);
Result<Series> beta(const Series& asset_returns, const Series& benchmark_returns, std::uint64_t period);

// Population variance and z-score of the current element within its window.
Result<Series> var(const Series& values, std::uint64_t period);
Result<Series> zscore(const Series& values, std::uint64_t period);

Result<Series> max(const Series& values, std::uint64_t period);
Result<Series> min(const Series& values, std::uint64_t period);
Result<Series> sum(const Series& values, std::uint64_t period);
// (window minimum, window maximum).
Result<std::tuple<Series, Series>> minmax(const Series& values, std::uint64_t period);
// Positions of the minimum and maximum inside each window (0 = oldest), ties to the oldest.
Result<std::tuple<Series, Series>> minmaxindex(const Series& values, std::uint64_t period);
// Share of the window strictly below the current element, in percent of period - 1.
Result<Series> percent_rank(const Series& values, std::uint64_t period);
// Shannon entropy (bits) of the simple returns in each window, histogrammed into `bins`.
Result<Series> entropy(const Series& close, std::uint64_t period, std::uint64_t bins);

}  // namespace vorn::statistics
