#include "indicators/statistics.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "utils/kahan.hpp"
#include "utils/numeric.hpp"

namespace vorn::statistics {

namespace {

Check two_series(const Series& a, const char* name_a, const Series& b, const char* name_b, std::uint64_t period) {
    if (auto e = validate_lengths_match({{a, name_a}, {b, name_b}})) return e;
    return check_period(period, a.size());
}

// The terms one bar contributes to the window sums; NaN elements contribute 0
// and are counted instead.
template <std::size_t K>
struct Terms {
    std::array<double, K> t{};
    bool nan = false;
};

// Compensated window sums updated as the window slides and rebuilt from
// scratch after every kRebuildEvery incremental steps (steps 1001, 2002, ...),
// the cadence of the regression kernels. emit(j, sums, nan_count) runs for
// every complete window.
template <std::size_t K, class TermsAt, class Emit>
void for_each_window(std::size_t n, std::uint64_t period, TermsAt terms_at, Emit emit) {
    const auto p = static_cast<std::size_t>(period);
    std::array<Kahan, K> sums{};
    std::size_t nan_count = 0;
    auto rebuild = [&](std::size_t end) {
        for (Kahan& s : sums) s.reset();
        nan_count = 0;
        for (std::size_t k = end + 1 - p; k <= end; ++k) {
            const Terms<K> x = terms_at(k);
            nan_count += x.nan;
            for (std::size_t q = 0; q < K; ++q) sums[q].add(x.t[q]);
        }
    };
    rebuild(p - 1);
    std::size_t steps = 0;
    std::array<double, K> values{};
    for (std::size_t j = p - 1; j < n; ++j) {
        if (j >= p) {
            if (steps == kRebuildEvery) {
                rebuild(j);
                steps = 0;
            } else {
                ++steps;
                const Terms<K> out = terms_at(j - p);
                const Terms<K> in = terms_at(j);
                for (std::size_t q = 0; q < K; ++q) sums[q].add(in.t[q] - out.t[q]);
                if (out.nan && nan_count > 0) --nan_count;
                nan_count += in.nan;
            }
        }
        for (std::size_t q = 0; q < K; ++q) values[q] = sums[q].value();
        emit(j, values, nan_count);
    }
}

// Position of the window's extreme for each complete window, counted from the
// window's oldest element; of equal extremes the oldest is reported. Blocks of
// `p` (van Herk / Gil-Werman): the window is the tail of one block and the
// head of the next, so its extreme is the better of a suffix extreme and a
// prefix extreme, with no data-dependent branches. The input is finite.
template <bool Max>
Series extreme_index(const Series& values, std::size_t p) {
    const auto beats = [](double a, double b) { return Max ? a > b : a < b; };
    const std::size_t n = values.size();
    Series out(n, kNaN);
    // Suffix extremes read backwards: an older element takes over on a tie.
    std::vector<std::size_t> suffix(n);
    for (std::size_t start = 0; start < n; start += p) {
        std::size_t run = std::min(n, start + p) - 1;
        for (std::size_t k = run + 1; k-- > start;) {
            run = beats(values[run], values[k]) ? run : k;
            suffix[k] = run;
        }
    }
    std::size_t prefix = 0;
    std::size_t in_block = 0;  // i's place inside its block, kept without a division per bar
    for (std::size_t i = 0; i < n; ++i, in_block = in_block + 1 == p ? 0 : in_block + 1) {
        // A newer element takes the prefix only when strictly better.
        prefix = (in_block == 0 || beats(values[i], values[prefix])) ? i : prefix;
        if (i + 1 < p) continue;
        const std::size_t first = i + 1 - p;
        const std::size_t tail = suffix[first];
        const std::size_t best = (in_block + 1 == p || !beats(values[prefix], values[tail])) ? tail : prefix;
        out[i] = static_cast<double>(best - first);
    }
    return out;
}

// Fenwick tree over value ranks: counts of window elements below a rank.
struct Fenwick {
    std::vector<std::int64_t> tree;
    explicit Fenwick(std::size_t n) : tree(n + 1, 0) {}
    void add(std::size_t rank, std::int64_t delta) {
        for (std::size_t i = rank + 1; i < tree.size(); i += i & (~i + 1)) tree[i] += delta;
    }
    std::int64_t below(std::size_t rank) const {  // elements with rank < `rank`
        std::int64_t total = 0;
        for (std::size_t i = rank; i > 0; i -= i & (~i + 1)) total += tree[i];
        return total;
    }
};

}  // namespace

Result<LinearRegression> linear_regression(const Series& y_values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(y_values, "y_values", period));
    return vorn::linear_regression(y_values, period);
}

Result<Series> linearreg(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::linearreg_value(values, period);
}

Result<Series> linearreg_slope(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::linearreg_slope(values, period);
}

Result<Series> linearreg_angle(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    Series out = vorn::linearreg_slope(values, period);
    for (double& b : out) b = std::atan(b) * 57.29577951308232;  // NaN stays NaN
    return out;
}

Result<Series> linearreg_intercept(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::linearreg_intercept(values, period);
}

Result<Series> tsf(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::tsf(values, period);
}

Result<Series> slope(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const std::size_t n = values.size();
    const auto p = static_cast<std::size_t>(period);
    const double pf = static_cast<double>(p);
    const double xbar = (pf - 1.0) * 0.5;
    // The abscissa's spread is the same for every window.
    double sxx = 0.0;
    for (std::size_t k = 0; k < p; ++k) sxx += (static_cast<double>(k) - xbar) * (static_cast<double>(k) - xbar);
    Series out(n, kNaN);
    if (!(sxx > kEps)) return out;  // period 1
    for (std::size_t i = p - 1; i < n; ++i) {
        const double* y = values.data() + (i + 1 - p);
        double total = 0.0;
        for (std::size_t k = 0; k < p; ++k) total += y[k];
        const double mean = total / pf;
        double sxy = 0.0;
        for (std::size_t k = 0; k < p; ++k) sxy += (static_cast<double>(k) - xbar) * (y[k] - mean);
        out[i] = sxy / sxx;
    }
    return out;
}

Result<Series> cfo(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series_period(close, "close", period));
    Series out = vorn::tsf(close, period);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (std::isnan(out[i])) continue;
        out[i] = std::fabs(close[i]) < kEps ? kNaN : (close[i] - out[i]) / close[i] * 100.0;
    }
    return out;
}

Result<Series> standard_error(const Series& y_values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(y_values, "y_values", period));
    return vorn::standard_error(y_values, period);
}

Result<Series> correlation(const Series& x, const Series& y, std::uint64_t period) {
    VORN_CHECK(two_series(x, "x", y, "y", period));
    return vorn::correlation(x, y, period);
}

Result<Series> correl(const Series& values1, const Series& values2, std::uint64_t period) {
    VORN_CHECK(two_series(values1, "values1", values2, "values2", period));
    return vorn::correlation(values1, values2, period);
}

Result<Series> cti(const Series& close, std::uint64_t period) {
    VORN_CHECK(validate_series_period(close, "close", period));
    if (period == 1) {
        Series out(close.size(), 0.0);
        out[0] = kNaN;
        return out;
    }
    Series ramp(close.size());
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<double>(i);
    return vorn::correlation(ramp, close, period);
}

Result<Series> covariance(const Series& x, const Series& y, std::uint64_t period) {
    VORN_CHECK(two_series(x, "x", y, "y", period));
    Series out(x.size(), kNaN);
    if (period < 2) return out;
    const double n = static_cast<double>(period);
    for_each_window<3>(
        x.size(), period,
        [&](std::size_t k) {
            const double a = x[k], b = y[k];
            Terms<3> r;
            r.nan = std::isnan(a) || std::isnan(b);
            const double a0 = or_zero(a), b0 = or_zero(b);
            r.t = {a0, b0, a0 * b0};
            return r;
        },
        [&](std::size_t j, const std::array<double, 3>& s, std::size_t nans) {
            if (nans == 0) out[j] = (n * s[2] - s[0] * s[1]) / (n * n);
        });
    return out;
}

Result<Series> beta(const Series& asset_returns, const Series& benchmark_returns, std::uint64_t period) {
    VORN_CHECK(two_series(asset_returns, "asset_returns", benchmark_returns, "benchmark_returns", period));
    const Series& a = asset_returns;
    const Series& b = benchmark_returns;
    Series out(a.size(), kNaN);
    if (period < 2) return out;
    const double n = static_cast<double>(period);
    for_each_window<4>(
        a.size(), period,
        [&](std::size_t k) {
            Terms<4> r;
            r.nan = std::isnan(a[k]) || std::isnan(b[k]);
            const double x = or_zero(a[k]), z = or_zero(b[k]);
            r.t = {x, z, z * z, x * z};
            return r;
        },
        [&](std::size_t j, const std::array<double, 4>& s, std::size_t nans) {
            if (nans != 0) {
                out[j] = 0.0;
                return;
            }
            const double k = n * s[2] - s[1] * s[1];
            // Division guard: a flat benchmark window has no beta.
            out[j] = (k > 0.0 && std::isfinite(k)) ? (n * s[3] - s[0] * s[1]) / k : 0.0;
        });
    return out;
}

namespace {
Terms<2> sum_and_square(const Series& v, std::size_t k) {
    Terms<2> r;
    r.nan = std::isnan(v[k]);
    const double x = or_zero(v[k]);
    r.t = {x, x * x};
    return r;
}
}  // namespace

Result<Series> var(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    Series out(values.size(), kNaN);
    if (period < 2) return out;
    const double n = static_cast<double>(period);
    for_each_window<2>(
        values.size(), period, [&](std::size_t k) { return sum_and_square(values, k); },
        [&](std::size_t j, const std::array<double, 2>& s, std::size_t nans) {
            if (nans != 0) return;
            const double v = n * s[1] - s[0] * s[0];
            if (!std::isfinite(v)) return;
            // Cancellation can leave a constant window slightly negative.
            out[j] = v > 0.0 ? v / (n * n) : 0.0;
        });
    return out;
}

Result<Series> zscore(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    Series out(values.size(), kNaN);
    if (period < 2) return out;
    const double n = static_cast<double>(period);
    for_each_window<2>(
        values.size(), period, [&](std::size_t k) { return sum_and_square(values, k); },
        [&](std::size_t j, const std::array<double, 2>& s, std::size_t nans) {
            if (nans != 0) {
                out[j] = 0.0;
                return;
            }
            const double raw = (n * s[1] - s[0] * s[0]) / (n * n);
            const double variance = raw > 0.0 ? raw : 0.0;
            out[j] = variance > 0.0 ? (values[j] - s[0] / n) / std::sqrt(variance) : 0.0;
        });
    return out;
}

Result<Series> max(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::rolling_max(values, period);
}

Result<Series> min(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::rolling_min(values, period);
}

Result<Series> sum(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return vorn::rolling_sum_kahan(values, period);
}

Result<std::tuple<Series, Series>> minmax(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    return std::tuple<Series, Series>{vorn::rolling_min(values, period), vorn::rolling_max(values, period)};
}

Result<std::tuple<Series, Series>> minmaxindex(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const auto p = static_cast<std::size_t>(period);
    return std::tuple<Series, Series>{extreme_index<false>(values, p), extreme_index<true>(values, p)};
}

Result<Series> percent_rank(const Series& values, std::uint64_t period) {
    VORN_CHECK(validate_series_period(values, "values", period));
    const std::size_t n = values.size();
    const auto p = static_cast<std::size_t>(period);
    const double denom = static_cast<double>(p - 1);  // 0 for period 1: every output is 0 / 0
    Series out(n, kNaN);
    if (p <= 64) {
        for (std::size_t i = p - 1; i < n; ++i) {
            std::size_t c = 0;
            for (std::size_t k = i + 1 - p; k <= i; ++k) c += values[k] < values[i];
            out[i] = static_cast<double>(c) / denom * 100.0;
        }
        return out;
    }
    // Long windows: count with a Fenwick tree over the ranks of the values, so
    // the cost no longer grows with the period. The counts are the same integers.
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<std::size_t> rank(n);
    for (std::size_t i = 0; i < n; ++i)
        rank[i] = static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), values[i]) - sorted.begin());
    Fenwick tree(sorted.size());
    for (std::size_t i = 0; i < n; ++i) {
        tree.add(rank[i], 1);
        if (i >= p) tree.add(rank[i - p], -1);
        if (i + 1 >= p) out[i] = static_cast<double>(tree.below(rank[i])) / denom * 100.0;
    }
    return out;
}

Result<Series> entropy(const Series& close, std::uint64_t period, std::uint64_t bins) {
    VORN_CHECK(validate_series(close, "close"));
    const std::size_t n = close.size();
    if (period == 0 || bins == 0) return fail(err::InvalidPeriod{period, n});
    if (period > n) return fail(err::InsufficientData{period, n});
    const auto p = static_cast<std::size_t>(period);
    // Every return is computed once; returns[j] goes from close[j] to close[j + 1].
    std::vector<double> returns(n > 0 ? n - 1 : 0, kNaN);
    for (std::size_t j = 0; j + 1 < n; ++j) {
        const double base = close[j];
        if (!std::isfinite(base) || std::fabs(base) < kEps) continue;
        const double r = (close[j + 1] - base) / base;
        if (std::isfinite(r)) returns[j] = r;
    }
    Series out(n, kNaN);
    std::vector<double> kept;
    std::vector<std::uint64_t> bin_of;
    kept.reserve(p);
    bin_of.reserve(p);
    const double bins_f = static_cast<double>(bins);
    auto term = [](std::size_t count, double total) {
        const double q = static_cast<double>(count) / total;
        return -q * std::log2(q);
    };
    // Windows without a dropped return (nearly all) share one table of terms.
    std::vector<double> full_terms(p, 0.0);
    for (std::size_t c = 1; c < p; ++c) full_terms[c] = term(c, static_cast<double>(p - 1));
    auto bin_index = [bins](double r, double lo, double width) -> std::uint64_t {
        const double f = std::floor((r - lo) / width);
        if (!(f > 0.0)) return 0;
        return f >= static_cast<double>(bins - 1) ? bins - 1 : static_cast<std::uint64_t>(f);
    };
    // A small histogram is counted in place; a large one through sorted indices.
    const bool dense = bins <= 64;
    std::vector<std::uint32_t> counts(dense ? bins : 0, 0);
    for (std::size_t i = p; i < n; ++i) {
        kept.clear();
        for (std::size_t j = i + 1 - p; j < i; ++j)
            if (!std::isnan(returns[j])) kept.push_back(returns[j]);
        if (kept.empty()) continue;
        const auto [lo_it, hi_it] = std::minmax_element(kept.begin(), kept.end());
        const double lo = *lo_it, hi = *hi_it;
        if (std::fabs(hi - lo) < kEps) {
            out[i] = 0.0;
            continue;
        }
        const double width = (hi - lo) / bins_f;
        const bool full = kept.size() == p - 1;
        const double total = static_cast<double>(kept.size());
        auto add_term = [&](std::size_t count) { return full ? full_terms[count] : term(count, total); };
        double h = 0.0;
        if (dense) {
            for (double r : kept) ++counts[bin_index(r, lo, width)];
            for (std::uint32_t& c : counts) {
                if (c) h += add_term(c);
                c = 0;
            }
        } else {
            // Only the occupied bins matter: sorting their indices gives the counts
            // in bin order without a table of `bins` entries (bins may be huge).
            bin_of.clear();
            for (double r : kept) bin_of.push_back(bin_index(r, lo, width));
            std::sort(bin_of.begin(), bin_of.end());
            for (std::size_t a = 0; a < bin_of.size();) {
                std::size_t b = a;
                while (b < bin_of.size() && bin_of[b] == bin_of[a]) ++b;
                h += add_term(b - a);
                a = b;
            }
        }
        out[i] = h;
    }
    return out;
}

}  // namespace vorn::statistics
