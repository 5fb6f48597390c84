#pragma once
// The rider's heart beat by beat, as the head unit's strap receiver detects it: each interval
// follows the heart rate of the moment with natural variability (breathing and a little noise, a
// few percent), deterministic for a seed. Detection faults on demand: every n-th beat missed (its
// interval and the next come as one) or an extra beat (an interval comes split in two).
#include <cstdint>
#include <random>
#include <vector>

namespace klt::sim {

struct TBeatFaults {
    int missedEvery = 0; // "missed-beat=N"
    int extraEvery = 0;  // "extra-beat=N"
};

class THeartBeats {
public:
    THeartBeats(uint32_t seed, TBeatFaults faults);

    // The intervals (tenths of a millisecond) detected from the previous call up to simulated time
    // `seconds`, the heart beating at `heartRate` bpm meanwhile.
    std::vector<uint16_t> BeatUntil(double seconds, double heartRate);

private:
    double NaturalInterval(double at, double heartRate);

    std::mt19937 noise_;
    TBeatFaults faults_;
    double lastBeat_ = 0;     // every beat, seconds
    double lastDetected_ = 0; // the last beat the receiver saw
    double nextBeat_ = -1;    // none drawn yet
    int64_t beats_ = 0;
};

// Tenths of a millisecond in the 16 bits the head unit sends.
uint16_t IntervalTenthsMs(double seconds);

} // namespace klt::sim
