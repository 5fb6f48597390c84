#include "core/HeartRateRegression.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr int kMinValidHeartRate = 1280;  // 20 bpm in 1/64 bpm
constexpr int kMaxValidHeartRate = 16320; // 255 bpm

struct TLineSums {
    int64_t count = 0;
    double power = 0, heartRate = 0, powerSquared = 0, product = 0, heartRateSquared = 0;

    void Add(double p, double h) {
        ++count;
        power += p;
        heartRate += h;
        powerSquared += p * p;
        product += p * h;
        heartRateSquared += h * h;
    }
};

// Pairs the mean power of every k consecutive samples with the mean heart rate of the k samples
// `lag` later, both windows sliding one sample at a time.
TLineSums PairSums(const std::vector<int>& power, const std::vector<int>& heartRate, int k, int lag) {
    TLineSums sums;
    const int n = static_cast<int>(power.size());
    if (k + lag > n) {
        return sums;
    }
    int64_t powerSum = 0, heartSum = 0;
    int valid = 0;
    auto isValid = [&](int i) { return heartRate[i] >= kMinValidHeartRate && heartRate[i] <= kMaxValidHeartRate; };
    for (int i = 0; i < k; ++i) {
        powerSum += power[i];
        if (isValid(i + lag)) {
            heartSum += heartRate[i + lag];
            ++valid;
        }
    }
    for (int start = 0;; ++start) {
        // Heart rates outside the plausible range are left out; a window needs k plausible ones.
        if (valid >= k) {
            sums.Add(static_cast<double>(powerSum) / k, static_cast<double>(heartSum) / valid);
        }
        const int next = start + k;
        if (next + lag >= n) {
            break;
        }
        powerSum += power[next] - power[start];
        if (isValid(start + lag)) {
            heartSum -= heartRate[start + lag];
            --valid;
        }
        if (isValid(next + lag)) {
            heartSum += heartRate[next + lag];
            ++valid;
        }
    }
    return sums;
}

} // namespace

std::optional<THeartRateFit> FitHeartRateOverPower(const TKLTFile& file, int first, int last,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel) {
    THeartRateFit best;
    best.parameters = parameters;
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    if (last < first) {
        return best;
    }
    const int interval = std::max(file.Interval(), 1);
    int averagingTime = parameters.averagingTime;
    if (averagingTime < 0) {
        averagingTime = static_cast<int>(std::lround(-averagingTime / 100.0 * (last - first + 1) * file.Interval()));
    }
    const int k = std::max(1, averagingTime / interval);
    best.averagingSamples = k;

    std::vector<int> power, heartRate;
    power.reserve(static_cast<size_t>(last - first + 1));
    heartRate.reserve(static_cast<size_t>(last - first + 1));
    for (int i = first; i <= last; ++i) {
        power.push_back(file.Sample(i).Power());
        heartRate.push_back(file.Sample(i).HeartRate());
    }

    const int step = std::max(parameters.delayStep, 100);
    for (int delay = parameters.minDelay; delay <= parameters.maxDelay; delay += step) {
        if (cancel && cancel()) {
            return std::nullopt;
        }
        const TLineSums s = PairSums(power, heartRate, k, std::max(delay, 0) / interval);
        if (s.count < 2) {
            continue;
        }
        const double n = static_cast<double>(s.count);
        const double sxx = s.powerSquared - s.power * s.power / n;
        const double sxy = s.product - s.power * s.heartRate / n;
        const double syy = s.heartRateSquared - s.heartRate * s.heartRate / n;
        if (sxx <= 0) {
            continue; // constant power: no line
        }
        const double slope = sxy / sxx;
        const double intercept = (s.heartRate - slope * s.power) / n;
        const double residual = syy - slope * sxy;
        const double rSquared = syy > 0 ? 1.0 - residual / syy : 0.0;
        if (rSquared > best.rSquared) {
            best.count = s.count;
            best.sumPower = s.power;
            best.sumHeartRate = s.heartRate;
            best.sumPowerSquared = s.powerSquared;
            best.sumProduct = s.product;
            best.sumHeartRateSquared = s.heartRateSquared;
            best.meanPower = s.power / n;
            best.meanHeartRate = s.heartRate / n;
            best.slope = slope;
            best.intercept = intercept;
            best.rSquared = rSquared;
            best.delay = delay;
        }
    }
    return best;
}

std::optional<THeartRateFit> TKLTFile::HeartRateRegression(int markerIndex, const THeartRateFitParameters& parameters,
                                                           const std::function<bool()>& cancel) {
    EnsureLoaded();
    TKLTMarker& marker = Marker(markerIndex);
    if (marker.heartRateFit && marker.heartRateFit->parameters == parameters) {
        return marker.heartRateFit;
    }
    std::optional<THeartRateFit> fit = FitHeartRateOverPower(*this, marker.first, marker.last, parameters, cancel);
    if (fit) {
        marker.heartRateFit = fit;
    }
    return fit;
}

} // namespace klt
