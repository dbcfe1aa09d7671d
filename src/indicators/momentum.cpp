#include "indicators/momentum.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "utils/kahan.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"
#include "utils/numeric.hpp"

namespace vorn {

namespace {

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
    VORN_CHECK(check_period_with_prior_bar(period, close.size()));
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
    if (signal - 1 > n - slow) return fail(err::InsufficientData{saturating_add(slow, signal - 1), n});

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

namespace {

// Position of `x` in [lo, hi] scaled to 0 .. 100; `flat` where the range vanishes.
inline double range_position(double x, double hi, double lo, double flat) {
    if (std::isnan(hi) || std::isnan(lo)) return kNaN;
    if (std::fabs(hi - lo) < kEps) return flat;
    return (x - lo) / (hi - lo) * 100.0;
}

// stochastic after its checks.
StochasticLines stochastic_core(const Series& high, const Series& low, const Series& close, std::uint64_t k_period,
                                std::uint64_t smooth_k, std::uint64_t d_period) {
    Series raw = rolling_max(high, k_period);
    const Series ll = rolling_min(low, k_period);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = range_position(close[i], raw[i], ll[i], 50.0);
    // The raw line's NaN prefix restarts the averaging windows.
    Series k = sma_impl(raw, smooth_k);
    Series d = sma_impl(k, d_period);
    return {std::move(k), std::move(d)};
}

Check check_stochastic(const Series& high, const Series& low, const Series& close, std::uint64_t k_period,
                       std::uint64_t smooth_k, std::uint64_t d_period) {
    if (auto e = validate_hlc(high, low, close)) return e;
    const std::size_t n = close.size();
    if (auto e = check_period(k_period, n)) return e;
    if (auto e = check_period(smooth_k, n)) return e;
    return check_period(d_period, n);
}

// The fast/slow rule of AO, APO and PPO; on success f and s are the periods
// clamped to the data length.
Check check_fast_slow(std::uint64_t fast, std::uint64_t slow, std::size_t n, std::uint64_t& f, std::uint64_t& s) {
    if (fast == 0 || slow == 0) return VornError(err::InvalidPeriod{0, n});
    if (slow < fast)
        return VornError(err::InvalidValue{0, "fast_period (" + std::to_string(fast) + ") must be <= slow_period (" +
                                                  std::to_string(slow) + ")"});
    f = std::min<std::uint64_t>(n, fast);
    s = std::min<std::uint64_t>(n, slow);
    if (fast >= s) return VornError(err::InsufficientData{slow, n});
    return std::nullopt;
}

// The fast and slow EMAs of close that APO and PPO compare, after their checks.
Result<std::pair<Series, Series>> fast_slow_emas(const Series& close, std::uint64_t fast_period,
                                                 std::uint64_t slow_period) {
    VORN_CHECK(validate_series(close, "close"));
    std::uint64_t f = 0, s = 0;
    VORN_CHECK(check_fast_slow(fast_period, slow_period, close.size(), f, s));
    return std::pair{ema_impl(close, f, ema_alpha(f)), ema_impl(close, s, ema_alpha(s))};
}

}  // namespace

Result<StochasticLines> stochastic(const Series& high, const Series& low, const Series& close,
                                   std::uint64_t k_period, std::uint64_t smooth_k, std::uint64_t d_period) {
    VORN_CHECK(check_stochastic(high, low, close, k_period, smooth_k, d_period));
    return stochastic_core(high, low, close, k_period, smooth_k, d_period);
}

Result<StochasticLines> stochrsi(const Series& close, std::uint64_t rsi_period, std::uint64_t stoch_period,
                                 std::uint64_t k_period, std::uint64_t d_period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (rsi_period == 0 || stoch_period == 0 || k_period == 0 || d_period == 0)
        return fail(err::InvalidPeriod{0, n});
    VORN_CHECK(check_period_with_prior_bar(rsi_period, n));
    Series st = rsi_core(close, rsi_period);
    // A stochastic window longer than the series is not an error: the rolling
    // kernels then give all NaN.
    const Series hh = rolling_max(st, stoch_period);
    const Series ll = rolling_min(st, stoch_period);
    for (std::size_t i = 0; i < n; ++i) st[i] = range_position(st[i], hh[i], ll[i], 50.0);
    if (k_period > n) return fail(err::InvalidPeriod{k_period, n});
    Series k = sma_impl(st, k_period);
    if (d_period > n) return fail(err::InvalidPeriod{d_period, n});
    Series d = sma_impl(k, d_period);
    return StochasticLines{std::move(k), std::move(d)};
}

Result<KdjLines> kdj(const Series& high, const Series& low, const Series& close, std::uint64_t k_period,
                     std::uint64_t smooth_k, std::uint64_t d_period) {
    VORN_TRY_ASSIGN(kd, stochastic(high, low, close, k_period, smooth_k, d_period));
    Series j(close.size(), kNaN);
    for (std::size_t i = 0; i < j.size(); ++i)
        if (!std::isnan(kd.k[i]) && !std::isnan(kd.d[i])) j[i] = 3.0 * kd.k[i] - 2.0 * kd.d[i];
    return KdjLines{std::move(kd.k), std::move(kd.d), std::move(j)};
}

Result<Series> williams_r(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_hlc(high, low, close));
    VORN_CHECK(check_period(period, close.size()));
    Series out = rolling_max(high, period);
    const Series ll = rolling_min(low, period);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double hh = out[i];
        if (std::isnan(hh) || std::isnan(ll[i])) out[i] = kNaN;
        else if (std::fabs(hh - ll[i]) < kEps) out[i] = -50.0;
        else out[i] = (hh - close[i]) / (hh - ll[i]) * -100.0;
    }
    return out;
}

Result<Series> cci(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series tp(n);
    for (std::size_t i = 0; i < n; ++i) tp[i] = (high[i] + low[i] + close[i]) / 3.0;
    // Only an overflowing sum can get here.
    VORN_CHECK(check_finite(tp, "values"));
    Series out = sma_impl(tp, period);
    const double p = static_cast<double>(period);
    for (std::size_t i = period - 1; i < n; ++i) {
        const double m = out[i];
        // The mean deviation needs the window's own mean: O(period) per bar.
        double dev = 0.0;
        for (std::size_t j = i + 1 - period; j <= i; ++j) dev += std::fabs(tp[j] - m);
        const double md = dev / p;
        out[i] = std::fabs(md) < kEps ? 0.0 : (tp[i] - m) / (md * 0.015);
    }
    return out;
}

Result<Series> awesome_oscillator(const Series& high, const Series& low, std::uint64_t fast_period,
                                  std::uint64_t slow_period) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    const std::size_t n = high.size();
    std::uint64_t f = 0, s = 0;
    VORN_CHECK(check_fast_slow(fast_period, slow_period, n, f, s));
    Series hl2(n);
    for (std::size_t i = 0; i < n; ++i) hl2[i] = (high[i] + low[i]) * 0.5;
    VORN_CHECK(check_finite(hl2, "values"));
    Series out = sma_impl(hl2, f);
    const Series slow = sma_impl(hl2, s);
    for (std::size_t i = 0; i < n; ++i) out[i] = std::isnan(slow[i]) ? kNaN : out[i] - slow[i];
    return out;
}

Result<FisherLines> fisher_transform(const Series& high, const Series& low, const Series& close,
                                     std::uint64_t period) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series fisher = rolling_max(high, period);
    const Series ll = rolling_min(low, period);
    Series trigger(n, kNaN);
    for (std::size_t i = 0; i < n; ++i) {
        const double hh = fisher[i];
        if (std::isnan(hh) || std::isnan(ll[i])) {
            fisher[i] = kNaN;
        } else {
            double x = std::fabs(hh - ll[i]) < kEps ? 0.0 : 2.0 * (close[i] - ll[i]) / (hh - ll[i]) - 1.0;
            // Keeps the logarithm finite at the window's extremes.
            x = std::clamp(x, -0.999, 0.999);
            fisher[i] = 0.5 * std::log((1.0 + x) / (1.0 - x));
        }
        if (i >= 1) trigger[i] = fisher[i - 1];
    }
    return FisherLines{std::move(fisher), std::move(trigger)};
}

Result<TsiLines> tsi(const Series& close, std::uint64_t long_period, std::uint64_t short_period,
                     std::uint64_t signal_period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (n == 1) return fail(err::InsufficientData{2, 1});
    if (long_period == 0 || short_period == 0 || signal_period == 0) return fail(err::InvalidPeriod{0, n});
    Series change(n, kNaN), abs_change(n, kNaN);
    for (std::size_t i = 1; i < n; ++i) {
        change[i] = close[i] - close[i - 1];
        abs_change[i] = std::fabs(change[i]);
    }
    if (long_period > n) return fail(err::InvalidPeriod{long_period, n});
    const Series e1 = ema_impl(change, long_period, ema_alpha(long_period));
    if (short_period > n) return fail(err::InvalidPeriod{short_period, n});
    Series line = ema_impl(e1, short_period, ema_alpha(short_period));
    const Series a1 = ema_impl(abs_change, long_period, ema_alpha(long_period));
    const Series a2 = ema_impl(a1, short_period, ema_alpha(short_period));
    for (std::size_t i = 0; i < n; ++i) {
        // Without movement the index is undefined rather than infinite.
        const bool defined = !std::isnan(line[i]) && std::fabs(a2[i]) >= kEps;
        line[i] = defined ? 100.0 * line[i] / a2[i] : kNaN;
    }
    VORN_TRY_ASSIGN(signal, ema_allow_nan(line, signal_period));
    return TsiLines{std::move(line), std::move(signal)};
}

Series calc_uo_avg(const Series& bp, const Series& tr, std::uint64_t period) {
    const std::size_t n = bp.size();
    const std::size_t m = std::min(n, tr.size());
    Series out(n, kNaN);
    if (period == 0 || period >= m) return out;
    // Windows end at i >= period, so they never reach the undefined index 0.
    Kahan sb, st;
    std::size_t steps = 0;
    for (std::size_t k = 1; k <= period; ++k) sb.add(or_zero(bp[k])), st.add(or_zero(tr[k]));
    for (std::size_t i = period; i < m; ++i) {
        if (i > period) {
            if (++steps == kRebuildEvery) {
                sb.reset(), st.reset();
                for (std::size_t k = i + 1 - period; k <= i; ++k) sb.add(or_zero(bp[k])), st.add(or_zero(tr[k]));
                steps = 0;
            } else {
                sb.add(or_zero(bp[i]) - or_zero(bp[i - period]));
                st.add(or_zero(tr[i]) - or_zero(tr[i - period]));
            }
        }
        if (std::fabs(st.value()) >= kEps) out[i] = sb.value() / st.value();
    }
    return out;
}

Result<Series> ultimate_oscillator(const Series& high, const Series& low, const Series& close,
                                   std::uint64_t period1, std::uint64_t period2, std::uint64_t period3) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    if (n == 1) return fail(err::InsufficientData{2, 1});
    if (period1 == 0 || period2 == 0 || period3 == 0) return fail(err::InvalidPeriod{0, n});
    Series bp(n, kNaN), tr(n, kNaN);
    for (std::size_t i = 1; i < n; ++i) {
        const double m = std::min(low[i], close[i - 1]);
        bp[i] = close[i] - m;
        tr[i] = std::max(high[i], close[i - 1]) - m;
    }
    Series out = calc_uo_avg(bp, tr, period1);
    const Series a2 = calc_uo_avg(bp, tr, period2);
    const Series a3 = calc_uo_avg(bp, tr, period3);
    for (std::size_t i = 0; i < n; ++i) {
        const double a1 = out[i];
        out[i] = (std::isnan(a1) || std::isnan(a2[i]) || std::isnan(a3[i]))
                     ? kNaN
                     : (2.0 * a2[i] + 4.0 * a1 + a3[i]) * 100.0 / 7.0;
    }
    return out;
}

Result<Series> mom(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    Series out(values.size(), kNaN);
    for (std::size_t i = period; i < values.size(); ++i) out[i] = values[i] - values[i - period];
    return out;
}

Result<Series> roc(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    Series out(values.size(), kNaN);
    for (std::size_t i = period; i < values.size(); ++i) {
        const double base = values[i - period];
        if (std::fabs(base) >= kEps) out[i] = (values[i] / base - 1.0) * 100.0;
    }
    return out;
}

Result<Series> apo(const Series& close, std::uint64_t fast_period, std::uint64_t slow_period) {
    VORN_TRY_ASSIGN(emas, fast_slow_emas(close, fast_period, slow_period));
    Series out = std::move(emas.first);
    const Series& slow = emas.second;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = std::isnan(slow[i]) ? kNaN : out[i] - slow[i];
    return out;
}

Result<Series> ppo(const Series& close, std::uint64_t fast_period, std::uint64_t slow_period) {
    VORN_TRY_ASSIGN(emas, fast_slow_emas(close, fast_period, slow_period));
    Series out = std::move(emas.first);
    const Series& slow = emas.second;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double base = slow[i];
        out[i] = (std::isnan(base) || std::isnan(out[i]) || std::fabs(base) < kEps)
                     ? kNaN
                     : (out[i] - base) / base * 100.0;
    }
    return out;
}

Result<Series> cmo(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    VORN_CHECK(check_period_with_prior_bar(period, close.size()));
    Series out(close.size(), kNaN);
    wilder_up_down(close, period, [&](std::size_t i, double u, double d) {
        out[i] = std::fabs(u + d) < kEps ? 0.0 : (u - d) * 100.0 / (u + d);
    });
    return out;
}

}  // namespace vorn
