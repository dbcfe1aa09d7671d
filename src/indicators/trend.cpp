#include "indicators/trend.hpp"

#include <cmath>
#include <vector>

#include "indicators/volatility.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"
#include "utils/numeric.hpp"

namespace vorn {

namespace {

// True range with 0.0 (not NaN) for the first bar, as the window sums of the
// vortex and choppiness studies need; also rejects a single bar (2, 1).
Result<Series> true_range_from_zero(const Series& high, const Series& low, const Series& close) {
    VORN_TRY_ASSIGN(tr, true_range(high, low, close, 1));
    tr[0] = 0.0;
    return tr;
}

inline double dx_of(double plus, double minus) {
    const double sum = plus + minus;
    return std::fabs(sum) < kEps ? 0.0 : std::fabs(plus - minus) * 100.0 / sum;
}

// Indices of a sliding window whose values strictly decrease from front to
// back under `before` (a newer equal value evicts the older one).
class MonotonicWindow {
public:
    explicit MonotonicWindow(std::size_t window) : ring_(window + 1) {}

    template <class Before>
    void push(const Series& v, std::size_t i, Before before) {
        while (size_ && !before(v[at(size_ - 1)], v[i])) --size_;
        ring_[slot(size_)] = i;
        ++size_;
    }
    void expire(std::size_t oldest_kept) {
        if (size_ && ring_[head_] < oldest_kept) {
            head_ = slot(1);
            --size_;
        }
    }
    // The newest index whose value lies within kEps of the extreme; such a bar
    // is never evicted (only a newer bar at least as extreme evicts), so it is
    // in the queue, right behind the front.
    std::size_t newest_near_extreme(const Series& v) const {
        const double extreme = v[at(0)];
        std::size_t k = 0;
        while (k + 1 < size_ && std::fabs(v[at(k + 1)] - extreme) < kEps) ++k;
        return at(k);
    }

private:
    std::size_t slot(std::size_t k) const {
        const std::size_t s = head_ + k;
        return s >= ring_.size() ? s - ring_.size() : s;
    }
    std::size_t at(std::size_t k) const { return ring_[slot(k)]; }

    std::vector<std::size_t> ring_;
    std::size_t head_ = 0, size_ = 0;
};
}  // namespace

Result<SuperTrend> supertrend(const Series& high, const Series& low, const Series& close, std::uint64_t period,
                              double multiplier) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    VORN_CHECK(check_period_with_prior_bar(period, n));
    VORN_TRY_ASSIGN(a, atr(high, low, close, period));
    // The ATR buffer becomes the line: a[i] is read before line[i] is written.
    SuperTrend r{std::move(a), Series(n, kNaN), Series(n, kNaN), Series(n, kNaN)};
    const std::size_t b = period;
    for (std::size_t i = b; i < n; ++i) {
        const double atr_i = r.line[i];
        // A later bar without an ATR (an overflowing range) gets no value at all.
        if (i > b && std::isnan(atr_i)) continue;
        const double hl2 = (high[i] + low[i]) * 0.5;
        const double basic_upper = atr_i * multiplier + hl2;
        const double basic_lower = hl2 - atr_i * multiplier;
        double upper = basic_upper, lower = basic_lower, dir;
        if (i == b) {
            dir = close[i] > hl2 ? 1.0 : -1.0;
        } else {
            // A band only tightens, unless the previous close broke through it:
            // then it restarts from the basic band.
            const double prev_upper = r.final_upper[i - 1], prev_lower = r.final_lower[i - 1];
            const double prev_close = close[i - 1];
            if (!(std::isnan(prev_upper) || basic_upper < prev_upper || prev_close > prev_upper)) upper = prev_upper;
            if (!(std::isnan(prev_lower) || basic_lower > prev_lower || prev_close < prev_lower)) lower = prev_lower;
            if (r.direction[i - 1] == 1.0) dir = lower > close[i] ? -1.0 : 1.0;
            else dir = close[i] > upper ? 1.0 : -1.0;
        }
        r.final_upper[i] = upper;
        r.final_lower[i] = lower;
        r.direction[i] = dir;
        r.line[i] = dir == 1.0 ? lower : upper;
    }
    return r;
}

Result<DirectionalIndicators> compute_di(const Series& high, const Series& low, const Series& close,
                                         std::uint64_t period) {
    const std::size_t n = high.size();
    if (period >= n) return fail(err::InsufficientData{saturating_add(period, 1), n});
    // Callers reject 0 first; the guard keeps the smoothing below from dividing by it.
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    VORN_TRY_ASSIGN(tr, true_range(high, low, close, 1));
    auto moves = [&](std::size_t i, double& plus, double& minus) {
        const double up = high[i] - high[i - 1];
        const double down = low[i - 1] - low[i];
        plus = (up > 0.0 && up > down) ? up : 0.0;
        minus = (down > up && down > 0.0) ? down : 0.0;
    };
    const double p = static_cast<double>(period);
    double s_plus = 0.0, s_minus = 0.0, s_tr = 0.0;
    for (std::size_t i = 1; i < period; ++i) {
        double plus, minus;
        moves(i, plus, minus);
        s_plus += plus;
        s_minus += minus;
        s_tr += tr[i];
    }
    DirectionalIndicators r{Series(n, kNaN), Series(n, kNaN)};
    for (std::size_t j = period; j < n; ++j) {
        double plus, minus;
        moves(j, plus, minus);
        // Wilder's running-sum smoothing.
        s_plus = s_plus - s_plus / p + plus;
        s_minus = s_minus - s_minus / p + minus;
        s_tr = s_tr - s_tr / p + tr[j];
        if (std::fabs(s_tr) < kEps) {
            r.plus_di[j] = r.minus_di[j] = 0.0;
        } else {
            r.plus_di[j] = s_plus * 100.0 / s_tr;
            r.minus_di[j] = s_minus * 100.0 / s_tr;
        }
    }
    return r;
}

Result<Adx> adx(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_hlc(high, low, close));
    const std::size_t n = close.size();
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    VORN_TRY_ASSIGN(di, compute_di(high, low, close, period));
    Adx r{Series(n, kNaN), std::move(di.plus_di), std::move(di.minus_di)};
    const std::size_t p = period;
    if (n < 2 * p) return r;
    const double pd = static_cast<double>(period);
    double sum = 0.0;
    for (std::size_t j = p; j < 2 * p; ++j) sum += dx_of(r.plus_di[j], r.minus_di[j]);
    double value = sum / pd;
    r.adx[2 * p - 1] = value;
    for (std::size_t j = 2 * p; j < n; ++j) {
        value = (value * (pd - 1.0) + dx_of(r.plus_di[j], r.minus_di[j])) / pd;
        r.adx[j] = value;
    }
    return r;
}

Result<DirectionalIndicators> dmi(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_hlc(high, low, close));
    if (period == 0) return fail(err::InvalidPeriod{0, close.size()});
    return compute_di(high, low, close, period);
}

Result<Series> dx(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(di, dmi(high, low, close, period));
    Series& out = di.plus_di;
    for (std::size_t j = 0; j < out.size(); ++j)
        out[j] = (std::isnan(out[j]) || std::isnan(di.minus_di[j])) ? kNaN : dx_of(out[j], di.minus_di[j]);
    return std::move(out);
}

Result<Series> plus_di(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(r, dmi(high, low, close, period));
    return std::move(r.plus_di);
}

Result<Series> minus_di(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(r, dmi(high, low, close, period));
    return std::move(r.minus_di);
}

Result<Aroon> aroon(const Series& high, const Series& low, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    const std::size_t n = high.size();
    if (period < 2) return fail(err::InvalidPeriod{period, n});
    if (period >= n) return fail(err::InsufficientData{saturating_add(period, 1), n});
    // The window spans period + 1 bars; the queues find its extremes and the
    // most recent bar at them in amortised constant time.
    const std::size_t p = period;
    const double pd = static_cast<double>(period);
    MonotonicWindow highs(p + 1), lows(p + 1);
    Aroon r{Series(n, kNaN), Series(n, kNaN), Series(n, kNaN)};
    for (std::size_t i = 0; i < n; ++i) {
        if (i > p) {
            highs.expire(i - p);
            lows.expire(i - p);
        }
        highs.push(high, i, [](double older, double x) { return older > x; });
        lows.push(low, i, [](double older, double x) { return older < x; });
        if (i < p) continue;
        const double since_high = static_cast<double>(i - highs.newest_near_extreme(high));
        const double since_low = static_cast<double>(i - lows.newest_near_extreme(low));
        r.up[i] = (pd - since_high) / pd * 100.0;
        r.down[i] = (pd - since_low) / pd * 100.0;
        r.oscillator[i] = r.up[i] - r.down[i];
    }
    return r;
}

Result<Vortex> vortex(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(tr, true_range_from_zero(high, low, close));
    const std::size_t n = close.size();
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    Series up(n), down(n);
    up[0] = down[0] = 0.0;
    for (std::size_t i = 1; i < n; ++i) {
        up[i] = std::fabs(high[i] - low[i - 1]);
        down[i] = std::fabs(low[i] - high[i - 1]);
    }
    const Series s_tr = rolling_sum_kahan(tr, period);
    Vortex r{rolling_sum_kahan(up, period), rolling_sum_kahan(down, period)};
    for (std::size_t j = 0; j < n; ++j) {
        if (j >= period && std::fabs(s_tr[j]) >= kEps) {
            r.plus_vi[j] /= s_tr[j];
            r.minus_vi[j] /= s_tr[j];
        } else {
            r.plus_vi[j] = r.minus_vi[j] = kNaN;
        }
    }
    return r;
}

Result<Series> choppiness(const Series& high, const Series& low, const Series& close, std::uint64_t period) {
    VORN_TRY_ASSIGN(tr, true_range_from_zero(high, low, close));
    const std::size_t n = close.size();
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    // log10(1) = 0 would be the divisor.
    if (period == 1) return fail(err::InvalidPeriod{1, n});
    const Series hh = rolling_max(high, period);
    const Series ll = rolling_min(low, period);
    Series out = rolling_sum_kahan(tr, period);
    const double log_period = std::log10(static_cast<double>(period));
    for (std::size_t j = 0; j < n; ++j) {
        const double s = out[j], range = hh[j] - ll[j];
        // NaN compares false, so a NaN term fails the positivity tests too.
        // Scaled as x * 100 / log10(period), not x * (100 / log10(period)):
        // the two round differently.
        out[j] = (j >= period && s > 0.0 && range > 0.0) ? std::log10(s / range) * 100.0 / log_period : kNaN;
    }
    return out;
}

Result<Series> qstick(const Series& open, const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{open, "open"}, {close, "close"}}));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series body(n);
    for (std::size_t i = 0; i < n; ++i) body[i] = close[i] - open[i];
    return ema(body, period);
}

Result<Series> vhf(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (n == 1) return fail(err::InsufficientData{2, 1});
    VORN_CHECK(check_period_with_prior_bar(period, n));
    const Series hh = rolling_max(close, period);
    const Series ll = rolling_min(close, period);
    Series moves(n);
    moves[0] = 0.0;
    for (std::size_t i = 1; i < n; ++i) moves[i] = std::fabs(close[i] - close[i - 1]);
    Series out = rolling_sum_kahan(moves, period);
    for (std::size_t j = 0; j < n; ++j) {
        const double x = std::fabs(hh[j] - ll[j]);
        const double s = out[j];
        out[j] = (j >= period && std::isfinite(x) && std::isfinite(s) && s > 0.0) ? x / s : kNaN;
    }
    return out;
}

Result<Series> trix(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    if (n < period) return fail(err::InsufficientData{period, n});
    const double alpha = ema_alpha(period);
    // The three averages run side by side; only the last one's previous value is kept.
    EmaState a(period, alpha), b(period, alpha), c(period, alpha);
    Series out(n, kNaN);
    double prev = kNaN;
    for (std::size_t i = 0; i < n; ++i) {
        const double e3 = c.push(b.push(a.push(close[i])));
        if (!std::isnan(e3) && !std::isnan(prev) && std::fabs(prev) >= kEps) out[i] = (e3 - prev) / prev * 100.0;
        prev = e3;
    }
    return out;
}

Result<Series> dpo(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (period == 0) return fail(err::InvalidPeriod{0, n});
    if (n < period) return fail(err::InsufficientData{period, n});
    // A past average: the oscillator never looks ahead.
    const std::size_t shift = period / 2 + 1;
    const Series m = sma_impl(close, period);
    Series out(n, kNaN);
    for (std::size_t i = shift; i < n; ++i)
        if (!std::isnan(m[i - shift])) out[i] = close[i] - m[i - shift];
    return out;
}

}  // namespace vorn
