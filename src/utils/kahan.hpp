// Compensated (Kahan) summation: running sums over long series keep their
// low-order bits instead of drifting.
#pragma once

#include <cstddef>

namespace vorn {

struct Kahan {
    double sum = 0.0;
    double comp = 0.0;

    void add(double x) {
        const double y = x - comp;
        const double t = sum + y;
        comp = (t - sum) - y;
        sum = t;
    }
    void sub(double x) { add(-x); }
    void reset() { sum = comp = 0.0; }
    double value() const { return sum; }
};

// Sliding windows are rebuilt from scratch every this many steps so rounding
// error from incremental updates stays bounded on long series.
inline constexpr std::size_t kRebuildEvery = 1000;

}  // namespace vorn
