#include "indicators/candlestick.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "utils/numeric.hpp"

namespace vorn {
namespace {

// One bar. Field names follow the usual o/h/l/cl shorthand so the rules below
// read like their textbook statements.
struct Bar {
    double o, h, l, cl;

    double body() const { return std::abs(cl - o); }
    double range() const { return h - l; }
    // fmax/fmin keep the other operand when one is NaN.
    double upper() const { return h - std::fmax(o, cl); }
    double lower() const { return std::fmin(o, cl) - l; }
    double mid() const { return (o + cl) * 0.5; }
    bool bull() const { return cl > o; }
    bool bear() const { return cl < o; }
    // Dividing only after range > 0 keeps a flat bar from producing 0/0.
    bool doji(double threshold) const {
        const double r = range();
        return r > 0.0 && body() / r < threshold;
    }
};

// A detector that does not take a column sees NaN there, so a rule touching
// it could never fire rather than read someone else's data.
struct Columns {
    const double* o;
    const double* h;
    const double* l;
    const double* cl;
    std::size_t n;

    Bar operator[](std::size_t i) const {
        return {o ? o[i] : kNaN, h ? h[i] : kNaN, l ? l[i] : kNaN, cl ? cl[i] : kNaN};
    }
};

constexpr double plus(bool hit) { return hit ? 1.0 : 0.0; }
constexpr double minus(bool hit) { return hit ? -1.0 : 0.0; }

// How a K-bar detector fills the positions before its first complete window.
// Nan: NaN throughout when n < K, else 0.0 there. Zero: always 0.0.
enum class Lead { Nan, Zero };

template <std::size_t... I, class Rule>
double apply(const Columns& s, std::size_t first, Rule& rule, std::index_sequence<I...>) {
    return rule(s[first + I]...);
}

// The one walk every detector shares: the rule sees the K bars ending at i,
// oldest first, and its verdict lands on bar i.
template <std::size_t K, class Rule>
Series walk(const Columns& s, Lead lead, Rule rule) {
    Series out(s.n, lead == Lead::Nan && s.n < K ? kNaN : 0.0);
    for (std::size_t i = K - 1; i < s.n; ++i) out[i] = apply(s, i + 1 - K, rule, std::make_index_sequence<K>{});
    return out;
}

Check check_ohlc(const Series& open, const Series& high, const Series& low, const Series& close) {
    return validate_lengths_match({{open, "open"}, {high, "high"}, {low, "low"}, {close, "close"}});
}

// `x` (high or low) first, then close against it, then open against close,
// whose length is compared before its values are scanned.
Check check_triple(const Series& x, const char* x_name, const Series& close, const Series& open) {
    if (auto e = validate_lengths_match({{x, x_name}, {close, "close"}})) return e;
    if (auto e = check_not_empty(open, "open")) return e;
    if (open.size() != close.size()) return VornError(err::LengthMismatch{"open", open.size(), "close", close.size()});
    return check_finite(open, "open");
}

template <std::size_t K, Lead L = Lead::Nan, class Rule>
Result<Series> four(const Series& open, const Series& high, const Series& low, const Series& close, Rule rule) {
    VORN_CHECK(check_ohlc(open, high, low, close));
    return walk<K>({open.data(), high.data(), low.data(), close.data(), open.size()}, L, rule);
}

template <std::size_t K, class Rule>
Result<Series> pair(const Series& open, const Series& close, Rule rule) {
    VORN_CHECK(validate_lengths_match({{open, "open"}, {close, "close"}}));
    return walk<K>({open.data(), nullptr, nullptr, close.data(), open.size()}, Lead::Nan, rule);
}

template <std::size_t K, class Rule>
Result<Series> with_low(const Series& open, const Series& low, const Series& close, Rule rule) {
    VORN_CHECK(check_triple(low, "low", close, open));
    return walk<K>({open.data(), nullptr, low.data(), close.data(), open.size()}, Lead::Nan, rule);
}

template <std::size_t K, class Rule>
Result<Series> with_high(const Series& open, const Series& high, const Series& close, Rule rule) {
    VORN_CHECK(check_triple(high, "high", close, open));
    return walk<K>({open.data(), high.data(), nullptr, close.data(), open.size()}, Lead::Nan, rule);
}

// Long and short line compare a bar with the mean body of the `lookback` bars
// before it. The window is summed afresh for every bar, in bar order, so a
// verdict never depends on rounding carried over from earlier windows.
template <class Rule>
Result<Series> against_mean_body(const Series& open, const Series& high, const Series& low, const Series& close,
                                 std::uint64_t lookback, Rule rule) {
    VORN_CHECK(check_ohlc(open, high, low, close));
    const Columns s{open.data(), high.data(), low.data(), close.data(), open.size()};
    Series out(s.n, 0.0);
    if (lookback >= s.n) return out;
    const auto len = static_cast<std::size_t>(lookback);
    for (std::size_t i = len; i < s.n; ++i) {
        double sum = 0.0;
        for (std::size_t j = i - len; j < i; ++j) sum += s[j].body();
        // lookback = 0 gives 0/0 = NaN, against which every comparison fails.
        out[i] = rule(s[i], sum / static_cast<double>(lookback));
    }
    return out;
}

double hammer_shape(Bar x) {
    const double b = x.body();
    if (!(b > 0.0)) return 0.0;  // a doji body (or NaN) is no hammer
    if (x.lower() >= 2.0 * b && x.upper() <= b) return x.o < x.cl ? 1.0 : -1.0;
    return 0.0;
}

double inverted_hammer_shape(Bar x) {
    const double b = x.body();
    if (!(b > 0.0)) return 0.0;
    if (x.lower() <= b && x.upper() >= 2.0 * b) return x.o < x.cl ? 1.0 : -1.0;
    return 0.0;
}

// Near-marubozu: body over 95% of the range, both shadows under 5% of it.
bool near_marubozu(Bar x) {
    const double r = x.range();
    return r > 0.0 && x.body() / r > 0.95 && x.upper() < 0.05 * r && x.lower() < 0.05 * r;
}

// Bar b inside bar a, then bar c breaks back out of b towards a's extreme.
double hikkake_shape(Bar a, Bar b, Bar c) {
    if (!(b.h < a.h && b.l > a.l)) return 0.0;
    if (b.h < c.h && c.h < a.h) return 1.0;
    if (a.l < c.l && c.l < b.l) return -1.0;
    return 0.0;
}

}  // namespace

Result<Series> doji(const Series& open, const Series& high, const Series& low, const Series& close,
                    double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) { return plus(x.doji(t)); });
}

Result<Series> dragonfly_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                              double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) {
        return plus(x.upper() < 0.1 * x.range() && x.doji(t) && x.lower() > 0.6 * x.range());
    });
}

Result<Series> gravestone_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                               double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) {
        return minus(x.lower() < 0.1 * x.range() && x.doji(t) && x.upper() > 0.6 * x.range());
    });
}

Result<Series> long_legged_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                                double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) {
        return plus(x.doji(t) && x.upper() > 0.3 * x.range() && x.lower() > 0.3 * x.range());
    });
}

Result<Series> rickshaw_man(const Series& open, const Series& high, const Series& low, const Series& close,
                            double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) {
        const double r = x.range();
        return plus(r > 0.0 && x.body() < t * r && std::abs(x.mid() - (x.h + x.l) * 0.5) < 0.2 * r);
    });
}

Result<Series> highwave(const Series& open, const Series& high, const Series& low, const Series& close,
                        double body_threshold) {
    return four<1>(open, high, low, close, [t = body_threshold](Bar x) {
        const double r = x.range(), b = x.body();
        return plus(r > 0.0 && x.upper() > 2.0 * b && b < r * t && x.lower() > 2.0 * b);
    });
}

Result<Series> spinning_top(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) {
        const double r = x.range(), b = x.body();
        return plus(r > 0.0 && b < x.lower() && b < x.upper() && b / r < 0.25);
    });
}

Result<Series> marubozu(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) {
        const double r = x.range(), b = x.body();
        if (x.cl != x.o && r > 0.0 && b / r > 0.95 && x.upper() < 0.05 * b && x.lower() < 0.05 * b)
            return x.cl > x.o ? 1.0 : -1.0;
        return 0.0;
    });
}

Result<Series> closing_marubozu(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) {
        const double r = x.range();
        if (!(r > 0.0 && x.body() > 0.8 * r)) return 0.0;
        if (x.o < x.cl && x.h - x.cl < 0.05 * r) return 1.0;
        if (x.o > x.cl && x.cl - x.l < 0.05 * r) return -1.0;
        return 0.0;
    });
}

Result<Series> belthold(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) {
        const double r = x.range();
        if (!(x.body() > 0.8 * r)) return 0.0;
        if (x.o < x.cl && x.lower() < 0.1 * r) return 1.0;
        if (x.o > x.cl && x.upper() < 0.1 * r) return -1.0;
        return 0.0;
    });
}

Result<Series> takuri(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) {
        const double r = x.range(), b = x.body();
        return plus((x.lower() >= 5.0 * b || (b < 0.1 * r && x.lower() > 0.6 * r)) && x.upper() < 0.1 * r);
    });
}

Result<Series> hammer(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, hammer_shape);
}

Result<Series> inverted_hammer(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, inverted_hammer_shape);
}

Result<Series> hanging_man(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close, [](Bar x) { return minus(std::abs(hammer_shape(x)) >= kEps); });
}

Result<Series> shooting_star(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<1>(open, high, low, close,
                   [](Bar x) { return minus(std::abs(inverted_hammer_shape(x)) >= kEps); });
}

Result<Series> long_line(const Series& open, const Series& high, const Series& low, const Series& close,
                         std::uint64_t lookback) {
    return against_mean_body(open, high, low, close, lookback, [](Bar x, double avg) {
        const double b = x.body();
        if (b > 2.0 * avg && b > x.upper() && b > x.lower()) return x.cl > x.o ? 1.0 : -1.0;
        return 0.0;
    });
}

Result<Series> short_line(const Series& open, const Series& high, const Series& low, const Series& close,
                          std::uint64_t lookback) {
    return against_mean_body(open, high, low, close, lookback, [](Bar x, double avg) {
        if (!(x.body() < 0.5 * avg)) return 0.0;
        return plus(x.o < x.cl) + minus(x.cl < x.o);
    });
}

// Two-candle rules name the previous bar p and the current bar c.

Result<Series> bullish_engulfing(const Series& open, const Series& close) {
    return pair<2>(open, close, [](Bar p, Bar c) {
        return plus(p.o > p.cl && c.cl > c.o && c.cl >= p.o && c.o <= p.cl);
    });
}

Result<Series> bearish_engulfing(const Series& open, const Series& close) {
    return pair<2>(open, close, [](Bar p, Bar c) {
        return minus(p.cl > p.o && c.o > c.cl && c.o >= p.cl && c.cl <= p.o);
    });
}

Result<Series> bullish_harami(const Series& open, const Series& close) {
    return pair<2>(open, close, [](Bar p, Bar c) {
        return plus(p.o > p.cl && c.o < c.cl && c.o < p.o && c.cl > p.cl && c.o > p.cl && c.cl < p.o);
    });
}

Result<Series> bearish_harami(const Series& open, const Series& close) {
    return pair<2>(open, close, [](Bar p, Bar c) {
        return minus(p.o < p.cl && c.o > c.cl && c.o > p.o && c.cl > p.o && c.cl < p.cl && c.o < p.cl);
    });
}

Result<Series> harami_cross(const Series& open, const Series& high, const Series& low, const Series& close,
                            double body_threshold) {
    return four<2>(open, high, low, close, [t = body_threshold](Bar p, Bar c) {
        if (std::fmax(p.o, p.cl) > std::fmax(c.o, c.cl) && p.o != p.cl && std::fmin(c.o, c.cl) > std::fmin(p.o, p.cl) &&
            c.doji(t))
            return p.o > p.cl ? 1.0 : -1.0;
        return 0.0;
    });
}

Result<Series> piercing_pattern(const Series& open, const Series& low, const Series& close) {
    return with_low<2>(open, low, close, [](Bar p, Bar c) {
        return plus(p.cl < p.o && c.cl > c.o && c.o < p.l && c.cl > p.mid() && c.cl < p.o);
    });
}

Result<Series> dark_cloud_cover(const Series& open, const Series& high, const Series& close) {
    return with_high<2>(open, high, close, [](Bar p, Bar c) {
        return minus(p.cl > p.o && c.cl < c.o && c.o > p.h && c.cl > p.o && c.cl < p.mid());
    });
}

// In-neck closes at the first bar's low, on-neck at its close.
Result<Series> inneck(const Series& open, const Series& high, const Series& low, const Series& close,
                      double tolerance) {
    return four<2>(open, high, low, close, [tol = tolerance](Bar p, Bar c) {
        return minus(p.o > p.cl && c.cl > c.o && std::abs(c.cl - p.l) / p.l < tol);
    });
}

Result<Series> onneck(const Series& open, const Series& high, const Series& low, const Series& close,
                      double tolerance) {
    return four<2>(open, high, low, close, [tol = tolerance](Bar p, Bar c) {
        return minus(p.cl < p.o && c.cl > c.o && std::abs(c.cl - p.cl) / p.cl < tol && c.body() < 0.3 * p.body());
    });
}

Result<Series> thrusting(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<2>(open, high, low, close, [](Bar p, Bar c) {
        return minus(p.o > p.cl && c.o < c.cl && c.o < p.l && c.cl > p.cl && c.cl < p.mid());
    });
}

Result<Series> kicking(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<2>(open, high, low, close, [](Bar p, Bar c) {
        if (!(near_marubozu(p) && near_marubozu(c))) return 0.0;
        if (p.o > p.cl && c.cl > c.o && c.o > p.o) return 1.0;
        if (p.o < p.cl && c.o > c.cl && c.o < p.o) return -1.0;
        return 0.0;
    });
}

Result<Series> doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                         double body_threshold) {
    return four<2>(open, high, low, close, [t = body_threshold](Bar p, Bar c) {
        if (p.o > p.cl && c.h < std::fmin(p.o, p.cl) && c.doji(t)) return 1.0;
        if (p.o < p.cl && c.l > std::fmax(p.o, p.cl) && c.doji(t)) return -1.0;
        return 0.0;
    });
}

Result<Series> matching_low(const Series& open, const Series& high, const Series& low, const Series& close,
                            double tolerance) {
    return four<2>(open, high, low, close, [tol = tolerance](Bar p, Bar c) {
        return plus(p.cl < p.o && c.cl < c.o && std::abs(c.cl - p.cl) / p.cl < tol);
    });
}

Result<Series> tweezers_top(const Series& open, const Series& high, const Series& close, double tolerance) {
    return with_high<2>(open, high, close, [tol = tolerance](Bar p, Bar c) {
        const double m = (c.h + p.h) * 0.5;
        return minus(p.cl > p.o && c.o > c.cl && m > 0.0 && std::abs(c.h - p.h) / m < tol);
    });
}

Result<Series> tweezers_bottom(const Series& open, const Series& low, const Series& close, double tolerance) {
    return with_low<2>(open, low, close, [tol = tolerance](Bar p, Bar c) {
        const double m = (c.l + p.l) * 0.5;
        return plus(p.o > p.cl && c.cl > c.o && m > 0.0 && std::abs(c.l - p.l) / m < tol);
    });
}

Series counterattack(const Series& open, const Series&, const Series&, const Series& close, double tolerance) {
    const Columns s{open.data(), nullptr, nullptr, close.data(), std::min(open.size(), close.size())};
    return walk<2>(s, Lead::Zero, [tol = tolerance](Bar p, Bar c) {
        if (!(p.cl - p.o != 0.0 && c.cl - c.o != 0.0 && tol * p.cl > std::abs(c.cl - p.cl))) return 0.0;
        if (p.o > p.cl && c.cl > c.o) return 1.0;
        if (p.cl > p.o && c.o > c.cl) return -1.0;
        return 0.0;
    });
}

Result<Series> homing_pigeon(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<2>(open, high, low, close, [](Bar p, Bar c) {
        return plus(p.o > p.cl && c.o > c.cl && c.cl > p.cl && c.o < p.o && c.body() < 0.5 * p.body());
    });
}

Result<Series> separating_lines(const Series& open, const Series& high, const Series& low, const Series& close,
                                double tolerance) {
    return four<2>(open, high, low, close, [tol = tolerance](Bar p, Bar c) {
        if (!(std::abs(c.o - p.o) / p.o < tol)) return 0.0;
        if (p.cl < p.o && c.cl > c.o) return 1.0;
        if (p.cl > p.o && c.cl < c.o) return -1.0;
        return 0.0;
    });
}

// Three-candle rules name their bars a, b, c, oldest first.

Series hikkake(const Series& high, const Series& low) {
    const Columns s{nullptr, high.data(), low.data(), nullptr, std::min(high.size(), low.size())};
    return walk<3>(s, Lead::Zero, hikkake_shape);
}

Series hikkake(const Series&, const Series& high, const Series& low, const Series&) { return hikkake(high, low); }

Result<Series> hikkake_mod(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<4, Lead::Zero>(open, high, low, close, [](Bar a, Bar b, Bar c, Bar d) {
        const double h = hikkake_shape(a, b, c);
        if (!(std::abs(h) >= kEps)) return 0.0;
        if (h == 1.0 && d.cl > c.cl) return 1.0;
        if (h == -1.0 && d.cl < c.cl) return -1.0;
        return 0.0;
    });
}

Result<Series> tristar(const Series& open, const Series& high, const Series& low, const Series& close,
                       double body_threshold) {
    return four<3>(open, high, low, close, [t = body_threshold](Bar a, Bar b, Bar c) {
        if (!(c.range() > 0.0 && a.doji(t) && b.doji(t) && c.doji(t))) return 0.0;
        if (std::fmin(a.l, c.l) > b.h) return 1.0;
        if (std::fmax(a.h, c.h) < b.l) return -1.0;
        return 0.0;
    });
}

Result<Series> morning_star(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        return plus(c.o < c.cl && a.o > a.cl && 0.3 * a.body() > b.body() && c.cl > a.mid() && b.l < a.cl);
    });
}

Result<Series> evening_star(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        return minus(c.o > c.cl && a.o < a.cl && 0.3 * a.body() > b.body() && a.cl < b.h && c.cl < a.mid());
    });
}

Result<Series> morning_doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                                 double body_threshold) {
    return four<3>(open, high, low, close, [t = body_threshold](Bar a, Bar b, Bar c) {
        return plus(a.o > a.cl && b.h < std::fmin(a.o, a.cl) && b.doji(t) && c.o < c.cl && c.cl > a.mid());
    });
}

Result<Series> evening_doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                                 double body_threshold) {
    return four<3>(open, high, low, close, [t = body_threshold](Bar a, Bar b, Bar c) {
        return minus(a.o < a.cl && b.doji(t) && std::fmax(a.o, a.cl) < b.l && c.cl < c.o && c.cl < a.mid());
    });
}

Result<Series> abandoned_baby(const Series& open, const Series& high, const Series& low, const Series& close,
                              double body_threshold) {
    return four<3>(open, high, low, close, [t = body_threshold](Bar a, Bar b, Bar c) {
        if (!b.doji(t)) return 0.0;
        if (a.cl < a.o && b.h < std::fmin(a.o, a.cl) && c.o < c.cl && b.h < c.l) return 1.0;
        if (a.o < a.cl && b.l > std::fmax(a.o, a.cl) && c.o > c.cl && c.h < b.l) return -1.0;
        return 0.0;
    });
}

Result<Series> three_inside(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        if (a.o > a.cl && b.o < b.cl && a.cl < b.o && b.cl < a.o && c.o < c.cl && c.cl > a.h) return 1.0;
        if (a.o < a.cl && b.o > b.cl && b.o < a.cl && b.cl > a.o && c.o > c.cl && c.cl < a.l) return -1.0;
        return 0.0;
    });
}

Result<Series> three_outside(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        if (a.o > a.cl && b.o < b.cl && a.o < b.cl && a.cl > b.o && c.o < c.cl && b.cl < c.cl) return 1.0;
        if (a.o < a.cl && b.o > b.cl && a.o > b.cl && a.cl < b.o && c.o > c.cl && b.cl > c.cl) return -1.0;
        return 0.0;
    });
}

Result<Series> advance_block(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        return minus(a.bull() && b.bull() && c.bull() && a.body() > b.body() && b.body() > c.body() &&
                     b.upper() > a.upper() && c.upper() > b.upper());
    });
}

Result<Series> stalled_pattern(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        return minus(a.bull() && b.bull() && c.bull() && c.body() < 0.3 * a.body() && c.body() < 0.3 * b.body() &&
                     c.upper() > 2.0 * c.body());
    });
}

Result<Series> stick_sandwich(const Series& open, const Series& high, const Series& low, const Series& close,
                              double tolerance) {
    return four<3>(open, high, low, close, [tol = tolerance](Bar a, Bar b, Bar c) {
        return plus(a.o > a.cl && b.o < b.cl && c.o > c.cl && a.cl < b.l && a.o > b.h &&
                    std::abs(c.cl - a.cl) / a.cl < tol);
    });
}

Result<Series> unique_3_river(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3, Lead::Zero>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        const double avg = (a.body() + b.body() + c.body()) / 3.0;
        return plus(a.bear() && a.body() > 1.5 * avg && b.l < a.l && b.o > b.cl && b.lower() > 2.0 * b.body() &&
                    a.cl < c.cl && c.cl < a.o && c.o < c.cl && c.body() < 0.5 * avg);
    });
}

Result<Series> gap_sidesidewhite(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        if (!(b.o < b.cl && c.o < c.cl)) return 0.0;
        // Two white bars of about the same open and size side by side.
        if (!(std::abs(b.o - c.o) < 0.02 * b.o && std::abs(b.body() - c.body()) < 0.3 * b.body())) return 0.0;
        if (a.o < a.cl && b.o > a.cl) return 1.0;
        if (a.cl < a.o && b.cl < a.o) return -1.0;
        return 0.0;
    });
}

Result<Series> three_black_crows(const Series& open, const Series& low, const Series& close) {
    return with_low<3>(open, low, close, [](Bar a, Bar b, Bar c) {
        auto crow = [](Bar x) { return x.bear() && x.lower() < 0.3 * x.body(); };
        return minus(crow(a) && crow(b) && crow(c) && a.cl < b.o && b.o < a.o && b.cl < c.o && c.o < b.o &&
                     c.cl < b.cl && b.cl < a.cl);
    });
}

Result<Series> three_white_soldiers(const Series& open, const Series& high, const Series& close) {
    return with_high<3>(open, high, close, [](Bar a, Bar b, Bar c) {
        auto soldier = [](Bar x) { return x.bull() && x.upper() < 0.3 * x.body(); };
        return plus(soldier(a) && soldier(b) && soldier(c) && a.o < b.o && b.o < a.cl && b.o < c.o && c.o < b.cl &&
                    a.cl < b.cl && b.cl < c.cl);
    });
}

Result<Series> upside_gap_two_crows(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        return minus(a.o < a.cl && b.o > b.cl && b.o > a.cl && c.o > c.cl && c.o > b.o && c.cl < b.cl &&
                     c.cl > a.cl);
    });
}

Result<Series> identical_three_crows(const Series& open, const Series& high, const Series& low,
                                     const Series& close) {
    return four<3>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        const double k = (a.body() + b.body() + c.body()) / 3.0;
        auto crow = [k](Bar x) { return x.bear() && std::abs(x.body() - k) < 0.3 * k; };
        return minus(crow(a) && crow(b) && crow(c) && a.cl < b.o && b.o < a.o && b.cl < c.o && c.o < b.o &&
                     c.cl < b.cl && b.cl < a.cl);
    });
}

Result<Series> xside_gap_3_methods(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<3, Lead::Zero>(open, high, low, close, [](Bar a, Bar b, Bar c) {
        if (a.bull() && b.bull() && c.o > c.cl && a.h < b.l && a.h < c.cl && c.cl < b.l) return 1.0;
        if (a.bear() && b.bear() && c.o < c.cl && b.h < a.l && b.h < c.cl && c.cl < a.l) return -1.0;
        return 0.0;
    });
}

// Four- and five-candle rules name kN the bar N places before the verdict bar k0.

Result<Series> concealing_baby_swallow(const Series& open, const Series& high, const Series& low,
                                       const Series& close) {
    return four<4, Lead::Zero>(open, high, low, close, [](Bar k3, Bar k2, Bar k1, Bar k0) {
        // Each of the first two bodies at least their mean: only equal bodies pass.
        const double j = (k3.body() + k2.body()) / 2.0;
        return plus(k3.bear() && k2.bear() && k1.bear() && k0.bear() && k0.o > k1.o && k0.cl < k2.cl &&
                    k0.cl < k1.cl && k2.cl > k1.o && k3.body() >= j && k2.body() >= j);
    });
}

Result<Series> ladder_bottom(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<5, Lead::Zero>(open, high, low, close, [](Bar k4, Bar k3, Bar k2, Bar k1, Bar k0) {
        return plus(k4.bear() && k3.bear() && k2.bear() && k1.bear() && k4.cl > k3.cl && k3.cl > k2.cl &&
                    k2.cl > k1.cl && k1.l < k1.cl && k0.o > k1.cl && k0.o < k0.cl);
    });
}

Result<Series> mat_hold(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<5, Lead::Zero>(open, high, low, close, [](Bar k4, Bar k3, Bar k2, Bar k1, Bar k0) {
        const double avg = (k4.body() + k3.body() + k2.body() + k1.body() + k0.body()) / 5.0;
        auto resting = [&k4](Bar x) { return x.cl < k4.cl && x.body() < 0.5 * k4.body(); };
        return plus(k4.bull() && k4.body() > 1.5 * avg && resting(k3) && resting(k2) && resting(k1) &&
                    k0.cl > k4.cl && k0.o < k0.cl);
    });
}

Result<Series> breakaway(const Series& open, const Series& high, const Series& low, const Series& close) {
    return four<5, Lead::Zero>(open, high, low, close, [](Bar k4, Bar k3, Bar k2, Bar k1, Bar k0) {
        const double avg = (k4.body() + k3.body() + k2.body() + k1.body() + k0.body()) / 5.0;
        auto long_body = [avg](Bar x) { return x.body() > 1.2 * avg; };
        if (k4.bear() && long_body(k4) && k3.o < k4.cl && k3.bear() && k2.bear() && k1.bear() && k0.bull() &&
            long_body(k0) && k0.cl > k3.cl && k0.cl < k4.o)
            return 1.0;
        if (k4.bull() && long_body(k4) && k3.o > k4.cl && k3.bull() && k2.bull() && k1.bull() && k0.bear() &&
            long_body(k0) && k0.cl < k3.cl && k0.cl > k4.o)
            return -1.0;
        return 0.0;
    });
}

Result<Series> rising_three_methods(const Series& open, const Series& high, const Series& low,
                                    const Series& close) {
    return four<5>(open, high, low, close, [](Bar k4, Bar k3, Bar k2, Bar k1, Bar k0) {
        auto inside = [&k4](Bar x) {
            return x.bear() && x.h < k4.cl && x.l > k4.o && x.body() < 0.5 * k4.body();
        };
        return plus(k4.bull() && inside(k3) && inside(k2) && inside(k1) && k0.bull() && k0.cl > k4.cl);
    });
}

Result<Series> falling_three_methods(const Series& open, const Series& high, const Series& low,
                                     const Series& close) {
    return four<5>(open, high, low, close, [](Bar k4, Bar k3, Bar k2, Bar k1, Bar k0) {
        auto inside = [&k4](Bar x) {
            return x.bull() && x.h < k4.o && x.l > k4.cl && x.body() < 0.5 * k4.body();
        };
        return minus(k4.bear() && inside(k3) && inside(k2) && inside(k1) && k0.bear() && k0.cl < k4.cl);
    });
}

}  // namespace vorn
