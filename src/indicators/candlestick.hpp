// Candlestick pattern detectors. Each returns a series of the input's length
// holding +1.0 (bullish, or present), -1.0 (bearish) or 0.0 at the bar where
// the pattern completes; multi-bar detectors put NaN or 0.0 in front of the
// first bar a pattern can end on. No detector looks at a trend.
#pragma once

#include <cstdint>

#include "errors.hpp"

namespace vorn {

Result<Series> doji(const Series& open, const Series& high, const Series& low, const Series& close,
                    double body_threshold);
Result<Series> dragonfly_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                              double body_threshold);
Result<Series> gravestone_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                               double body_threshold);
Result<Series> long_legged_doji(const Series& open, const Series& high, const Series& low, const Series& close,
                                double body_threshold);
Result<Series> rickshaw_man(const Series& open, const Series& high, const Series& low, const Series& close,
                            double body_threshold);
Result<Series> highwave(const Series& open, const Series& high, const Series& low, const Series& close,
                        double body_threshold);
Result<Series> spinning_top(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> marubozu(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> closing_marubozu(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> belthold(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> takuri(const Series& open, const Series& high, const Series& low, const Series& close);
// Hammer shapes carry the colour of the body; hanging man and shooting star
// are the same shapes with a fixed bearish sign.
Result<Series> hammer(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> inverted_hammer(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> hanging_man(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> shooting_star(const Series& open, const Series& high, const Series& low, const Series& close);
// Compared with the mean body of the `lookback` bars before each bar.
Result<Series> long_line(const Series& open, const Series& high, const Series& low, const Series& close,
                         std::uint64_t lookback);
Result<Series> short_line(const Series& open, const Series& high, const Series& low, const Series& close,
                          std::uint64_t lookback);

Result<Series> bullish_engulfing(const Series& open, const Series& close);
Result<Series> bearish_engulfing(const Series& open, const Series& close);
Result<Series> bullish_harami(const Series& open, const Series& close);
Result<Series> bearish_harami(const Series& open, const Series& close);
Result<Series> harami_cross(const Series& open, const Series& high, const Series& low, const Series& close,
                            double body_threshold);
Result<Series> piercing_pattern(const Series& open, const Series& low, const Series& close);
Result<Series> dark_cloud_cover(const Series& open, const Series& high, const Series& close);
Result<Series> inneck(const Series& open, const Series& high, const Series& low, const Series& close,
                      double tolerance);
Result<Series> onneck(const Series& open, const Series& high, const Series& low, const Series& close,
                      double tolerance);
Result<Series> thrusting(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> kicking(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                         double body_threshold);
Result<Series> matching_low(const Series& open, const Series& high, const Series& low, const Series& close,
                            double tolerance);
Result<Series> tweezers_top(const Series& open, const Series& high, const Series& close, double tolerance);
Result<Series> tweezers_bottom(const Series& open, const Series& low, const Series& close, double tolerance);
// Unvalidated: works on the common length of open and close, ignores high and low.
Series counterattack(const Series& open, const Series& high, const Series& low, const Series& close,
                     double tolerance);
Result<Series> homing_pigeon(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> separating_lines(const Series& open, const Series& high, const Series& low, const Series& close,
                                double tolerance);

// Unvalidated: works on the common length of high and low.
Series hikkake(const Series& high, const Series& low);
// The same, with open and close accepted and ignored.
Series hikkake(const Series& open, const Series& high, const Series& low, const Series& close);
// The bar after a hikkake whose close moves in the hikkake's direction.
Result<Series> hikkake_mod(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> tristar(const Series& open, const Series& high, const Series& low, const Series& close,
                       double body_threshold);
Result<Series> morning_star(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> evening_star(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> morning_doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                                 double body_threshold);
Result<Series> evening_doji_star(const Series& open, const Series& high, const Series& low, const Series& close,
                                 double body_threshold);
Result<Series> abandoned_baby(const Series& open, const Series& high, const Series& low, const Series& close,
                              double body_threshold);
Result<Series> three_inside(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> three_outside(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> advance_block(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> stalled_pattern(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> stick_sandwich(const Series& open, const Series& high, const Series& low, const Series& close,
                              double tolerance);
Result<Series> unique_3_river(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> gap_sidesidewhite(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> three_black_crows(const Series& open, const Series& low, const Series& close);
Result<Series> three_white_soldiers(const Series& open, const Series& high, const Series& close);
Result<Series> upside_gap_two_crows(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> identical_three_crows(const Series& open, const Series& high, const Series& low,
                                     const Series& close);
Result<Series> xside_gap_3_methods(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> concealing_baby_swallow(const Series& open, const Series& high, const Series& low,
                                       const Series& close);
Result<Series> ladder_bottom(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> mat_hold(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> breakaway(const Series& open, const Series& high, const Series& low, const Series& close);
Result<Series> rising_three_methods(const Series& open, const Series& high, const Series& low,
                                    const Series& close);
Result<Series> falling_three_methods(const Series& open, const Series& high, const Series& low,
                                     const Series& close);

}  // namespace vorn
