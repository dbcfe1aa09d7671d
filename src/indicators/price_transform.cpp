#include "indicators/price_transform.hpp"

#include <cmath>
#include <string>

#include "utils/numeric.hpp"

namespace vorn {

namespace math {

namespace {

template <class Op>
Series map(const Series& values, Op op) {
    Series out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) out[i] = op(values[i]);
    return out;
}

template <class Op>
Result<Series> unary(const Series& values, Op op) {
    VORN_CHECK(validate_series(values, "values"));
    return map(values, op);
}

// `outside(x)` marks the domain violation; `rule` is the message's text before
// the offending value ("values must be >= 0 for sqrt, got ").
template <class Outside, class Op>
Result<Series> unary_domain(const Series& values, Outside outside, const char* rule, Op op) {
    VORN_CHECK(validate_series(values, "values"));
    for (std::size_t i = 0; i < values.size(); ++i)
        if (outside(values[i]))
            return fail(err::InvalidValue{i, rule + format_float(values[i])});
    return map(values, op);
}

// Both emptiness checks and the length check come before either finiteness scan.
Check validate_pair(const Series& values1, const Series& values2) {
    if (auto e = check_not_empty(values1, "values1")) return e;
    if (auto e = check_not_empty(values2, "values2")) return e;
    if (values1.size() != values2.size())
        return VornError(err::LengthMismatch{"values1", values1.size(), "values2", values2.size()});
    if (auto e = check_finite(values1, "values1")) return e;
    return check_finite(values2, "values2");
}

template <class Op>
Result<Series> binary(const Series& values1, const Series& values2, Op op) {
    VORN_CHECK(validate_pair(values1, values2));
    Series out(values1.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = op(values1[i], values2[i]);
    return out;
}

bool in_unit_range(double x) { return std::fabs(x) <= 1.0; }

}  // namespace

Result<Series> sqrt(const Series& values) {
    return unary_domain(values, [](double x) { return x < 0.0; }, "values must be >= 0 for sqrt, got ",
                        [](double x) { return std::sqrt(x); });
}
Result<Series> ln(const Series& values) {
    return unary_domain(values, [](double x) { return x <= 0.0; }, "values must be > 0 for ln, got ",
                        [](double x) { return std::log(x); });
}
Result<Series> log10(const Series& values) {
    return unary_domain(values, [](double x) { return x <= 0.0; }, "values must be > 0 for log10, got ",
                        [](double x) { return std::log10(x); });
}
Result<Series> asin(const Series& values) {
    return unary_domain(values, [](double x) { return !in_unit_range(x); }, "values must be in [-1, 1] for asin, got ",
                        [](double x) { return std::asin(x); });
}
Result<Series> acos(const Series& values) {
    return unary_domain(values, [](double x) { return !in_unit_range(x); }, "values must be in [-1, 1] for acos, got ",
                        [](double x) { return std::acos(x); });
}

Result<Series> exp(const Series& values) { return unary(values, [](double x) { return std::exp(x); }); }
Result<Series> abs(const Series& values) { return unary(values, [](double x) { return std::fabs(x); }); }
Result<Series> ceil(const Series& values) { return unary(values, [](double x) { return std::ceil(x); }); }
Result<Series> floor(const Series& values) { return unary(values, [](double x) { return std::floor(x); }); }
Result<Series> sin(const Series& values) { return unary(values, [](double x) { return std::sin(x); }); }
Result<Series> cos(const Series& values) { return unary(values, [](double x) { return std::cos(x); }); }
Result<Series> tan(const Series& values) { return unary(values, [](double x) { return std::tan(x); }); }
Result<Series> atan(const Series& values) { return unary(values, [](double x) { return std::atan(x); }); }
Result<Series> sinh(const Series& values) { return unary(values, [](double x) { return std::sinh(x); }); }
Result<Series> cosh(const Series& values) { return unary(values, [](double x) { return std::cosh(x); }); }
Result<Series> tanh(const Series& values) { return unary(values, [](double x) { return std::tanh(x); }); }

Result<Series> add(const Series& values1, const Series& values2) {
    return binary(values1, values2, [](double a, double b) { return a + b; });
}
Result<Series> sub(const Series& values1, const Series& values2) {
    return binary(values1, values2, [](double a, double b) { return a - b; });
}
Result<Series> mult(const Series& values1, const Series& values2) {
    return binary(values1, values2, [](double a, double b) { return a * b; });
}

Result<Series> div(const Series& values1, const Series& values2) {
    VORN_CHECK(validate_pair(values1, values2));
    Series out(values1.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        // Division guard: a divisor this close to zero is an input error, not a huge quotient.
        if (std::fabs(values2[i]) < kEps)
            return fail(err::InvalidValue{i, "values2 contains zero divisor: " + format_float(values2[i])});
        out[i] = values1[i] / values2[i];
    }
    return out;
}

}  // namespace math

Result<Series> avgprice(const Series& open, const Series& high, const Series& low, const Series& close) {
    VORN_CHECK(validate_lengths_match({{open, "open"}, {high, "high"}, {low, "low"}, {close, "close"}}));
    Series out(open.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = (open[i] + high[i] + low[i] + close[i]) * 0.25;
    return out;
}

Result<Series> medprice(const Series& high, const Series& low) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}}));
    Series out(high.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = (high[i] + low[i]) * 0.5;
    return out;
}

Result<Series> typprice(const Series& high, const Series& low, const Series& close) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}, {close, "close"}}));
    Series out(high.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = (high[i] + low[i] + close[i]) / 3.0;
    return out;
}

Result<Series> wclprice(const Series& high, const Series& low, const Series& close) {
    VORN_CHECK(validate_lengths_match({{high, "high"}, {low, "low"}, {close, "close"}}));
    Series out(high.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = (2.0 * close[i] + (high[i] + low[i])) * 0.25;
    return out;
}

}  // namespace vorn
