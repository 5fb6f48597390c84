#include "online/ErgoProgramPlayer.h"

#include <algorithm>
#include <cmath>

namespace klt {
namespace {

// The program keeps the head unit's raw scalings.
constexpr int kHundredthsToMs = 10;
constexpr double kPowerScale = 8;
constexpr double kHeartRateScale = 64;
constexpr double kCadenceScale = 32;

int Unscaled(int32_t raw, double scale) { return static_cast<int>(std::lround(raw / scale)); }

} // namespace

TErgoProgramPlayer::TErgoProgramPlayer(const TKLTErgoFile& program) {
    for (int i = 0; i < program.Count(); ++i) {
        const TKLTErgoSection& section = *program.Section(i);
        starts_.push_back(totalMs_);
        targets_.push_back({section.ControlledBy(), Unscaled(section.Power.Value, kPowerScale),
                            Unscaled(section.Heartrate.Value, kHeartRateScale),
                            Unscaled(section.Cadence.Value, kCadenceScale)});
        totalMs_ += std::max<int64_t>(0, int64_t{section.Time.Value} * kHundredthsToMs);
    }
}

int TErgoProgramPlayer::StepAt(int64_t elapsedMs) const {
    if (elapsedMs < 0 || elapsedMs >= totalMs_) {
        return -1;
    }
    // the last step starting at or before the time: a step of no time shares its start with the next
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), elapsedMs);
    return static_cast<int>(after - starts_.begin()) - 1;
}

int64_t TErgoProgramPlayer::StepStartMs(int step) const {
    return step >= 0 && step < StepCount() ? starts_[static_cast<size_t>(step)] : totalMs_;
}

TErgoTargets TErgoProgramPlayer::Targets(int step) const {
    return step >= 0 && step < StepCount() ? targets_[static_cast<size_t>(step)] : TErgoTargets{};
}

} // namespace klt
