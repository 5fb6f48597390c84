#include "online/RegulationFigures.h"

#include <algorithm>
#include <cstdlib>

namespace klt {
namespace {

constexpr double kSettledShare = 0.05;
constexpr int kNearWatts = 10;

bool Settled(const TRegulationSample& sample) {
    return std::abs(sample.watts - sample.targetWatts) <= kSettledShare * sample.targetWatts;
}

TStepFigures MeasureStep(const std::vector<TRegulationSample>& ride, size_t first, size_t end, int previousWatts) {
    TStepFigures step;
    step.targetWatts = ride[first].targetWatts;
    step.previousWatts = previousWatts;
    step.startSeconds = ride[first].seconds;
    // The settling time ends at the sample after the last one outside the band.
    size_t settledFrom = end;
    while (settledFrom > first && Settled(ride[settledFrom - 1])) {
        --settledFrom;
    }
    if (settledFrom < end) {
        step.settleSeconds = ride[settledFrom].seconds - step.startSeconds;
    }
    const bool up = step.targetWatts >= previousWatts;
    for (size_t i = first; i < end; ++i) {
        const int beyond = up ? ride[i].watts - step.targetWatts : step.targetWatts - ride[i].watts;
        step.overshootWatts = std::max(step.overshootWatts, beyond);
    }
    const int size = std::abs(step.targetWatts - previousWatts);
    step.overshootPercent = size > 0 ? 100.0 * step.overshootWatts / size : 0.0;
    return step;
}

} // namespace

TRegulationFigures MeasureRegulation(const std::vector<TRegulationSample>& ride) {
    TRegulationFigures figures;
    int near = 0;
    int previousTarget = 0;
    size_t i = 0;
    while (i < ride.size()) {
        const int target = ride[i].targetWatts;
        size_t end = i;
        while (end < ride.size() && ride[end].targetWatts == target) {
            ++end;
        }
        if (target > 0) {
            figures.steps.push_back(MeasureStep(ride, i, end, previousTarget));
            for (size_t k = i; k < end; ++k) {
                near += std::abs(ride[k].watts - target) <= kNearWatts ? 1 : 0;
            }
            figures.samples += static_cast<int>(end - i);
            previousTarget = target;
        }
        i = end;
    }
    figures.within10WattsPercent = figures.samples > 0 ? 100.0 * near / figures.samples : 0.0;
    return figures;
}

} // namespace klt
