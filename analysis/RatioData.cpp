#include "analysis/RatioData.h"

#include <algorithm>
#include <cmath>

#include "analysis/RatioDataChartOptionSet.h"
#include "core/KLTFile.h"
#include "core/PRMesWrt.h"
#include "core/WindowDivider.h"

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

// The rounded mean of the window lo..hi-1 around each sample i of the stretch runStart..runEnd-1:
// i - half + 1 .. i + half, cut at the stretch's ends so that it never reaches across a pause.
// `prefix[k]` holds the sum of the values before k; speeds are converted to their unit.
template <bool Speed>
void SmoothStretch(const int64_t* prefix, int runStart, int runEnd, int half, double speedFactor, int32_t* out) {
    TWindowDivider divider;
    auto put = [&](int i, int lo, int hi) {
        const int length = hi - lo;
        const int mean = divider.Divide(prefix[hi] - prefix[lo] + length / 2, length); // sums are never negative
        out[i] = Speed ? static_cast<int32_t>(mean * speedFactor + 0.5) : mean;
    };
    auto putCut = [&](int i) { put(i, std::max(runStart, i - half + 1), std::min(runEnd, i + half + 1)); };
    // Away from the stretch's ends every window is whole: one length, no cuts to work out.
    const int innerFrom = std::min(runStart + half - 1, runEnd);
    const int innerTo = std::max(runEnd - half, innerFrom);
    for (int i = runStart; i < innerFrom; ++i) {
        putCut(i);
    }
    for (int i = innerFrom; i < innerTo; ++i) {
        put(i, i - half + 1, i + half + 1);
    }
    for (int i = innerTo; i < runEnd; ++i) {
        putCut(i);
    }
}

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

void TRatioSamples::Read(const TKLTFile& file, int first, int last, int unit) {
    for (std::vector<int32_t>& channel : values) {
        channel.clear();
    }
    speedMillimetres.clear();
    runEnds.clear();
    interval = std::max(file.Interval(), 1);
    speedUnit = unit;
    const double speedFactor = RatioSpeedUnit(unit).factor;
    first = std::max(first, 1);
    last = std::min(last, file.SampleCount());
    if (last < first) {
        return;
    }
    const auto count = static_cast<size_t>(last - first + 1);
    for (std::vector<int32_t>& channel : values) {
        channel.resize(count);
    }
    speedMillimetres.resize(count);
    for (int i = first; i <= last;) {
        // Page by page: the samples of one page lie side by side.
        const int run = std::max(std::min(file.ContiguousSamples(i), last - i + 1), 1);
        const TSampleElement* s = &file.Sample(i);
        for (int k = 0; k < run; ++k, ++s) {
            const auto at = static_cast<size_t>(i - first + k);
            const int watts = s->StoredPower();
            values[rcPower][at] = watts > kMaxWatts ? 0 : watts;
            values[rcHeartRate][at] = s->StoredHeartRate();
            values[rcCadence][at] = s->StoredCadence();
            speedMillimetres[at] = s->Speed();
            values[rcSpeed][at] = static_cast<int32_t>(s->Speed() * speedFactor + 0.5); // never negative
        }
        i += run;
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
    samples.Read(file, first, last, speedUnit);
    Fill(samples, smootingSeconds);
}

void TRatioData::Fill(const TRatioSamples& samples, int smootingSeconds) {
    Clear();
    interval_ = samples.interval;
    speedUnit_ = samples.speedUnit;
    KeyValues(samples, smootingSeconds);
    switch (key_) {
    case rcPower:
        CountAll<rcPower>(samples);
        break;
    case rcHeartRate:
        CountAll<rcHeartRate>(samples);
        break;
    case rcCadence:
        CountAll<rcCadence>(samples);
        break;
    case rcSpeed:
        CountAll<rcSpeed>(samples);
        break;
    }
}

void TRatioData::KeyValues(const TRatioSamples& samples, int smootingSeconds) {
    const std::vector<int32_t>& raw = samples.values[static_cast<size_t>(key_)];
    const int64_t window = std::llround(std::max(smootingSeconds, 0) * 100.0 / interval_);
    // Half a window either side; a run never needs more than its length.
    const int half = window <= 1 ? 0 : static_cast<int>(std::min<int64_t>((window + 1) / 2, samples.Count()));
    if (half == 0) {
        keyValues_ = raw;
        return;
    }
    const bool speed = key_ == rcSpeed;
    const std::vector<int32_t>& values = speed ? samples.speedMillimetres : raw;
    // Running sums: prefix_[k] holds the values before sample k.
    prefix_.resize(values.size() + 1);
    prefix_[0] = 0;
    for (size_t k = 0; k < values.size(); ++k) {
        prefix_[k + 1] = prefix_[k] + values[k];
    }
    keyValues_.resize(values.size());
    const double speedFactor = RatioSpeedUnit(speedUnit_).factor;
    int runStart = 0;
    for (const int runEnd : samples.runEnds) {
        (speed ? SmoothStretch<true> : SmoothStretch<false>)(prefix_.data(), runStart, runEnd, half, speedFactor,
                                                             keyValues_.data());
        runStart = runEnd;
    }
}

template <int Key> void TRatioData::CountAll(const TRatioSamples& samples) {
    const int32_t* power = samples.values[rcPower].data();
    const int32_t* heartRate = samples.values[rcHeartRate].data();
    const int32_t* cadence = samples.values[rcCadence].data();
    const int32_t* speed = samples.values[rcSpeed].data();
    int total = 0;
    for (size_t i = 0; i < keyValues_.size(); ++i) {
        const int bin = keyValues_[i];
        if (bin < 0 || bin >= kRatioBins || (Key == rcHeartRate && bin <= kLowestHeartRate)) {
            continue;
        }
        TBin& target = bins_[static_cast<size_t>(bin)];
        ++target.count;
        ++total;
        if constexpr (Key != rcPower) {
            target.sums[rcPower] += power[i];
        }
        if constexpr (Key != rcCadence) {
            target.sums[rcCadence] += cadence[i];
        }
        if constexpr (Key != rcSpeed) {
            target.sums[rcSpeed] += speed[i];
        }
        if constexpr (Key != rcHeartRate) {
            const bool pulse = heartRate[i] > kLowestHeartRate;
            target.sums[rcHeartRate] += pulse ? heartRate[i] : 0;
            target.heartRateCount += pulse ? 1 : 0;
        }
    }
    total_ = total;
}

TRatioData::TTotal TRatioData::Total(int from, int to) const {
    TTotal total;
    from = std::max(from, 0);
    to = std::min(to, kRatioBins - 1);
    int count = 0, heartRateCount = 0;
    for (int b = from; b <= to; ++b) {
        const TBin& bin = bins_[static_cast<size_t>(b)];
        count += bin.count;
        heartRateCount += bin.heartRateCount;
        for (size_t c = 0; c < kRatioChannels; ++c) {
            total.sums[c] += bin.sums[c];
        }
    }
    total.counts.fill(count);
    if (key_ != rcHeartRate) {
        total.counts[rcHeartRate] = heartRateCount;
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
    const TTotal total = Total(from, to);
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
        const TTotal total = Total(c.from, c.to - 1);
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
