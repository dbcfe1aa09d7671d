#include "indicators/volatility.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "utils/kahan.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"

namespace vorn {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEps = 1e-10;
constexpr double kInf = std::numeric_limits<double>::infinity();

std::uint64_t sat_add(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::unexpected<VornError> fail(VornError e) { return std::unexpected(std::move(e)); }

Check validate_hlc(const Series& high, const Series& low, const Series& close) {
    return validate_lengths_match({{high, "high"}, {low, "low"}, {close, "close"}});
}

// ATR's own period rule: 1 <= period < n.
Check check_atr_period(std::uint64_t period, std::size_t n) {
    if (period == 0) return VornError(err::InvalidPeriod{0, n});
    if (period >= n) return VornError(err::InsufficientData{sat_add(period, 1), n});
    return std::nullopt;
}

Check check_multiplier(double value, const char* name) {
    if (value < 0.0) return VornError(err::ParameterOutOfRange{name, value, 0.0, kInf});
    return std::nullopt;
}

inline double true_range_at(const Series& high, const Series& low, double prev_close, std::size_t i) {
    return std::max({high[i] - low[i], std::fabs(high[i] - prev_close), std::fabs(low[i] - prev_close)});
}

// atr after its checks (1 <= period < n). The true range is computed on the
// fly: no intermediate series.
Series atr_core(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    const std::size_t n = close.size();
    const double p = static_cast<double>(period);
    Series out(n, kNaN);
    Kahan seed;
    for (std::size_t i = 1; i <= period; ++i) {
        const double tr = true_range_at(high, low, close[i - 1], i);
        if (!std::isnan(tr)) seed.add(tr);
    }
    double a = seed.value() / p;
    out[period] = a;
    const double keep = p - 1.0;
    for (std::size_t i = period + 1; i < n; ++i) {
        a = (a * keep + true_range_at(high, low, close[i - 1], i)) / p;
        out[i] = a;
    }
    return out;
}

}  // namespace

Result<Series> true_range(const Series& high, const Series& low, const Series& close, std::uint64_t drift) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    if (drift == 0) return fail(err::InvalidPeriod{0, n});
    if (drift >= n) return fail(err::InsufficientData{sat_add(drift, 1), n});
    Series out(n, kNaN);
    for (std::size_t i = drift; i < n; ++i) out[i] = true_range_at(high, low, close[i - drift], i);
    return out;
}

Result<Series> atr(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    // The multi-series check starts with the full check of `high`.
    VORN_CHECK(validate_hlc(high, low, close));
    VORN_CHECK(check_atr_period(period, close.size()));
    return atr_core(high, low, close, period);
}

}  // namespace vorn
