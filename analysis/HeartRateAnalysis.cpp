#include "analysis/HeartRateAnalysis.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr double kMaxPowerRaw = 4095.0 * 8;
constexpr int kSecond = 100; // 1/100 s

} // namespace

std::optional<THeartRateAnalysis> AnalyseHeartRate(TKLTFile& file, int marker,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel) {
    file.EnsureLoaded();
    const int first = std::max(file.Marker(marker).first, 1);
    const int last = std::min(file.Marker(marker).last, file.SampleCount());
    // One read of the samples; one set of windows for the fit and its pairs, built where the
    // one-second windows were just freed.
    const THeartRateSamples samples(file, first, last);
    std::vector<THeartRatePair> secondPairs =
        THeartRatePairSource(samples, AveragingSamples(file, first, last, kSecond)).Pairs(0);
    const THeartRatePairSource source(samples, AveragingSamples(file, first, last, parameters.averagingTime));
    std::optional<THeartRateFit> fit = file.HeartRateRegression(marker, parameters, cancel, &source);
    if (!fit) {
        return std::nullopt;
    }
    THeartRateAnalysis analysis;
    analysis.fit = *fit;
    analysis.interval = std::max(file.Interval(), 1);
    const int delay = fit->HasLine() ? fit->delay : std::max(parameters.minDelay, 0);
    analysis.pairs = source.Pairs(delay / analysis.interval);
    analysis.secondPairs = std::move(secondPairs);
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
