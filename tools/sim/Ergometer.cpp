#include "tools/sim/Ergometer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace klt::sim {
namespace {

constexpr double kFlywheelInertia = 0.25; // kg·m²
// The power meter averages the crank power over about a second.
constexpr double kPowerMeterSeconds = 1;

double CadenceOf(double flywheelRadians) {
    return flywheelRadians / kGearRatio * 60 / (2 * std::numbers::pi);
}

// Crank torque times crank angular speed, what the power meter measures.
double CrankPower(double crankTorque, double flywheelRadians) {
    return crankTorque * flywheelRadians / kGearRatio;
}

} // namespace

// The heart's own random sequence, so that beats do not echo the pedal strokes.
constexpr uint32_t kHeartSeed = 0x5EED4EA7;

TErgometer::TErgometer(TRiderKind rider, uint32_t seed, TBeatFaults beatFaults)
    : rider_(rider, seed), heart_(seed ^ kHeartSeed, beatFaults) {}

void TErgometer::AdvanceTo(double seconds) {
    // Counted in steps, so that time does not drift by rounding however long the ride.
    while (static_cast<double>(steps_ + 1) * kStepSeconds <= seconds + 1e-9) {
        Step();
    }
}

void TErgometer::Step() {
    const double speed = FlywheelSpeed(omega_);
    // The freewheel: a rider who pedals turns with the flywheel and can only drive it.
    const double cadence = rider_.Pedalling() ? CadenceOf(omega_) : 0;
    crankTorque_ = rider_.Pedal(time_, cadence, kStepSeconds);
    measuredPower_ += (CrankPower(crankTorque_, omega_) - measuredPower_) * kStepSeconds / kPowerMeterSeconds;
    const double drive = crankTorque_ / kGearRatio;
    const double resistance = brake_.Torque(speed) + FrictionTorque(speed);
    // Brake and friction only hold the flywheel back; they never turn it backwards.
    omega_ = std::max(0.0, omega_ + (drive - resistance) / kFlywheelInertia * kStepSeconds);
    ++steps_;
    time_ = static_cast<double>(steps_) * kStepSeconds;
    for (const uint16_t interval : heart_.BeatUntil(time_, rider_.HeartRate())) {
        beats_.Add(interval);
    }
}

TErgometerReading TErgometer::Reading() const {
    const TErgometerTruth truth = Truth();
    return {static_cast<int>(std::lround(std::max(0.0, truth.measuredPower))),
            static_cast<int>(std::lround(truth.cadence)), static_cast<int>(std::lround(truth.speed)),
            static_cast<int>(std::lround(truth.heartRate))};
}

TErgometerTruth TErgometer::Truth() const {
    TErgometerTruth truth;
    truth.seconds = time_;
    truth.speed = FlywheelSpeed(omega_);
    truth.cadence = rider_.Pedalling() ? CadenceOf(omega_) : 0;
    truth.crankTorque = crankTorque_;
    truth.crankPower = CrankPower(crankTorque_, omega_);
    truth.measuredPower = measuredPower_;
    truth.brakePower = brake_.Torque(truth.speed) * omega_;
    truth.frictionPower = FrictionTorque(truth.speed) * omega_;
    truth.heartRate = rider_.HeartRate();
    truth.freshness = rider_.Freshness();
    truth.brake = brake_.Values();
    return truth;
}

} // namespace klt::sim
