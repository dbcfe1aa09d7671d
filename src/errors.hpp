// The library's one error type and the input checks shared by every routine.
// Routines return Result<T>: either their value or a VornError, which callers
// pass upward unchanged; only the Python binding turns it into an exception.
#pragma once

#include <cstdint>
#include <expected>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "utils/numeric.hpp"
#include "utils/pool.hpp"

namespace vorn {

// One element per bar, oldest first. Buffers come from a small per-thread
// cache of large blocks, so back-to-back calls reuse memory already mapped.
using Series = std::vector<double, PoolAllocator<double>>;

namespace err {
struct InsufficientData { std::uint64_t required, actual; };
struct InvalidPeriod { std::uint64_t period, data_len; };
struct LengthMismatch { const char* name1; std::uint64_t len1; const char* name2; std::uint64_t len2; };
struct InvalidValue { std::uint64_t index; std::string message; };
struct EmptyInput { const char* name; };
struct ParameterOutOfRange { const char* name; double value, min, max; };
struct ModelError { std::string message; };
struct IoError { std::string text; };
}  // namespace err

class VornError {
public:
    using Kind = std::variant<err::InsufficientData, err::InvalidPeriod, err::LengthMismatch,
                              err::InvalidValue, err::EmptyInput, err::ParameterOutOfRange,
                              err::ModelError, err::IoError>;

    template <class K>
    VornError(K kind) : kind_(std::move(kind)) {}  // NOLINT: implicit by design

    const Kind& kind() const { return kind_; }
    template <class K> bool is() const { return std::holds_alternative<K>(kind_); }
    template <class K> const K& as() const { return std::get<K>(kind_); }

    // Composed on demand: errors that are caught and discarded cost no formatting.
    std::string message() const;

private:
    Kind kind_;
};

template <class T>
using Result = std::expected<T, VornError>;

// A failed check, or nothing when the check passed.
using Check = std::optional<VornError>;

// Shortest text that reads back to the same double, positional notation,
// no forced fraction: 1 -> "1", 1e-7 -> "0.0000001", NaN -> "NaN".
std::string format_float(double v);

inline Check check_not_empty(std::span<const double> values, const char* name) {
    if (values.empty()) return VornError(err::EmptyInput{name});
    return std::nullopt;
}

Check check_finite(std::span<const double> values, const char* name);

// 1 <= period <= n as one unsigned comparison, so 0 fails like an oversize period.
inline Check check_period(std::uint64_t period, std::size_t n) {
    if (period - 1 >= static_cast<std::uint64_t>(n)) return VornError(err::InvalidPeriod{period, n});
    return std::nullopt;
}

// Studies that need a bar before their first window (Wilder smoothing, ATR):
// 1 <= period < n, a too long period reported as the data it would need.
inline Check check_period_with_prior_bar(std::uint64_t period, std::size_t n) {
    if (period == 0) return VornError(err::InvalidPeriod{0, n});
    if (period >= n) return VornError(err::InsufficientData{saturating_add(period, 1), n});
    return std::nullopt;
}

// Empty, finite and period checks of one series, in the standard order.
inline Check validate_series(std::span<const double> values, const char* name) {
    if (auto e = check_not_empty(values, name)) return e;
    return check_finite(values, name);
}

inline Check validate_series_period(std::span<const double> values, const char* name, std::uint64_t period) {
    if (auto e = validate_series(values, name)) return e;
    return check_period(period, values.size());
}

struct NamedSeries {
    std::span<const double> values;
    const char* name;
};

// Two to four series: each fully checked (empty, length against the first,
// finite) before the next one is looked at.
Check validate_lengths_match(std::initializer_list<NamedSeries> series);

inline Check validate_hlc(std::span<const double> high, std::span<const double> low, std::span<const double> close) {
    return validate_lengths_match({{high, "high"}, {low, "low"}, {close, "close"}});
}

// The failed result of a routine, for `return fail(err::InvalidPeriod{p, n});`.
inline std::unexpected<VornError> fail(VornError e) { return std::unexpected(std::move(e)); }

}  // namespace vorn

// Return the error of a failed check from the enclosing routine.
#define VORN_CHECK(expr)                                               \
    do {                                                               \
        if (auto vorn_check_ = (expr)) return std::unexpected(std::move(*vorn_check_)); \
    } while (0)

// Unwrap a Result into `var`, or return its error from the enclosing routine.
#define VORN_TRY_ASSIGN(var, expr)                                     \
    auto var##_result_ = (expr);                                       \
    if (!var##_result_) return std::unexpected(std::move(var##_result_).error()); \
    auto var = std::move(*var##_result_)
