#include "utils/stats.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "utils/kahan.hpp"
#include "utils/numeric.hpp"

namespace vorn {

Series rolling_sum_kahan(const Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    Series out(n, kNaN);
    if (period == 0 || period > n) return out;
    Kahan s;
    for (std::size_t k = 0; k < period; ++k) s.add(values[k]);
    out[period - 1] = s.value();
    for (std::size_t i = period; i < n; ++i) {
        const std::size_t step = i - period + 1;
        if (step % kRebuildEvery == 0) {
            s.reset();
            for (std::size_t k = i + 1 - period; k <= i; ++k) s.add(values[k]);
        } else {
            s.add(values[i] - values[i - period]);
        }
        out[i] = s.value();
    }
    return out;
}

Series stdev(const Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    Series out(n, kNaN);
    if (period < 2 || period > n) return out;
    const double p = static_cast<double>(period);
    const double denom = p - 1.0;
    // NaNs inside the current window; while non-zero the running state is stale
    // and gets rebuilt once the window is clean again.
    std::size_t nan_count = 0;
    for (std::size_t k = 0; k < period; ++k) nan_count += std::isnan(values[k]);
    WindowMoments w;
    bool fresh = nan_count == 0;
    if (fresh) {
        w.rebuild(values, 0, period);
        out[period - 1] = w.m2 > 0.0 ? std::sqrt(w.m2 / denom) : 0.0;
    }
    for (std::size_t j = period; j < n; ++j) {
        const double o = values[j - period];
        const double x = values[j];
        nan_count -= std::isnan(o);
        nan_count += std::isnan(x);
        if (nan_count != 0) {
            fresh = false;
            continue;
        }
        const std::size_t step = j - period + 1;
        if (!fresh || step % kRebuildEvery == 0) {
            w.rebuild(values, j + 1 - period, period);
            fresh = true;
        } else {
            w.slide(o, x, p);
        }
        out[j] = w.m2 > 0.0 ? std::sqrt(w.m2 / denom) : 0.0;
    }
    return out;
}

namespace {
// Window extremes by blocks of `period` (van Herk / Gil-Werman): the window
// ending at i spans the tail of one block and the head of the next, so its
// extreme is the larger of a suffix extreme and a prefix extreme, three
// branch-free comparisons per bar whatever the data. Ties go to the newest
// bar, as a monotonic queue would resolve them. NaN never wins (it reads as
// the identity, -inf for the maximum); a window holding one is NaN.
template <bool Max>
inline bool beats(double a, double b) {
    return Max ? a > b : a < b;
}

template <bool Max>
Series rolling_extreme(const Series& values, std::uint64_t period) {
    constexpr double identity = Max ? -kInf : kInf;
    const std::size_t n = values.size();
    Series out(n, kNaN);
    if (period == 0 || period > n) return out;
    const std::size_t p = period;
    // Suffix extremes within each block, read from the block's end backwards;
    // an older value replaces the running one only when strictly better.
    Series suffix(n);
    for (std::size_t start = 0; start < n; start += p) {
        const std::size_t end = std::min(n, start + p);
        double run = identity;
        for (std::size_t k = end; k-- > start;) {
            const double x = std::isnan(values[k]) ? identity : values[k];
            run = beats<Max>(x, run) ? x : run;
            suffix[k] = run;
        }
    }
    double prefix = identity;
    std::size_t nan_count = 0;
    std::size_t in_block = 0;  // i's place inside its block, kept without a division per bar
    for (std::size_t i = 0; i < n; ++i, in_block = in_block + 1 == p ? 0 : in_block + 1) {
        const double raw = values[i];
        nan_count += std::isnan(raw);
        if (i >= p) nan_count -= std::isnan(values[i - p]);
        const double x = std::isnan(raw) ? identity : raw;
        // A newer value takes the prefix unless strictly beaten.
        prefix = (in_block == 0 || !beats<Max>(prefix, x)) ? x : prefix;
        if (i + 1 < p || nan_count) continue;
        // The window's first bar, i + 1 - p, sits one place after i in block
        // terms; when the window is one whole block the suffix alone covers it.
        const double tail = suffix[i + 1 - p];
        out[i] = (in_block + 1 == p || beats<Max>(tail, prefix)) ? tail : prefix;
    }
    return out;
}
}  // namespace

Series rolling_max(const Series& values, std::uint64_t period) { return rolling_extreme<true>(values, period); }

Series rolling_min(const Series& values, std::uint64_t period) { return rolling_extreme<false>(values, period); }

namespace {

// Incremental window sums of the regression family: Sy, Sxy (x = 0 oldest)
// and Syy, with NaNs entering as 0 and counted.
struct RegressionSums {
    std::uint64_t period;
    Kahan sy, sxy, syy;
    std::size_t nan_count = 0;
    std::size_t steps = 0;

    void rebuild(const Series& v, std::size_t end) {  // window ending at `end`
        sy.reset();
        sxy.reset();
        syy.reset();
        nan_count = 0;
        const std::size_t start = end + 1 - period;
        for (std::size_t k = 0; k < period; ++k) {
            const double raw = v[start + k];
            nan_count += std::isnan(raw);
            const double y = or_zero(raw);
            sy.add(y);
            sxy.add(static_cast<double>(k) * y);
            syy.add(y * y);
        }
    }

    void slide(const Series& v, std::size_t j) {
        if (steps == kRebuildEvery) {
            rebuild(v, j);
            steps = 0;
            return;
        }
        ++steps;
        const double raw_o = v[j - period], raw_y = v[j];
        const double o = or_zero(raw_o), y = or_zero(raw_y);
        sxy.add(-(sy.value() - o) + static_cast<double>(period - 1) * y);
        sy.add(y - o);
        syy.add(y * y - o * o);
        if (std::isnan(raw_o) && nan_count > 0) --nan_count;
        if (std::isnan(raw_y)) ++nan_count;
    }
};

struct Fit {
    double slope, intercept, centred_syy, centred_sxy;
};

struct RegressionConstants {
    double n, sx, sxx;
    explicit RegressionConstants(std::uint64_t period) : n(static_cast<double>(period)) {
        sx = (n - 1.0) * n * 0.5;
        sxx = (n - 1.0) * n * (2.0 * n - 1.0) / 6.0 - sx * sx / n;
    }
    Fit fit(const RegressionSums& s) const {
        const double sy = s.sy.value();
        const double cxy = s.sxy.value() - sx * sy / n;
        const double b = cxy / sxx;
        const double a = sy / n - (sx / n) * b;
        return {b, a, std::max(s.syy.value() - sy * sy / n, 0.0), cxy};
    }
    double r_squared(const Fit& f) const {
        if (!(f.centred_syy > 0.0)) return 1.0;
        return std::clamp(f.centred_sxy * f.centred_sxy / (sxx * f.centred_syy), 0.0, 1.0);
    }
};

// Walks every window of the regression family; emit(j, fit) runs where the window has no NaN.
template <class Emit>
void for_each_fit(const Series& values, std::uint64_t period, Emit emit) {
    const std::size_t n = values.size();
    const RegressionConstants c(period);
    RegressionSums s{period};
    s.rebuild(values, period - 1);
    for (std::size_t j = period - 1; j < n; ++j) {
        if (j >= period) s.slide(values, j);
        if (s.nan_count == 0) emit(j, c, c.fit(s));
    }
}

}  // namespace

Series linearreg_slope(const Series& values, std::uint64_t period) {
    Series out(values.size(), kNaN);
    if (period < 2 || period > values.size()) return out;
    for_each_fit(values, period, [&](std::size_t j, const RegressionConstants&, const Fit& f) { out[j] = f.slope; });
    return out;
}

Series linearreg_intercept(const Series& values, std::uint64_t period) {
    Series out(values.size(), kNaN);
    if (period < 2 || period > values.size()) return out;
    for_each_fit(values, period, [&](std::size_t j, const RegressionConstants&, const Fit& f) { out[j] = f.intercept; });
    return out;
}

Series linearreg_value(const Series& values, std::uint64_t period) {
    Series out(values.size(), kNaN);
    if (period < 2 || period > values.size()) return out;
    const double last = static_cast<double>(period) - 1.0;
    for_each_fit(values, period,
                 [&](std::size_t j, const RegressionConstants&, const Fit& f) { out[j] = f.slope * last + f.intercept; });
    return out;
}

Series tsf(const Series& values, std::uint64_t period) {
    Series out(values.size(), kNaN);
    if (period < 2 || period > values.size()) return out;
    for_each_fit(values, period, [&](std::size_t j, const RegressionConstants& c, const Fit& f) {
        out[j] = f.slope * c.n + f.intercept;
    });
    return out;
}

LinearRegression linear_regression(const Series& values, std::uint64_t period) {
    const std::size_t n = values.size();
    LinearRegression r{Series(n, kNaN), Series(n, kNaN), Series(n, kNaN)};
    if (period < 2 || period > n) return r;
    for_each_fit(values, period, [&](std::size_t j, const RegressionConstants& c, const Fit& f) {
        r.slope[j] = f.slope;
        r.intercept[j] = f.intercept;
        r.r_squared[j] = c.r_squared(f);
    });
    return r;
}

Series standard_error(const Series& values, std::uint64_t period) {
    Series out(values.size(), kNaN);
    if (period < 3 || period > values.size()) return out;
    const double dof = static_cast<double>(period - 2);
    for_each_fit(values, period, [&](std::size_t j, const RegressionConstants& c, const Fit& f) {
        const double sse = f.centred_syy * (1.0 - c.r_squared(f));
        out[j] = std::sqrt(std::max(sse, 0.0) / dof);
    });
    return out;
}

Series correlation(const Series& x, const Series& y, std::uint64_t period) {
    const std::size_t m = std::min(x.size(), y.size());
    Series out(m, kNaN);
    if (period < 2 || period > m) return out;
    const double n = static_cast<double>(period);
    Kahan sx, sy, sxx, syy, sxy;
    std::size_t nan_pairs = 0;
    auto rebuild = [&](std::size_t end) {
        sx.reset(), sy.reset(), sxx.reset(), syy.reset(), sxy.reset();
        nan_pairs = 0;
        for (std::size_t k = end + 1 - period; k <= end; ++k) {
            nan_pairs += std::isnan(x[k]) || std::isnan(y[k]);
            const double a = or_zero(x[k]), b = or_zero(y[k]);
            sx.add(a), sy.add(b), sxx.add(a * a), syy.add(b * b), sxy.add(a * b);
        }
    };
    rebuild(period - 1);
    std::size_t steps = 0;
    for (std::size_t j = period - 1; j < m; ++j) {
        if (j >= period) {
            if (steps == kRebuildEvery) {
                rebuild(j);
                steps = 0;
            } else {
                ++steps;
                const std::size_t o = j - period;
                const double ao = or_zero(x[o]), bo = or_zero(y[o]);
                const double an = or_zero(x[j]), bn = or_zero(y[j]);
                sx.add(an - ao), sy.add(bn - bo);
                sxx.add(an * an - ao * ao), syy.add(bn * bn - bo * bo), sxy.add(an * bn - ao * bo);
                if ((std::isnan(x[o]) || std::isnan(y[o])) && nan_pairs > 0) --nan_pairs;
                if (std::isnan(x[j]) || std::isnan(y[j])) ++nan_pairs;
            }
        }
        if (nan_pairs != 0) {
            out[j] = 0.0;
            continue;
        }
        const double v = (n * sxx.value() - sx.value() * sx.value()) * (n * syy.value() - sy.value() * sy.value());
        const double root = std::sqrt(v);
        if (v <= 0.0 || !std::isfinite(root)) {
            out[j] = 0.0;
            continue;
        }
        const double r = (n * sxy.value() - sx.value() * sy.value()) / root;
        out[j] = std::isfinite(r) ? std::clamp(r, -1.0, 1.0) : 0.0;
    }
    return out;
}

}  // namespace vorn
