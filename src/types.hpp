// Record classes callers use to hold market data and indicator output.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "errors.hpp"

namespace vorn {

struct Candle {
    std::int64_t timestamp;
    double open, high, low, close, volume;

    double median_price() const { return (high + low) * 0.5; }
    double typical_price() const { return (high + low + close) / 3.0; }
    double weighted_close() const { return (2.0 * close + (high + low)) * 0.25; }
};

struct IndicatorResult {
    std::string name;
    Series values;
    std::unordered_map<std::string, std::string> metadata;
};

struct MultiIndicatorResult {
    std::string name;
    std::unordered_map<std::string, Series> series;
    std::unordered_map<std::string, std::string> metadata;
};

std::string candle_repr(const Candle& c);

}  // namespace vorn
