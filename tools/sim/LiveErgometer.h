#pragma once
// An ergometer running in real time, or `speedup` times faster: every call first brings the model
// up to the simulated present (real time elapsed since it was made × speedup). The head unit's
// request thread and the telemetry thread share it under its lock.
#include <chrono>
#include <mutex>

#include "tools/sim/Ergometer.h"

namespace klt::sim {

class TLiveErgometer {
public:
    TLiveErgometer(TRiderKind rider, uint32_t seed, double speedup, TBeatFaults beatFaults = {});

    TErgometerReading Reading();
    TErgometerTruth Truth();
    TBeatBatch TakeBeats();
    // The values act from the simulated present on.
    void SetBrake(const TBrakeValues& values);
    // Simulated seconds since the ergometer was made.
    double SimulatedSeconds() const;
    double Speedup() const { return speedup_; }

private:
    void CatchUp();

    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    const double speedup_;
    std::mutex mutex_;
    TErgometer model_;
};

} // namespace klt::sim
