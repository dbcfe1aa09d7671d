#include "indicators/extended.hpp"


#include "utils/ma.hpp"
#include "utils/numeric.hpp"

namespace vorn {

Result<Series> efi(const Series& close, const Series& volume, std::uint64_t period) {
    VORN_CHECK(validate_lengths_match({{close, "close"}, {volume, "volume"}}));
    const std::size_t n = close.size();
    VORN_CHECK(check_period(period, n));
    Series raw(n);
    // The first bar has no change; its NaN makes the average seed on raw[1 .. period].
    raw[0] = kNaN;
    for (std::size_t i = 1; i < n; ++i) raw[i] = (close[i] - close[i - 1]) * volume[i];
    return ema_impl(raw, period, ema_alpha(period));
}

}  // namespace vorn
