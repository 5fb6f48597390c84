#include "tools/sim/HeartBeats.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace klt::sim {
namespace {

// Breathing speeds the heart up and slows it down (respiratory sinus arrhythmia).
constexpr double kBreathSeconds = 4;
constexpr double kBreathShare = 0.02;
constexpr double kNoiseShare = 0.02;
constexpr double kLowestRate = 30, kHighestRate = 240;

} // namespace

THeartBeats::THeartBeats(uint32_t seed, TBeatFaults faults) : noise_(seed), faults_(faults) {}

uint16_t IntervalTenthsMs(double seconds) {
    return static_cast<uint16_t>(std::clamp(std::lround(seconds * 10000), 1L, 65535L));
}

double THeartBeats::NaturalInterval(double at, double heartRate) {
    const double uniform = static_cast<double>(noise_()) / static_cast<double>(std::mt19937::max());
    const double breath = std::sin(2 * std::numbers::pi * at / kBreathSeconds);
    return 60 / std::clamp(heartRate, kLowestRate, kHighestRate) *
           (1 + kBreathShare * breath + kNoiseShare * (2 * uniform - 1));
}

std::vector<uint16_t> THeartBeats::BeatUntil(double seconds, double heartRate) {
    std::vector<uint16_t> detected;
    if (nextBeat_ < 0) {
        nextBeat_ = lastBeat_ + NaturalInterval(lastBeat_, heartRate);
    }
    while (nextBeat_ <= seconds) {
        lastBeat_ = nextBeat_;
        nextBeat_ = lastBeat_ + NaturalInterval(lastBeat_, heartRate);
        ++beats_;
        if (faults_.missedEvery > 0 && beats_ % faults_.missedEvery == 0) {
            continue; // the next detected interval spans this beat too
        }
        const double interval = lastBeat_ - lastDetected_;
        lastDetected_ = lastBeat_;
        if (faults_.extraEvery > 0 && beats_ % faults_.extraEvery == 0) {
            const uint16_t first = IntervalTenthsMs(interval / 2);
            detected.push_back(first);
            detected.push_back(static_cast<uint16_t>(std::max(1, IntervalTenthsMs(interval) - first)));
        } else {
            detected.push_back(IntervalTenthsMs(interval));
        }
    }
    return detected;
}

} // namespace klt::sim
