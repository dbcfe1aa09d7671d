// Momentum oscillators: RSI, MACD, the stochastic family, Williams %R, CCI and
// the price-difference oscillators. rsi, ema_with_seed and macd are shared
// with the trend, volume and signal families.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

struct MacdLines {
    Series macd, signal, histogram;
    auto fields() const { return std::tie(macd, signal, histogram); }
};

struct StochasticLines {
    Series k, d;
    auto fields() const { return std::tie(k, d); }
};

struct KdjLines {
    Series k, d, j;
    auto fields() const { return std::tie(k, d, j); }
};

struct FisherLines {
    Series fisher, trigger;
    auto fields() const { return std::tie(fisher, trigger); }
};

struct TsiLines {
    Series tsi, signal;
    auto fields() const { return std::tie(tsi, signal); }
};

// Wilder RSI seeded with the plain means of the first `period` changes;
// first value at index `period`. A flat series gives 0.0.
Result<Series> rsi(const Series& close, std::uint64_t period);

// EMA (alpha = 2 / (period + 1)) whose seed is the mean of the `period` values
// ending at `start`; NaN before `start`. No finiteness check.
Result<Series> ema_with_seed(const Series& values, std::uint64_t period, std::uint64_t start);

// MACD line, signal line and histogram, all starting at index slow + signal - 2.
Result<MacdLines> macd(const Series& close, std::uint64_t fast, std::uint64_t slow, std::uint64_t signal);

Result<StochasticLines> stochastic(const Series& high, const Series& low, const Series& close,
                                   std::uint64_t k_period, std::uint64_t smooth_k, std::uint64_t d_period);
Result<StochasticLines> stochrsi(const Series& close, std::uint64_t rsi_period, std::uint64_t stoch_period,
                                 std::uint64_t k_period, std::uint64_t d_period);
Result<KdjLines> kdj(const Series& high, const Series& low, const Series& close, std::uint64_t k_period,
                     std::uint64_t smooth_k, std::uint64_t d_period);
Result<Series> williams_r(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> cci(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> awesome_oscillator(const Series& high, const Series& low, std::uint64_t fast_period,
                                  std::uint64_t slow_period);
Result<FisherLines> fisher_transform(const Series& high, const Series& low, const Series& close,
                                     std::uint64_t period);
Result<TsiLines> tsi(const Series& close, std::uint64_t long_period, std::uint64_t short_period,
                     std::uint64_t signal_period);

// One window average of the ultimate oscillator: sum(bp) / sum(tr) over the
// `period` elements ending at i, from index `period` on. Never fails.
Series calc_uo_avg(const Series& bp, const Series& tr, std::uint64_t period);
Result<Series> ultimate_oscillator(const Series& high, const Series& low, const Series& close,
                                   std::uint64_t period1, std::uint64_t period2, std::uint64_t period3);

Result<Series> mom(const Series& values, std::uint64_t period);
Result<Series> roc(const Series& values, std::uint64_t period);
Result<Series> apo(const Series& close, std::uint64_t fast_period, std::uint64_t slow_period);
Result<Series> ppo(const Series& close, std::uint64_t fast_period, std::uint64_t slow_period);
Result<Series> cmo(const Series& close, std::uint64_t period);

}  // namespace vorn
