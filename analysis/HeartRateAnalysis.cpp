#include "analysis/HeartRateAnalysis.h"

#include <algorithm>
#include <cmath>

#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr double kMaxPowerRaw = 4095.0 * 8;
constexpr int kSecond = 100; // 1/100 s

} // namespace

std::optional<THeartRateAnalysis> AnalyseHeartRate(TKLTFile& file, int marker,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel) {
    std::optional<THeartRateFit> fit = file.HeartRateRegression(marker, parameters, cancel);
    if (!fit) {
        return std::nullopt;
    }
    const TKLTMarker& m = file.Marker(marker);
    THeartRateAnalysis analysis;
    analysis.fit = *fit;
    analysis.interval = std::max(file.Interval(), 1);
    const int delay = fit->HasLine() ? fit->delay : std::max(parameters.minDelay, 0);
    analysis.pairs = HeartRatePairs(file, m.first, m.last, parameters.averagingTime, delay);
    analysis.secondPairs = HeartRatePairs(file, m.first, m.last, kSecond, 0);
    return analysis;
}

std::string NoLineNote(const THeartRateAnalysis& analysis) {
    if (analysis.HasLine()) {
        return {};
    }
    if (analysis.pairs.empty()) {
        return "No heart-rate values to analyse in this marker";
    }
    return "Power and heart rate do not vary enough to fit a line";
}

double HeartRateAt(const THeartRateFit& fit, double power) {
    return fit.slope * power + fit.intercept;
}

std::optional<double> PowerAtHeartRate(const THeartRateFit& fit, double heartRate) {
    if (!fit.HasLine() || !(fit.slope > 0)) {
        return std::nullopt;
    }
    const double power = (heartRate - fit.intercept) / fit.slope;
    if (!std::isfinite(power) || power < 0 || power > kMaxPowerRaw) {
        return std::nullopt;
    }
    return power;
}

} // namespace klt
