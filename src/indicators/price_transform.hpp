// Element-wise math and price transforms: no window, no warm-up;
// output position i depends on input position i only.
#pragma once

#include "errors.hpp"

namespace vorn {

// One-series math and two-series arithmetic. They live in their own namespace so
// that names like sqrt, exp or abs never hide the standard functions in vorn.
namespace math {

// Domain-checked: the whole series is scanned before any output is computed.
Result<Series> sqrt(const Series& values);
Result<Series> ln(const Series& values);
Result<Series> log10(const Series& values);
Result<Series> asin(const Series& values);
Result<Series> acos(const Series& values);

Result<Series> exp(const Series& values);  // overflow gives +inf
Result<Series> abs(const Series& values);
Result<Series> ceil(const Series& values);
Result<Series> floor(const Series& values);
Result<Series> sin(const Series& values);
Result<Series> cos(const Series& values);
Result<Series> tan(const Series& values);
Result<Series> atan(const Series& values);
Result<Series> sinh(const Series& values);
Result<Series> cosh(const Series& values);
Result<Series> tanh(const Series& values);

Result<Series> add(const Series& values1, const Series& values2);
Result<Series> sub(const Series& values1, const Series& values2);
Result<Series> mult(const Series& values1, const Series& values2);
// Fails at the first divisor within 1e-10 of zero.
Result<Series> div(const Series& values1, const Series& values2);

}  // namespace math

// One representative price per bar.
Result<Series> avgprice(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> medprice(const Series& high, const Series& low);
Result<Series> typprice(const Series& high, const Series& low, const Series& close);
Result<Series> wclprice(const Series& high, const Series& low, const Series& close);

}  // namespace vorn
