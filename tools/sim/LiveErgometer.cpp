#include "tools/sim/LiveErgometer.h"

namespace klt::sim {

TLiveErgometer::TLiveErgometer(TRiderKind rider, uint32_t seed, double speedup, TBeatFaults beatFaults)
    : speedup_(speedup), model_(rider, seed, beatFaults) {}

double TLiveErgometer::SimulatedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() * speedup_;
}

void TLiveErgometer::CatchUp() {
    model_.AdvanceTo(SimulatedSeconds());
}

TErgometerReading TLiveErgometer::Reading() {
    std::lock_guard lock(mutex_);
    CatchUp();
    return model_.Reading();
}

TErgometerTruth TLiveErgometer::Truth() {
    std::lock_guard lock(mutex_);
    CatchUp();
    return model_.Truth();
}

TBeatBatch TLiveErgometer::TakeBeats() {
    std::lock_guard lock(mutex_);
    CatchUp();
    return model_.TakeBeats();
}

void TLiveErgometer::SetBrake(const TBrakeValues& values) {
    std::lock_guard lock(mutex_);
    CatchUp();
    model_.SetBrake(values);
}

} // namespace klt::sim
