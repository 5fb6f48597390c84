#include "online/RegulationSamples.h"

#include <algorithm>

namespace klt {

TRegulationSamples::TRegulationSamples(const TKLTOnlineDatas& samples, const THeadUnitValues& headUnit)
    : samples_(samples), headUnit_(headUnit), last_(samples.LastIndex()) {}

int TRegulationSamples::Back(int depth) const {
    return std::max(0, last_ - std::max(0, depth));
}

int TRegulationSamples::Mean(TOnlineChannel channel, int count, int fallback) const {
    if (!At(last_)) {
        return fallback;
    }
    return samples_.MeanOver(channel, last_, std::clamp(count, 1, last_ + 1));
}

int TRegulationSamples::Speed(int i) const {
    const auto sample = At(i);
    return sample ? sample->Speed() : headUnit_.Speed;
}

std::optional<int> TRegulationSamples::SetPower(int i) const {
    const auto sample = At(i);
    return sample ? std::optional<int>(sample->SetPower) : std::nullopt;
}

int TRegulationSamples::MeanPower(int depth) const {
    return Mean(TOnlineChannel::Power, std::min(depth, last_), headUnit_.Power);
}

int TRegulationSamples::SpeedChange(int depth) const {
    if (last_ == 0) {
        return 0;
    }
    return Speed(last_) - Speed(Back(std::max(depth, 1)));
}

int TRegulationSamples::MeanHeartRate(int samples) const {
    return Mean(TOnlineChannel::HeartRate, std::min(samples, last_), headUnit_.HeartRate);
}

int TRegulationSamples::HeartRateChange(int samples) const {
    const auto now = At(last_);
    const auto before = At(Back(samples));
    if (!now || !before) {
        return 0;
    }
    return now->HeartRate() - before->HeartRate();
}

int TRegulationSamples::MeanBrakeOffset(int depth) const {
    return std::max(kLowestOffset,
                    Mean(TOnlineChannel::BrakeOffset, std::min(depth, last_) + 1, kLowestOffset));
}

int TRegulationSamples::LastSentOffset() const {
    const auto previous = At(last_ - 1);
    if (last_ <= 2 || !previous) {
        return kReleasedOffset;
    }
    return previous->BrakeOffset;
}

} // namespace klt
