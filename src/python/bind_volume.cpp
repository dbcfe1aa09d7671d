#include "indicators/extended.hpp"
#include "indicators/volume.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

const Function kRows[] = {
    def<&obv>("py_obv", doc("py_obv(close, volume)", "On-balance volume: the running sum of volume, added on an up close and subtracted on a down close, starting at the first bar's volume."),
              "close", "volume"),
    def<&vwap>("py_vwap", doc("py_vwap(high, low, close, volume)", "Volume-weighted average of the typical price. An optional fifth argument `period` selects a rolling window; omitted, None or 0 gives the cumulative form from the first bar."),
               "high", "low", "close", "volume", opt_nullable("period", 0)),
    def<&mfi>("py_mfi", doc("py_mfi(high, low, close, volume, period=14)", "Money flow index: the share of rising typical-price money flow over the window, 0..100."),
              "high", "low", "close", "volume", nullable("period", 14)),
    def<&efi>("py_force_index", doc("py_force_index(close, volume, period=13)", "Force index: exponential average of the close change times volume."),
              "close", "volume", nullable("period", 13)),
    def<&cmf>("py_cmf", doc("py_cmf(high, low, close, volume, period=20)", "Chaikin money flow: windowed close-location money flow divided by windowed volume."),
              "high", "low", "close", "volume", nullable("period", 20)),
    def<&volume_oscillator>("py_volume_oscillator", doc("py_volume_oscillator(volume, short_period=5, long_period=10)", "Volume oscillator: percentage difference of a fast and a slow simple average of volume (the periods are used by size)."),
                            "volume", nullable("short_period", 5), nullable("long_period", 10)),
    def<&volume_profile>("py_volume_profile", doc("py_volume_profile(high, low, close, volume, num_bins)", "Volume profile: volume by typical-price bin over the whole input. Returns (price_levels, volume_per_level, point_of_control)."),
                         "high", "low", "close", "volume", nullable("num_bins", 24)),
    def<&accumulation_distribution>("py_ad", doc("py_ad(high, low, close, volume)", "Accumulation/distribution line: running sum of the close location value times volume."),
                                    "high", "low", "close", "volume"),
    def<&pvt>("py_pvt", doc("py_pvt(close, volume)", "Price-volume trend: running sum of the relative close change times volume."),
              "close", "volume"),
    def<&nvi>("py_nvi", doc("py_nvi(close, volume)", "Negative volume index, starting at 1000; moves with the close only on bars whose volume falls."),
              "close", "volume"),
    def<&pvi>("py_pvi", doc("py_pvi(close, volume)", "Positive volume index, starting at 1000; moves with the close only on bars whose volume rises."),
              "close", "volume"),
    def<&eom>("py_eom", doc("py_eom(high, low, volume, period)", "Ease of movement: simple average of the midpoint move per unit of volume and range."),
              "high", "low", "volume", nullable("period", 14)),
    def<&adosc>("py_adosc", doc("py_adosc(high, low, close, volume, fast_period, slow_period)", "Chaikin A/D oscillator: fast minus slow exponential average of the accumulation/distribution line, both seeded with its first value."),
                "high", "low", "close", "volume", nullable("fast_period", 3), nullable("slow_period", 10)),
    def<&efi>("py_efi", doc("py_efi(close, volume, period)", "Elder's force index: exponential average of the close change times volume (same as py_force_index)."),
              "close", "volume", nullable("period", 13)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
