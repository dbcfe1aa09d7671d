#include "utils/ma.hpp"

#include <cmath>

#include "utils/kahan.hpp"

namespace vorn {

bool has_value(const Series& s) {
    for (double x : s)
        if (!std::isnan(x)) return true;
    return false;
}

Series sma_impl(const Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    Series out(n, kNaN);
    const double p = static_cast<double>(period);
    Kahan s;
    std::uint64_t count = 0;
    std::size_t steps = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = values[i];
        if (std::isnan(x)) {
            s.reset();
            count = 0;
            steps = 0;
            continue;
        }
        ++count;
        s.add(x);
        if (count < period) continue;
        if (count > period) {
            count = period;
            if (++steps == kRebuildEvery) {
                s.reset();
                for (std::size_t k = i + 1 - period; k <= i; ++k) s.add(values[k]);
                steps = 0;
            } else {
                s.sub(values[i - period]);
            }
        }
        out[i] = s.value() / p;
    }
    return out;
}

Series ema_impl(const Series& values, std::uint64_t period, double alpha) {
    Series out(values.size());
    EmaState state(period, alpha);
    for (std::size_t i = 0; i < values.size(); ++i) out[i] = state.push(values[i]);
    return out;
}

double WmaState::push(double x) {
    if (std::isnan(x)) {
        plain_.reset();
        weighted_.reset();
        count_ = 0;
        steps_ = 0;
        pos_ = 0;
        return kNaN;
    }
    if (count_ < period_) {
        ++count_;
        plain_.add(x);
        weighted_.add(static_cast<double>(count_) * x);
        window_[pos_] = x;
        pos_ = pos_ + 1 == period_ ? 0 : pos_ + 1;
        if (count_ < period_) return kNaN;
        return weighted_.value() / divisor_;
    }
    const double leaving = window_[pos_];
    window_[pos_] = x;
    pos_ = pos_ + 1 == period_ ? 0 : pos_ + 1;
    if (steps_ == kRebuildEvery) {
        // Periodic rebuild bounds the drift of the sliding updates.
        plain_.reset();
        weighted_.reset();
        for (std::size_t k = 0, j = pos_; k < period_; ++k, j = j + 1 == period_ ? 0 : j + 1) {
            plain_.add(window_[j]);
            weighted_.add(static_cast<double>(k + 1) * window_[j]);
        }
        steps_ = 1;
    } else {
        ++steps_;
        weighted_.sub(plain_.value());
        weighted_.add(p_ * x);
        plain_.sub(leaving);
        plain_.add(x);
    }
    return weighted_.value() / divisor_;
}

Series wma_impl(const Series& values, std::uint64_t period) {
    Series out(values.size());
    WmaState state(period);
    for (std::size_t i = 0; i < values.size(); ++i) out[i] = state.push(values[i]);
    return out;
}

namespace {
Check standard(const Series& values, std::uint64_t period) {
    return validate_series_period(values, "values", period);
}
Check allow_nan(const Series& values, std::uint64_t period) {
    if (auto e = check_not_empty(values, "values")) return e;
    return check_period(period, values.size());
}
}  // namespace

Result<Series> sma(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    return sma_impl(values, period);
}

Result<Series> ema(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    return ema_impl(values, period, ema_alpha(period));
}

Result<Series> rma(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    return ema_impl(values, period, wilder_alpha(period));
}

Result<Series> wma(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    return wma_impl(values, period);
}

// The composites below run their stages side by side in one pass; each stage
// sees exactly the series the separate kernels would, so results are identical.

Result<Series> hma(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    const std::uint64_t half = period / 2;
    if (half == 0) return fail(err::InvalidPeriod{0, values.size()});
    const auto root = static_cast<std::uint64_t>(std::floor(std::sqrt(static_cast<double>(period))));
    // Validated input has no NaN, so whether the final smoothing produces a value
    // is known up front; too short for it, the raw Hull line is the answer.
    const bool smoothed = values.size() + 1 >= period + root;
    WmaState fast(half), slow(period), final_stage(root);
    Series out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double a = fast.push(values[i]), b = slow.push(values[i]);
        const double raw = (std::isnan(a) || std::isnan(b)) ? kNaN : 2.0 * a - b;
        out[i] = smoothed ? final_stage.push(raw) : raw;
    }
    return out;
}

Result<Series> dema(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    const double alpha = ema_alpha(period);
    EmaState e1(period, alpha), e2(period, alpha);
    Series out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double a = e1.push(values[i]), b = e2.push(a);
        out[i] = (std::isnan(a) || std::isnan(b)) ? kNaN : 2.0 * a - b;
    }
    return out;
}

Result<Series> tema(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    // Without NaN the third average first appears at index 3 * period - 3.
    if (values.size() + 2 < 3 * period) return dema(values, period);
    const double alpha = ema_alpha(period);
    EmaState e1(period, alpha), e2(period, alpha), e3(period, alpha);
    Series out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double a = e1.push(values[i]), b = e2.push(a), c = e3.push(b);
        out[i] = (std::isnan(a) || std::isnan(b) || std::isnan(c)) ? kNaN : (3.0 * a - 3.0 * b) + c;
    }
    return out;
}

Result<Series> sma_allow_nan(const Series& values, std::uint64_t period) {
    VORN_CHECK(allow_nan(values, period));
    return sma_impl(values, period);
}

Result<Series> ema_allow_nan(const Series& values, std::uint64_t period) {
    VORN_CHECK(allow_nan(values, period));
    return ema_impl(values, period, ema_alpha(period));
}

Result<Series> wma_allow_nan(const Series& values, std::uint64_t period) {
    VORN_CHECK(allow_nan(values, period));
    return wma_impl(values, period);
}

}  // namespace vorn
