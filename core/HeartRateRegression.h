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

// Power and plausible heart rate (20 to 255 bpm, else 0) of a marker's samples, read once for the
// windows of every averaging time.
struct THeartRateSamples {
    THeartRateSamples(const TKLTFile& file, int first, int last);
    std::vector<int32_t> power;     // raw 1/8 W
    std::vector<int32_t> heartRate; // raw 1/64 bpm; 0 where implausible
};

// Sums over the pairs at one lag, taken relative to the source's reference pair.
struct THeartRateLagSums {
    int64_t count = 0;
    double power = 0, heartRate = 0, powerSquared = 0, product = 0, heartRateSquared = 0;
};

// The windows of a marker's samples that pairs are made of, computed once for every delay: the
// power of the k samples starting at each sample, and the heart rate of the k samples starting
// there when all of them are plausible.
class THeartRatePairSource {
public:
    THeartRatePairSource(const THeartRateSamples& samples, int averagingSamples);
    THeartRatePairSource(const TKLTFile& file, int first, int last, int averagingSamples);

    int AveragingSamples() const { return k_; }
    // Calls pair(power, heartRate) for every pair at a lag of `lag` samples, in time order.
    template <typename F>
    void ForEachPair(int lag, F&& pair) const {
        const int pairs = Windows() - lag;
        for (int i = 0; i < pairs; ++i) {
            const auto j = static_cast<size_t>(i + lag);
            if (plausible_[j] != 0) {
                pair(power_[static_cast<size_t>(i)], heartRate_[j]);
            }
        }
    }
    std::vector<THeartRatePair> Pairs(int lag) const;
    // The first window's power and the first plausible window's heart rate: a pair whose values
    // every pair of a constant power or heart rate matches exactly.
    THeartRatePair Reference() const { return reference_; }
    // The sums of the pairs at each of `lags`; `cancel` is asked once for each lag, as its sums
    // start. Nothing when it says stop.
    std::optional<std::vector<THeartRateLagSums>> Sums(const std::vector<int>& lags,
                                                       const std::function<bool()>& cancel) const;

private:
    int Windows() const { return static_cast<int>(power_.size()); }

    int k_;
    THeartRatePair reference_;
    std::vector<double> power_;     // window means, raw units
    std::vector<double> heartRate_;
    std::vector<uint8_t> plausible_;
};

// Samples in the averaging window for an averaging time (negative: percent of the duration of
// the samples first..last) at the file's interval; at least one.
int AveragingSamples(const TKLTFile& file, int first, int last, int averagingTime);

// The pairs of the samples first..last for an averaging time and a delay, both 1/100 s, as the
// fit forms them.
std::vector<THeartRatePair> HeartRatePairs(const TKLTFile& file, int first, int last, int averagingTime, int delay);

// Fits the samples first..last of `file`. `cancel` is asked once for each delay; nothing is
// returned when it says stop.
std::optional<THeartRateFit> FitHeartRateOverPower(const TKLTFile& file, int first, int last,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel);

// The same over the windows of a source read before, at the training's interval (1/100 s).
std::optional<THeartRateFit> FitHeartRateOverPower(const THeartRatePairSource& source, int interval,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel);

} // namespace klt
