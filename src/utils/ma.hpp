// Moving-average kernels. Every output has the input's length with NaN in the
// warm-up; a NaN inside the input restarts the average, so kernels chain
// (an average of an average whose first values are NaN).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "errors.hpp"
#include "utils/kahan.hpp"
#include "utils/numeric.hpp"

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

// One-value-at-a-time form of the exponential core: feeding a series through
// push() gives exactly ema_impl's output, so chained averages can run in one pass.
class EmaState {
public:
    EmaState(std::uint64_t period, double alpha) : period_(period), alpha_(alpha), keep_(1.0 - alpha) {}

    double push(double x) {
        if (std::isnan(x)) {
            seed_.reset();
            count_ = 0;
            return avg_ = kNaN;
        }
        if (count_ < period_) {
            seed_.add(x);
            if (++count_ < period_) return kNaN;
            return avg_ = seed_.value() / static_cast<double>(period_);
        }
        return avg_ = avg_ * keep_ + x * alpha_;
    }

private:
    std::uint64_t period_;
    double alpha_, keep_;
    Kahan seed_;
    std::uint64_t count_ = 0;
    double avg_ = kNaN;
};

// One-value-at-a-time form of the weighted core, keeping its own window so it
// can smooth a series that is never stored (the Hull average's raw line).
class WmaState {
public:
    explicit WmaState(std::uint64_t period)
        : period_(period), p_(static_cast<double>(period)), divisor_((p_ + 1.0) * p_ * 0.5), window_(period) {}

    double push(double x);

private:
    std::uint64_t period_;
    double p_, divisor_;
    std::vector<double> window_;  // ring of the last `period` values; pos_ is the oldest once full
    std::size_t pos_ = 0;
    Kahan plain_, weighted_;
    std::uint64_t count_ = 0;
    std::size_t steps_ = 0;
};

// True when at least one element is not NaN.
bool has_value(const Series& s);

}  // namespace vorn
