#include "indicators/statistics.hpp"
#include "python/call.hpp"

namespace vorn::py {
namespace {

namespace st = vorn::statistics;

const Function kRows[] = {
    def<&st::linear_regression>("py_linear_regression", doc("py_linear_regression(y_values, period)", "Least-squares line over each window: (slope, intercept at the oldest bar, r-squared)."),
                                "y_values", "period"),
    def<&st::linearreg>("py_linearreg", doc("py_linearreg(values, period)", "Least-squares line evaluated at the newest bar of each window."),
                        "values", "period"),
    def<&st::linearreg_slope>("py_linearreg_slope", doc("py_linearreg_slope(values, period)", "Slope of the least-squares line over each window."),
                              "values", "period"),
    def<&st::linearreg_angle>("py_linearreg_angle", doc("py_linearreg_angle(values, period)", "Angle of the least-squares slope, in degrees."),
                              "values", "period"),
    def<&st::linearreg_intercept>("py_linearreg_intercept", doc("py_linearreg_intercept(values, period)", "Least-squares line evaluated at the oldest bar of each window."),
                                  "values", "period"),
    def<&st::tsf>("py_tsf", doc("py_tsf(values, period)", "Time series forecast: the least-squares line one bar beyond the window."),
                  "values", "period"),
    def<&st::slope>("py_slope", doc("py_slope(values, period)", "Least-squares slope computed directly for every window."),
                    "values", nullable("period", 14)),
    def<&st::cfo>("py_cfo", doc("py_cfo(close, period)", "Chande forecast oscillator: (close - tsf) / close * 100."),
                  "close", nullable("period", 14)),
    def<&st::standard_error>("py_standard_error", doc("py_standard_error(y_values, period)", "Standard error of the estimate of the least-squares line over each window."),
                             "y_values", "period"),
    def<&st::standard_error>("py_stderr", doc("py_stderr(y_values, period)", "Standard error of the estimate (same as py_standard_error)."),
                             "y_values", "period"),
    def<&st::correlation>("py_correlation", doc("py_correlation(x, y, period)", "Rolling Pearson correlation of x and y."),
                          "x", "y", "period"),
    def<&st::correl>("py_correl", doc("py_correl(values1, values2, period)", "Rolling Pearson correlation of two series."),
                     "values1", "values2", "period"),
    def<&st::cti>("py_cti", doc("py_cti(close, period=12)", "Correlation trend indicator: correlation of the price with a straight rising line."),
                  "close", nullable("period", 12)),
    def<&st::covariance>("py_covariance", doc("py_covariance(x, y, period)", "Rolling population covariance of x and y."),
                         "x", "y", "period"),
    def<&st::beta>("py_beta", doc("py_beta(asset_returns, benchmark_returns, period)", "Rolling beta of the asset's returns against the benchmark's; 0.0 where the benchmark is flat."),
                   "asset_returns", "benchmark_returns", "period"),
    def<&st::var>("py_var", doc("py_var(values, period)", "Rolling population variance."),
                  "values", "period"),
    def<&st::zscore>("py_zscore", doc("py_zscore(values, period)", "Z-score of each value within its window (population deviation); 0.0 for a flat window."),
                     "values", "period"),
    def<&st::max>("py_max", doc("py_max(values, period)", "Highest value of each window."),
                  "values", "period"),
    def<&st::min>("py_min", doc("py_min(values, period)", "Lowest value of each window."),
                  "values", "period"),
    def<&st::sum>("py_sum", doc("py_sum(values, period)", "Sum of each window (compensated)."),
                  "values", "period"),
    def<&st::minmax>("py_minmax", doc("py_minmax(values, period)", "Lowest and highest value of each window, as (minimum, maximum)."),
                     "values", "period"),
    def<&st::minmaxindex>("py_minmaxindex", doc("py_minmaxindex(values, period)", "Positions of the lowest and highest value inside each window (0 = oldest), as (minimum, maximum); ties report the oldest."),
                          "values", "period"),
    def<&st::percent_rank>("py_percent_rank", doc("py_percent_rank(values, period)", "Percentage of the window strictly below the current value, relative to period - 1."),
                           "values", nullable("period", 14)),
    def<&st::entropy>("py_entropy", doc("py_entropy(close, period=10, bins=10)", "Shannon entropy, in bits, of the histogram of simple returns over each window."),
                      "close", nullable("period", 10), nullable("bins", 10)),
};
const Registrar registrar(kRows);

}  // namespace
}  // namespace vorn::py
