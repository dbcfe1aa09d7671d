#include "python/object.hpp"
#include "types.hpp"

namespace vorn::py {
namespace {

Candle make_candle(std::int64_t timestamp, double open, double high, double low, double close, double volume) {
    return Candle{timestamp, open, high, low, close, volume};
}
double median_price(const Candle& c) { return c.median_price(); }
double typical_price(const Candle& c) { return c.typical_price(); }
double weighted_close(const Candle& c) { return c.weighted_close(); }
std::vector<std::pair<std::string, double>> candle_to_dict(const Candle& c) {
    return {{"timestamp", static_cast<double>(c.timestamp)}, {"open", c.open}, {"high", c.high},
            {"low", c.low}, {"close", c.close}, {"volume", c.volume}};
}

IndicatorResult make_indicator_result(const std::string& name, const Series& values) { return {name, values, {}}; }
void add_metadata(IndicatorResult& r, const std::string& key, const std::string& value) { r.metadata[key] = value; }
std::uint64_t result_len(const IndicatorResult& r) { return r.values.size(); }
bool result_is_empty(const IndicatorResult& r) { return r.values.empty(); }

MultiIndicatorResult make_multi_result(const std::string& name) { return {name, {}, {}}; }
void add_series(MultiIndicatorResult& r, const std::string& key, const Series& values) { r.series[key] = values; }
void add_multi_metadata(MultiIndicatorResult& r, const std::string& key, const std::string& value) {
    r.metadata[key] = value;
}

struct CandleClass {
    using value_type = Candle;
    static const ClassInfo<Candle>& info() {
        static const ClassInfo<Candle> i{
            "Candle",
            doc("Candle(timestamp, open, high, low, close, volume)", "One OHLCV bar with derived prices."),
            ctor<&make_candle>("timestamp", "open", "high", "low", "close", "volume"),
            {method<&candle_to_dict>("to_dict", doc("to_dict($self)", "The six fields as a dict of floats."))},
            {readwrite_member<&Candle::timestamp>("timestamp"), readwrite_member<&Candle::open>("open"),
             readwrite_member<&Candle::high>("high"), readwrite_member<&Candle::low>("low"),
             readwrite_member<&Candle::close>("close"), readwrite_member<&Candle::volume>("volume"),
             readonly<&median_price>("median_price", "(high + low) / 2"),
             readonly<&typical_price>("typical_price", "(high + low + close) / 3"),
             readonly<&weighted_close>("weighted_close", "(2 * close + high + low) / 4")},
            &candle_repr,
        };
        return i;
    }
};

struct IndicatorResultClass {
    using value_type = IndicatorResult;
    static const ClassInfo<IndicatorResult>& info() {
        static const ClassInfo<IndicatorResult> i{
            "IndicatorResult",
            doc("IndicatorResult(name, values)", "A named indicator series with text metadata."),
            ctor<&make_indicator_result>("name", "values"),
            {method<&add_metadata>("add_metadata", doc("add_metadata($self, key, value)", "Store a metadata entry."),
                                   "key", "value"),
             method<&result_is_empty>("is_empty", doc("is_empty($self)", "True when the series has no element."))},
            {readonly_member<&IndicatorResult::name>("name"), readonly_member<&IndicatorResult::values>("values"),
             readonly_member<&IndicatorResult::metadata>("metadata"),
             readonly<&result_len>("len", "Number of values.")},
        };
        return i;
    }
};

struct MultiIndicatorResultClass {
    using value_type = MultiIndicatorResult;
    static const ClassInfo<MultiIndicatorResult>& info() {
        static const ClassInfo<MultiIndicatorResult> i{
            "MultiIndicatorResult",
            doc("MultiIndicatorResult(name)", "A named set of indicator series with text metadata."),
            ctor<&make_multi_result>("name"),
            {method<&add_series>("add_series", doc("add_series($self, key, values)", "Store a series under a key."),
                                 "key", "values"),
             method<&add_multi_metadata>("add_metadata",
                                         doc("add_metadata($self, key, value)", "Store a metadata entry."), "key",
                                         "value")},
            {readonly_member<&MultiIndicatorResult::name>("name"),
             readonly_member<&MultiIndicatorResult::series>("series"),
             readonly_member<&MultiIndicatorResult::metadata>("metadata")},
        };
        return i;
    }
};

const ClassDef kClasses[] = {
    {"Candle", &class_type<CandleClass>},
    {"IndicatorResult", &class_type<IndicatorResultClass>},
    {"MultiIndicatorResult", &class_type<MultiIndicatorResultClass>},
};
const ClassRegistrar registrar(kClasses);

}  // namespace
}  // namespace vorn::py
