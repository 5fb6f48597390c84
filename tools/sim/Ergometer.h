#pragma once
// The ergometer behind the head unit: a rider driving a flywheel through a freewheel against the
// eddy-current brake, advanced in fixed steps of simulated time. Plain physics, deterministic for
// a seed; the head unit's live values are read from its state.
#include <cstdint>

#include "tools/sim/BeatBuffer.h"
#include "tools/sim/BrakeValues.h"
#include "tools/sim/EddyCurrentBrake.h"
#include "tools/sim/HeartBeats.h"
#include "tools/sim/Rider.h"

namespace klt::sim {

// The flywheel turns this often per crank revolution: 90 rpm make about 9 650 mm/s.
inline constexpr double kGearRatio = 3.35139769 * 32 * 60 / kFlywheelCircumferenceMm;

// Head units send speeds in 0.1 km/h.
inline int SpeedTenthsKmh(int speed) {
    return (speed * 36 + 500) / 1000;
}

// What the head unit shows: whole watts, rpm, mm/s and bpm.
struct TErgometerReading {
    int power = 0;
    int cadence = 0;
    int speed = 0;
    int heartRate = 0;
};

// The model's state as it really is, for checks.
struct TErgometerTruth {
    double seconds = 0;       // simulated time
    double speed = 0;         // flywheel, mm/s
    double cadence = 0;       // rpm; 0 while the rider does not pedal
    double crankTorque = 0;   // N·m
    double crankPower = 0;    // W at this instant
    double measuredPower = 0; // W as the power meter averages it
    double brakePower = 0;    // W the brake absorbs
    double frictionPower = 0; // W bearings and air absorb
    double heartRate = 0;     // bpm
    double freshness = 1;     // the rider's reserve left, 0 to 1
    TBrakeValues brake;
};

class TErgometer {
public:
    static constexpr double kStepSeconds = 0.01;

    TErgometer(TRiderKind rider, uint32_t seed, TBeatFaults beatFaults = {});

    // Brake values act from the next step on.
    void SetBrake(const TBrakeValues& values) { brake_.Set(values); }
    // Runs whole steps until simulated time reaches `seconds`.
    void AdvanceTo(double seconds);
    void Advance(double seconds) { AdvanceTo(time_ + seconds); }

    double Seconds() const { return time_; }
    TErgometerReading Reading() const;
    TErgometerTruth Truth() const;
    // The beat intervals the head unit holds since the previous take.
    TBeatBatch TakeBeats() { return beats_.Take(); }

private:
    void Step();

    TRider rider_;
    TEddyCurrentBrake brake_;
    THeartBeats heart_;
    TBeatBuffer beats_;
    double time_ = 0;
    int64_t steps_ = 0;
    double omega_ = 0;         // flywheel, rad/s
    double crankTorque_ = 0;
    double measuredPower_ = 0;
};

} // namespace klt::sim
