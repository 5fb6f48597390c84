#include "analysis/ConconiAnalysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/HeartRateAnalysis.h"

namespace klt {
namespace {

constexpr int kMinStepsPerSegment = 3;
constexpr double kMaxUpperSlopeShare = 0.8;
constexpr double kCoarseHingeStep = 64; // raw power: 8 W, then refined to 1 W around the best
constexpr double kHingeResolution = 8;
constexpr double kMinPowerTolerance = 40; // raw power: 5 W, so that low steps are not split by noise

// Least squares of h = a + b1 * min(p - hinge, 0) + b2 * max(p - hinge, 0) for one hinge.
struct THingeFit {
    double a = 0, lowerSlope = 0, upperSlope = 0, residual = 0;
    bool valid = false;
};

bool Solve3(double m[3][4]) {
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 3; ++row) {
            if (std::abs(m[row][col]) > std::abs(m[pivot][col])) {
                pivot = row;
            }
        }
        if (std::abs(m[pivot][col]) < 1e-12) {
            return false;
        }
        std::swap(m[col], m[pivot]);
        for (int row = 0; row < 3; ++row) {
            if (row != col) {
                const double f = m[row][col] / m[col][col];
                for (int k = col; k < 4; ++k) {
                    m[row][k] -= f * m[col][k];
                }
            }
        }
    }
    return true;
}

THingeFit FitHinge(const std::vector<TConconiStep>& steps, double hinge) {
    double m[3][4] = {};
    for (const TConconiStep& s : steps) {
        const double x[3] = {1.0, std::min(s.power - hinge, 0.0), std::max(s.power - hinge, 0.0)};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                m[r][c] += x[r] * x[c];
            }
            m[r][3] += x[r] * s.heartRate;
        }
    }
    THingeFit fit;
    if (!Solve3(m)) {
        return fit;
    }
    fit.a = m[0][3] / m[0][0];
    fit.lowerSlope = m[1][3] / m[1][1];
    fit.upperSlope = m[2][3] / m[2][2];
    for (const TConconiStep& s : steps) {
        const double d = s.power - hinge;
        const double h = fit.a + (d < 0 ? fit.lowerSlope * d : fit.upperSlope * d);
        fit.residual += (s.heartRate - h) * (s.heartRate - h);
    }
    fit.valid = std::isfinite(fit.residual);
    return fit;
}

void CloseStep(std::vector<TConconiStep>& steps, TConconiStep& step, double powerSum, double heartSum,
               int minPairs) {
    if (step.pairs >= minPairs) {
        step.power = powerSum / step.pairs;
        step.heartRate = heartSum / step.pairs;
        steps.push_back(step);
    }
    step = {};
}

} // namespace

std::vector<TConconiStep> ConconiSteps(const std::vector<THeartRatePair>& pairs, int minPairs, double tolerance) {
    std::vector<TConconiStep> steps;
    TConconiStep step;
    double powerSum = 0, heartSum = 0;
    for (const THeartRatePair& pair : pairs) {
        if (step.pairs > 0) {
            const double mean = powerSum / step.pairs;
            if (std::abs(pair.power - mean) > std::max(tolerance * mean, kMinPowerTolerance)) {
                CloseStep(steps, step, powerSum, heartSum, minPairs);
                powerSum = heartSum = 0;
            }
        }
        ++step.pairs;
        powerSum += pair.power;
        heartSum += pair.heartRate;
    }
    CloseStep(steps, step, powerSum, heartSum, minPairs);
    return steps;
}

std::optional<THeartRatePair> DeflectionPoint(const std::vector<TConconiStep>& input) {
    if (static_cast<int>(input.size()) < 2 * kMinStepsPerSegment) {
        return std::nullopt;
    }
    std::vector<TConconiStep> steps = input;
    std::sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.power < b.power; });
    // The hinge may lie anywhere that leaves three steps on either side (the hinge step counts
    // for both).
    const double low = steps[kMinStepsPerSegment - 1].power;
    const double high = steps[steps.size() - kMinStepsPerSegment].power;
    THingeFit best;
    double bestHinge = low;
    auto search = [&](double from, double to, double step) {
        for (double hinge = std::max(from, low); hinge <= std::min(to, high); hinge += step) {
            const THingeFit fit = FitHinge(steps, hinge);
            if (fit.valid && (!best.valid || fit.residual < best.residual)) {
                best = fit;
                bestHinge = hinge;
            }
        }
    };
    search(low, high, kCoarseHingeStep);
    search(bestHinge - kCoarseHingeStep, bestHinge + kCoarseHingeStep, kHingeResolution);
    if (!best.valid || !(best.lowerSlope > 0) || !(best.upperSlope < kMaxUpperSlopeShare * best.lowerSlope)) {
        return std::nullopt;
    }
    return THeartRatePair{bestHinge, best.a};
}

TConconiResult AnalyseConconi(const std::vector<THeartRatePair>& pairs, int averagingSamples,
                              const THeartRateFit& fit) {
    TConconiResult result;
    result.steps = ConconiSteps(pairs, std::max(averagingSamples, kMinStepsPerSegment));
    result.deflection = DeflectionPoint(result.steps);
    if (!result.deflection) {
        result.note = static_cast<int>(result.steps.size()) < 2 * kMinStepsPerSegment
                          ? "No deflection point: fewer than six steps of steady power"
                          : "No deflection point: the heart rate rises evenly with the power";
    }
    for (size_t i = 0; i < ConconiPwcHeartRates.size(); ++i) {
        result.pwc[i] = PowerAtHeartRate(fit, ConconiPwcHeartRates[i] * 64.0);
    }
    return result;
}

} // namespace klt
