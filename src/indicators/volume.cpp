#include "indicators/volume.hpp"

#include <algorithm>
#include <cmath>

#include "utils/kahan.hpp"
#include "utils/ma.hpp"
#include "utils/stats.hpp"
#include "utils/numeric.hpp"

namespace vorn {

namespace {

inline double typical(const Series& high, const Series& low, const Series& close, std::size_t i) {
    return (high[i] + low[i] + close[i]) / 3.0;
}

Check check_ohlcv(const Series& high, const Series& low, const Series& close, const Series& volume) {
    return validate_lengths_match({{high, "high"}, {low, "low"}, {close, "close"}, {volume, "volume"}});
}

Check check_close_volume(const Series& close, const Series& volume) {
    return validate_lengths_match({{close, "close"}, {volume, "volume"}});
}

// The close-to-close ratio applied by the price-volume trend and the volume
// indices; a (near) zero previous close leaves the running value unchanged.
inline bool relative_change(const Series& close, std::size_t i, double& change) {
    const double prev = close[i - 1];
    if (std::fabs(prev) < kEps) return false;
    change = (close[i] - prev) / prev;
    return true;
}

// NVI (falling volume) or PVI (rising volume), starting at 1000.
template <class Select>
Result<Series> volume_index(const Series& close, const Series& volume, Select select) {
    VORN_CHECK(check_close_volume(close, volume));
    const std::size_t n = close.size();
    if (n == 1) return fail(err::InsufficientData{2, 1});
    Series out(n);
    double index = 1000.0;
    out[0] = index;
    for (std::size_t i = 1; i < n; ++i) {
        double change;
        if (select(volume[i], volume[i - 1]) && relative_change(close, i, change)) index *= 1.0 + change;
        out[i] = index;
    }
    return out;
}
}  // namespace

Result<Series> obv(const Series& close, const Series& volume) {
    VORN_CHECK(check_close_volume(close, volume));
    const std::size_t n = close.size();
    Series out(n);
    double acc = volume[0];
    out[0] = acc;
    for (std::size_t i = 1; i < n; ++i) {
        if (close[i] > close[i - 1]) acc += volume[i];
        else if (close[i] < close[i - 1]) acc -= volume[i];
        out[i] = acc;
    }
    return out;
}

Result<Series> vwap(const Series& high, const Series& low, const Series& close, const Series& volume,
                    std::uint64_t period) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    const std::size_t n = close.size();
    Series tp(n);
    for (std::size_t i = 0; i < n; ++i) tp[i] = typical(high, low, close, i);
    // Only a typical price that overflowed can fail here.
    VORN_CHECK(check_finite(tp, "typical_prices"));

    Series out(n, kNaN);
    Kahan pv, vol;
    auto emit = [&](std::size_t i) {
        if (std::fabs(vol.value()) >= kEps) out[i] = pv.value() / vol.value();
    };
    if (period == 0) {
        for (std::size_t i = 0; i < n; ++i) {
            pv.add(tp[i] * volume[i]);
            vol.add(volume[i]);
            emit(i);
        }
        return out;
    }
    if (period > n) return fail(err::InvalidPeriod{period, n});
    const std::size_t p = period;
    for (std::size_t i = 0; i < p; ++i) {
        pv.add(tp[i] * volume[i]);
        vol.add(volume[i]);
    }
    emit(p - 1);
    for (std::size_t i = p; i < n; ++i) {
        if ((i - p + 1) % kRebuildEvery == 0) {
            pv.reset();
            vol.reset();
            for (std::size_t k = i + 1 - p; k <= i; ++k) {
                pv.add(tp[k] * volume[k]);
                vol.add(volume[k]);
            }
        } else {
            const std::size_t o = i - p;
            pv.add(tp[i] * volume[i] - tp[o] * volume[o]);
            vol.add(volume[i] - volume[o]);
        }
        emit(i);
    }
    return out;
}

Result<Series> mfi(const Series& high, const Series& low, const Series& close, const Series& volume,
                   std::uint64_t period) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series positive(n, 0.0), negative(n, 0.0);
    double prev = typical(high, low, close, 0);
    for (std::size_t i = 1; i < n; ++i) {
        const double tp = typical(high, low, close, i);
        if (tp > prev) positive[i] = volume[i] * tp;
        else if (tp < prev) negative[i] = volume[i] * tp;
        prev = tp;
    }
    Series out = rolling_sum_kahan(positive, period);
    const Series neg = rolling_sum_kahan(negative, period);
    for (std::size_t i = period - 1; i < n; ++i)
        out[i] = std::fabs(neg[i]) < kEps ? 100.0 : 100.0 - 100.0 / (1.0 + out[i] / neg[i]);
    return out;
}

Result<Series> accumulation_distribution(const Series& high, const Series& low, const Series& close,
                                         const Series& volume) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    const std::size_t n = close.size();
    Series out(n);
    double ad = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double range = high[i] - low[i];
        // A bar without range carries no location information.
        if (range > 0.0) ad += ((close[i] - low[i]) - (high[i] - close[i])) / range * volume[i];
        out[i] = ad;
    }
    return out;
}

Result<Series> ema_seed(const Series& values, std::uint64_t period) {
    VORN_CHECK(check_not_empty(values, "values"));
    const std::size_t n = values.size();
    VORN_CHECK(check_period(period, n));
    const double alpha = ema_alpha(period);
    const double keep = 1.0 - alpha;
    Series out(n);
    out[0] = values[0];
    for (std::size_t i = 1; i < n; ++i) {
        const double prev = out[i - 1];
        const double x = values[i];
        out[i] = (std::isnan(prev) || std::isnan(x)) ? x : x * alpha + prev * keep;
    }
    return out;
}

Result<Series> adosc(const Series& high, const Series& low, const Series& close, const Series& volume,
                     std::uint64_t fast_period, std::uint64_t slow_period) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(fast_period, n));
    VORN_CHECK(check_period(slow_period, n));
    VORN_TRY_ASSIGN(ad, accumulation_distribution(high, low, close, volume));
    VORN_TRY_ASSIGN(fast, ema_seed(ad, fast_period));
    VORN_TRY_ASSIGN(slow, ema_seed(ad, slow_period));
    for (std::size_t i = 0; i < n; ++i) fast[i] = std::isnan(slow[i]) ? kNaN : fast[i] - slow[i];
    return fast;
}

Result<Series> cmf(const Series& high, const Series& low, const Series& close, const Series& volume,
                   std::uint64_t period) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series flow(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double range = high[i] - low[i];
        const double m = std::fabs(range) < kEps ? 0.0 : ((close[i] - low[i]) - (high[i] - close[i])) / range;
        flow[i] = m * volume[i];
    }
    Series out = rolling_sum_kahan(flow, period);
    const Series vol = rolling_sum_kahan(volume, period);
    for (std::size_t i = period - 1; i < n; ++i) out[i] = std::fabs(vol[i]) < kEps ? 0.0 : out[i] / vol[i];
    return out;
}

Result<Series> volume_oscillator(const Series& volume, std::uint64_t short_period, std::uint64_t long_period) {
    VORN_CHECK(validate_series(volume, "volume"));
    const std::size_t n = volume.size();
    const std::uint64_t fast_p = std::min(short_period, long_period);
    const std::uint64_t slow_p = std::max(short_period, long_period);
    VORN_CHECK(check_period(fast_p, n));
    VORN_CHECK(check_period(slow_p, n));
    Series out = sma_impl(volume, fast_p);
    const Series slow = sma_impl(volume, slow_p);
    for (std::size_t i = 0; i < n; ++i) {
        const double s = slow[i];
        out[i] = (std::isnan(out[i]) || std::isnan(s) || std::fabs(s) < kEps) ? kNaN : (out[i] - s) / s * 100.0;
    }
    return out;
}

Result<Series> pvt(const Series& close, const Series& volume) {
    VORN_CHECK(check_close_volume(close, volume));
    const std::size_t n = close.size();
    if (n == 1) return fail(err::InsufficientData{2, 1});
    Series out(n);
    double acc = 0.0;
    out[0] = acc;
    for (std::size_t i = 1; i < n; ++i) {
        double change;
        if (relative_change(close, i, change)) acc += change * volume[i];
        out[i] = acc;
    }
    return out;
}

Result<Series> nvi(const Series& close, const Series& volume) {
    return volume_index(close, volume, [](double v, double prev) { return v < prev; });
}

Result<Series> pvi(const Series& close, const Series& volume) {
    return volume_index(close, volume, [](double v, double prev) { return v > prev; });
}

Result<Series> eom(const Series& high, const Series& low, const Series& volume, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}, {volume, "volume"}}));
    const std::size_t n = high.size();
    VORN_CHECK(check_period(period, n));
    if (n == 1) return fail(err::InsufficientData{2, 1});
    Series raw(n);
    raw[0] = 0.0;
    for (std::size_t i = 1; i < n; ++i) {
        const double range = high[i] - low[i];
        double r = kNaN;
        if (range > 0.0 && volume[i] > 0.0) {
            const double distance = (high[i] + low[i]) * 0.5 - (high[i - 1] + low[i - 1]) * 0.5;
            r = distance / (volume[i] / (range * 1e8));
            // A box ratio that underflowed to zero would divide by zero: treat the
            // bar like one without range instead of feeding inf into the average.
            if (!std::isfinite(r)) r = kNaN;
        }
        raw[i] = r;
    }
    return sma_impl(raw, period);
}

Result<VolumeProfile> volume_profile(const Series& high, const Series& low, const Series& close,
                                     const Series& volume, std::uint64_t num_bins) {
    VORN_CHECK(check_ohlcv(high, low, close, volume));
    if (num_bins == 0)
        return fail(err::ParameterOutOfRange{"num_bins", 0.0, 1.0, kInf});
    const std::size_t n = close.size();
    double lo = low[0], hi = high[0];
    for (std::size_t i = 1; i < n; ++i) {
        lo = std::min(lo, low[i]);
        hi = std::max(hi, high[i]);
    }
    if (std::fabs(hi - lo) < kEps) {
        Kahan total;
        for (double v : volume) total.add(v);
        return VolumeProfile{Series{lo}, Series{total.value()}, lo};
    }
    const std::size_t bins = num_bins;
    const double width = (hi - lo) / static_cast<double>(num_bins);
    const double last = static_cast<double>(bins - 1);
    VolumeProfile r{Series(bins), Series(bins, 0.0), 0.0};
    for (std::size_t k = 0; k < bins; ++k) r.price_levels[k] = (static_cast<double>(k) + 0.5) * width + lo;
    for (std::size_t i = 0; i < n; ++i) {
        // Clamp before converting, so a typical price outside [lo, hi] (or an
        // overflowed one) cannot index out of range.
        const double pos = std::floor((typical(high, low, close, i) - lo) / width);
        const std::size_t k = pos >= last ? bins - 1 : pos > 0.0 ? static_cast<std::size_t>(pos) : 0;
        r.volume_per_level[k] += volume[i];
    }
    const double top = *std::max_element(r.volume_per_level.begin(), r.volume_per_level.end());
    for (std::size_t k = 0; k < bins; ++k) {
        if (std::fabs(r.volume_per_level[k] - top) < kEps) {
            r.point_of_control = r.price_levels[k];
            break;
        }
    }
    return r;
}

}  // namespace vorn
