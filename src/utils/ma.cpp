#include "utils/ma.hpp"

#include <cmath>
#include <limits>

#include "utils/kahan.hpp"

namespace vorn {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

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
    const std::size_t n = values.size();
    Series out(n, kNaN);
    const double keep = 1.0 - alpha;
    Kahan seed;
    std::uint64_t count = 0;
    double avg = kNaN;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = values[i];
        if (std::isnan(x)) {
            seed.reset();
            count = 0;
            avg = kNaN;
            continue;
        }
        if (count < period) {
            seed.add(x);
            if (++count < period) continue;
            avg = seed.value() / static_cast<double>(period);
        } else {
            avg = avg * keep + x * alpha;
        }
        out[i] = avg;
    }
    return out;
}

Series wma_impl(const Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    Series out(n, kNaN);
    const double p = static_cast<double>(period);
    const double divisor = (p + 1.0) * p * 0.5;
    Kahan plain, weighted;
    std::uint64_t count = 0;
    std::size_t steps = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = values[i];
        if (std::isnan(x)) {
            plain.reset();
            weighted.reset();
            count = 0;
            steps = 0;
            continue;
        }
        if (count < period) {
            ++count;
            plain.add(x);
            weighted.add(static_cast<double>(count) * x);
            if (count < period) continue;
        } else if (steps == kRebuildEvery) {
            plain.reset();
            weighted.reset();
            const std::size_t start = i + 1 - period;
            for (std::size_t k = 0; k < period; ++k) {
                plain.add(values[start + k]);
                weighted.add(static_cast<double>(k + 1) * values[start + k]);
            }
            steps = 1;
        } else {
            ++steps;
            weighted.sub(plain.value());
            weighted.add(p * x);
            plain.sub(values[i - period]);
            plain.add(x);
        }
        out[i] = weighted.value() / divisor;
    }
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

// a * x - b * y where both are defined, NaN elsewhere.
Series combine(const Series& x, double a, const Series& y, double b) {
    Series out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        out[i] = (std::isnan(x[i]) || std::isnan(y[i])) ? kNaN : a * x[i] - b * y[i];
    return out;
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

Result<Series> hma(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    const std::uint64_t half = period / 2;
    if (half == 0) return std::unexpected(VornError(err::InvalidPeriod{0, values.size()}));
    const auto root = static_cast<std::uint64_t>(std::floor(std::sqrt(static_cast<double>(period))));
    Series raw = combine(wma_impl(values, half), 2.0, wma_impl(values, period), 1.0);
    Series smoothed = wma_impl(raw, root);
    // Too short for the final smoothing: the raw Hull line is the best answer.
    return has_value(smoothed) ? smoothed : raw;
}

Result<Series> dema(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    const double alpha = ema_alpha(period);
    Series e1 = ema_impl(values, period, alpha);
    Series e2 = ema_impl(e1, period, alpha);
    return combine(e1, 2.0, e2, 1.0);
}

Result<Series> tema(const Series& values, std::uint64_t period) {
    VORN_CHECK(standard(values, period));
    const double alpha = ema_alpha(period);
    Series e1 = ema_impl(values, period, alpha);
    Series e2 = ema_impl(e1, period, alpha);
    Series e3 = ema_impl(e2, period, alpha);
    if (!has_value(e3)) return dema(values, period);
    Series out(values.size(), kNaN);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!std::isnan(e1[i]) && !std::isnan(e2[i]) && !std::isnan(e3[i]))
            out[i] = (3.0 * e1[i] - 3.0 * e2[i]) + e3[i];
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
