#pragma once
// The rider on the ergometer: pedals to hold a cadence with a limited crank torque that fatigue
// lowers, with a little noise from stroke to stroke, and a heart rate that follows the effort with
// a lag. Deterministic for a seed.
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace klt::sim {

enum class TRiderKind { Steady, Sprint, Tired };

// "steady", "sprint", "tired"; nothing for another name.
std::optional<TRiderKind> RiderKindFromName(const std::string& name);

struct TRiderProfile {
    double cadence;          // rpm the rider wants to hold
    double cadenceSag;       // rpm less per minute of riding (a tired rider)
    double lowestCadence;    // the sag stops here
    double maxTorque;        // N·m at the crank, fresh
    double torqueFadeSeconds; // a tired rider's torque fades to half with this time constant; 0: never
    double criticalPower;    // W the rider can hold without tiring
    double reserve;          // J above the critical power before the torque is at its lowest
    double restingHeartRate, maxHeartRate; // bpm
    double heartRatePerWatt; // bpm
};

const TRiderProfile& RiderProfile(TRiderKind kind);

class TRider {
public:
    // Seconds after the simulation starts before the rider begins to pedal.
    static constexpr double kStartDelay = 3;

    TRider(TRiderKind kind, uint32_t seed);

    // The crank torque (N·m) for the next `dt` seconds at simulated time `seconds`, with the crank
    // turning at `cadence` (rpm); 0 while the rider is not pedalling. Tires the rider and moves
    // the heart rate by what he puts in.
    double Pedal(double seconds, double cadence, double dt);

    bool Pedalling() const { return pedalling_; }
    double HeartRate() const { return heartRate_; }
    // Fraction of the reserve left, 0 to 1.
    double Freshness() const { return reserveLeft_ / profile_.reserve; }
    // The crank torque the rider can give now.
    double AvailableTorque(double seconds) const;
    double TargetCadence(double seconds) const;

private:
    void Breathe(double power, double dt);

    const TRiderProfile& profile_;
    std::mt19937 noise_;
    bool pedalling_ = false;
    double restUntil_ = kStartDelay;
    double pushedOffAt_ = 0;
    double integral_ = 0;     // the torque the rider has settled on, N·m
    double crankAngle_ = 0;   // revolutions
    double strokeFactor_ = 1; // this pedal stroke's torque against the mean
    double reserveLeft_;
    double heartRate_;
    double effort_ = 0;       // W, what the heart rate follows
};

} // namespace klt::sim
