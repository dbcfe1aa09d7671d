#include "errors.hpp"

#include <charconv>
#include <cmath>

namespace vorn {

std::string format_float(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    // Fixed notation with no precision gives the shortest round-trip digits;
    // the largest doubles need a little over 300 characters.
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

namespace {
template <class... F> struct Overload : F... { using F::operator()...; };
template <class... F> Overload(F...) -> Overload<F...>;
}  // namespace

std::string VornError::message() const {
    return std::visit(
        Overload{
            [](const err::InsufficientData& e) {
                return "Insufficient data: need at least " + std::to_string(e.required) + " elements, got " +
                       std::to_string(e.actual);
            },
            [](const err::InvalidPeriod& e) {
                return "Invalid period: " + std::to_string(e.period) + " (must be > 0 and <= data length " +
                       std::to_string(e.data_len) + ")";
            },
            [](const err::LengthMismatch& e) {
                return std::string("Length mismatch: ") + e.name1 + "=" + std::to_string(e.len1) + ", " + e.name2 +
                       "=" + std::to_string(e.len2);
            },
            [](const err::InvalidValue& e) {
                return "Invalid value at index " + std::to_string(e.index) + ": " + e.message;
            },
            [](const err::EmptyInput& e) { return std::string("Empty input: ") + e.name + " cannot be empty"; },
            [](const err::ParameterOutOfRange& e) {
                return std::string("Parameter ") + e.name + " out of range: " + format_float(e.value) +
                       " (valid range: " + format_float(e.min) + ".." + format_float(e.max) + ")";
            },
            [](const err::ModelError& e) { return "Model error: " + e.message; },
            [](const err::IoError& e) { return "IO error: " + e.text; },
        },
        kind_);
}

Check check_finite(std::span<const double> values, const char* name) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            return VornError(err::InvalidValue{i, std::string(name) + " contains non-finite value: " + format_float(values[i])});
        }
    }
    return std::nullopt;
}

Check validate_lengths_match(std::initializer_list<NamedSeries> series) {
    const NamedSeries* first = series.begin();
    if (auto e = validate_series(first->values, first->name)) return e;
    for (const NamedSeries* s = first + 1; s != series.end(); ++s) {
        if (s->values.empty()) return VornError(err::EmptyInput{s->name});
        if (s->values.size() != first->values.size())
            return VornError(err::LengthMismatch{first->name, first->values.size(), s->name, s->values.size()});
        if (auto e = check_finite(s->values, s->name)) return e;
    }
    return std::nullopt;
}

}  // namespace vorn
