#pragma once
// The straight line of heart rate over power that describes how a rider's heart answers effort,
// with the heart-rate delay that explains it best.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

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
    double rSquared = -1;        // -1: no line (no pairs, or power or heart rate never varied)
    int delay = 0;               // 1/100 s, the one that fitted best
    int averagingSamples = 0;

    bool HasLine() const { return rSquared >= 0; }
};

// Mean power of a window and mean heart rate of the window a delay later, raw units.
struct THeartRatePair {
    double power = 0;
    double heartRate = 0;
};

// The windows of a marker's samples that pairs are made of, computed once for every delay: the
// power of the k samples starting at each sample, and the heart rate of the k samples starting
// there when all of them are plausible (20 to 255 bpm).
class THeartRatePairSource {
public:
    THeartRatePairSource(const TKLTFile& file, int first, int last, int averagingSamples);

    int AveragingSamples() const { return k_; }
    // Calls pair(power, heartRate) for every pair at a lag of `lag` samples, in time order.
    template <typename F>
    void ForEachPair(int lag, F&& pair) const {
        const int pairs = static_cast<int>(power_.size()) - lag;
        const double scale = 1.0 / k_;
        for (int i = 0; i < pairs; ++i) {
            const auto j = static_cast<size_t>(i + lag);
            if (plausible_[j]) {
                pair(power_[static_cast<size_t>(i)] * scale, heartRate_[j] * scale);
            }
        }
    }
    std::vector<THeartRatePair> Pairs(int lag) const;
    // The first window's power and the first plausible window's heart rate: a pair whose values
    // every pair of a constant power or heart rate matches exactly.
    THeartRatePair Reference() const { return reference_; }

private:
    int k_;
    THeartRatePair reference_;
    std::vector<double> power_;
    std::vector<double> heartRate_;
    std::vector<uint8_t> plausible_;
};

// Samples in the averaging window for an averaging time (negative: percent of the duration of
// the samples first..last) at the file's interval; at least one.
int AveragingSamples(const TKLTFile& file, int first, int last, int averagingTime);

// The pairs of the samples first..last for an averaging time and a delay, both 1/100 s, as the
// fit forms them.
std::vector<THeartRatePair> HeartRatePairs(const TKLTFile& file, int first, int last, int averagingTime, int delay);

// Fits the samples first..last of `file`. `cancel` is asked between delays; nothing is returned
// when it says stop.
std::optional<THeartRateFit> FitHeartRateOverPower(const TKLTFile& file, int first, int last,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel);

} // namespace klt
