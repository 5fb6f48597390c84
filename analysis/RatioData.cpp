#include "analysis/RatioData.h"

#include <algorithm>
#include <cmath>

#include "analysis/RatioDataChartOptionSet.h"
#include "core/KLTFile.h"
#include "core/PRMesWrt.h"

namespace klt {
namespace {

// Samples store up to 65535 W; what the power meter cannot measure is a dropout.
constexpr int kMaxWatts = 4095;

// A display value as a table bin, whatever a profile's scale holds.
int WholeBin(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(value, 0.0, double{kRatioBins - 1})));
}

int RoundedMean(int64_t sum, int64_t count) {
    return static_cast<int>((2 * sum + count) / (2 * count)); // sums are never negative
}

// The run of sample `i` is [runStart, runEnd); values smoothed over `half` samples either side
// (the window i - half + 1 .. i + half, as many after the sample as before it and the sample),
// cut at the run's ends.
class TRunWindow {
public:
    TRunWindow(const std::vector<int32_t>& values, int runStart, int runEnd, int half)
        : values_(values), start_(runStart), end_(runEnd), half_(half), lo_(runStart), hi_(runStart) {}

    // Sum and length of the window around i; i only grows.
    std::pair<int64_t, int> At(int i) {
        const int64_t wantedHi = std::min<int64_t>(end_, int64_t{i} + half_ + 1);
        for (; hi_ < wantedHi; ++hi_) {
            sum_ += values_[static_cast<size_t>(hi_)];
        }
        const int64_t wantedLo = std::max<int64_t>(start_, int64_t{i} - half_ + 1);
        for (; lo_ < wantedLo; ++lo_) {
            sum_ -= values_[static_cast<size_t>(lo_)];
        }
        return {sum_, hi_ - lo_};
    }

private:
    const std::vector<int32_t>& values_;
    int start_, end_;
    int half_;
    int lo_, hi_;
    int64_t sum_ = 0;
};

} // namespace

TMesswertUnit RatioSpeedUnit(int speedUnit) {
    return ReadMesswertDefinition(LoadText(MesswertDefinitionTextId(mwaGeschwindigkeit)), std::max(speedUnit, 0))
        .unit;
}

double RatioDisplayFactor(TRatioChannel channel, int speedUnit) {
    switch (channel) {
    case rcPower:
        return 1.0 / 8;
    case rcHeartRate:
        return 1.0 / 64;
    case rcCadence:
        return 1.0 / 32;
    case rcSpeed:
        break;
    }
    return RatioSpeedUnit(speedUnit).factor;
}

void TRatioSamples::Read(const TKLTFile& file, int first, int last) {
    for (std::vector<int32_t>& channel : values) {
        channel.clear();
    }
    runEnds.clear();
    interval = std::max(file.Interval(), 1);
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    if (last - first + 1 < 2) {
        return;
    }
    for (std::vector<int32_t>& channel : values) {
        channel.reserve(static_cast<size_t>(last - first + 1));
    }
    for (int i = first; i <= last; ++i) {
        const TSampleElement& s = file.Sample(i);
        const int watts = s.StoredPower();
        values[rcPower].push_back(watts > kMaxWatts ? 0 : watts);
        values[rcHeartRate].push_back(s.StoredHeartRate());
        values[rcCadence].push_back(s.StoredCadence());
        values[rcSpeed].push_back(s.Speed());
    }
    // Block b holds its count of samples; the last one every sample beyond the earlier ones.
    int64_t blockEnd = 0;
    const std::vector<TKLTBlock>& blocks = file.Blocks();
    for (size_t b = 0; b + 1 < blocks.size(); ++b) {
        blockEnd += blocks[b].count;
        if (blockEnd >= first && blockEnd < last) {
            runEnds.push_back(static_cast<int>(blockEnd - first + 1));
        }
    }
    runEnds.push_back(Count());
}

TRatioData::TRatioData(TRatioChannel key) : key_(rcPower), bins_(kRatioBins) {
    SetKey(key);
}

void TRatioData::SetKey(TRatioChannel key) {
    key_ = static_cast<TRatioChannel>(std::clamp<int>(key, rcPower, rcSpeed));
    Clear();
}

void TRatioData::Clear() {
    std::fill(bins_.begin(), bins_.end(), TBin{});
    total_ = 0;
}

void TRatioData::Fill(const TKLTFile& file, int first, int last, int smootingSeconds, int speedUnit) {
    TRatioSamples samples;
    samples.Read(file, first, last);
    Fill(samples, smootingSeconds, speedUnit);
}

void TRatioData::Fill(const TRatioSamples& samples, int smootingSeconds, int speedUnit) {
    Clear();
    interval_ = samples.interval;
    speedUnit_ = speedUnit;
    const double speedFactor = RatioSpeedUnit(speedUnit).factor;
    const int64_t window = std::llround(std::max(smootingSeconds, 0) * 100.0 / interval_);
    // Half a window either side; a run never needs more than its length.
    const int half = window <= 1 ? 0 : static_cast<int>(std::min<int64_t>((window + 1) / 2, samples.Count()));
    const std::vector<int32_t>& keyValues = samples.values[static_cast<size_t>(key_)];
    int runStart = 0;
    for (const int runEnd : samples.runEnds) {
        TRunWindow smoothed(keyValues, runStart, runEnd, half);
        for (int i = runStart; i < runEnd; ++i) {
            int bin = keyValues[static_cast<size_t>(i)];
            if (half > 0) {
                const auto [sum, length] = smoothed.At(i);
                bin = RoundedMean(sum, length);
            }
            if (key_ == rcSpeed) {
                bin = static_cast<int>(std::lround(bin * speedFactor));
            }
            Count(samples, i, bin, speedFactor);
        }
        runStart = runEnd;
    }
}

void TRatioData::Count(const TRatioSamples& samples, int i, int bin, double speedFactor) {
    if (bin < 0 || bin >= kRatioBins || (key_ == rcHeartRate && bin <= kLowestHeartRate)) {
        return;
    }
    TBin& target = bins_[static_cast<size_t>(bin)];
    ++target.counts[static_cast<size_t>(key_)];
    ++total_;
    for (int c = 0; c < kRatioChannels; ++c) {
        if (c == key_) {
            continue;
        }
        int value = samples.values[static_cast<size_t>(c)][static_cast<size_t>(i)];
        if (c == rcHeartRate && value <= kLowestHeartRate) {
            continue;
        }
        if (c == rcSpeed) {
            value = static_cast<int>(std::lround(value * speedFactor));
        }
        target.sums[static_cast<size_t>(c)] += value;
        ++target.counts[static_cast<size_t>(c)];
    }
}

TRatioData::TBin TRatioData::Total(int from, int to) const {
    TBin total;
    from = std::max(from, 0);
    to = std::min(to, kRatioBins - 1);
    for (int b = from; b <= to; ++b) {
        const TBin& bin = bins_[static_cast<size_t>(b)];
        for (size_t c = 0; c < kRatioChannels; ++c) {
            total.sums[c] += bin.sums[c];
            total.counts[c] += bin.counts[c];
        }
    }
    return total;
}

int TRatioData::Samples(int from, int to) const {
    return Total(from, to).counts[static_cast<size_t>(key_)];
}

int TRatioData::Time(int from, int to) const {
    return static_cast<int>(std::llround(Samples(from, to) * (interval_ / 100.0)));
}

std::optional<double> TRatioData::MeanValue(int from, int to, TRatioChannel channel) const {
    if (channel == key_ || channel < 0 || channel >= kRatioChannels) {
        return std::nullopt;
    }
    const TBin total = Total(from, to);
    const auto c = static_cast<size_t>(channel);
    if (total.counts[c] == 0) {
        return std::nullopt;
    }
    return static_cast<double>(total.sums[c]) / total.counts[c];
}

int TRatioData::Mean(int from, int to, TRatioChannel channel) const {
    const std::optional<double> mean = MeanValue(from, to, channel);
    return mean ? static_cast<int>(std::lround(*mean)) : 0;
}

std::optional<std::pair<int, int>> TRatioData::KeyRange(const TRatioSkalaOption& keyScale) const {
    const double factor = RatioDisplayFactor(key_, speedUnit_);
    const int lower = WholeBin(keyScale.Skala.Offset() * factor);
    const int upper = WholeBin(keyScale.Skala.UpperEnd() * factor);
    if (upper <= lower) {
        return std::nullopt;
    }
    return std::pair{lower, upper};
}

std::vector<TRatioClass> TRatioData::Classes(const TRatioSkalaOption& keyScale) const {
    const std::optional<std::pair<int, int>> range = KeyRange(keyScale);
    const int width = keyScale.MergeFct;
    if (!range || width < 1) {
        return {};
    }
    const auto [lower, upper] = *range;
    // A class wider than the scale still shows the scale as one class.
    const int count = std::max(1, static_cast<int>(std::lround(static_cast<double>(upper - lower) / width)));
    std::vector<TRatioClass> classes(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        TRatioClass& c = classes[static_cast<size_t>(j)];
        c.from = lower + j * width;
        c.to = j + 1 == count ? upper + 1 : c.from + width;
        const TBin total = Total(c.from, c.to - 1);
        c.samples = total.counts[static_cast<size_t>(key_)];
        c.seconds = Time(c.from, c.to - 1);
        c.percent = total_ > 0 ? 100.0 * c.samples / total_ : 0.0;
        for (int channel = 0; channel < kRatioChannels; ++channel) {
            const auto k = static_cast<size_t>(channel);
            if (channel != key_ && total.counts[k] > 0) {
                c.means[k] = static_cast<int>(std::lround(static_cast<double>(total.sums[k]) / total.counts[k]));
            }
        }
    }
    return classes;
}

} // namespace klt
