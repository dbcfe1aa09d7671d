#include "indicators/momentum.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "utils/kahan.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"

namespace vorn {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEps = 1e-10;

// Reported "required" counts saturate instead of wrapping for periods near 2^64.
std::uint64_t sat_add(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::unexpected<VornError> fail(VornError e) { return std::unexpected(std::move(e)); }

// The period rule shared by rsi and cmo: 1 <= period < n.
Check check_wilder_period(std::uint64_t period, std::size_t n) {
    if (period == 0) return VornError(err::InvalidPeriod{0, n});
    if (period >= n) return VornError(err::InsufficientData{sat_add(period, 1), n});
    return std::nullopt;
}

// Wilder-smoothed averages of the up and down moves, seeded with their plain
// means over changes 1 .. period; emit(i, up, down) from index `period` on.
// The caller guarantees 1 <= period < x.size().
template <class Emit>
void wilder_up_down(const Series& x, std::uint64_t period, Emit emit) {
    const double p = static_cast<double>(period);
    Kahan up, down;
    for (std::size_t i = 1; i <= period; ++i) {
        const double d = x[i] - x[i - 1];
        if (d > 0.0) up.add(d);
        else down.add(-d);
    }
    double u = up.value() / p, dn = down.value() / p;
    emit(period, u, dn);
    const double keep = p - 1.0;
    for (std::size_t i = period + 1; i < x.size(); ++i) {
        const double d = x[i] - x[i - 1];
        u = (u * keep + (d > 0.0 ? d : 0.0)) / p;
        dn = (dn * keep + (d > 0.0 ? 0.0 : -d)) / p;
        emit(i, u, dn);
    }
}

double rsi_value(double gain, double loss) {
    if (std::isnan(gain) || std::isnan(loss)) return kNaN;
    if (std::fabs(loss) < kEps) return std::fabs(gain) < kEps ? 0.0 : 100.0;
    return 100.0 - 100.0 / (1.0 + gain / loss);
}

// rsi after its checks.
Series rsi_core(const Series& close, std::uint64_t period) {
    Series out(close.size(), kNaN);
    wilder_up_down(close, period, [&](std::size_t i, double g, double l) { out[i] = rsi_value(g, l); });
    return out;
}

}  // namespace

Result<Series> rsi(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    VORN_CHECK(check_wilder_period(period, close.size()));
    return rsi_core(close, period);
}

Result<Series> ema_with_seed(const Series& values, std::uint64_t period, std::uint64_t start) {
    const std::size_t n = values.size();
    if (n == 0) return fail(err::EmptyInput{"values"});
    // Period 0 would divide the seed by zero and give alpha = 2.
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    if (start >= n) return fail(err::InvalidPeriod{start, n});
    if (start + 1 < period) return fail(err::InsufficientData{period, start + 1});
    Series out(n, kNaN);
    // The divisor stays `period` even when NaN elements of the window are skipped.
    Kahan seed;
    for (std::size_t i = start + 1 - period; i <= start; ++i)
        if (!std::isnan(values[i])) seed.add(values[i]);
    double e = seed.value() / static_cast<double>(period);
    out[start] = e;
    const double alpha = ema_alpha(period);
    const double keep = 1.0 - alpha;
    for (std::size_t i = start + 1; i < n; ++i) {
        e = e * keep + values[i] * alpha;
        out[i] = e;
    }
    return out;
}

Result<MacdLines> macd(const Series& close, std::uint64_t fast, std::uint64_t slow, std::uint64_t signal) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (fast == 0 || slow == 0 || signal == 0) return fail(err::InvalidPeriod{0, n});
    if (slow > n) return fail(err::InsufficientData{slow, n});
    if (fast > slow) return fail(err::InvalidPeriod{fast, n});
    // slow + signal - 2 >= n, written so that a huge signal period cannot wrap.
    if (signal - 1 > n - slow) return fail(err::InsufficientData{sat_add(slow, signal - 1), n});

    const std::uint64_t first = slow + signal - 2;
    VORN_TRY_ASSIGN(line, ema_with_seed(close, fast, slow - 1));
    VORN_TRY_ASSIGN(slow_line, ema_with_seed(close, slow, slow - 1));
    for (std::size_t i = 0; i < n; ++i)
        line[i] = (std::isnan(line[i]) || std::isnan(slow_line[i])) ? kNaN : line[i] - slow_line[i];
    VORN_TRY_ASSIGN(signal_line, ema_with_seed(line, signal, first));
    // The signal seed needed the early MACD values; the published line starts
    // with the signal line.
    std::fill(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(first), kNaN);
    Series hist(n, kNaN);
    for (std::size_t i = first; i < n; ++i)
        if (!std::isnan(line[i]) && !std::isnan(signal_line[i])) hist[i] = line[i] - signal_line[i];
    return MacdLines{std::move(line), std::move(signal_line), std::move(hist)};
}

}  // namespace vorn
