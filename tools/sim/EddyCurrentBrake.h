#pragma once
// The ergometer's eddy-current brake and the flywheel's own losses, as torques on the flywheel.
//
// The coil's field follows its excitation and saturates (tanh); the braking torque goes with the
// square of the field and, as eddy currents do, rises in proportion to the speed below a critical
// speed and flattens above it. The excitation comes from the offset above the brake's working
// point (nothing at or below it) and, under cadence control, from how far the flywheel runs above
// the speed the limit stands for: a torque that rises steeply there and holds the flywheel near it.
#include "tools/sim/BrakeValues.h"

namespace klt::sim {

inline constexpr uint32_t kBrakeWorkingPoint = 32768;
// The flywheel runs a 1 m circumference: speeds are mm/s, as the head unit reports them.
inline constexpr double kFlywheelCircumferenceMm = 1000;

double FlywheelSpeed(double radiansPerSecond); // mm/s
double FlywheelRadians(double speed);          // rad/s from mm/s

class TEddyCurrentBrake {
public:
    void Set(const TBrakeValues& values) { values_ = values; }
    const TBrakeValues& Values() const { return values_; }

    // The excitation in offset steps above the working point at flywheel speed `speed` (mm/s).
    double Excitation(double speed) const;
    // Braking torque on the flywheel, N·m, at `speed` (mm/s).
    double Torque(double speed) const;
    // The speed (mm/s) above which cadence control brakes; 0 while it is off.
    double LimitSpeed() const;

private:
    TBrakeValues values_;
};

// Bearing and air friction on the flywheel, N·m, at `speed` (mm/s); none at a standstill.
double FrictionTorque(double speed);

// What brake and friction absorb at a steady flywheel speed (mm/s), in watts: at steady state
// what the rider must put in at the crank.
double AbsorbedPower(const TEddyCurrentBrake& brake, double speed);

} // namespace klt::sim
