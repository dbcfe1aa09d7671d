#include "indicators/overlap.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "utils/ma.hpp"
#include "utils/stats.hpp"
#include "utils/numeric.hpp"

namespace vorn {

namespace {

// (hi + lo) * 0.5 where both are defined, written over hi.
Series mid(Series hi, const Series& lo) {
    for (std::size_t i = 0; i < hi.size(); ++i)
        hi[i] = (std::isnan(hi[i]) || std::isnan(lo[i])) ? kNaN : (hi[i] + lo[i]) * 0.5;
    return hi;
}

// Raw weights normalised to sum 1, oldest first.
std::vector<double> normalised(std::vector<double> w) {
    double total = 0.0;
    for (double x : w) total += x;
    for (double& x : w) x /= total;
    return w;
}

// result[i] = sum of w[k] * values[i - period + 1 + k] for every window ending at
// `first` or later; a plain sum, as the fixed-weight averages are defined.
Series weighted_windows(const Series& values, const std::vector<double>& w, std::size_t first) {
    const std::size_t n = values.size();
    const std::size_t period = w.size();
    Series out(n, kNaN);
    for (std::size_t i = first; i < n; ++i) {
        const double* window = values.data() + (i + 1 - period);
        double acc = 0.0;
        for (std::size_t k = 0; k < period; ++k) acc += w[k] * window[k];
        out[i] = acc;
    }
    return out;
}

}  // namespace

Result<Series> trima(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const std::uint64_t half = period / 2;
    const std::uint64_t first = half + period % 2;
    // The second pass restarts after the first pass's NaN prefix, so the two
    // warm-ups add up to period - 1.
    return sma_impl(sma_impl(values, first), half + 1);
}

Result<Series> midpoint(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return mid(rolling_max(values, period), rolling_min(values, period));
}

Result<Series> midprice(const Series& high, const Series& low, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    VORN_CHECK(check_period(period, high.size()));
    return mid(rolling_max(high, period), rolling_min(low, period));
}

Result<Series> zlma(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const std::size_t lag = static_cast<std::size_t>((period - 1) / 2);
    Series corrected(values.size(), kNaN);
    for (std::size_t i = lag; i < values.size(); ++i) corrected[i] = 2.0 * values[i] - values[i - lag];
    // The NaN prefix of the corrected series delays the EMA's seed by `lag`.
    return ema_impl(corrected, period, ema_alpha(period));
}

Result<Series> t3(const Series& values, std::uint64_t period, double vfactor) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const double alpha = ema_alpha(period);
    const double a = vfactor;
    const double a2 = a * a;
    const double a3 = a2 * a;
    const double c1 = -a3;
    const double c2 = 3.0 * a2 + 3.0 * a3;
    const double c3 = -6.0 * a2 - 3.0 * a - 3.0 * a3;
    const double c4 = 1.0 + 3.0 * a + a3 + 3.0 * a2;
    // The six averages run side by side in one pass, no stage stored.
    EmaState s1(period, alpha), s2(period, alpha), s3(period, alpha), s4(period, alpha), s5(period, alpha),
        s6(period, alpha);
    Series out(values.size());
    bool any = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double e3 = s3.push(s2.push(s1.push(values[i])));
        const double e4 = s4.push(e3), e5 = s5.push(e4), e6 = s6.push(e5);
        if (std::isnan(e3) || std::isnan(e4) || std::isnan(e5) || std::isnan(e6)) {
            out[i] = kNaN;
            continue;
        }
        out[i] = c4 * e3 + (c3 * e4 + (c2 * e5 + c1 * e6));
        any = any || !std::isnan(out[i]);
    }
    // No value at all (shorter than six chained warm-ups, or coefficients that
    // are not finite): the plain EMA is the answer.
    if (!any) return ema_impl(values, period, alpha);
    return out;
}

Result<Series> kama(const Series& values, std::uint64_t period, std::uint64_t fast_period, std::uint64_t slow_period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const std::size_t n = values.size();
    const auto p = static_cast<std::size_t>(period);
    const double fast = 2.0 / (static_cast<double>(fast_period) + 1.0);
    const double slow = 2.0 / (static_cast<double>(slow_period) + 1.0);
    Series out(n, kNaN);
    out[p - 1] = values[p - 1];
    for (std::size_t i = p; i < n; ++i) {
        const double change = std::fabs(values[i] - values[i - p]);
        // A plain sum over the window, as the definition states, rather than a
        // running sum: the periods are short and the result stays exact to the rule.
        double volatility = 0.0;
        for (std::size_t k = i + 1 - p; k <= i; ++k) volatility += std::fabs(values[k] - values[k - 1]);
        const double er = volatility > 0.0 ? change / volatility : 0.0;
        const double base = er * (fast - slow) + slow;
        const double sc = base * base;
        out[i] = sc * (values[i] - out[i - 1]) + out[i - 1];
    }
    return out;
}

Result<Series> frama(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series(values, "values"));
    const std::size_t n = values.size();
    if (period > n || period < 2 || period % 2 != 0)
        return fail(err::InvalidPeriod{period, n});
    const auto p = static_cast<std::size_t>(period);
    const std::size_t h = p / 2;
    const double hf = static_cast<double>(h);
    const double pf = static_cast<double>(p);
    // Window extremes are exact, so the rolling kernel gives the same numbers as
    // a scan of each half, in one pass; the whole window's extremes are those of
    // its two halves. The windows end one bar before i.
    const Series half_max = rolling_max(values, h);
    const Series half_min = rolling_min(values, h);
    Series out(n, kNaN);
    out[p - 1] = values[p - 1];
    for (std::size_t i = p; i < n; ++i) {
        const std::size_t older = i - h - 1;  // last index of values[i - n .. i - h - 1]
        const std::size_t newer = i - 1;      // last index of values[i - h .. i - 1]
        const double n1 = (half_max[older] - half_min[older]) / hf;
        const double n2 = (half_max[newer] - half_min[newer]) / hf;
        const double whole_max = std::max(half_max[older], half_max[newer]);
        const double whole_min = std::min(half_min[older], half_min[newer]);
        const double n3 = (whole_max - whole_min) / pf;
        double alpha = 1.0;
        if (n1 + n2 > 0.0 && n3 > 0.0) {
            const double d = (std::log(n1 + n2) - std::log(n3)) / 0.6931471805599453;
            alpha = std::exp(-4.6 * (d - 1.0));
        }
        alpha = std::clamp(alpha, 0.01, 1.0);
        out[i] = (1.0 - alpha) * out[i - 1] + alpha * values[i];
    }
    return out;
}

Result<Series> alma(const Series& values, std::uint64_t period, double offset, double sigma) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const auto p = static_cast<std::size_t>(period);
    const double m = offset * static_cast<double>(p - 1);
    const double s = static_cast<double>(p) / sigma;
    std::vector<double> w(p);
    double total = 0.0;
    for (std::size_t k = 0; k < p; ++k) {
        const double d = static_cast<double>(k) - m;
        // The published Arnaud Legoux Gaussian, with its factor 2 in the denominator.
        w[k] = std::exp(-(d * d) / (2.0 * s * s));
        total += w[k];
    }
    if (!(total > 0.0)) {
        // A Gaussian far narrower than a bar: every weight underflowed (or s * s
        // did), and normalising would divide 0 by 0. Taken relative to the bar
        // nearest m the weights keep their shape: that bar gets 1, the rest 0.
        double nearest = kInf;
        for (std::size_t k = 0; k < p; ++k) nearest = std::min(nearest, std::fabs(static_cast<double>(k) - m));
        for (std::size_t k = 0; k < p; ++k) {
            const double d = std::fabs(static_cast<double>(k) - m);
            w[k] = d == nearest ? 1.0 : std::exp(-(d * d - nearest * nearest) / (2.0 * s * s));
        }
    }
    return weighted_windows(values, normalised(std::move(w)), p - 1);
}

Result<Series> vidya(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series_period(close, "close", period));
    const std::size_t n = close.size();
    const auto p = static_cast<std::size_t>(period);
    const double alpha = ema_alpha(period);
    const Series dev = stdev(close, period);  // all NaN for period 1
    Series out(n, kNaN);
    out[p - 1] = close[p - 1];
    for (std::size_t i = p; i < n; ++i) {
        // A NaN (undefined deviation or a price at zero) propagates to every
        // later position through out[i - 1].
        if (std::isnan(dev[i]) || !(std::fabs(close[i]) >= kEps)) continue;
        const double k = alpha * std::fabs(dev[i] / close[i]);
        out[i] = (1.0 - k) * out[i - 1] + close[i] * k;
    }
    return out;
}

Result<Series> pwma(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const auto p = static_cast<std::size_t>(period);
    // Pascal's triangle, each row halved as it is built: halving is exact, so the
    // normalised weights are those of the integer rows, but rows past 1030 no
    // longer overflow to infinity.
    std::vector<double> row(p, 0.0);
    row[0] = 1.0;
    for (std::size_t r = 1; r < p; ++r) {
        for (std::size_t k = r; k > 0; --k) row[k] = (row[k - 1] + row[k]) * 0.5;
        row[0] *= 0.5;
    }
    return weighted_windows(values, normalised(std::move(row)), p - 1);
}

Result<Series> sinwma(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const auto p = static_cast<std::size_t>(period);
    std::vector<double> w(p);
    for (std::size_t k = 0; k < p; ++k)
        w[k] = std::sin(static_cast<double>(k + 1) * 3.141592653589793 / static_cast<double>(p + 1));
    return weighted_windows(values, normalised(std::move(w)), p - 1);
}

Result<Series> swma(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const auto p = static_cast<std::size_t>(period);
    std::vector<double> w(p);
    for (std::size_t k = 0; k < p; ++k) w[k] = static_cast<double>(std::min(k + 1, p - k));
    // Only windows ending at index `period` or later are computed.
    return weighted_windows(values, normalised(std::move(w)), p);
}

Result<Series> vwma(const Series& close, const Series& volume, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{close, "close"}, {volume, "volume"}}));
    VORN_CHECK(check_period(period, close.size()));
    const std::size_t n = close.size();
    const auto p = static_cast<std::size_t>(period);
    Series out(n, kNaN);
    for (std::size_t i = p - 1; i < n; ++i) {
        double v = 0.0, pv = 0.0;
        for (std::size_t k = i + 1 - p; k <= i; ++k) {
            v += volume[k];
            pv += close[k] * volume[k];
        }
        if (v > 0.0) out[i] = pv / v;
    }
    return out;
}

}  // namespace vorn
