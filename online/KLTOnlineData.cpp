#include "online/KLTOnlineData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace klt {
namespace {

size_t Slot(TOnlineChannel channel) {
    return static_cast<size_t>(channel);
}

template <typename T> T ClampTo(int value) {
    return static_cast<T>(
        std::clamp<int>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

} // namespace

TKLTOnlineDatas::TKLTOnlineDatas(int slots) {
    Resize(slots);
    Reset();
}

int TKLTOnlineDatas::LastIndex() const {
    TLock lock(mutex_);
    return static_cast<int>(samples_.size()) - 1;
}

int TKLTOnlineDatas::Count() const {
    TLock lock(mutex_);
    return static_cast<int>(samples_.size());
}

std::optional<TKLTOnlineData> TKLTOnlineDatas::Sample(int i) const {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return std::nullopt;
    }
    return WithSums(i);
}

bool TKLTOnlineDatas::PutSample(int i, const TKLTOnlineData& sample) {
    TLock lock(mutex_);
    if (i == static_cast<int>(samples_.size())) {
        AppendUnlocked(sample);
        return true;
    }
    if (!Valid(i)) {
        return false;
    }
    TKLTOnlineData& slot = samples_[static_cast<size_t>(i)];
    for (size_t channel = 0; channel < kChannels; ++channel) {
        const auto kind = static_cast<TOnlineChannel>(channel);
        sums_[channel].Add(i, ChannelValue(sample, kind) - ChannelValue(slot, kind));
    }
    slot = sample;
    return true;
}

int TKLTOnlineDatas::Append(const TKLTOnlineData& sample) {
    TLock lock(mutex_);
    TKLTOnlineData next = sample;
    next.SetPower = samples_.empty() ? int16_t{0} : samples_.back().SetPower;
    if (next.BrakeOffset == 0 && !samples_.empty()) {
        next.BrakeOffset = samples_.back().BrakeOffset;
    }
    AppendUnlocked(next);
    return static_cast<int>(samples_.size()) - 1;
}

void TKLTOnlineDatas::AppendUnlocked(const TKLTOnlineData& sample) {
    samples_.push_back(sample);
    for (size_t channel = 0; channel < kChannels; ++channel) {
        sums_[channel].Append(ChannelValue(sample, static_cast<TOnlineChannel>(channel)));
    }
}

bool TKLTOnlineDatas::SetPower(int i, int watts) {
    return SetChannel(i, TOnlineChannel::Power, watts);
}

bool TKLTOnlineDatas::SetCadence(int i, int perMinute) {
    return SetChannel(i, TOnlineChannel::Cadence, perMinute);
}

bool TKLTOnlineDatas::SetHeartRate(int i, int perMinute) {
    return SetChannel(i, TOnlineChannel::HeartRate, perMinute);
}

bool TKLTOnlineDatas::SetSpeed(int i, int speed) {
    return SetChannel(i, TOnlineChannel::Speed, speed);
}

bool TKLTOnlineDatas::SetSetPower(int i, int watts) {
    return SetChannel(i, TOnlineChannel::SetPower, watts);
}

bool TKLTOnlineDatas::SetHeartRateVariance(int i, int variance) {
    return SetChannel(i, TOnlineChannel::HeartRateVariance, variance);
}

bool TKLTOnlineDatas::SetBrakeOffset(int i, int offset) {
    return SetChannel(i, TOnlineChannel::BrakeOffset, offset);
}

bool TKLTOnlineDatas::SetMarker(int i, bool marker) {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return false;
    }
    samples_[static_cast<size_t>(i)].Marker = marker;
    return true;
}

int TKLTOnlineDatas::SetSetPowerOfLast(int watts) {
    return SetChannelOfLast(TOnlineChannel::SetPower, watts);
}

int TKLTOnlineDatas::SetBrakeOffsetOfLast(int offset) {
    return SetChannelOfLast(TOnlineChannel::BrakeOffset, offset);
}

bool TKLTOnlineDatas::SetChannel(int i, TOnlineChannel channel, int value) {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return false;
    }
    SetChannelUnlocked(i, channel, value);
    return true;
}

int TKLTOnlineDatas::SetChannelOfLast(TOnlineChannel channel, int value) {
    TLock lock(mutex_);
    const int last = static_cast<int>(samples_.size()) - 1;
    SetChannelUnlocked(last, channel, value);
    return last;
}

void TKLTOnlineDatas::SetChannelUnlocked(int i, TOnlineChannel channel, int value) {
    TKLTOnlineData& sample = samples_[static_cast<size_t>(i)];
    const int64_t before = ChannelValue(sample, channel);
    switch (channel) {
    case TOnlineChannel::Power:
        sample.SetValue(dcPower, value);
        break;
    case TOnlineChannel::Cadence:
        sample.SetValue(dcCadence, value);
        break;
    case TOnlineChannel::HeartRate:
        sample.SetValue(dcHeartRate, value);
        break;
    case TOnlineChannel::Speed:
        sample.SetValue(dcSpeed, value);
        break;
    case TOnlineChannel::SetPower:
        sample.SetPower = ClampTo<int16_t>(value);
        break;
    case TOnlineChannel::HeartRateVariance:
        sample.HeartRateVariance = ClampTo<int16_t>(value);
        break;
    case TOnlineChannel::BrakeOffset:
        sample.BrakeOffset = ClampTo<uint16_t>(value);
        break;
    }
    sums_[Slot(channel)].Add(i, ChannelValue(sample, channel) - before);
}

int64_t TKLTOnlineDatas::ChannelValue(const TKLTOnlineData& sample, TOnlineChannel channel) {
    switch (channel) {
    case TOnlineChannel::Power:
        return sample.Power();
    case TOnlineChannel::Cadence:
        return sample.Cadence();
    case TOnlineChannel::HeartRate:
        return sample.HeartRate();
    case TOnlineChannel::Speed:
        return sample.Speed();
    case TOnlineChannel::SetPower:
        return sample.SetPower;
    case TOnlineChannel::HeartRateVariance:
        return sample.HeartRateVariance;
    case TOnlineChannel::BrakeOffset:
        return sample.BrakeOffset;
    }
    return 0;
}

int64_t TKLTOnlineDatas::SumThrough(TOnlineChannel channel, int i) const {
    return sums_[Slot(channel)].Through(i);
}

int64_t TKLTOnlineDatas::RangeSum(TOnlineChannel channel, int first, int last) const {
    return SumThrough(channel, last) - SumThrough(channel, first - 1);
}

TKLTOnlineData TKLTOnlineDatas::WithSums(int i) const {
    TKLTOnlineData sample = samples_[static_cast<size_t>(i)];
    sample.PowerSum = SumThrough(TOnlineChannel::Power, i);
    sample.CadenceSum = SumThrough(TOnlineChannel::Cadence, i);
    sample.HeartRateSum = SumThrough(TOnlineChannel::HeartRate, i);
    sample.SpeedSum = SumThrough(TOnlineChannel::Speed, i);
    sample.SetPowerSum = SumThrough(TOnlineChannel::SetPower, i);
    sample.HeartRateVarianceSum = SumThrough(TOnlineChannel::HeartRateVariance, i);
    return sample;
}

int TKLTOnlineDatas::WindowStart(int i) const {
    return i == 0 ? 0 : std::max(0, i - window_) + 1;
}

int TKLTOnlineDatas::WindowMean(TOnlineChannel channel, int i) const {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return 0;
    }
    const int first = WindowStart(i);
    return static_cast<int>(RangeSum(channel, first, i) / (i - first + 1));
}

double TKLTOnlineDatas::WindowMeanSpeed(int i, int speedUnit) const {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return 0.0;
    }
    const int first = WindowStart(i);
    const double mean = static_cast<double>(RangeSum(TOnlineChannel::Speed, first, i)) / (i - first + 1);
    switch (speedUnit) {
    case 0:
        return mean * 3600.0 / 1'000'000.0;
    case 1:
        return mean / 1000.0;
    case 2:
        return mean * 0.0036 / 1.61;
    case 3:
        return mean / 1000.0 / 60.0;
    default:
        return 0.0;
    }
}

int TKLTOnlineDatas::WindowMeanHeartRateVariance(int i) const {
    TLock lock(mutex_);
    if (!Valid(i)) {
        return 0;
    }
    const int first = WindowStart(i);
    const double mean =
        static_cast<double>(RangeSum(TOnlineChannel::HeartRateVariance, first, i)) / (i - first + 1);
    return static_cast<int>(std::lround(mean / 10.0));
}

int TKLTOnlineDatas::MeanOver(TOnlineChannel channel, int last, int count) const {
    TLock lock(mutex_);
    if (!Valid(last)) {
        return 0;
    }
    const int first = std::max(0, last - std::max(count, 1) + 1);
    return static_cast<int>(RangeSum(channel, first, last) / (last - first + 1));
}

int TKLTOnlineDatas::Window() const {
    TLock lock(mutex_);
    return window_;
}

void TKLTOnlineDatas::SetWindow(int samples) {
    TLock lock(mutex_);
    window_ = std::max(samples, 1);
}

int TKLTOnlineDatas::IndexAtTime(double elapsed) const {
    TLock lock(mutex_);
    const int last = static_cast<int>(samples_.size()) - 1;
    // Two samples a second put the sample near its nominal place; the walk corrects for jitter.
    const double guess = std::round(elapsed * 86'400'000.0 / 500.0);
    int i = std::isfinite(guess) ? static_cast<int>(std::clamp(guess, 0.0, static_cast<double>(last))) : last;
    auto isSet = [this](int k) { return k == 0 || samples_[static_cast<size_t>(k)].ElapsedTime != 0.0; };
    auto time = [this](int k) { return samples_[static_cast<size_t>(k)].ElapsedTime; };
    while (i > 0 && (!isSet(i) || time(i) > elapsed)) {
        --i;
    }
    for (int k = i + 1; k <= last; ++k) {
        if (!isSet(k)) {
            continue;
        }
        if (time(k) > elapsed) {
            break;
        }
        i = k;
    }
    return time(i) <= elapsed ? i : -1;
}

void TKLTOnlineDatas::Reset() {
    TLock lock(mutex_);
    samples_.clear();
    for (TRunningSum& sum : sums_) {
        sum.Clear();
    }
    AppendUnlocked(TKLTOnlineData());
}

void TKLTOnlineDatas::Resize(int slots) {
    TLock lock(mutex_);
    samples_.reserve(static_cast<size_t>(std::clamp(slots, 1, kMostReservedSlots)));
}

} // namespace klt
