#include "core/HeartRateRegression.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr int kMinValidHeartRate = 1280;  // 20 bpm in 1/64 bpm
constexpr int kMaxValidHeartRate = 16320; // 255 bpm

bool IsPlausible(int rate) {
    return rate >= kMinValidHeartRate && rate <= kMaxValidHeartRate;
}

// Windows summed for every lag before the next ones: their powers and the heart rates a few lags
// later stay in the cache while all lags use them.
constexpr int kWindowsPerBlock = 4096;

// Two sums at once: even and odd windows in one register.
__extension__ typedef double TTwoDoubles __attribute__((vector_size(16)));

TTwoDoubles LoadTwo(const double* at) {
    TTwoDoubles two;
    std::memcpy(&two, at, sizeof two);
    return two;
}

// A lag's sum of power times heart rate over its pairs so far, both relative to the reference
// pair, in two interleaved halves (one per vector lane) and two runs of alternate window pairs:
// independent chains that the processor overlaps. An implausible window's heart rate is the
// reference's, so that it adds exactly nothing without a branch.
struct TLagProduct {
    TTwoDoubles runs[2]{};

    void Add(const double* powers, const double* heartRate, THeartRatePair reference, int lag, int from, int to) {
        TTwoDoubles sum0 = runs[0], sum1 = runs[1]; // named locals stay in registers
        const TTwoDoubles p0 = {reference.power, reference.power};
        const TTwoDoubles h0 = {reference.heartRate, reference.heartRate};
        const double* h = heartRate + lag;
        int i = from;
        for (; i + 4 <= to; i += 4) {
            sum0 += (LoadTwo(powers + i) - p0) * (LoadTwo(h + i) - h0);
            sum1 += (LoadTwo(powers + i + 2) - p0) * (LoadTwo(h + i + 2) - h0);
        }
        for (; i < to; ++i) {
            sum0[0] += (powers[i] - reference.power) * (h[i] - reference.heartRate);
        }
        runs[0] = sum0;
        runs[1] = sum1;
    }

    double Total() const { return (runs[0][0] + runs[1][0]) + (runs[0][1] + runs[1][1]); }
};

// The line through one delay's pairs, or none.
// The sums are taken relative to a reference pair, so that a power or heart rate that never
// changes gives a variance of exactly zero rather than a rounding remainder that would pass for a
// line.
std::optional<THeartRateFit> FitLine(const THeartRateLagSums& s, THeartRatePair reference) {
    if (s.count < 2) {
        return std::nullopt;
    }
    const double n = static_cast<double>(s.count);
    const double sxx = s.powerSquared - s.power * s.power / n;
    const double sxy = s.product - s.power * s.heartRate / n;
    const double syy = s.heartRateSquared - s.heartRate * s.heartRate / n;
    if (!(sxx > 0) || !(syy > 0)) {
        return std::nullopt; // power or heart rate never varied: no line explains anything
    }
    THeartRateFit fit;
    fit.count = s.count;
    fit.meanPower = reference.power + s.power / n;
    fit.meanHeartRate = reference.heartRate + s.heartRate / n;
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

THeartRateSamples::THeartRateSamples(const TKLTFile& file, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    if (last < first) {
        return;
    }
    power.resize(static_cast<size_t>(last - first + 1));
    heartRate.resize(power.size());
    for (int i = first; i <= last;) {
        // Page by page: the samples of one page lie side by side.
        const int run = std::max(std::min(file.ContiguousSamples(i), last - i + 1), 1);
        const TSampleElement* s = &file.Sample(i);
        for (int k = 0; k < run; ++k, ++s) {
            const auto at = static_cast<size_t>(i - first + k);
            power[at] = s->Power();
            heartRate[at] = IsPlausible(s->HeartRate()) ? s->HeartRate() : 0;
        }
        i += run;
    }
}

THeartRatePairSource::THeartRatePairSource(const THeartRateSamples& samples, int averagingSamples)
    : k_(std::max(averagingSamples, 1)) {
    const int n = static_cast<int>(samples.power.size());
    const auto windows = static_cast<size_t>(std::max(0, n - k_ + 1));
    power_.resize(windows);
    heartRate_.resize(windows);
    plausible_.resize(windows);
    const int32_t* power = samples.power.data();
    const int32_t* heartRate = samples.heartRate.data();
    const double scale = 1.0 / k_;
    int64_t powerSum = 0, heartSum = 0;
    int valid = 0;
    for (int i = 0; i < n; ++i) {
        powerSum += power[i];
        heartSum += heartRate[i];
        valid += heartRate[i] != 0 ? 1 : 0;
        if (i >= k_) {
            powerSum -= power[i - k_];
            heartSum -= heartRate[i - k_];
            valid -= heartRate[i - k_] != 0 ? 1 : 0;
        }
        if (i >= k_ - 1) {
            const auto start = static_cast<size_t>(i - k_ + 1);
            power_[start] = static_cast<double>(powerSum) * scale;
            heartRate_[start] = static_cast<double>(heartSum) * scale;
            plausible_[start] = valid >= k_ ? 1 : 0;
        }
    }
    const auto plausible = std::find(plausible_.begin(), plausible_.end(), uint8_t{1});
    if (!power_.empty()) {
        reference_.power = power_.front();
    }
    if (plausible != plausible_.end()) {
        reference_.heartRate = heartRate_[static_cast<size_t>(plausible - plausible_.begin())];
    }
    // No pair shows an implausible window's heart rate; the reference's adds nothing to the sums.
    for (size_t j = 0; j < windows; ++j) {
        heartRate_[j] = plausible_[j] != 0 ? heartRate_[j] : reference_.heartRate;
    }
}

THeartRatePairSource::THeartRatePairSource(const TKLTFile& file, int first, int last, int averagingSamples)
    : THeartRatePairSource(THeartRateSamples(file, first, last), averagingSamples) {}

std::vector<THeartRatePair> THeartRatePairSource::Pairs(int lag) const {
    std::vector<THeartRatePair> pairs;
    pairs.reserve(power_.size());
    ForEachPair(lag, [&](double p, double h) { pairs.push_back({p, h}); });
    return pairs;
}

std::optional<std::vector<THeartRateLagSums>> THeartRatePairSource::Sums(const std::vector<int>& lags,
                                                                        const std::function<bool()>& cancel) const {
    const int windows = Windows();
    std::vector<TLagProduct> products(lags.size());
    for (int from = 0; from == 0 || from < windows; from += kWindowsPerBlock) { // once without windows
        for (size_t l = 0; l < lags.size(); ++l) {
            if (from == 0 && cancel && cancel()) {
                return std::nullopt;
            }
            const int lag = std::clamp(lags[l], 0, windows);
            products[l].Add(power_.data(), heartRate_.data(), reference_, lag, from,
                            std::min(from + kWindowsPerBlock, windows - lag));
        }
    }
    // The other sums need no pass per lag. A lag's pairs hold the powers of the windows up to
    // windows - lag and the heart rates of those from the lag on, less the pairs of implausible
    // windows: one walk from either end for every lag, then those pairs taken out.
    std::vector<size_t> latestFirst(lags.size());
    std::iota(latestFirst.begin(), latestFirst.end(), size_t{0});
    std::sort(latestFirst.begin(), latestFirst.end(), [&](size_t a, size_t b) { return lags[a] > lags[b]; });
    std::vector<THeartRateLagSums> sums(lags.size());
    THeartRateLagSums walk;
    int ahead = 0, behind = windows;
    for (const size_t l : latestFirst) {
        const int lag = std::clamp(lags[l], 0, windows);
        for (; ahead < windows - lag; ++ahead) {
            const double x = power_[static_cast<size_t>(ahead)] - reference_.power;
            walk.power += x;
            walk.powerSquared += x * x;
        }
        while (behind > lag) {
            const auto j = static_cast<size_t>(--behind);
            if (plausible_[j] != 0) {
                const double y = heartRate_[j] - reference_.heartRate;
                ++walk.count;
                walk.heartRate += y;
                walk.heartRateSquared += y * y;
            }
        }
        sums[l] = walk;
        sums[l].product = products[l].Total();
    }
    // Whichever of the plausible and implausible windows are fewer: summed afresh or taken out.
    const auto plausible = std::count(plausible_.begin(), plausible_.end(), uint8_t{1});
    const bool fewPlausible = plausible <= windows - plausible;
    std::vector<int> few;
    for (int j = 0; j < windows; ++j) {
        if ((plausible_[static_cast<size_t>(j)] != 0) == fewPlausible) {
            few.push_back(j);
        }
    }
    for (size_t l = 0; l < lags.size(); ++l) {
        const int lag = std::clamp(lags[l], 0, windows);
        double power = 0, powerSquared = 0;
        for (auto j = std::lower_bound(few.begin(), few.end(), lag); j != few.end(); ++j) {
            const double x = power_[static_cast<size_t>(*j - lag)] - reference_.power;
            power += x;
            powerSquared += x * x;
        }
        sums[l].power = fewPlausible ? power : sums[l].power - power;
        sums[l].powerSquared = fewPlausible ? powerSquared : sums[l].powerSquared - powerSquared;
    }
    return sums;
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
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    const int averagingSamples = AveragingSamples(file, first, last, parameters.averagingTime);
    if (last < first) {
        THeartRateFit none;
        none.parameters = parameters;
        none.averagingSamples = averagingSamples;
        return none;
    }
    return FitHeartRateOverPower(THeartRatePairSource(file, first, last, averagingSamples), file.Interval(),
                                 parameters, cancel);
}

std::optional<THeartRateFit> FitHeartRateOverPower(const THeartRatePairSource& source, int interval,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel) {
    THeartRateFit best;
    best.parameters = parameters;
    best.averagingSamples = source.AveragingSamples();
    interval = std::max(interval, 1);
    // A step under a second would only repeat delays; 0 would never end.
    const int step = std::max(parameters.delayStep, 100);
    // A largest delay below the smallest still tries the smallest.
    const int64_t firstDelay = std::max(parameters.minDelay, 0);
    const int64_t lastDelay = std::max<int64_t>(parameters.maxDelay, firstDelay);
    std::vector<int> delays, lags;
    for (int64_t delay = firstDelay; delay <= lastDelay; delay += step) {
        delays.push_back(static_cast<int>(delay));
        lags.push_back(static_cast<int>(delay / interval));
    }
    const std::optional<std::vector<THeartRateLagSums>> sums = source.Sums(lags, cancel);
    if (!sums) {
        return std::nullopt;
    }
    for (size_t d = 0; d < delays.size(); ++d) {
        std::optional<THeartRateFit> fit = FitLine((*sums)[d], source.Reference());
        if (fit && fit->rSquared > best.rSquared) {
            fit->parameters = parameters;
            fit->delay = delays[d];
            fit->averagingSamples = best.averagingSamples;
            best = *fit;
        }
    }
    return best;
}

std::optional<THeartRateFit> TKLTFile::HeartRateRegression(int markerIndex, const THeartRateFitParameters& parameters,
                                                           const std::function<bool()>& cancel) {
    return HeartRateRegression(markerIndex, parameters, cancel, nullptr);
}

std::optional<THeartRateFit> TKLTFile::HeartRateRegression(int markerIndex, const THeartRateFitParameters& parameters,
                                                           const std::function<bool()>& cancel,
                                                           const THeartRatePairSource* source) {
    EnsureLoaded();
    TKLTMarker& marker = Marker(markerIndex);
    if (marker.heartRateFit && marker.heartRateFit->parameters == parameters) {
        return marker.heartRateFit;
    }
    std::optional<THeartRateFit> fit =
        source ? FitHeartRateOverPower(*source, Interval(), parameters, cancel)
               : FitHeartRateOverPower(*this, marker.first, marker.last, parameters, cancel);
    if (fit) {
        marker.heartRateFit = fit;
    }
    return fit;
}

} // namespace klt
