// Numeric constants and small helpers every family shares.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vorn {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();
// Divisors closer to zero than this are treated as zero; each study states its substitute.
inline constexpr double kEps = 1e-10;

// A NaN element enters a running window sum as 0.
inline double or_zero(double x) { return std::isnan(x) ? 0.0 : x; }

// a + b, stopping at the largest value instead of wrapping: "need at least"
// counts for periods near 2^64 stay honest.
inline constexpr std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

}  // namespace vorn
