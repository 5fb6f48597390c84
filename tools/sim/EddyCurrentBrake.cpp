#include "tools/sim/EddyCurrentBrake.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace klt::sim {
namespace {

// Saturated field at high speed: the most the brake can hold.
constexpr double kSaturatedTorque = 31.7; // N·m
// Below this flywheel speed the eddy currents, and with them the torque, grow with the speed.
constexpr double kCriticalSpeed = 2000; // mm/s
// The excitation at which the field reaches tanh(1) of its saturation.
constexpr double kSaturationExcitation = 6000;
// Cadence control: the limit counts a flywheel revolution in head-unit timer ticks, so limit ×
// speed is a constant; each mm/s above the speed it stands for adds this much excitation at the
// full slope.
constexpr double kLimitTimesSpeed = 86.0 * 8192 * 32 * 3.35139769;
constexpr double kLimitExcitationPerSpeed = 20;
constexpr double kFullSlope = 0xF00000;

// Bearing drag, and air drag growing with the square of the speed.
constexpr double kBearingTorque = 0.685;  // N·m
constexpr double kAirDrag = 1.56e-5;      // N·m per (rad/s)²

} // namespace

double FlywheelSpeed(double radiansPerSecond) {
    return radiansPerSecond * kFlywheelCircumferenceMm / (2 * std::numbers::pi);
}

double FlywheelRadians(double speed) {
    return speed * 2 * std::numbers::pi / kFlywheelCircumferenceMm;
}

double TEddyCurrentBrake::LimitSpeed() const {
    return values_.limit > 0 && values_.slope > 0 ? kLimitTimesSpeed / values_.limit : 0;
}

double TEddyCurrentBrake::Excitation(double speed) const {
    const double divisor = std::max<double>(values_.divisor, 1);
    double excitation = values_.offset > kBrakeWorkingPoint ? (values_.offset - kBrakeWorkingPoint) / divisor : 0;
    const double limitSpeed = LimitSpeed();
    if (limitSpeed > 0 && speed > limitSpeed) {
        excitation += values_.slope / kFullSlope * kLimitExcitationPerSpeed * (speed - limitSpeed);
    }
    return excitation;
}

double TEddyCurrentBrake::Torque(double speed) const {
    if (speed <= 0) {
        return 0;
    }
    const double field = std::tanh(Excitation(speed) / kSaturationExcitation);
    const double relative = speed / kCriticalSpeed;
    return kSaturatedTorque * field * field * relative / (1 + relative);
}

double FrictionTorque(double speed) {
    if (speed <= 0) {
        return 0;
    }
    const double omega = FlywheelRadians(speed);
    return kBearingTorque + kAirDrag * omega * omega;
}

double AbsorbedPower(const TEddyCurrentBrake& brake, double speed) {
    return (brake.Torque(speed) + FrictionTorque(speed)) * FlywheelRadians(speed);
}

} // namespace klt::sim
