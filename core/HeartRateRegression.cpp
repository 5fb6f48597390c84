#include "core/HeartRateRegression.h"

#include <algorithm>
#include <cmath>

#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr int kMinValidHeartRate = 1280;  // 20 bpm in 1/64 bpm
constexpr int kMaxValidHeartRate = 16320; // 255 bpm

bool IsPlausible(int rate) {
    return rate >= kMinValidHeartRate && rate <= kMaxValidHeartRate;
}

// Sums of the pairs taken relative to a reference pair, so that a power or heart rate that never
// changes gives a variance of exactly zero rather than a rounding remainder that would pass for
// a line.
struct TShiftedSums {
    explicit TShiftedSums(THeartRatePair reference) : power0(reference.power), heartRate0(reference.heartRate) {}

    int64_t count = 0;
    double power0, heartRate0;
    double dx = 0, dy = 0, dxx = 0, dxy = 0, dyy = 0;

    void Add(double p, double h) {
        const double x = p - power0;
        const double y = h - heartRate0;
        ++count;
        dx += x;
        dy += y;
        dxx += x * x;
        dxy += x * y;
        dyy += y * y;
    }
};

// The line through one delay's pairs, or none.
std::optional<THeartRateFit> FitLine(const TShiftedSums& s) {
    if (s.count < 2) {
        return std::nullopt;
    }
    const double n = static_cast<double>(s.count);
    const double sxx = s.dxx - s.dx * s.dx / n;
    const double sxy = s.dxy - s.dx * s.dy / n;
    const double syy = s.dyy - s.dy * s.dy / n;
    if (!(sxx > 0) || !(syy > 0)) {
        return std::nullopt; // power or heart rate never varied: no line explains anything
    }
    THeartRateFit fit;
    fit.count = s.count;
    fit.meanPower = s.power0 + s.dx / n;
    fit.meanHeartRate = s.heartRate0 + s.dy / n;
    fit.slope = sxy / sxx;
    fit.intercept = fit.meanHeartRate - fit.slope * fit.meanPower;
    fit.rSquared = std::clamp(sxy * sxy / (sxx * syy), 0.0, 1.0);
    fit.sumPower = fit.meanPower * n;
    fit.sumHeartRate = fit.meanHeartRate * n;
    fit.sumPowerSquared = sxx + fit.sumPower * fit.sumPower / n;
    fit.sumProduct = sxy + fit.sumPower * fit.sumHeartRate / n;
    fit.sumHeartRateSquared = syy + fit.sumHeartRate * fit.sumHeartRate / n;
    if (!std::isfinite(fit.slope) || !std::isfinite(fit.intercept)) {
        return std::nullopt;
    }
    return fit;
}

} // namespace

THeartRatePairSource::THeartRatePairSource(const TKLTFile& file, int first, int last, int averagingSamples)
    : k_(std::max(averagingSamples, 1)) {
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    const int n = std::max(last - first + 1, 0);
    const int windows = std::max(0, n - k_ + 1);
    power_.resize(static_cast<size_t>(windows));
    heartRate_.resize(static_cast<size_t>(windows));
    plausible_.resize(static_cast<size_t>(windows));
    int64_t powerSum = 0, heartSum = 0;
    int valid = 0;
    for (int i = 0; i < n; ++i) {
        const TSampleElement& in = file.Sample(first + i);
        powerSum += in.Power();
        if (IsPlausible(in.HeartRate())) {
            heartSum += in.HeartRate();
            ++valid;
        }
        if (i >= k_) {
            const TSampleElement& out = file.Sample(first + i - k_);
            powerSum -= out.Power();
            if (IsPlausible(out.HeartRate())) {
                heartSum -= out.HeartRate();
                --valid;
            }
        }
        if (i >= k_ - 1) {
            const auto start = static_cast<size_t>(i - k_ + 1);
            power_[start] = static_cast<double>(powerSum);
            heartRate_[start] = static_cast<double>(heartSum);
            plausible_[start] = valid >= k_;
        }
    }
    // Scaled as ForEachPair scales, so that equal values stay equal to the last bit.
    const double scale = 1.0 / k_;
    const auto plausible = std::find(plausible_.begin(), plausible_.end(), uint8_t{1});
    if (!power_.empty()) {
        reference_.power = power_.front() * scale;
    }
    if (plausible != plausible_.end()) {
        reference_.heartRate = heartRate_[static_cast<size_t>(plausible - plausible_.begin())] * scale;
    }
}

std::vector<THeartRatePair> THeartRatePairSource::Pairs(int lag) const {
    std::vector<THeartRatePair> pairs;
    pairs.reserve(power_.size());
    ForEachPair(lag, [&](double p, double h) { pairs.push_back({p, h}); });
    return pairs;
}

int AveragingSamples(const TKLTFile& file, int first, int last, int averagingTime) {
    const int interval = std::max(file.Interval(), 1);
    if (averagingTime < 0) {
        const double duration = double(std::max(last - first + 1, 0)) * interval;
        averagingTime = static_cast<int>(std::lround(-averagingTime / 100.0 * duration));
    }
    return std::max(1, averagingTime / interval);
}

std::vector<THeartRatePair> HeartRatePairs(const TKLTFile& file, int first, int last, int averagingTime,
                                           int delay) {
    const THeartRatePairSource source(file, first, last, AveragingSamples(file, first, last, averagingTime));
    return source.Pairs(std::max(delay, 0) / std::max(file.Interval(), 1));
}

std::optional<THeartRateFit> FitHeartRateOverPower(const TKLTFile& file, int first, int last,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel) {
    THeartRateFit best;
    best.parameters = parameters;
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    best.averagingSamples = AveragingSamples(file, first, last, parameters.averagingTime);
    if (last < first) {
        return best;
    }
    const int interval = std::max(file.Interval(), 1);
    const THeartRatePairSource source(file, first, last, best.averagingSamples);
    // A step under a second would only repeat delays; 0 would never end.
    const int step = std::max(parameters.delayStep, 100);
    // A largest delay below the smallest still tries the smallest.
    const int64_t firstDelay = std::max(parameters.minDelay, 0);
    const int64_t lastDelay = std::max<int64_t>(parameters.maxDelay, firstDelay);
    for (int64_t delay = firstDelay; delay <= lastDelay; delay += step) {
        if (cancel && cancel()) {
            return std::nullopt;
        }
        TShiftedSums sums(source.Reference());
        source.ForEachPair(static_cast<int>(delay / interval), [&](double p, double h) { sums.Add(p, h); });
        std::optional<THeartRateFit> fit = FitLine(sums);
        if (fit && fit->rSquared > best.rSquared) {
            fit->parameters = parameters;
            fit->delay = static_cast<int>(delay);
            fit->averagingSamples = best.averagingSamples;
            best = *fit;
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
