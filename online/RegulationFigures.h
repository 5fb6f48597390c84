#pragma once
// How well a ride held its targets: per step of the target power, how long the power took to
// settle and how far it overshot, and over the whole ride the share of samples near the target.
// `klt ergo run` prints these figures and the regulation benchmark reports them.
#include <optional>
#include <vector>

namespace klt {

struct TRegulationSample {
    double seconds = 0; // since the start of the ride
    int targetWatts = 0;
    int watts = 0;
};

struct TStepFigures {
    int targetWatts = 0;
    int previousWatts = 0;      // the target before this step (0 for the first)
    double startSeconds = 0;
    // From the step's start until the power stays within ±5 % of the target for the rest of the
    // step; none when the last sample of the step is still outside.
    std::optional<double> settleSeconds;
    // Beyond the target in the direction of the step (above it on a step up, below it on a step
    // down), at least 0; and as a share of the step's size.
    int overshootWatts = 0;
    double overshootPercent = 0;
};

struct TRegulationFigures {
    int samples = 0;                // with a target
    double within10WattsPercent = 0; // of those samples
    std::vector<TStepFigures> steps;
};

// Steps are the runs of samples with one target; samples without a target (0 W) belong to none.
TRegulationFigures MeasureRegulation(const std::vector<TRegulationSample>& ride);

} // namespace klt
