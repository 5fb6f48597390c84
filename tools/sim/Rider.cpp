#include "tools/sim/Rider.h"

#include <algorithm>
#include <cmath>

namespace klt::sim {
namespace {

// How the rider corrects the cadence: N·m at once per rpm missing, and per rpm and second.
constexpr double kTorquePerRpm = 3;
constexpr double kTorquePerRpmSecond = 1.5;
// A rider pushing all he can below this cadence gives up, rests and pushes off again.
constexpr double kStallCadence = 20;
constexpr double kPushOffSeconds = 4;
constexpr double kRestSeconds = 5;
// Below the critical power the reserve comes back at this share of the difference.
constexpr double kRecoveryShare = 0.5;
// Torque left with the reserve used up, against fresh.
constexpr double kExhaustedTorqueShare = 0.55;
// Stroke to stroke the torque varies by up to this share.
constexpr double kStrokeNoise = 0.04;
// The heart follows the effort, which follows the power, each with its lag.
constexpr double kHeartRateSeconds = 30;
constexpr double kEffortSeconds = 5;
// Tiredness lifts the heart rate at the same power by up to this much.
constexpr double kFatigueHeartRate = 12;
constexpr double kRadiansPerRpm = 2 * 3.14159265358979323846 / 60;

const TRiderProfile kSteady = {.cadence = 90, .cadenceSag = 0, .lowestCadence = 90, .maxTorque = 70,
                               .torqueFadeSeconds = 0, .criticalPower = 260, .reserve = 20000,
                               .restingHeartRate = 65, .maxHeartRate = 185, .heartRatePerWatt = 0.28};
const TRiderProfile kSprint = {.cadence = 105, .cadenceSag = 0, .lowestCadence = 105, .maxTorque = 110,
                               .torqueFadeSeconds = 0, .criticalPower = 300, .reserve = 25000,
                               .restingHeartRate = 60, .maxHeartRate = 192, .heartRatePerWatt = 0.25};
const TRiderProfile kTired = {.cadence = 86, .cadenceSag = 1.2, .lowestCadence = 66, .maxTorque = 60,
                              .torqueFadeSeconds = 900, .criticalPower = 170, .reserve = 10000,
                              .restingHeartRate = 72, .maxHeartRate = 178, .heartRatePerWatt = 0.34};

} // namespace

std::optional<TRiderKind> RiderKindFromName(const std::string& name) {
    if (name == "steady") {
        return TRiderKind::Steady;
    }
    if (name == "sprint") {
        return TRiderKind::Sprint;
    }
    if (name == "tired") {
        return TRiderKind::Tired;
    }
    return std::nullopt;
}

const TRiderProfile& RiderProfile(TRiderKind kind) {
    switch (kind) {
    case TRiderKind::Sprint:
        return kSprint;
    case TRiderKind::Tired:
        return kTired;
    default:
        return kSteady;
    }
}

TRider::TRider(TRiderKind kind, uint32_t seed)
    : profile_(RiderProfile(kind)), noise_(seed), reserveLeft_(profile_.reserve),
      heartRate_(profile_.restingHeartRate) {}

double TRider::TargetCadence(double seconds) const {
    return std::max(profile_.lowestCadence, profile_.cadence - profile_.cadenceSag * seconds / 60);
}

double TRider::AvailableTorque(double seconds) const {
    const double fade =
        profile_.torqueFadeSeconds > 0 ? 0.5 + 0.5 * std::exp(-seconds / profile_.torqueFadeSeconds) : 1;
    return profile_.maxTorque * fade * (kExhaustedTorqueShare + (1 - kExhaustedTorqueShare) * Freshness());
}

double TRider::Pedal(double seconds, double cadence, double dt) {
    if (!pedalling_ && seconds >= restUntil_) {
        pedalling_ = true;
        pushedOffAt_ = seconds;
    }
    double torque = 0;
    if (pedalling_) {
        const double most = AvailableTorque(seconds);
        const double missing = TargetCadence(seconds) - cadence;
        integral_ = std::clamp(integral_ + kTorquePerRpmSecond * missing * dt, 0.0, most);
        torque = std::clamp(integral_ + kTorquePerRpm * missing, 0.0, most);
        if (torque >= most && cadence < kStallCadence && seconds - pushedOffAt_ > kPushOffSeconds) {
            pedalling_ = false; // beaten by the brake
            restUntil_ = seconds + kRestSeconds;
            integral_ = 0;
            torque = 0;
        }
        // A new stroke every half revolution, each a little stronger or weaker.
        const double angle = crankAngle_ + cadence / 60 * dt;
        if (std::floor(angle * 2) != std::floor(crankAngle_ * 2)) {
            const double uniform = static_cast<double>(noise_()) / static_cast<double>(std::mt19937::max());
            strokeFactor_ = 1 + kStrokeNoise * (2 * uniform - 1);
        }
        crankAngle_ = angle - std::floor(angle);
        torque *= strokeFactor_;
    }
    Breathe(torque * cadence * kRadiansPerRpm, dt);
    return torque;
}

void TRider::Breathe(double power, double dt) {
    const double above = power - profile_.criticalPower;
    reserveLeft_ = std::clamp(reserveLeft_ - (above > 0 ? above : kRecoveryShare * above) * dt, 0.0, profile_.reserve);
    effort_ += (power - effort_) * dt / kEffortSeconds;
    const double target = std::min(profile_.maxHeartRate, profile_.restingHeartRate +
                                                              profile_.heartRatePerWatt * effort_ +
                                                              kFatigueHeartRate * (1 - Freshness()));
    heartRate_ += (target - heartRate_) * dt / kHeartRateSeconds;
}

} // namespace klt::sim
