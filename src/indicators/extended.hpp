// Extended oscillators.
#pragma once

#include <cstdint>

#include "errors.hpp"

namespace vorn {

// Force index: exponential average of (close change x volume); first value at index `period`.
Result<Series> efi(const Series& close, const Series& volume, std::uint64_t period);

}  // namespace vorn
