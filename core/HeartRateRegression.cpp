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
};

// Sums over every window of k consecutive samples, computed once for all delays: the power of
// the window starting at i, the heart rate of the window starting at j, and whether all k heart
// rates of that window are plausible (only such windows pair up).
struct TWindows {
    std::vector<double> power;
    std::vector<double> heartRate;
    std::vector<uint8_t> plausible;

    TWindows(const std::vector<int>& p, const std::vector<int>& h, int k) {
        const int n = static_cast<int>(p.size());
        const int windows = std::max(0, n - k + 1);
        power.resize(static_cast<size_t>(windows));
        heartRate.resize(static_cast<size_t>(windows));
        plausible.resize(static_cast<size_t>(windows));
        auto isPlausible = [](int rate) { return rate >= kMinValidHeartRate && rate <= kMaxValidHeartRate; };
        int64_t powerSum = 0, heartSum = 0;
        int valid = 0;
        for (int i = 0; i < n; ++i) {
            powerSum += p[static_cast<size_t>(i)];
            if (isPlausible(h[static_cast<size_t>(i)])) {
                heartSum += h[static_cast<size_t>(i)];
                ++valid;
            }
            if (i >= k) {
                powerSum -= p[static_cast<size_t>(i - k)];
                if (isPlausible(h[static_cast<size_t>(i - k)])) {
                    heartSum -= h[static_cast<size_t>(i - k)];
                    --valid;
                }
            }
            if (i >= k - 1) {
                const auto start = static_cast<size_t>(i - k + 1);
                power[start] = static_cast<double>(powerSum);
                heartRate[start] = static_cast<double>(heartSum);
                plausible[start] = valid >= k;
            }
        }
    }
};

// The line sums of the pairs (mean power of a window, mean heart rate of the window `lag` samples
// later), in window sums; divided by k once at the end.
TLineSums PairSums(const TWindows& w, int k, int lag) {
    TLineSums sums;
    const int pairs = static_cast<int>(w.power.size()) - lag;
    for (int i = 0; i < pairs; ++i) {
        const auto j = static_cast<size_t>(i + lag);
        if (!w.plausible[j]) {
            continue;
        }
        const double p = w.power[static_cast<size_t>(i)];
        const double h = w.heartRate[j];
        ++sums.count;
        sums.power += p;
        sums.heartRate += h;
        sums.powerSquared += p * p;
        sums.product += p * h;
        sums.heartRateSquared += h * h;
    }
    const double scale = 1.0 / k;
    sums.power *= scale;
    sums.heartRate *= scale;
    sums.powerSquared *= scale * scale;
    sums.product *= scale * scale;
    sums.heartRateSquared *= scale * scale;
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

    const TWindows windows(power, heartRate, k);
    const int step = std::max(parameters.delayStep, 100);
    for (int delay = parameters.minDelay; delay <= parameters.maxDelay; delay += step) {
        if (cancel && cancel()) {
            return std::nullopt;
        }
        const TLineSums s = PairSums(windows, k, std::max(delay, 0) / interval);
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
