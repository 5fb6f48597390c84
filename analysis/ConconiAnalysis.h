#pragma once
// The step test: the steps of steady power the rider held, the point where the heart rate stops
// rising in step with the power (the deflection point) and the power at set heart rates.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/HeartRateRegression.h"

namespace klt {

// Mean power and heart rate of one step, raw units, and how many pairs it holds.
struct TConconiStep {
    double power = 0;
    double heartRate = 0;
    int pairs = 0;
};

struct TConconiResult {
    std::vector<TConconiStep> steps;
    std::optional<THeartRatePair> deflection; // raw power and heart rate
    // Raw power at 130, 150 and 170 bpm on the line of the whole test.
    std::array<std::optional<double>, 3> pwc;
    std::string note; // why there is no deflection point; empty when there is one
};

inline constexpr std::array<int, 3> ConconiPwcHeartRates = {130, 150, 170}; // bpm

// Successive pairs whose power stays within `tolerance` of their running mean form a step; steps
// of fewer than `minPairs` pairs (the ramps between steps) are left out.
std::vector<TConconiStep> ConconiSteps(const std::vector<THeartRatePair>& pairs, int minPairs,
                                       double tolerance = 0.05);

// The hinge of the continuous two-segment line of heart rate over power through the steps that
// fits them best, when each segment holds at least three steps and the upper segment rises by
// less than 80 % of the lower one.
std::optional<THeartRatePair> DeflectionPoint(const std::vector<TConconiStep>& steps);

// Steps, deflection point and PWC values of the pairs of the test's averaging and the fit
// through them.
TConconiResult AnalyseConconi(const std::vector<THeartRatePair>& pairs, int averagingSamples,
                              const THeartRateFit& fit);

} // namespace klt
