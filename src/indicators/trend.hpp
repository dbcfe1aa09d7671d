// Trend-following and directional-movement studies.
#pragma once

#include <cstdint>
#include <tuple>

#include "errors.hpp"

namespace vorn {

struct SuperTrend {
    Series line;
    Series direction;  // 1.0 up, -1.0 down
    Series final_upper;
    Series final_lower;
    auto fields() const { return std::tie(line, direction, final_upper, final_lower); }
};
Result<SuperTrend> supertrend(const Series& high, const Series& low, const Series& close, std::uint64_t period,
                              double multiplier);

struct DirectionalIndicators {
    Series plus_di;
    Series minus_di;
    auto fields() const { return std::tie(plus_di, minus_di); }
};
Result<DirectionalIndicators> compute_di(const Series& high, const Series& low, const Series& close,
                                         std::uint64_t period);

struct Adx {
    Series adx;
    Series plus_di;
    Series minus_di;
    auto fields() const { return std::tie(adx, plus_di, minus_di); }
};
Result<Adx> adx(const Series& high, const Series& low, const Series& close, std::uint64_t period);

Result<DirectionalIndicators> dmi(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> dx(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> plus_di(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> minus_di(const Series& high, const Series& low, const Series& close, std::uint64_t period);

struct Aroon {
    Series up;
    Series down;
    Series oscillator;
    auto fields() const { return std::tie(up, down, oscillator); }
};
Result<Aroon> aroon(const Series& high, const Series& low, std::uint64_t period);

struct Vortex {
    Series plus_vi;
    Series minus_vi;
    auto fields() const { return std::tie(plus_vi, minus_vi); }
};
Result<Vortex> vortex(const Series& high, const Series& low, const Series& close, std::uint64_t period);

Result<Series> choppiness(const Series& high, const Series& low, const Series& close, std::uint64_t period);
Result<Series> qstick(const Series& open, const Series& close, std::uint64_t period);
Result<Series> vhf(const Series& close, std::uint64_t period);
Result<Series> trix(const Series& close, std::uint64_t period);
Result<Series> dpo(const Series& close, std::uint64_t period);

}  // namespace vorn
