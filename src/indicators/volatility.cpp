#include "indicators/volatility.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "utils/kahan.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"
#include "utils/numeric.hpp"

namespace vorn {

namespace {

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
    if (drift >= n) return fail(err::InsufficientData{saturating_add(drift, 1), n});
    Series out(n, kNaN);
    for (std::size_t i = drift; i < n; ++i) out[i] = true_range_at(high, low, close[i - drift], i);
    return out;
}

Result<Series> atr(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    // The multi-series check starts with the full check of `high`.
    VORN_CHECK(validate_hlc(high, low, close));
    VORN_CHECK(check_period_with_prior_bar(period, close.size()));
    return atr_core(high, low, close, period);
}

namespace {

// bollinger_bands after its checks.
VolatilityBands bollinger_core(const Series& close, std::uint64_t period, double mult) {
    const std::size_t n = close.size();
    VolatilityBands b{Series(n, kNaN), Series(n, kNaN), Series(n, kNaN)};
    if (period == 1) return b;
    const double p = static_cast<double>(period);
    WindowMoments w;
    auto emit = [&](std::size_t i) {
        const double sd = w.m2 > 0.0 ? std::sqrt(w.m2 / p) : 0.0;
        b.middle[i] = w.mean;
        b.upper[i] = w.mean + mult * sd;
        b.lower[i] = w.mean - mult * sd;
    };
    w.rebuild(close, 0, period);
    emit(period - 1);
    std::size_t slides = 0;
    for (std::size_t i = period; i < n; ++i) {
        // The incremental update drifts; every 1000th slide starts over from the window.
        if (++slides % kRebuildEvery == 0) w.rebuild(close, i + 1 - period, period);
        else w.slide(close[i - period], close[i], p);
        emit(i);
    }
    return b;
}

Check check_keltner(std::size_t n, std::uint64_t period, std::uint64_t atr_period, double multiplier) {
    if (auto e = check_period(period, n)) return e;
    if (auto e = check_period_with_prior_bar(atr_period, n)) return e;
    return check_multiplier(multiplier, "multiplier");
}

// keltner_channel after its checks.
VolatilityBands keltner_core(const Series& high, const Series& low, const Series& close, std::uint64_t period,
                             std::uint64_t atr_period, double mult) {
    Series middle = ema_impl(close, period, ema_alpha(period));
    Series lower = atr_core(high, low, close, atr_period);
    Series upper(close.size(), kNaN);
    for (std::size_t i = 0; i < close.size(); ++i) {
        const double m = middle[i], a = lower[i];
        if (std::isnan(m) || std::isnan(a)) {
            lower[i] = kNaN;
            continue;
        }
        upper[i] = m + mult * a;
        lower[i] = m - mult * a;
    }
    return {std::move(upper), std::move(middle), std::move(lower)};
}

// Window sums over the values that are finite, published only where all
// `period` values of the window are finite.
Series sum_of_finite_windows(Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    std::vector<std::uint8_t> bad(n);
    for (std::size_t i = 0; i < n; ++i) {
        bad[i] = !std::isfinite(values[i]);
        if (bad[i]) values[i] = 0.0;
    }
    Series sums = rolling_sum_kahan(values, period);
    std::size_t bad_in_window = 0;
    for (std::size_t i = 0; i < n; ++i) {
        bad_in_window += bad[i];
        if (i >= period) bad_in_window -= bad[i - period];
        if (bad_in_window != 0) sums[i] = kNaN;
    }
    return sums;
}

}  // namespace

Result<Series> natr(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(out, atr(high, low, close, period));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = (std::isnan(out[i]) || std::fabs(close[i]) < kEps) ? kNaN : out[i] / close[i] * 100.0;
    return out;
}

Result<VolatilityBands> bollinger_bands(const Series& close, std::uint64_t period, double std_multiplier) {
    VORN_CHECK(validate_series_period(close, "close", period));
    VORN_CHECK(check_multiplier(std_multiplier, "std_multiplier"));
    return bollinger_core(close, period, std_multiplier);
}

Result<VolatilityBands> keltner_channel(const Series& high, const Series& low, const Series& close,
                                        std::uint64_t period, std::uint64_t atr_period, double multiplier) {
    VORN_CHECK(validate_hlc(high, low, close));
    VORN_CHECK(check_keltner(close.size(), period, atr_period, multiplier));
    return keltner_core(high, low, close, period, atr_period, multiplier);
}

Result<VolatilityBands> donchian_channel(const Series& high, const Series& low, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    VORN_CHECK(check_period(period, high.size()));
    Series upper = rolling_max(high, period);
    Series lower = rolling_min(low, period);
    Series middle(high.size(), kNaN);
    for (std::size_t i = 0; i < middle.size(); ++i)
        if (!std::isnan(upper[i]) && !std::isnan(lower[i])) middle[i] = (upper[i] + lower[i]) * 0.5;
    return VolatilityBands{std::move(upper), std::move(middle), std::move(lower)};
}

Result<ChandelierLines> chandelier_exit(const Series& high, const Series& low, const Series& close,
                                        std::uint64_t period, std::uint64_t atr_period, double multiplier) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    VORN_CHECK(check_period_with_prior_bar(atr_period, n));
    VORN_CHECK(check_multiplier(multiplier, "multiplier"));
    Series long_exit = rolling_max(high, period);
    Series short_exit = rolling_min(low, period);
    const Series a = atr_core(high, low, close, atr_period);
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isnan(long_exit[i]) || std::isnan(short_exit[i]) || std::isnan(a[i])) {
            long_exit[i] = short_exit[i] = kNaN;
        } else {
            long_exit[i] -= a[i] * multiplier;
            short_exit[i] += a[i] * multiplier;
        }
    }
    return ChandelierLines{std::move(long_exit), std::move(short_exit)};
}

Result<Series> historical_volatility(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (period < 2 || period > n) return fail(err::InvalidPeriod{period, n});
    Series returns(n, kNaN);
    for (std::size_t i = 1; i < n; ++i) {
        if (std::fabs(close[i - 1]) < kEps) continue;
        // A zero or sign-changing close has no log return; an infinite one
        // would poison the running deviation instead of marking its windows.
        const double r = std::log(close[i] / close[i - 1]);
        if (std::isfinite(r)) returns[i] = r;
    }
    // Sample deviation of the returns; windows holding an undefined return stay NaN.
    Series out = stdev(returns, period);
    const double scale = std::sqrt(static_cast<double>(period)) * 100.0;
    for (double& x : out) x *= scale;
    return out;
}

Result<Series> ulcer_index(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series_period(close, "close", period));
    // Drawdown from the highest close of the trailing window.
    Series dd2 = rolling_max(close, period);
    for (std::size_t i = 0; i < dd2.size(); ++i) {
        const double hmax = dd2[i];
        if (std::isnan(hmax) || !(hmax > 0.0)) {
            dd2[i] = kNaN;
            continue;
        }
        const double pct = (close[i] - hmax) / hmax * 100.0;
        dd2[i] = pct * pct;
    }
    Series out = sum_of_finite_windows(dd2, period);
    const double p = static_cast<double>(period);
    // The sliding sum of squares can end a hair below zero once large
    // drawdowns have left the window; the root of that is 0, not NaN.
    for (double& x : out) x = x > 0.0 ? std::sqrt(x / p) : (std::isnan(x) ? kNaN : 0.0);
    return out;
}

Result<Series> mass_index(const Series& high, const Series& low, std::uint64_t fast, std::uint64_t slow) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    const std::size_t n = high.size();
    if (fast == 0 || slow == 0) return fail(err::InvalidPeriod{0, n});
    // The shorter period averages, the longer one sums, whatever their names.
    const std::uint64_t e = std::min(fast, slow), s = std::max(fast, slow);
    const std::uint64_t needed = saturating_add(s, s - e);
    if (n < needed) return fail(err::InsufficientData{needed, n});
    Series range(n);
    for (std::size_t i = 0; i < n; ++i) range[i] = high[i] - low[i];
    VORN_TRY_ASSIGN(e1, ema(range, e));
    Series ratio = ema_impl(e1, e, ema_alpha(e));
    for (std::size_t i = 0; i < n; ++i) {
        const double e2 = ratio[i];
        ratio[i] = (std::isnan(e1[i]) || std::isnan(e2) || std::fabs(e2) < kEps) ? kNaN : e1[i] / e2;
    }
    return sum_of_finite_windows(ratio, s);
}

Result<Series> aberration(const Series& high, const Series& low, const Series& close, std::uint64_t period,
                          std::uint64_t atr_period) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    VORN_CHECK(check_period(atr_period, n));
    VORN_CHECK(check_period_with_prior_bar(atr_period, n));
    Series out = sma_impl(close, period);
    const Series a = atr_core(high, low, close, atr_period);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = (std::isnan(out[i]) || std::isnan(a[i]) || std::fabs(a[i]) < kEps) ? kNaN : (close[i] - out[i]) / a[i];
    return out;
}

Result<SqueezeLines> squeeze(const Series& high, const Series& low, const Series& close, std::uint64_t bb_period,
                             double bb_std, std::uint64_t kc_period, std::uint64_t kc_atr_period, double kc_mult) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(bb_period, n));
    VORN_CHECK(check_period(kc_period, n));
    VORN_CHECK(check_period(kc_atr_period, n));
    VORN_CHECK(check_multiplier(bb_std, "std_multiplier"));
    VORN_CHECK(check_keltner(n, kc_period, kc_atr_period, kc_mult));
    const VolatilityBands bb = bollinger_core(close, bb_period, bb_std);
    const VolatilityBands kc = keltner_core(high, low, close, kc_period, kc_atr_period, kc_mult);

    Series on(n, kNaN), off(n, kNaN);
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isnan(bb.upper[i]) || std::isnan(kc.upper[i])) continue;
        const bool inside = kc.upper[i] > bb.upper[i] && bb.lower[i] > kc.lower[i];
        on[i] = inside ? 1.0 : 0.0;
        off[i] = inside ? 0.0 : 1.0;
    }
    Series momentum = rolling_max(close, bb_period);
    const Series lo = rolling_min(close, bb_period);
    const Series mean = sma_impl(close, bb_period);
    for (std::size_t i = 0; i < n; ++i)
        momentum[i] = (std::isnan(momentum[i]) || std::isnan(lo[i]) || std::isnan(mean[i]))
                          ? kNaN
                          : (momentum[i] + lo[i]) * 0.5 - mean[i];
    return SqueezeLines{std::move(momentum), std::move(on), std::move(off)};
}

}  // namespace vorn
