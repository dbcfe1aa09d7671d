#include "types.hpp"

#include <cstdio>

namespace vorn {

std::string candle_repr(const Candle& c) {
    // Two decimals for every price; a huge volume can need hundreds of digits.
    const int n = std::snprintf(nullptr, 0, "Candle(O:%.2f, H:%.2f, L:%.2f, C:%.2f, V:%.2f)", c.open, c.high, c.low,
                                c.close, c.volume);
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), "Candle(O:%.2f, H:%.2f, L:%.2f, C:%.2f, V:%.2f)", c.open, c.high, c.low,
                  c.close, c.volume);
    out.pop_back();
    return out;
}

}  // namespace vorn
