#pragma once
// The straight line of heart rate over power that describes how a rider's heart answers effort,
// with the heart-rate delay that explains it best.
#include <cstdint>
#include <functional>
#include <optional>

namespace klt {

class TKLTFile;

struct THeartRateFitParameters {
    int averagingTime = 24000; // 1/100 s; negative: that percentage of the marker's duration
    int minDelay = 0;          // 1/100 s
    int maxDelay = 12000;
    int delayStep = 200;       // at least 100 is used
    bool operator==(const THeartRateFitParameters&) const = default;
};

struct THeartRateFit {
    THeartRateFitParameters parameters;
    int64_t count = 0;           // pairs of (power, heart rate) averages
    double sumPower = 0, sumHeartRate = 0, sumPowerSquared = 0, sumProduct = 0, sumHeartRateSquared = 0;
    double meanPower = 0;        // raw 1/8 W
    double meanHeartRate = 0;    // raw 1/64 bpm
    double slope = 0;            // heart rate per power, raw units
    double intercept = 0;
    double rSquared = -1;
    int delay = 0;               // 1/100 s, the one that fitted best
    int averagingSamples = 0;
};

// Fits the samples first..last of `file`. `cancel` is asked between delays; nothing is returned
// when it says stop.
std::optional<THeartRateFit> FitHeartRateOverPower(const TKLTFile& file, int first, int last,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel);

} // namespace klt
